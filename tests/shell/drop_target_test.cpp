// The drop target fed by a data object of our own offering each format,
// reporting to a host window that records every notification.
#include "shell/drop_host.h"

#include <quorvel/frame.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace std::string_literals;
using test::DropHost;
using test::OfferedData;

std::string seen(WPARAM code, UINT format, bool has_text, std::u16string text, LONG x, LONG y,
                 bool has_point = true) {
    return test::Seen{code, format, has_text, std::move(text), x, y, has_point}.describe();
}

HGLOBAL dropped_files(const std::u16string &list) {
    const size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(char16_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto *files = static_cast<DROPFILES *>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(files + 1, list.data(), list.size() * sizeof(char16_t));
    GlobalUnlock(memory);
    return memory;
}

std::string file_group(const std::u16string &first, const std::u16string &second) {
    std::string block(sizeof(UINT) + 2 * sizeof(FILEDESCRIPTORW), '\0');
    auto *group = reinterpret_cast<FILEGROUPDESCRIPTORW *>(&block[0]);
    group->cItems = 2;
    std::memcpy(group->fgd[0].cFileName, first.c_str(), (first.size() + 1) * 2);
    std::memcpy(reinterpret_cast<FILEDESCRIPTORW *>(group->fgd + 1)->cFileName, second.c_str(),
                (second.size() + 1) * 2);
    return block;
}

const std::u16string kUrl = u"https://例え.jp/a?b=c";
const std::string kHtml = "Version:0.9\r\nStartHTML:0\r\n<a href=\"x\">link</a>";

TEST(DropTarget, EachFormatReachesTheWindowAsText) {
    const UINT own = RegisterClipboardFormatW(test::wide(u"Quorvel Test Format"));
    const std::u16string files = u"C:\\a.txt\0C:\\b c.txt\0C:\\日本\\d.txt\0\0"s;
    const struct Row {
        const char *name;
        std::vector<std::pair<UINT, std::string>> offered;
        UINT entered, dropped;
        std::u16string text;
    } rows[] = {
        {"link with HTML", {{CF_HTML, kHtml}, {CF_URL, test::utf16_bytes(kUrl)}}, CF_URL, CF_URL,
         kUrl + u"\n" + std::u16string(kHtml.begin(), kHtml.end())},
        {"link alone", {{CF_URL, test::utf16_bytes(kUrl)}}, CF_URL, CF_URL, kUrl},
        {"both texts", {{CF_TEXT, "ansi"}, {CF_UNICODETEXT, test::utf16_bytes(u"ユニコード")}},
         CF_UNICODETEXT, CF_UNICODETEXT, u"ユニコード"},
        {"ANSI link", {{CF_URLLINK, "http://a.jp/"}}, CF_URLLINK, CF_URLLINK, u"http://a.jp/"},
        {"file group", {{CF_URLTEXT, file_group(u"a.txt", u"本.txt")}}, CF_URLTEXT, CF_URLTEXT,
         u"a.txt\n本.txt"},
        {"files", {{CF_HDROP, test::block_bytes(dropped_files(files))}}, CF_HDROP, CF_HDROP, files},
        {"unknown format", {{own, test::utf16_bytes(u"own")}}, 0, own, u"own"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        OfferedData data(row.offered);
        DropHost host;
        DWORD effect = DROPEFFECT_COPY;
        EXPECT_EQ(host.target->DragEnter(&data, 0, {10, 20}, &effect), S_OK);
        EXPECT_EQ(host.target->DragOver(0, {11, 21}, &effect), S_OK);
        EXPECT_EQ(host.target->Drop(&data, 0, {12, 22}, &effect), S_OK);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
        ASSERT_EQ(host.seen.size(), 3u);
        EXPECT_EQ(host.seen[0].describe(), seen(0, row.entered, false, u"", 10, 20));
        EXPECT_EQ(host.seen[1].describe(), seen(1, row.entered, false, u"", 11, 21));
        EXPECT_EQ(host.seen[2].describe(), seen(3, row.dropped, true, row.text, 12, 22));
        EXPECT_EQ(host.target->m_pszData, nullptr);
        EXPECT_EQ(data.references, 0);
    }
}

TEST(DropTarget, NothingReadableIsRefused) {
    OfferedData data({{CF_UNICODETEXT, {}}}, /*readable=*/false);
    DropHost host;
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(host.target->DragEnter(&data, 0, {1, 2}, &effect), S_OK);
    EXPECT_EQ(host.target->DragOver(0, {1, 2}, nullptr), E_FAIL);
    EXPECT_EQ(host.target->DragLeave(), S_OK);
    host.target->m_cfFormat = 0;  // as after a drag that offered nothing known
    EXPECT_EQ(host.target->Drop(&data, 0, {3, 4}, &effect), E_FAIL);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    ASSERT_EQ(host.seen.size(), 2u);  // enter and leave only
    EXPECT_EQ(host.seen[1].describe(), seen(2, CF_UNICODETEXT, false, u"", 0, 0, false));
}

TEST(DropTarget, CountsItsReferences) {
    CExDropTarget *target = nullptr;
    int value = 0;
    CExDropTarget::CreateInstance(&target, nullptr, &value, 0x8400);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->m_lRef, 0);
    EXPECT_EQ(target->m_pParam, &value);
    EXPECT_EQ(target->m_uMsg, 0x8400u);
    EXPECT_EQ(target->m_cfFormat, 0u);
    void *object = &value;
    EXPECT_EQ(target->QueryInterface(IID_IDataObject, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(target->QueryInterface(IID_IDropTarget, &object), S_OK);
    EXPECT_EQ(object, static_cast<IDropTarget *>(target));
    EXPECT_EQ(target->m_lRef, 0);
    EXPECT_EQ(target->AddRef(), 1u);
    EXPECT_EQ(target->AddRef(), 2u);
    EXPECT_EQ(target->Release(), 1u);
    EXPECT_EQ(target->Release(), 0u);
}

}  // namespace
