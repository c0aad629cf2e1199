// Rows inserted one statement after another, as hosts write them with
// Mdb_Insert: an INSERT ... VALUES of literals alone is prepared once per
// connection with its literals as parameters, so SQLite compiles it (and
// the column rules' triggers it fires) once, not for every row.
#pragma once

#include "database/engine/store.h"

namespace dbengine {

// The statements are found by the engine's own text with its literals
// taken out, so a row costs no translation either.
//
// Runs `jet` (a statement of the engine's dialect) that way; false, and
// nothing done, when it is no such INSERT or does not prepare: the caller
// then runs it as any other statement.
bool run_cached_insert(const StorePtr &store, const std::u16string &jet, HRESULT *hr, const char *source);

}  // namespace dbengine
