// The engine's error table and the texts its objects hand out.
#include "database/engine/errors.h"

#include "platform/ascii.h"

namespace dbengine {
namespace {

struct Entry {
    HRESULT code;
    const char *text;
};

constexpr HRESULT n(int number) { return static_cast<HRESULT>(0x800A0000u | static_cast<unsigned>(number)); }

// In the order of the Error enum.
const Entry kErrors[] = {
    {n(3000), "Invalid argument."},
    {n(3000), "%1"},
    {n(3012), "Object %1 already exists."},
    {n(3020), "Update or CancelUpdate without AddNew or Edit."},
    {n(3021), "No current record."},
    {n(3022), "%1"},
    {n(3024), "Could not find file %1."},
    {n(3027), "Cannot update. Database or object is read-only."},
    {n(3031), "Not a valid password."},
    {n(3043), "%1"},
    {n(3045), "Could not use %1; file already in use."},
    {n(3065), "Cannot execute a select query."},
    {n(3078), "The database engine cannot find the input table or query %1."},
    {n(3078), "Not a query that returns records: %1."},
    {n(3131), "Syntax error (%1) in %2."},
    {n(3131), "Invalid SQL statement: %1."},
    {n(3142), "Characters found after end of SQL statement."},
    {n(3163), "The field is too small to accept the amount of data you attempted to add."},
    {n(3167), "Record is deleted."},
    {n(3204), "Database already exists."},
    {n(3219), "Invalid operation."},
    {n(3251), "Operation is not supported for this type of object."},
    {n(3260), "%1"},
    {n(3265), "Item not found in this collection."},
    {n(3343), "Unrecognized database format %1."},
    {n(3349), "Numeric field overflow."},
    {n(3360), "Query is too complex."},
    {n(3420), "Object invalid or no longer set."},
    {n(3421), "Data type conversion error."},
    {E_OUTOFMEMORY, "Out of memory."},
    {E_OUTOFMEMORY, "%1"},
    {E_NOTIMPL, "This operation is not offered by this engine."},
};
static_assert(sizeof kErrors / sizeof kErrors[0] == kNotImplemented + 1, "one text per error");

}  // namespace

HRESULT describe(HRESULT code, const std::u16string &description, const char *source);

HRESULT fail(Error error, const char *source, const std::u16string &first, const std::u16string &second) {
    const Entry &entry = kErrors[error];
    std::u16string description;
    for (const char *p = entry.text; *p; ++p) {
        if (p[0] == '%' && (p[1] == '1' || p[1] == '2')) {
            description += *++p == '1' ? first : second;
        } else {
            description += static_cast<unsigned char>(*p);
        }
    }
    return describe(entry.code, description, source);
}

HRESULT fail_number(int number, const std::u16string &description, const char *source) {
    return describe(error_code(number), description, source);
}

HRESULT describe(HRESULT code, const std::u16string &description, const char *source) {
    ICreateErrorInfo *create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        std::u16string from = u(source);
        create->SetDescription(as_wide(const_cast<char16_t *>(description.c_str())));
        create->SetSource(as_wide(&from[0]));
        IErrorInfo *info = nullptr;
        if (SUCCEEDED(create->QueryInterface(__uuidof(IErrorInfo), reinterpret_cast<void **>(&info)))) {
            SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    }
    return code;
}

Error error_of_text(const std::u16string &text, Error otherwise) {
    for (size_t i = 0; i < sizeof kErrors / sizeof kErrors[0]; ++i)
        if (text == u(kErrors[i].text)) return static_cast<Error>(i);
    return otherwise;
}

std::u16string u(const char *text) {
    std::u16string out;
    while (*text) out += static_cast<unsigned char>(*text++);
    return out;
}

std::u16string from_bstr(BSTR text) {
    return text ? std::u16string(as_u16(text), SysStringLen(text))
                : std::u16string();
}

BSTR to_bstr(const std::u16string &text) {
    return SysAllocStringLen(as_wide(text.data()),
                             static_cast<UINT>(text.size()));
}

bool equal_names(const std::u16string &a, const std::u16string &b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (platform::ascii_upper(a[i]) != platform::ascii_upper(b[i])) return false;
    }
    return true;
}

std::u16string identifier(const std::u16string &name) {
    std::u16string out = u"\"";
    for (char16_t c : name) {
        out += c;
        if (c == '"') out += c;
    }
    return out + u"\"";
}

}  // namespace dbengine
