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

TEST(DropTarget, EachFormatReachesTheWindowAsText) {
    const UINT own = RegisterClipboardFormatW(reinterpret_cast<const WCHAR *>(u"Quorvel Test"));
    const std::u16string url = u"https://例え.jp/a?b=c", files = u"C:\\a.txt\0C:\\b c.txt\0C:\\日本\\d.txt\0\0"s;
    const std::string html = "Version:0.9\r\nStartHTML:0\r\n<a href=\"x\">link</a>";
    const std::u16string url_html = url + u"\n" + std::u16string(html.begin(), html.end());
    const DROPFILES wide_list = {sizeof(DROPFILES), {0, 0}, FALSE, TRUE};
    const struct Row {
        const char *name;
        test::Offered offered;
        UINT entered, dropped;  // dropped 0: no drop message, E_FAIL
        const char16_t *text;
        bool readable = true;
    } rows[] = {
        {"link with HTML", {{CF_HTML, html}, {CF_URL, test::utf16_bytes(url)}}, CF_URL, CF_URL, url_html.c_str()},
        {"link alone", {{CF_URL, test::utf16_bytes(url)}}, CF_URL, CF_URL, url.c_str()},
        {"both texts", {{CF_TEXT, "ansi"s + '\0'}, {CF_UNICODETEXT, test::utf16_bytes(u"ユニコード")}},
         CF_UNICODETEXT, CF_UNICODETEXT, u"ユニコード"},
        {"ANSI link", {{CF_URLLINK, "http://a.jp/"s + '\0'}}, CF_URLLINK, CF_URLLINK, u"http://a.jp/"},
        {"file group", {{CF_URLTEXT, file_group(u"a.txt", u"本.txt")}}, CF_URLTEXT, CF_URLTEXT,
         u"a.txt\n本.txt"},
        {"files", {{CF_HDROP, bytes_of(wide_list, files)}}, CF_HDROP, CF_HDROP, files.c_str()},
        {"unknown format", {{own, test::utf16_bytes(u"own")}}, 0, own, u"own"},
        {"unreadable text", {{CF_UNICODETEXT, "x"}}, CF_UNICODETEXT, CF_UNICODETEXT, nullptr, false},
        {"unreadable, unknown", {{own, "x"}}, 0, 0, nullptr, false},
    };
    for (const Row &row : rows) {
        test::OfferedData own_data(row.offered, row.readable);
        test::DropHost host;
        IDataObject *system = row.readable ? test::system_data(host.window, row.offered) : nullptr;
        EXPECT_EQ(system != nullptr, test::kHasSystemData && row.readable);
        for (IDataObject *data : {static_cast<IDataObject *>(&own_data), system}) {
            if (!data) continue;
            SCOPED_TRACE(std::string(row.name) + (data == system ? " (system's data)" : ""));
            host.seen.clear();
            DWORD effect = DROPEFFECT_COPY;
            const POINTL entered = {10, 20}, over = {11, 21}, dropped = {12, 22};
            EXPECT_EQ(host.target->DragEnter(data, 0, entered, &effect), S_OK);
            EXPECT_EQ(host.target->DragOver(0, over, &effect), S_OK);
            EXPECT_EQ(host.target->Drop(data, 0, dropped, &effect), row.dropped ? S_OK : E_FAIL);
            EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
            std::vector<std::string> expected = {seen(0, row.entered, nullptr, &entered),
                                                 seen(1, row.entered, nullptr, &over)};
            if (row.dropped)
                expected.push_back(seen(3, row.dropped, reinterpret_cast<const unsigned short *>(row.text), &dropped));
            EXPECT_EQ(host.seen, expected);
            EXPECT_EQ(host.target->m_pszData, nullptr);
        }
        EXPECT_EQ(own_data.references, 0);
        if (system) system->Release();
    }
}

TEST(DropTarget, ObjectAndLeave) {
    test::DropHost host;
    CExDropTarget *target = host.target;
    EXPECT_EQ(target->m_pParam, &host);
    EXPECT_EQ(target->m_uMsg, 0x8400u);
    void *object = &host;
    EXPECT_EQ(target->QueryInterface(IID_IDataObject, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(target->QueryInterface(IID_IDropTarget, &object), S_OK);
    EXPECT_EQ(object, static_cast<IDropTarget *>(target));
    EXPECT_EQ(target->DragOver(0, {1, 2}, nullptr), E_FAIL);
    EXPECT_EQ(target->DragLeave(), S_OK);
    EXPECT_EQ(host.seen, std::vector<std::string>{seen(2, 0, nullptr, nullptr)});

    CExDropTarget *alone = nullptr;
    CExDropTarget::CreateInstance(&alone, nullptr, nullptr, 0);
    ASSERT_NE(alone, nullptr);
    EXPECT_EQ(alone->m_lRef, 0);
    EXPECT_EQ(alone->AddRef(), 1u);
    EXPECT_EQ(alone->Release(), 0u);
}

}  // namespace
