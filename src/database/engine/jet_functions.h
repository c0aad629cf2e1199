// What SQLite needs to answer as the Access engine does: its text
// comparison (case-insensitive), its LIKE wildcards, its operators where
// they differ from SQLite's, and its built-in functions.
#pragma once

struct sqlite3;
struct sqlite3_value;

namespace dbengine {

// Registers the collation, LIKE, the operator functions that the SQL
// translation writes (jet_add, jet_concat, ...) and the functions.
int register_jet_functions(sqlite3 *db);

// The name of the case-insensitive collation of text columns.
constexpr const char *kJetCollation = "JETTEXT";

// A value that is a date carries this subtype (dates are stored as OLE
// date numbers), so that a result column of dates reads as dates.
constexpr unsigned kDateSubtype = 'D';

}  // namespace dbengine
