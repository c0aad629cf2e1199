// The library's own database engine: an in-process COM object offering the
// engine interfaces of <quorvel/dao.h> over SQLite. The methods the
// database functions call work; every other slot answers E_NOTIMPL. Each
// failure sets the thread's error information (a description and the
// failing object's name as source) and answers an HRESULT of
// FACILITY_CONTROL carrying the engine's error number (3024 for a file not
// found, 3265 for an item not in a collection, ...), as the engine that
// hosts expect does.
#pragma once

#include <quorvel/dao.h>

namespace dbengine {

// OpenRecordset's types and options, as the engine numbers them.
constexpr LONG kOpenTable = 1, kOpenDynaset = 2, kOpenSnapshot = 4, kOpenForwardOnly = 8;
constexpr LONG kDenyWriteOption = 1, kReadOnlyOption = 4, kForwardOnlyOption = 256;

// A new engine object with one reference.
HRESULT create_engine(_DBEngine **engine);

}  // namespace dbengine
