// 100,000 rows through Mdb_Insert in one transaction, read back with
// Mdb_SelectCount, Mdb_GetColValue and Mdb_RecordNext, without and with a
// password (an encrypted file), beside the sqlite3 shell doing the same on
// a plain file (one transaction of the same INSERT statements, then a
// SELECT of every row into /dev/null) and beside SQLite called directly.
// Then the peak resident size of a process that only reads a file back,
// for two row counts: it should not grow with them.
//
// The numbers measured are in the README.
#include <quorvel/database.h>

#include "peer_ratio.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kRows = 100000;

fs::path folder() { return fs::temp_directory_path() / "quorvel-bench-database"; }

const unsigned short *u16(const std::u16string &text) {
    return reinterpret_cast<const unsigned short *>(text.c_str());
}

std::u16string library_path(const fs::path &path) { return u"Z:" + path.u16string(); }

std::string values(int row) {
    return std::to_string(row) + ", 'name " + std::to_string(row) + "', " + std::to_string(row * 0.5);
}

// The values of each row, written before timing starts (as the shell's
// script is).
std::vector<std::u16string> row_values(int rows) {
    std::vector<std::u16string> out;
    for (int row = 0; row < rows; ++row) {
        const std::string text = values(row);
        out.emplace_back(text.begin(), text.end());
    }
    return out;
}

// A table T of those rows, inserted in one transaction.
void fill(DatabasePtr &db, const std::vector<std::u16string> &rows) {
    Mdb_CreateTable(db, u16(u"T"), u16(u"ID LONG, NAME TEXT(50), V DOUBLE"));
    Mdb_ExecSql(db, u16(u"BEGIN TRANSACTION"));
    for (const std::u16string &row : rows) Mdb_Insert(db, u16(u"T"), u16(row));
    Mdb_ExecSql(db, u16(u"COMMIT"));
}

// Every value of T read as text, as hosts walk a selection; gives the count.
LONG read_back(DatabasePtr &db) {
    RecordsetPtr records = Mdb_Select(db, 1, u16(u"T"));
    const LONG count = Mdb_SelectCount(records);
    for (LONG row = 0; row < count; ++row, Mdb_RecordNext(records))
        for (LONG column = 0; column < 3; ++column) std::free(Mdb_GetColValue(records, column));
    Mdb_SelectClose(records);
    return count;
}

// Times `work` (false: it failed) by the CPU time of this process or of
// its children (`who`), once per iteration.
template <class Work> void timed(benchmark::State &state, int who, Work work) {
    for (auto _ : state) {
        const double start = bench::cpu_seconds(who);
        const bool done = work();
        state.SetIterationTime(bench::cpu_seconds(who) - start);
        if (!done) state.SkipWithError("failed or rows lost");
    }
}

void BM_MdbInsertAndRead(benchmark::State &state) {
    fs::create_directories(folder());
    const std::u16string password = state.range(0) ? u"bench password" : u"";
    const std::vector<std::u16string> rows = row_values(kRows);
    timed(state, RUSAGE_SELF, [&] {
        fs::remove(folder() / "ours.mdb");
        DatabasePtr db = Mdb_CreateDatabase(u16(library_path(folder() / "ours.mdb")), u16(password));
        fill(db, rows);
        const LONG count = read_back(db);
        Mdb_CloseDatabase(db);
        return count == kRows;
    });
}

// The read-back alone, of a file made before timing starts.
void BM_MdbReadBack(benchmark::State &state) {
    fs::create_directories(folder());
    fs::remove(folder() / "read.mdb");
    DatabasePtr db = Mdb_CreateDatabase(u16(library_path(folder() / "read.mdb")), nullptr);
    fill(db, row_values(kRows));
    timed(state, RUSAGE_SELF, [&] { return read_back(db) == kRows; });
    Mdb_CloseDatabase(db);
}

// SQLite called directly: the same rows bound to one prepared INSERT in one
// transaction, then every value read back as UTF-16 text.
void BM_SqliteDirect(benchmark::State &state) {
    fs::create_directories(folder());
    std::vector<std::string> names;
    for (int row = 0; row < kRows; ++row) names.push_back("name " + std::to_string(row));
    timed(state, RUSAGE_SELF, [&] {
        fs::remove(folder() / "direct.db");
        sqlite3 *db = nullptr;
        sqlite3_open((folder() / "direct.db").c_str(), &db);
        sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=EXTRA;"
                         "CREATE TABLE T (ID INTEGER, NAME TEXT, V REAL); BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO T VALUES(?, ?, ?)", -1, &insert, nullptr);
        for (int row = 0; row < kRows; ++row) {
            sqlite3_bind_int(insert, 1, row);
            sqlite3_bind_text(insert, 2, names[static_cast<size_t>(row)].c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(insert, 3, row * 0.5);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_stmt *select = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM T", -1, &select, nullptr);
        int count = 0;
        for (; sqlite3_step(select) == SQLITE_ROW; ++count)
            for (int column = 0; column < 3; ++column) benchmark::DoNotOptimize(sqlite3_column_text16(select, column));
        sqlite3_finalize(select);
        sqlite3_close(db);
        return count == kRows;
    });
}

void BM_Sqlite3Shell(benchmark::State &state) {
    fs::create_directories(folder());
    const fs::path script = folder() / "script.sql";
    {
        std::ofstream out(script);
        out << "PRAGMA journal_mode=DELETE;\nPRAGMA synchronous=EXTRA;\n"
               "CREATE TABLE T (ID INTEGER, NAME TEXT, V REAL);\nBEGIN;\n";
        for (int row = 0; row < kRows; ++row) out << "INSERT INTO T VALUES(" << values(row) << ");\n";
        out << "COMMIT;\nSELECT * FROM T;\n";
    }
    const fs::path db = folder() / "peer.db";
    const std::string command = "sqlite3 '" + db.string() + "' < '" + script.string() + "' > /dev/null";
    timed(state, RUSAGE_CHILDREN, [&] {
        fs::remove(db);
        return std::system(command.c_str()) == 0;
    });
}

// The shell reading back the file BM_Sqlite3Shell left.
void BM_Sqlite3ShellReadBack(benchmark::State &state) {
    const std::string command = "sqlite3 '" + (folder() / "peer.db").string() + "' 'SELECT * FROM T' > /dev/null";
    timed(state, RUSAGE_CHILDREN, [&] { return std::system(command.c_str()) == 0; });
}

// A process of its own (this program again, see main) reads back a file of
// state.range(0) rows and tells its peak resident size (VmHWM: a size the
// process reached after its exec, not the parent's it was forked from).
void BM_ReadBackPeakMemory(benchmark::State &state) {
    fs::create_directories(folder());
    const fs::path file = folder() / ("peak" + std::to_string(state.range(0)) + ".mdb");
    fs::remove(file);
    {
        DatabasePtr db = Mdb_CreateDatabase(u16(library_path(file)), nullptr);
        fill(db, row_values(static_cast<int>(state.range(0))));
        Mdb_CloseDatabase(db);
    }
    const std::string command = fs::read_symlink("/proc/self/exe").string() + " --read-back '" + file.string() + "'";
    long peak_kib = 0;
    timed(state, RUSAGE_CHILDREN, [&] {
        FILE *child = popen(command.c_str(), "r");
        const bool read = child && std::fscanf(child, "%ld", &peak_kib) == 1;
        return child && pclose(child) == 0 && read;
    });
    state.counters["peak_MiB"] = peak_kib / 1024.0;
}

BENCHMARK(BM_MdbInsertAndRead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Sqlite3Shell)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_MdbReadBack)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Sqlite3ShellReadBack)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_SqliteDirect)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ReadBackPeakMemory)->Arg(kRows)->Arg(4 * kRows)->Unit(benchmark::kMillisecond)->UseManualTime()
    ->Iterations(1);

struct RemoveFolder {
    ~RemoveFolder() {
        std::error_code ignored;
        fs::remove_all(folder(), ignored);
    }
};

}  // namespace

int main(int argc, char **argv) {
    // The read-back of BM_ReadBackPeakMemory, in a process of its own.
    if (argc == 3 && std::string(argv[1]) == "--read-back") {
        DatabasePtr db = Mdb_OpenDatabase(u16(library_path(argv[2])), 1, nullptr);
        const LONG count = read_back(db);
        Mdb_CloseDatabase(db);
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmHWM:", 0) == 0) std::printf("%ld\n", std::stol(line.substr(6)));
        return count > 0 ? 0 : 1;
    }
    RemoveFolder remove_folder;
    return bench::run_against_peer(argc, argv, "sqlite3",
                                   {{"insert and read back", "BM_MdbInsertAndRead/0", "BM_Sqlite3Shell"},
                                    {"the same, encrypted", "BM_MdbInsertAndRead/1", "BM_Sqlite3Shell"},
                                    {"read back alone", "BM_MdbReadBack", "BM_Sqlite3ShellReadBack"},
                                    {"SQLite called directly", "BM_MdbInsertAndRead/0", "BM_SqliteDirect"}},
                                   bench::Clock::Manual);
}
