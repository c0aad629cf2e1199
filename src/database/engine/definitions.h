// Table and query definitions.
#pragma once

#include "database/engine/object.h"
#include "database/engine/store.h"

namespace dbengine {

// The SQL text of a stored query, false when there is none of that name.
bool stored_query(const StorePtr &store, const std::u16string &name, std::u16string *sql);
TableDefs *new_table_defs(const StorePtr &store);
_QueryDef *new_query_def(const StorePtr &store, const std::u16string &sql);

}  // namespace dbengine
