#include <quorvel/fl.h>

#include "support/message_box_capture.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using test::MessageBoxCapture;
using test::Scratch;
using test::u16;

TEST(FlOpen, MissingFileGivesNullAndOneReportOnlyWhenAsked) {
    Scratch scratch;
    {
        MessageBoxCapture capture;
        for (int mode : {FL_READ, FL_UPDATE, FL_FOLDER})
            EXPECT_EQ(scratch.open("missing.bin", mode, 0), nullptr) << mode;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        EXPECT_TRUE(capture.boxes().empty());
    }
    MessageBoxCapture capture;
    EXPECT_EQ(scratch.open("missing.bin", FL_READ, 1), nullptr);
    const auto boxes = capture.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, u"Error Message");
    EXPECT_EQ(boxes[0].text.rfind(u"[Error:2] ", 0), 0u);
}

// A path whose long form would not fit the call's buffer is refused, not cut.
TEST(FlOpen, OverLongPathsAreRefused) {
    Scratch scratch;
    const std::u16string folder = scratch.path();
    MessageBoxCapture capture;
    for (size_t units : {4090u, 5000u}) {
        SCOPED_TRACE(units);
        SetLastError(0);
        EXPECT_EQ(Fl_Open(u16(folder + std::u16string(units - folder.size(), u'a')), FL_CREATE, 0), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    }
    EXPECT_TRUE(capture.boxes().empty());
    EXPECT_EQ(Fl_Open(u16(folder + std::u16string(4090 - folder.size(), u'a')), FL_READ, 1), nullptr);
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].text.rfind(u"[Error:206] ", 0), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(scratch.native()));
}

TEST(FlOpen, DispositionsCreateCutOrKeep) {
    Scratch scratch;
    // Mode 2 keeps an old tail: 10 bytes written over 100 leave 100.
    scratch.file("kept.bin", 100);
    void *file = scratch.open("kept.bin", FL_WRITE, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(Fl_Write(file, "ABCDEFGHIJ", 10), 10u);
    EXPECT_EQ(Fl_FileSize(file), 100);
    EXPECT_EQ(Fl_Close(file), 1);
    EXPECT_EQ(scratch.read("kept.bin"), "ABCDEFGHIJ" + test::pattern(100).substr(10));

    // Mode 1 cuts an existing file, modes 1 and 2 make missing ones, mode 3
    // opens an existing file without cutting it, also by its long form.
    scratch.file("cut.bin", 50);
    const struct {
        std::u16string path;
        int mode;
        int64_t size;
    } opened[] = {{scratch.path("cut.bin"), FL_CREATE, 0},
                  {scratch.path("made1.bin"), FL_CREATE, 0},
                  {scratch.path("made2.bin"), FL_WRITE, 0},
                  {scratch.path("kept.bin"), FL_UPDATE, 100},
                  {u"\\\\?\\" + scratch.path("kept.bin"), FL_READ, 100}};
    for (const auto &o : opened) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(o.path)));
        file = Fl_Open(u16(o.path), static_cast<_FL_MODE>(o.mode), 0);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(Fl_FileSize(file), o.size);
        EXPECT_EQ(Fl_Close(file), 1);
    }

    // Mode 0 reads only; modes past 4 are refused without a system error.
    file = scratch.open("kept.bin", FL_READ, 0);
    ASSERT_NE(file, nullptr);
    MessageBoxCapture capture;
    EXPECT_EQ(Fl_Write(file, "ABCDEFGHIJ", 10), FL_FAILED);
    EXPECT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(Fl_Close(file), 1);
    SetLastError(0);
    EXPECT_EQ(scratch.open("kept.bin", 5, 1), nullptr);
    EXPECT_EQ(scratch.open("kept.bin", -1, 0), nullptr);
    EXPECT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(scratch.read("kept.bin").size(), 100u);
}

TEST(FlOpen, SharingFollowsTheModes) {
    Scratch scratch;
    scratch.file("shared.bin", 16);
    const auto open = [&](int mode) { return scratch.open("shared.bin", mode, 0); };
    void *reader = open(FL_READ), *second_reader = open(FL_READ);
    EXPECT_NE(reader, nullptr);
    EXPECT_NE(second_reader, nullptr);
    EXPECT_EQ(open(FL_UPDATE), nullptr);  // readers share reading only
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    Fl_Close(reader);
    Fl_Close(second_reader);

    void *writer = open(FL_UPDATE);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(open(FL_READ), nullptr);
    EXPECT_EQ(open(FL_CREATE), nullptr);  // refused before cutting anything
    EXPECT_EQ(Fl_FileSize(writer), 16);
    Fl_Close(writer);
    void *again = open(FL_READ);
    EXPECT_NE(again, nullptr);
    Fl_Close(again);
}

TEST(FlString, RecordLayoutIsByteExact) {
    Scratch scratch;
    void *file = scratch.open("strings.bin", FL_CREATE, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(Fl_Write(file, u16(u"abc")), 6u);
    EXPECT_EQ(Fl_Write(file, u16(u"")), 0u);
    EXPECT_EQ(Fl_Write(file, u16(u"日本")), 4u);
    EXPECT_EQ(Fl_Close(file), 1);
    EXPECT_EQ(scratch.read("strings.bin"), std::string("\x03\0\0\0a\0b\0c\0"
                                                       "\0\0\0\0"
                                                       "\x02\0\0\0\xE5\x65\x2C\x67",
                                                       22));

    file = scratch.open("strings.bin", FL_READ, 0);
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
    // A count of 3 units with only 2 bytes behind it, then a huge count.
    scratch.write("damaged.bin", std::string("\x03\0\0\0a\0", 6));
    void *file = scratch.open("damaged.bin", FL_READ, 0);
    unsigned short text[8] = {};
    EXPECT_EQ(Fl_Read(file, text), FL_FAILED);
    EXPECT_EQ(test::str16(text), u"a");  // still terminated
    Fl_Close(file);

    scratch.write("damaged.bin", "\xFF\xFF\xFF\x7F");
    file = scratch.open("damaged.bin", FL_READ, 0);
    text[0] = 'k';
    EXPECT_EQ(Fl_Read(file, text), FL_FAILED);
    EXPECT_EQ(text[0], 'k');
    Fl_Close(file);
}

TEST(FlSeek, PositionsSizesAndSentinels) {
    Scratch scratch;
    scratch.file("seek.bin", 64);
    void *file = scratch.open("seek.bin", FL_UPDATE, 0);
    ASSERT_NE(file, nullptr);
    MessageBoxCapture capture;
    EXPECT_EQ(Fl_Seek(file, 10, FILE_BEGIN), 10);
    EXPECT_EQ(Fl_Seek(file, 0, FILE_CURRENT), 10);
    char byte = 0;
    EXPECT_EQ(Fl_Read(file, &byte, 1), 1u);
    EXPECT_EQ(byte, test::pattern(64)[10]);
    EXPECT_EQ(Fl_Seek(file, -4, FILE_END), 60);
    EXPECT_EQ(Fl_Seek(file, -100, FILE_CURRENT), -1);  // before the start
    EXPECT_EQ(Fl_Seek(file, 0, FILE_CURRENT), 60);
    // Past 4 GiB: the high half of the position counts.
    EXPECT_EQ(Fl_Seek(file, int64_t{5} << 32, FILE_BEGIN), int64_t{5} << 32);
    EXPECT_EQ(Fl_Seek(file, 0, FILE_END), 64);
    unsigned char rest[16];
    EXPECT_EQ(Fl_Read(file, rest, 16), 0u);  // end of file

    EXPECT_EQ(Fl_Seek(nullptr, 0, FILE_CURRENT), -1);
    EXPECT_EQ(Fl_FileSize(nullptr), -1);
    EXPECT_EQ(Fl_Read(nullptr, rest, 1), FL_FAILED);
    EXPECT_EQ(Fl_Write(nullptr, rest, 1), FL_FAILED);
    EXPECT_EQ(Fl_Read(nullptr, static_cast<unsigned short *>(nullptr)), FL_FAILED);
    EXPECT_EQ(Fl_Write(nullptr, u16(u"x")), FL_FAILED);
    EXPECT_EQ(Fl_GetFileTime(nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(Fl_SetFileTime(nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(Fl_Close(nullptr), 1);
    EXPECT_TRUE(capture.boxes().empty());  // seeking and null handles never report
    EXPECT_EQ(Fl_Close(file), 1);
}

TEST(FlTime, WriteAndAccessTimesRoundTripOnFilesAndFolders) {
    Scratch scratch;
    scratch.file("times.bin", 4);
    void *file = scratch.open("times.bin", FL_UPDATE, 0);
    ASSERT_NE(file, nullptr);
    // 2001-02-03 04:05:06.7 and a day later, in 100-ns units since 1601.
    const uint64_t written = 126257643067000000ull, accessed = written + 864000000000ull;
    const FILETIME write_time{static_cast<DWORD>(written), static_cast<DWORD>(written >> 32)};
    const FILETIME access_time{static_cast<DWORD>(accessed), static_cast<DWORD>(accessed >> 32)};
    EXPECT_EQ(Fl_SetFileTime(file, nullptr, &access_time, &write_time), 1);
    FILETIME created{}, read_access{}, read_write{};
    EXPECT_EQ(Fl_GetFileTime(file, &created, &read_access, &read_write), 1);
    EXPECT_EQ(read_write.dwLowDateTime, write_time.dwLowDateTime);
    EXPECT_EQ(read_write.dwHighDateTime, write_time.dwHighDateTime);
    EXPECT_EQ(read_access.dwHighDateTime, access_time.dwHighDateTime);
    EXPECT_NE(created.dwHighDateTime, 0u);
    {  // Refused: a time past the largest file time, and (Windows, not Wine 8)
       // any time through a handle without write access.
        MessageBoxCapture capture;
        const FILETIME past_largest{0, 0x80000000u};
        EXPECT_EQ(Fl_SetFileTime(file, nullptr, nullptr, &past_largest), 0);
        EXPECT_EQ(Fl_Close(file), 1);
        if (!test::under_wine()) {
            void *reader = scratch.open("times.bin", FL_READ, 0);
            EXPECT_EQ(Fl_SetFileTime(reader, nullptr, &access_time, &write_time), 0);
            EXPECT_EQ(Fl_Close(reader), 1);
            ASSERT_EQ(capture.boxes().size(), 2u);
            EXPECT_EQ(capture.boxes()[1].text.substr(0, 9), u"[Error:5]");
        }
        EXPECT_EQ(capture.boxes().at(0).text.substr(0, 10), u"[Error:87]");
    }

    std::u16string folder = scratch.path();
    folder.pop_back();  // no trailing backslash
    void *handle = Fl_Open(u16(folder), FL_FOLDER, 0);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(Fl_GetFileTime(handle, nullptr, nullptr, &read_write), 1);
    EXPECT_NE(read_write.dwHighDateTime, 0u);
    EXPECT_EQ(Fl_Close(handle), 1);
    EXPECT_EQ(Fl_Open(u16(folder), FL_READ, 0), nullptr);  // folders need mode 4
}

}  // namespace
