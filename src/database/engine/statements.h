// Statements the engine carries out itself, in steps SQLite's own do not
// take: SELECT ... INTO with the columns' types, ALTER TABLE ... ALTER
// COLUMN, and the view through which statements select from a stored query.
#pragma once

#include "database/engine/store.h"

namespace dbengine {

// A statement asks for its parameters (PARAMETERS, or names the engine does
// not know); nothing here gives them, so any is error 3061.
HRESULT check_parameters(sqlite3_stmt *statement, const char *source);
// Runs `jet` when it is one of those statements (`done` then true); refuses
// a table that would take a stored query's name (3010).
HRESULT run_own_statement(const StorePtr &store, const std::u16string &jet, bool *done, const char *source);
// A stored SELECT as a view of its name; one that asks for parameters
// cannot be one, and opens only by its name.
void add_view(const StorePtr &store, const std::u16string &name, const std::u16string &jet);

}  // namespace dbengine
