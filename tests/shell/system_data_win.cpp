// Drops of the system's own data object: what the clipboard holds, as
// OleGetClipboard hands it over, offering its formats in the system's way.
#include "shell/drop_host.h"

#include <quorvel/frame.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace std::string_literals;

HGLOBAL block_of(const std::string &bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    return memory;
}

std::string files_block(const std::u16string &list) {
    DROPFILES header = {sizeof header, {0, 0}, FALSE, TRUE};
    return std::string(reinterpret_cast<const char *>(&header), sizeof header) +
           std::string(reinterpret_cast<const char *>(list.data()), list.size() * 2);
}

TEST(DropTarget, SystemDataObjectsReachTheWindow) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    const std::u16string url = u"https://例え.jp/", files = u"C:\\a.txt\0C:\\日本.txt\0\0"s;
    const std::string html = "Version:0.9\r\n<b>bold</b>";
    const struct Row {
        const char *name;
        std::vector<std::pair<UINT, std::string>> put;
        UINT format;
        std::u16string text;
    } rows[] = {
        {"link", {{CF_URL, test::utf16_bytes(url)}, {CF_HTML, html}}, CF_URL,
         url + u"\n" + std::u16string(html.begin(), html.end())},
        {"files", {{CF_HDROP, files_block(files)}}, CF_HDROP, files},
        {"text", {{CF_UNICODETEXT, test::utf16_bytes(u"テキスト")}}, CF_UNICODETEXT, u"テキスト"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        test::DropHost host;
        ASSERT_TRUE(OpenClipboard(host.window));
        EmptyClipboard();
        for (const auto &[format, bytes] : row.put) SetClipboardData(format, block_of(bytes));
        CloseClipboard();
        IDataObject *data = nullptr;
        ASSERT_EQ(OleGetClipboard(&data), S_OK);

        ASSERT_EQ(RegisterDragDrop(host.window, host.target), S_OK);
        EXPECT_GT(host.target->m_lRef, 1);  // the system holds it too
        DWORD effect = DROPEFFECT_COPY;
        EXPECT_EQ(host.target->DragEnter(data, MK_LBUTTON, {5, 6}, &effect), S_OK);
        EXPECT_EQ(host.target->Drop(data, MK_LBUTTON, {7, 8}, &effect), S_OK);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
        EXPECT_EQ(RevokeDragDrop(host.window), S_OK);
        data->Release();

        ASSERT_EQ(host.seen.size(), 2u);
        EXPECT_EQ(host.seen[0].format, row.format);
        EXPECT_EQ(host.seen[1].describe(), (test::Seen{3, row.format, true, row.text, 7, 8}.describe()));
    }
    OleUninitialize();
}

}  // namespace
