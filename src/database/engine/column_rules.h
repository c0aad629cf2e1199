// The rules a write to a column obeys, whichever way it comes (SQL or the
// column writers): kept in the file as triggers of each table, so that
// the store refuses what the engine refuses, with its errors: 3349 for a
// number out of the column's range, 3421 for a text that is no number (or
// no date), 3163 for a text longer than TEXT(n). A text written to a
// DATETIME column is kept as the date it names.
#pragma once

#include "database/engine/store.h"

namespace dbengine {

// Brings every table's rules in line with its columns, after a statement
// that may have made or changed a table.
HRESULT refresh_column_rules(const StorePtr &store, const char *source);

// Drops every table's rules, before a statement that changes columns.
HRESULT drop_column_rules(const StorePtr &store, const char *source);

}  // namespace dbengine
