// The engine's SQL dialect, row by row from tests/data/database/dialect.tsv
// (its header says how a row is written). Statements go through the
// database's own interface, so a failure gives the engine's error number;
// values are read as hosts read them, with Mdb_GetColValue.
#include <quorvel/database.h>

#include "support/data_paths.h"
#include "support/bytes.h"
#include "support/message_box_capture.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace {

using test::str16;
using test::u16;

std::string utf8(const std::u16string &text) {
    std::string out(text.size() * 3, '\0');
    out.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(text.c_str()),
                                                       static_cast<int>(text.size()), &out[0],
                                                       static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

struct Bstr {
    explicit Bstr(const std::string &text) : value(SysAllocString(reinterpret_cast<const OLECHAR *>(test::utf16(text).c_str()))) {}
    ~Bstr() { SysFreeString(value); }
    BSTR value;
};

VARIANT long_variant(LONG n) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = n;
    return v;
}

// "!number" for a failure, else "ok".
std::string outcome(HRESULT hr) {
    return SUCCEEDED(hr) ? "ok" : "!" + std::to_string(hr & 0xFFFF);
}

// The rows of a recordset ("a|b;c|d", "(none)"), or its column names.
std::string rows(Recordset *opened, bool names) {
    RecordsetPtr records(opened, false);
    std::string out;
    const LONG count = Mdb_SelectCount(records);
    const LONG columns = [&] {
        LONG n = 0;
        for (unsigned short *name; (name = Mdb_GetColName(records, n)); ++n) std::free(name);
        return n;
    }();
    for (LONG row = 0; row < (names ? 1 : count); ++row, Mdb_RecordNext(records)) {
        if (row) out += ";";
        for (LONG column = 0; column < columns; ++column) {
            unsigned short *value = names ? Mdb_GetColName(records, column) : Mdb_GetColValue(records, column);
            out += (column ? "|" : "") + (value ? utf8(str16(value)) : std::string("(null)"));
            std::free(value);
        }
    }
    return count <= 0 && !names ? "(none)" : out;
}

TEST(Dialect, Corpus) {
    std::ifstream corpus(QUORVEL_TEST_DATA "/database/dialect.tsv", std::ios::binary);
    ASSERT_TRUE(corpus);
    test::MessageBoxCapture capture;  // the reported failures, expected or not
    std::unique_ptr<test::Scratch> scratch;
    DatabasePtr db;
    int checked = 0, known = 0, line_number = 0;
    for (std::string line; std::getline(corpus, line);) {
        ++line_number;
        if (line.rfind("## ", 0) == 0 || !db) {  // a fresh database
            if (db) Mdb_CloseDatabase(db);
            scratch = std::make_unique<test::Scratch>();
            db = Mdb_CreateDatabase(u16(scratch->path("dialect.mdb")), nullptr);
            ASSERT_TRUE(db);
        }
        if (line.empty() || line[0] == '#') continue;
        const size_t tab = line.find('\t'), note = line.find('\t', tab + 1);
        ASSERT_NE(tab, std::string::npos) << "line " << line_number;
        const std::string statement = line.substr(0, tab);
        std::string want = line.substr(tab + 1, note == std::string::npos ? note : note - tab - 1);
        const std::string mark = note == std::string::npos ? "" : line.substr(note + 1);
        const bool todo = mark == "todo";
        if (mark == "wine" && test::under_wine()) want = test::wine_short_date(want);
        std::string got;
        if (statement.rfind("QUERY ", 0) == 0) {  // QUERY name AS text: a stored query
            const size_t as = statement.find(" AS ");
            Bstr name(statement.substr(6, as - 6)), text(statement.substr(as + 4));
            VARIANT n, t;
            VariantInit(&n), VariantInit(&t);
            n.vt = t.vt = VT_BSTR;
            n.bstrVal = name.value, t.bstrVal = text.value;
            _QueryDef *query = nullptr;
            got = outcome(db->CreateQueryDef(n, t, &query));
            if (query) query->Release();
        } else if (want == "ok" || (want[0] == '!' && statement.rfind("SELECT ", 0) != 0 &&
                                    statement.rfind("PARAMETERS ", 0) != 0)) {
            got = outcome(db->Execute(Bstr(statement).value, long_variant(0)));
        } else {
            Recordset *opened = nullptr;
            const HRESULT hr = db->OpenRecordset(Bstr(statement).value, long_variant(4), long_variant(4),
                                                 long_variant(0), &opened);
            got = FAILED(hr) ? outcome(hr) : (want.rfind("names: ", 0) == 0 ? "names: " : "") +
                                                 rows(opened, want.rfind("names: ", 0) == 0);
        }
        // A known difference from the engine's answer is marked "todo" and
        // must stay different, so that its mark goes when it is mended.
        if (todo) {
            EXPECT_NE(got, want) << "line " << line_number << " (marked todo) now gives Jet's answer: " << statement;
            ++known;
        } else {
            EXPECT_EQ(got, want) << "line " << line_number << ": " << statement;
            ++checked;
        }
    }
    Mdb_CloseDatabase(db);
    EXPECT_GE(checked + known, 200);
    std::printf("%d rows checked, %d known differences\n", checked, known);
}

}  // namespace
