// The engine's errors: each one a number (or an HRESULT) and its text, in
// one table, and the helper that sets the thread's error information and
// answers the failure as an HRESULT of FACILITY_CONTROL.
#pragma once

#include "platform/win32.h"

#include <string>

namespace dbengine {

enum Error {
    kInvalidArgument,     // 3000
    kReserved,            // 3000, with a message of the store
    kObjectExists,        // 3012
    kUpdateWithoutEdit,   // 3020
    kNoCurrentRecord,     // 3021
    kDuplicate,           // 3022
    kFileNotFound,        // 3024
    kReadOnly,            // 3027
    kBadPassword,         // 3031
    kDiskError,           // 3043
    kInUse,               // 3045
    kNoSelect,            // 3065
    kNoInput,             // 3078
    kNotRecords,          // 3078, a statement that returns none
    kSyntax,              // 3131
    kInvalidSql,          // 3131, no statement at all
    kTrailing,            // 3142
    kFieldTooSmall,       // 3163
    kDeleted,             // 3167
    kExists,              // 3204
    kInvalidOperation,    // 3219
    kUnsupported,         // 3251
    kLocked,              // 3260
    kNotInCollection,     // 3265
    kBadFormat,           // 3343
    kOverflow,            // 3349
    kTooComplex,          // 3360, a statement past the work one call may do
    kClosed,              // 3420
    kConversion,          // 3421
    kOutOfMemory,         // E_OUTOFMEMORY
    kStoreOutOfMemory,    // E_OUTOFMEMORY, with a message of the store
    kNotImplemented,      // E_NOTIMPL
};

// Sets the thread's error information and answers the error's HRESULT. The
// text's %1 and %2 take `first` and `second`.
HRESULT fail(Error error, const char *source, const std::u16string &first = {},
             const std::u16string &second = {});

// The same for an error the engine numbers itself, with its own text.
HRESULT fail_number(int number, const std::u16string &description, const char *source);
// The error whose fixed text is `text` (a rule of the store raised it), or
// `otherwise`.
Error error_of_text(const std::u16string &text, Error otherwise);

// The HRESULT of an engine error number.
inline HRESULT error_code(int number) {
    return static_cast<HRESULT>(0x800A0000u | static_cast<unsigned>(number));
}

// Texts: ASCII to UTF-16, BSTRs, and names as the engine quotes them.
std::u16string u(const char *text);
std::u16string from_bstr(BSTR text);
BSTR to_bstr(const std::u16string &text);
inline std::u16string quoted(const std::u16string &name) { return u"'" + name + u"'"; }
// Names compare as the engine's do: ASCII letters without case.
bool equal_names(const std::u16string &a, const std::u16string &b);
// A name as an SQLite identifier.
std::u16string identifier(const std::u16string &name);

}  // namespace dbengine
