#include <quorvel/fl.h>

#include "files/scratch.h"
#include "support/message_box_capture.h"

#include <gtest/gtest.h>

namespace {

using test::MessageBoxCapture;
using test::Scratch;

void *open(const std::u16string &path, int mode, int report = 0) {
    return Fl_Open(Scratch::u16(path), static_cast<_FL_MODE>(mode), report);
}

TEST(FlOpen, MissingFileGivesNullAndOneReportOnlyWhenAsked) {
    Scratch scratch;
    const auto missing = scratch.path(u"missing.bin");
    {
        MessageBoxCapture capture;
        EXPECT_EQ(open(missing, FL_READ, 0), nullptr);
        EXPECT_EQ(open(missing, FL_UPDATE, 0), nullptr);
        EXPECT_EQ(open(missing, FL_FOLDER, 0), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        EXPECT_TRUE(capture.boxes().empty());
    }
    MessageBoxCapture capture;
    EXPECT_EQ(open(missing, FL_READ, 1), nullptr);
    const auto boxes = capture.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, u"Error Message");
    EXPECT_EQ(boxes[0].text.rfind(u"[Error:2] ", 0), 0u);
}

TEST(FlOpen, ModeBeyondFolderIsRefused) {
    Scratch scratch;
    const auto file = scratch.file(u"five.bin", 8);
    MessageBoxCapture capture;
    SetLastError(0);
    EXPECT_EQ(open(file, 5, 1), nullptr);
    EXPECT_EQ(open(file, -1, 0), nullptr);
    EXPECT_TRUE(capture.boxes().empty());  // no system error to show
    EXPECT_EQ(Scratch::read(file).size(), 8u);
}

TEST(FlOpen, DispositionsCreateCutOrKeep) {
    Scratch scratch;
    // Mode 2 keeps an old tail: 10 bytes written over 100 leave 100.
    const auto kept = scratch.file(u"kept.bin", 100);
    void *file = open(kept, FL_WRITE);
    ASSERT_NE(file, nullptr);
    const char ten[10] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J'};
    EXPECT_EQ(Fl_Write(file, ten, 10), 10u);
    EXPECT_EQ(Fl_FileSize(file), 100);
    EXPECT_EQ(Fl_Close(file), 1);
    const std::string body = Scratch::read(kept);
    ASSERT_EQ(body.size(), 100u);
    EXPECT_EQ(body.substr(0, 10), "ABCDEFGHIJ");
    EXPECT_EQ(body[10], 10);
    EXPECT_EQ(body[99], 99);

    // Mode 1 cuts an existing file, modes 1 and 2 make missing ones.
    const auto cut = scratch.file(u"cut.bin", 50);
    file = open(cut, FL_CREATE);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(Fl_FileSize(file), 0);
    EXPECT_EQ(Fl_Close(file), 1);
    for (int mode : {FL_CREATE, FL_WRITE}) {
        const auto made = scratch.path(mode == FL_CREATE ? u"made1.bin" : u"made2.bin");
        file = open(made, mode);
        ASSERT_NE(file, nullptr) << mode;
        EXPECT_EQ(Fl_FileSize(file), 0);
        EXPECT_EQ(Fl_Close(file), 1);
    }

    // Mode 3 opens an existing file without cutting it; mode 0 reads only.
    file = open(kept, FL_UPDATE);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(Fl_FileSize(file), 100);
    EXPECT_EQ(Fl_Close(file), 1);
    file = open(kept, FL_READ);
    ASSERT_NE(file, nullptr);
    MessageBoxCapture capture;
    EXPECT_EQ(Fl_Write(file, ten, 10), FL_FAILED);
    EXPECT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(Fl_Close(file), 1);
    EXPECT_EQ(Scratch::read(kept).size(), 100u);
}

TEST(FlOpen, SharingFollowsTheModes) {
    Scratch scratch;
    const auto path = scratch.file(u"shared.bin", 16);
    void *reader = open(path, FL_READ);
    void *second_reader = open(path, FL_READ);
    EXPECT_NE(reader, nullptr);
    EXPECT_NE(second_reader, nullptr);
    EXPECT_EQ(open(path, FL_UPDATE), nullptr);  // readers share reading only
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    Fl_Close(reader);
    Fl_Close(second_reader);

    void *writer = open(path, FL_UPDATE);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(open(path, FL_READ), nullptr);
    EXPECT_EQ(open(path, FL_CREATE), nullptr);  // refused before cutting anything
    EXPECT_EQ(Fl_FileSize(writer), 16);
    Fl_Close(writer);
    void *again = open(path, FL_READ);
    EXPECT_NE(again, nullptr);
    Fl_Close(again);
}

TEST(FlOpen, LongFormOfAPathOpensTheSameFile) {
    Scratch scratch;
    const auto path = scratch.file(u"long.bin", 33);
    void *file = open(u"\\\\?\\" + path, FL_READ);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(Fl_FileSize(file), 33);
    Fl_Close(file);
}

TEST(FlString, RecordLayoutIsByteExact) {
    Scratch scratch;
    const auto path = scratch.path(u"strings.bin");
    void *file = open(path, FL_CREATE);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(Fl_Write(file, test::u16(u"abc")), 6u);
    EXPECT_EQ(Fl_Write(file, test::u16(u"")), 0u);
    EXPECT_EQ(Fl_Write(file, test::u16(u"日本")), 4u);
    EXPECT_EQ(Fl_Close(file), 1);
    const std::string expected("\x03\0\0\0a\0b\0c\0"
                               "\0\0\0\0"
                               "\x02\0\0\0\xE5\x65\x2C\x67",
                               22);
    EXPECT_EQ(Scratch::read(path), expected);

    file = open(path, FL_READ);
    ASSERT_NE(file, nullptr);
    unsigned short text[8];
    std::fill(std::begin(text), std::end(text), 0xEEEE);
    EXPECT_EQ(Fl_Read(file, text), 6u);
    EXPECT_EQ(test::str16(text), u"abc");
    std::fill(std::begin(text), std::end(text), 0xEEEE);
    EXPECT_EQ(Fl_Read(file, text), 0u);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(Fl_Read(file, text), 4u);
    EXPECT_EQ(test::str16(text), u"日本");
    EXPECT_EQ(Fl_Read(file, text), FL_FAILED);  // end of file: no count
    Fl_Close(file);
}

TEST(FlString, DamagedRecordsFailWithoutOverrunningTheBuffer) {
    Scratch scratch;
    const auto path = scratch.path(u"damaged.bin");
    // A count of 3 units with only 2 bytes behind it, then a huge count.
    Scratch::write(path, std::string("\x03\0\0\0a\0", 6));
    void *file = open(path, FL_READ);
    unsigned short text[8] = {};
    EXPECT_EQ(Fl_Read(file, text), FL_FAILED);
    EXPECT_EQ(test::str16(text), u"a");  // still terminated
    Fl_Close(file);

    Scratch::write(path, std::string("\xFF\xFF\xFF\x7F", 4));
    file = open(path, FL_READ);
    text[0] = 'k';
    EXPECT_EQ(Fl_Read(file, text), FL_FAILED);
    EXPECT_EQ(text[0], 'k');
    Fl_Close(file);
}

TEST(FlSeek, PositionsSizesAndSentinels) {
    Scratch scratch;
    const auto path = scratch.file(u"seek.bin", 64);
    void *file = open(path, FL_UPDATE);
    ASSERT_NE(file, nullptr);
    MessageBoxCapture capture;
    EXPECT_EQ(Fl_Seek(file, 10, FILE_BEGIN), 10);
    EXPECT_EQ(Fl_Seek(file, 0, FILE_CURRENT), 10);
    EXPECT_EQ(Fl_Seek(file, 0, FILE_CURRENT), 10);
    unsigned char byte = 0;
    EXPECT_EQ(Fl_Read(file, &byte, 1), 1u);
    EXPECT_EQ(byte, 10);
    EXPECT_EQ(Fl_Seek(file, -4, FILE_END), 60);
    EXPECT_EQ(Fl_Seek(file, -100, FILE_CURRENT), -1);  // before the start
    EXPECT_EQ(Fl_Seek(file, 0, FILE_CURRENT), 60);
    // Past 4 GiB: the high half of the position counts.
    EXPECT_EQ(Fl_Seek(file, int64_t{5} << 32, FILE_BEGIN), int64_t{5} << 32);
    EXPECT_EQ(Fl_Seek(file, 0, FILE_END), 64);
    unsigned char rest[16];
    EXPECT_EQ(Fl_Read(file, rest, 16), 0u);  // end of file
    EXPECT_TRUE(capture.boxes().empty());     // seeking never reports

    EXPECT_EQ(Fl_Seek(nullptr, 0, FILE_CURRENT), -1);
    EXPECT_EQ(Fl_FileSize(nullptr), -1);
    EXPECT_EQ(Fl_Read(nullptr, rest, 1), FL_FAILED);
    EXPECT_EQ(Fl_Write(nullptr, rest, 1), FL_FAILED);
    EXPECT_EQ(Fl_Read(nullptr, static_cast<unsigned short *>(nullptr)), FL_FAILED);
    EXPECT_EQ(Fl_Write(nullptr, test::u16(u"x")), FL_FAILED);
    EXPECT_EQ(Fl_GetFileTime(nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(Fl_SetFileTime(nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(Fl_Close(nullptr), 1);
    EXPECT_TRUE(capture.boxes().empty());
    EXPECT_EQ(Fl_Close(file), 1);
}

TEST(FlTime, WriteAndAccessTimesRoundTripOnFilesAndFolders) {
    Scratch scratch;
    const auto path = scratch.file(u"times.bin", 4);
    void *file = open(path, FL_UPDATE);
    ASSERT_NE(file, nullptr);
    // 2001-02-03 04:05:06.7 and a day later, in 100-ns units since 1601.
    const uint64_t written = 126257643067000000ull;
    const uint64_t accessed = written + 864000000000ull;
    const FILETIME write_time{static_cast<DWORD>(written), static_cast<DWORD>(written >> 32)};
    const FILETIME access_time{static_cast<DWORD>(accessed), static_cast<DWORD>(accessed >> 32)};
    EXPECT_EQ(Fl_SetFileTime(file, nullptr, &access_time, &write_time), 1);
    FILETIME created{}, read_access{}, read_write{};
    EXPECT_EQ(Fl_GetFileTime(file, &created, &read_access, &read_write), 1);
    EXPECT_EQ(read_write.dwLowDateTime, write_time.dwLowDateTime);
    EXPECT_EQ(read_write.dwHighDateTime, write_time.dwHighDateTime);
    EXPECT_EQ(read_access.dwHighDateTime, access_time.dwHighDateTime);
    EXPECT_NE(created.dwHighDateTime, 0u);
    EXPECT_EQ(Fl_Close(file), 1);

    std::u16string folder = scratch.folder();
    folder.pop_back();  // no trailing backslash
    void *handle = Fl_Open(Scratch::u16(folder), FL_FOLDER, 0);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(Fl_GetFileTime(handle, nullptr, nullptr, &read_write), 1);
    EXPECT_NE(read_write.dwHighDateTime, 0u);
    EXPECT_EQ(Fl_Close(handle), 1);
    EXPECT_EQ(Fl_Open(Scratch::u16(folder), FL_READ, 0), nullptr);  // folders need mode 4
}

}  // namespace
