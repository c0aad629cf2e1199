// The drop target fed by a data object of our own offering each format and,
// on Windows, by the system's data object holding the same, reporting to a
// host window.
#include "shell/drop_host.h"

#include <quorvel/frame.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace std::string_literals;
using test::seen;

template <class T> std::string bytes_of(const T &record, const std::u16string &tail = {}) {
    return std::string(reinterpret_cast<const char *>(&record), sizeof record) +
           std::string(reinterpret_cast<const char *>(tail.data()), tail.size() * 2);
}

std::string file_group(const char16_t *first, const char16_t *second) {
    FILEGROUPDESCRIPTORW group = {2};
    FILEDESCRIPTORW other = {};
    std::memcpy(group.fgd[0].cFileName, first, std::char_traits<char16_t>::length(first) * 2);
    std::memcpy(other.cFileName, second, std::char_traits<char16_t>::length(second) * 2);
    return bytes_of(group) + bytes_of(other);
}

const unsigned short *u16(const std::u16string &text) {
    return reinterpret_cast<const unsigned short *>(text.c_str());
}

TEST(DropTarget, EachFormatReachesTheWindowAsText) {
    const UINT own = RegisterClipboardFormatW(reinterpret_cast<const WCHAR *>(u"Quorvel Test"));
    const std::u16string url = u"https://例え.jp/a?b=c", files = u"C:\\a.txt\0C:\\b c.txt\0C:\\日本\\d.txt\0\0"s;
    const std::string html = "Version:0.9\r\nStartHTML:0\r\n<a href=\"x\">link</a>";
    const DROPFILES wide_list = {sizeof(DROPFILES), {0, 0}, FALSE, TRUE};
    const struct Row {
        const char *name;
        test::Offered offered;
        UINT entered, dropped;
        std::u16string text;
    } rows[] = {
        {"link with HTML", {{CF_HTML, html}, {CF_URL, test::utf16_bytes(url)}}, CF_URL, CF_URL,
         url + u"\n" + std::u16string(html.begin(), html.end())},
        {"link alone", {{CF_URL, test::utf16_bytes(url)}}, CF_URL, CF_URL, url},
        {"both texts", {{CF_TEXT, "ansi"s + '\0'}, {CF_UNICODETEXT, test::utf16_bytes(u"ユニコード")}},
         CF_UNICODETEXT, CF_UNICODETEXT, u"ユニコード"},
        {"ANSI link", {{CF_URLLINK, "http://a.jp/"s + '\0'}}, CF_URLLINK, CF_URLLINK, u"http://a.jp/"},
        {"file group", {{CF_URLTEXT, file_group(u"a.txt", u"本.txt")}}, CF_URLTEXT, CF_URLTEXT,
         u"a.txt\n本.txt"},
        {"files", {{CF_HDROP, bytes_of(wide_list, files)}}, CF_HDROP, CF_HDROP, files},
        {"unknown format", {{own, test::utf16_bytes(u"own")}}, 0, own, u"own"},
    };
    for (const Row &row : rows) {
        test::OfferedData own_data(row.offered);
        test::DropHost host;
        IDataObject *system = test::system_data(host.window, row.offered);
        EXPECT_EQ(system != nullptr, test::kHasSystemData);
        for (IDataObject *data : {static_cast<IDataObject *>(&own_data), system}) {
            if (!data) continue;
            SCOPED_TRACE(std::string(row.name) + (data == system ? " (system's data)" : ""));
            host.seen.clear();
            DWORD effect = DROPEFFECT_COPY;
            EXPECT_EQ(host.target->DragEnter(data, 0, {10, 20}, &effect), S_OK);
            EXPECT_EQ(host.target->DragOver(0, {11, 21}, &effect), S_OK);
            EXPECT_EQ(host.target->Drop(data, 0, {12, 22}, &effect), S_OK);
            EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
            const POINTL entered = {10, 20}, over = {11, 21}, dropped = {12, 22};
            EXPECT_EQ(host.seen, (std::vector<std::string>{
                                     seen(0, row.entered, nullptr, &entered),
                                     seen(1, row.entered, nullptr, &over),
                                     seen(3, row.dropped, u16(row.text), &dropped)}));
            EXPECT_EQ(host.target->m_pszData, nullptr);
        }
        EXPECT_EQ(own_data.references, 0);
        if (system) system->Release();
    }
}

TEST(DropTarget, NothingReadableIsRefused) {
    test::OfferedData data({{CF_UNICODETEXT, {}}}, /*readable=*/false);
    test::DropHost host;
    DWORD effect = DROPEFFECT_COPY;
    const POINTL point = {1, 2};
    EXPECT_EQ(host.target->DragEnter(&data, 0, point, &effect), S_OK);
    EXPECT_EQ(host.target->DragOver(0, point, nullptr), E_FAIL);
    EXPECT_EQ(host.target->DragLeave(), S_OK);
    host.target->m_cfFormat = 0;  // as after a drag that offered nothing known
    EXPECT_EQ(host.target->Drop(&data, 0, point, &effect), E_FAIL);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(host.seen, (std::vector<std::string>{seen(0, CF_UNICODETEXT, nullptr, &point),
                                                   seen(2, CF_UNICODETEXT, nullptr, nullptr)}));
}

TEST(DropTarget, CountsItsReferences) {
    CExDropTarget *target = nullptr;
    int value = 0;
    CExDropTarget::CreateInstance(&target, nullptr, &value, 0x8400);
    ASSERT_NE(target, nullptr);
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
    EXPECT_EQ(target->Release(), 0u);
}

}  // namespace
