// A writer killed with SIGKILL in the middle of its inserts: the file
// opens, with every committed batch and nothing of the one in progress.
#include <quorvel/database.h>

#include "support/message_box_capture.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

using test::u16;

constexpr int kBatch = 100;

// Inserts batches of kBatch rows, each in a transaction, and writes the
// number of committed rows to `report` after each commit. Never returns.
[[noreturn]] void write_batches(const std::u16string &path, int report) {
    DatabasePtr db = Mdb_OpenDatabase(u16(path), nullptr);
    for (int row = 0;;) {
        Mdb_ExecSql(db, u16(u"BEGIN TRANSACTION"));
        for (int i = 0; i < kBatch; ++i, ++row) {
            const std::string text = std::to_string(row) + ", 'row'";
            const std::u16string values(text.begin(), text.end());
            Mdb_Insert(db, u16(u"T"), u16(values));
        }
        Mdb_ExecSql(db, u16(u"COMMIT"));
        if (write(report, &row, sizeof row) != sizeof row) _exit(1);
    }
}

TEST(DatabaseDurability, KilledWriterLosesNoCommittedRow) {
    test::Scratch scratch;
    const std::u16string path = scratch.path("killed.mdb");
    DatabasePtr db = Mdb_CreateDatabase(u16(path), nullptr);
    ASSERT_EQ(Mdb_CreateTable(db, u16(u"T"), u16(u"ID LONG, NAME TEXT(10)")), 0);
    Mdb_CloseDatabase(db);
    db = nullptr;

    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipe_ends[0]);
        write_batches(path, pipe_ends[1]);
    }
    close(pipe_ends[1]);
    int committed = 0;
    for (int reports = 0; reports < 5; ++reports)
        ASSERT_EQ(read(pipe_ends[0], &committed, sizeof committed), static_cast<ssize_t>(sizeof committed));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(pipe_ends[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    test::MessageBoxCapture capture;
    db = Mdb_OpenDatabase(u16(path), nullptr);
    ASSERT_TRUE(db);
    RecordsetPtr records = Mdb_Select(db, 1, u16(u"SELECT COUNT(*), MAX(ID) FROM T"));
    ASSERT_EQ(Mdb_SelectCount(records), 1);
    unsigned short *count = Mdb_GetColValue(records, LONG(0));
    ASSERT_TRUE(count);
    const std::u16string digits = test::str16(count);
    free(count);
    const int rows = std::stoi(std::string(digits.begin(), digits.end()));
    EXPECT_GE(rows, committed);
    EXPECT_EQ(rows % kBatch, 0) << "a batch was kept in part";
    EXPECT_TRUE(capture.boxes().empty());
    Mdb_CloseDatabase(db);
    records = nullptr;
    db = nullptr;
    EXPECT_EQ(scratch.tree(), std::set<std::string>{"killed.mdb"});
}

}  // namespace
