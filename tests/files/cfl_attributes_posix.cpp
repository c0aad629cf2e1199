// What only the POSIX build has to show: attributes kept the way Wine and
// Samba keep them, sparse files, and the drive's size as df sees it.
#include <quorvel/attributes.h>
#include <quorvel/search.h>

#include "support/message_box_capture.h"
#include "support/scratch.h"
#include "support/win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

using test::u16;

// The first number a command prints.
int64_t number_from(const std::string &command) {
    FILE *pipe = popen(command.c_str(), "r");
    long long value = -1;
    if (pipe && std::fscanf(pipe, "%lld", &value) != 1) value = -1;
    if (pipe) pclose(pipe);
    return value;
}

TEST(CflAttributesPosix, ValuesWrittenByWineAndSambaAreRead) {
    test::Scratch scratch;
    const std::string samba4("0x26\0\x04\x00\x04\x00\x26\x00\x00\x00", 12);
    const struct {
        std::string value;
        DWORD attributes;
    } rows[] = {
        {"0x2", FILE_ATTRIBUTE_HIDDEN},  // as Wine writes it (seen with Wine 8)
        {"0x6", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
        {samba4, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE},
        {"0x", FILE_ATTRIBUTE_ARCHIVE},  // unreadable: as if there were none
        {"hidden", FILE_ATTRIBUTE_ARCHIVE},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.value);
        const std::u16string path = scratch.file("f", 1);
        ASSERT_EQ(setxattr(scratch.native("f").c_str(), "user.DOSATTRIB", row.value.data(),
                           row.value.size(), 0),
                  0);
        DWORD attributes = 0;
        EXPECT_EQ(Cfl_GetFileAttr(u16(path), attributes, 1), 1);
        EXPECT_EQ(attributes, row.attributes);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        EXPECT_TRUE(GetFileAttributesExW(reinterpret_cast<LPCWSTR>(path.c_str()),
                                         GetFileExInfoStandard, &data));
        EXPECT_EQ(data.dwFileAttributes, row.attributes);
    }
    // Without the folder opened, a leading dot still hides; the size is stat's.
    const std::u16string dotted = scratch.file(".d", 3);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(GetFileAttributesExW(reinterpret_cast<LPCWSTR>(dotted.c_str()),
                                     GetFileExInfoStandard, &data));
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(data.nFileSizeLow, number_from("stat -c %s '" + scratch.native(".d").string() + "'"));
    // Written back as Wine writes it.
    EXPECT_EQ(Cfl_SetFileAttr(u16(scratch.path("f")), FILE_ATTRIBUTE_HIDDEN, 1), 1);
    char value[32] = {};
    EXPECT_EQ(getxattr(scratch.native("f").c_str(), "user.DOSATTRIB", value, sizeof value), 3);
    EXPECT_STREQ(value, "0x2");
    // A listing told that the caller reads none of them does not read the value.
    WIN32_FIND_DATAW found;
    FindClose(FindFirstFileExW(reinterpret_cast<LPCWSTR>(scratch.path("f").c_str()),
                               FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                               FIND_FIRST_EX_QUORVEL_NO_DOS_ATTRIBUTES));
    EXPECT_EQ(found.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(found.nFileSizeLow, 1u);
}

TEST(CflAttributesPosix, SparseFilesAndDrives) {
    test::Scratch scratch;
    const std::string file = scratch.native("sparse").string();
    const int fd = open(file.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, "x", 1, 8 << 20), 1);
    close(fd);
    const int64_t allocated = number_from("du -B1 '" + file + "'");
    ASSERT_LT(allocated, 8 << 20);
    DWORD attributes = 0;
    EXPECT_EQ(Cfl_GetFileAttr(u16(scratch.path("sparse")), attributes, 1), 1);
    EXPECT_EQ(attributes, static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_SPARSE_FILE));
    for (int compressed : {0, 1}) {
        SCOPED_TRACE(compressed);
        LONG files = 0, folders = 0;
        int64_t bytes = 0;
        EXPECT_EQ(Cfl_FolderAnalyze(u16(scratch.path()), files, folders, bytes, compressed, 1, 1), 1);
        EXPECT_EQ(bytes, compressed ? allocated : (8 << 20) + 1);
    }
    const std::string folder = scratch.native().string();
    EXPECT_EQ(Cfl_GetDispTotalSpace(u16(scratch.path()), 1),
              number_from("df -B1 --output=size '" + folder + "' | tail -1"));
    test::MessageBoxCapture boxes;
    EXPECT_EQ(Cfl_GetDispFreeSpace(u16(u"Q:\\"), 1), -1);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text.rfind(u"[Error:3]", 0), 0u);
}

}  // namespace
