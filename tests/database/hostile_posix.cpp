// The memory a dynaset takes while it walks a table of 10^6 rows (of the
// hostile file, see hostile_test.cpp), read from /proc: POSIX only.
#include <quorvel/database.h>

#include "support/bytes.h"
#include "support/data_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

// The sanitizers hold freed memory back (quarantine, shadow): no bound there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

long resident_kib() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

TEST(DatabaseHostile, MemoryStaysWithTheRowsVisited) {
    const std::u16string path = u"Z:" + std::filesystem::path(QUORVEL_TEST_BUILD_DATA "/hostile.mdb").u16string();
    DatabasePtr db = Mdb_OpenDatabase(test::u16(path), 1, nullptr);  // read-only: the file is shared
    const long before = resident_kib();
    RecordsetPtr records = Mdb_Select(db, 0, test::u16(u"Big"));
    ASSERT_EQ(Mdb_SelectCount(records), 1000000);
    for (LONG row = 0; row < 1000000; ++row, Mdb_RecordNext(records)) std::free(Mdb_GetColValue(records, LONG(0)));
    if (!kSanitized) EXPECT_LT(resident_kib() - before, 16 * 1024);
}

}  // namespace
