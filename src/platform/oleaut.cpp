// OLE Automation for the database interface: BSTRs, VARIANTs and their
// conversions to text, one-dimensional safe arrays, and COM object creation
// (which finds no registered class on this platform).
#include "platform/win32.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

// A BSTR's block: the byte count, then the text and a zero unit.
struct BstrBlock {
    uint32_t bytes;
    OLECHAR text[1];
};

ULONG element_size(VARTYPE type) {
    switch (type) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_R4: case VT_INT: case VT_UINT: case VT_ERROR: return 4;
    case VT_I8: case VT_UI8: case VT_R8: case VT_CY: case VT_DATE: return 8;
    default: return 0;
    }
}

BSTR bstr_from_ascii(const std::string &text) {
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(text.size()));
    if (!result) return nullptr;
    for (size_t i = 0; i < text.size(); ++i) result[i] = static_cast<unsigned char>(text[i]);
    return result;
}

// 15 significant digits for a double, 7 for a float, as the system writes
// them: printf's %.*G, which to_chars gives at a fraction of its cost.
std::string double_text(double value, int digits = 15) {
    char buffer[64];
    const char *end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits).ptr;
    std::string text(static_cast<const char *>(buffer), end);
    for (char &c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// OLE dates count days from 1899-12-30; the fraction is the time of day
// (for negative dates, the fraction counts forward from the whole day).
std::string date_text(DATE date) {
    if (!std::isfinite(date) || date < -657434.0 || date > 2958466.0) return {};
    double whole = std::trunc(date);
    long long seconds = std::llround(std::fabs(date - whole) * 86400.0);
    long long days = static_cast<long long>(whole) - 25569;  // to 1970-01-01
    if (seconds >= 86400) {
        seconds -= 86400;
        days += date < 0 ? -1 : 1;
    }
    std::time_t at = static_cast<std::time_t>(days * 86400 + seconds);
    std::tm fields{};
    gmtime_r(&at, &fields);
    char buffer[64];
    // A time without a date (day 0) is written alone.
    int length = whole == 0 && seconds ? 0
                                       : std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d",
                                                       fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday);
    if (seconds)
        std::snprintf(buffer + length, sizeof buffer - length, &" %d:%02d:%02d"[length ? 0 : 1], fields.tm_hour,
                      fields.tm_min, fields.tm_sec);
    return buffer;
}

// A date as the Japanese short format writes it (2024/01/15, 2024/1/15,
// 2024-01-15), then an optional H:MM[:SS]; or a time alone (day 0).
bool parse_date(const std::string &text, DATE *date) {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0, used = 0;
    const char *p = text.c_str();
    char separator = 0;
    if (std::sscanf(p, " %d%c%d%*[/-]%d%n", &year, &separator, &month, &day, &used) == 4 &&
        (separator == '/' || separator == '-')) {
        p += used;
    } else {
        year = 1899, month = 12, day = 30;
    }
    if (std::sscanf(p, " %d:%d%n", &hour, &minute, &used) == 2) {
        p += used;
        if (std::sscanf(p, ":%d%n", &second, &used) == 1) p += used;
    } else if (p == text.c_str()) {
        return false;
    }
    while (*p == ' ') ++p;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (*p || year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > kDays[month - 1] + (month == 2 && leap) || hour > 23 || minute > 59 || second > 59 || hour < 0 ||
        minute < 0 || second < 0)
        return false;
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    const long long days = static_cast<long long>(timegm(&fields)) / 86400 + 25569;
    const double time = (hour * 3600 + minute * 60 + second) / 86400.0;
    *date = static_cast<double>(days) + (days < 0 ? -time : time);
    return true;
}

// A decimal text as currency units (1/10000), exactly; rounds half to even.
bool parse_currency(const std::string &text, LONGLONG *units) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) return false;
    const bool negative = text[i] == '-';
    if (text[i] == '-' || text[i] == '+') ++i;
    unsigned __int128 value = 0;
    int decimals = -1, digits = 0, rest = -1;
    bool more = false;
    for (; i < text.size() && text[i] != ' '; ++i) {
        const char c = text[i];
        if (c == '.' && decimals < 0) {
            decimals = 0;
        } else if (c >= '0' && c <= '9') {
            ++digits;
            if (decimals >= 4) {
                if (rest < 0) rest = c - '0'; else more = more || c != '0';
                continue;
            }
            value = value * 10 + static_cast<unsigned>(c - '0');
            if (decimals >= 0) ++decimals;
            if (value > (static_cast<unsigned __int128>(1) << 64)) return false;
        } else {
            return false;
        }
    }
    if (!digits || text.find_first_not_of(' ', i) != std::string::npos) return false;
    for (int d = decimals < 0 ? 0 : decimals; d < 4; ++d) value *= 10;
    if (rest > 5 || (rest == 5 && (more || value % 2))) ++value;
    const unsigned __int128 limit = static_cast<unsigned __int128>(INT64_MAX) + (negative ? 1 : 0);
    if (value > limit) return false;
    *units = negative ? static_cast<LONGLONG>(0 - static_cast<unsigned long long>(value))
                      : static_cast<LONGLONG>(value);
    return true;
}

std::string ascii_of(BSTR text, bool *ok) {
    std::string out;
    *ok = true;
    for (UINT i = 0, n = SysStringLen(text); i < n; ++i) {
        if (text[i] > 0x7F) *ok = false;
        out += static_cast<char>(text[i]);
    }
    return out;
}

std::string currency_text(LONGLONG units) {
    const bool negative = units < 0;
    unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(units)
                                            : static_cast<unsigned long long>(units);
    std::string text = std::to_string(magnitude / 10000);
    unsigned fraction = static_cast<unsigned>(magnitude % 10000);
    if (fraction) {
        char digits[8];
        std::snprintf(digits, sizeof digits, ".%04u", fraction);
        std::string tail = digits;
        while (tail.back() == '0') tail.pop_back();
        text += tail;
    }
    return negative ? "-" + text : text;
}

// The value as a number, for the numeric targets.
bool as_number(const VARIANT &v, LONGLONG *whole, double *real, bool *isReal) {
    *isReal = false;
    switch (v.vt) {
    case VT_I1: *whole = v.cVal; return true;
    case VT_UI1: *whole = v.bVal; return true;
    case VT_I2: *whole = v.iVal; return true;
    case VT_UI2: *whole = v.uiVal; return true;
    case VT_I4: case VT_INT: *whole = v.lVal; return true;
    case VT_UI4: case VT_UINT: *whole = v.ulVal; return true;
    case VT_I8: *whole = v.llVal; return true;
    case VT_UI8: *whole = static_cast<LONGLONG>(v.ullVal); return v.ullVal <= INT64_MAX;
    case VT_BOOL: *whole = v.boolVal ? -1 : 0; return true;
    case VT_R4: *real = v.fltVal; *isReal = true; return true;
    case VT_R8: case VT_DATE: *real = v.dblVal; *isReal = true; return true;
    case VT_CY: *real = static_cast<double>(v.cyVal.int64) / 10000.0; *isReal = true; return true;
    case VT_BSTR: {
        std::string text;
        for (UINT i = 0, n = SysStringLen(v.bstrVal); i < n; ++i) {
            if (v.bstrVal[i] > 0x7F) return false;
            text += static_cast<char>(v.bstrVal[i]);
        }
        char *end = nullptr;
        errno = 0;
        *real = std::strtod(text.c_str(), &end);
        if (text.empty() || *end || errno) return false;
        *isReal = true;
        return true;
    }
    default: return false;
    }
}

}  // namespace

BSTR quorvel_win32::SysAllocStringLen(const OLECHAR *text, UINT length) {
    if (length > (0x7FFFFFFFu - sizeof(BstrBlock)) / sizeof(OLECHAR)) return nullptr;
    auto *block = static_cast<BstrBlock *>(
        std::malloc(offsetof(BstrBlock, text) + (length + 1) * sizeof(OLECHAR)));
    if (!block) return nullptr;
    block->bytes = length * sizeof(OLECHAR);
    if (text) std::memcpy(block->text, text, length * sizeof(OLECHAR));
    block->text[length] = 0;
    return block->text;
}

BSTR quorvel_win32::SysAllocString(const OLECHAR *text) {
    if (!text) return nullptr;
    UINT length = 0;
    while (text[length]) ++length;
    return SysAllocStringLen(text, length);
}

void quorvel_win32::SysFreeString(BSTR text) {
    if (text) std::free(reinterpret_cast<char *>(text) - offsetof(BstrBlock, text));
}

UINT quorvel_win32::SysStringByteLen(BSTR text) {
    return text ? reinterpret_cast<const BstrBlock *>(reinterpret_cast<char *>(text) -
                                                      offsetof(BstrBlock, text))->bytes
                : 0;
}

UINT quorvel_win32::SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

void quorvel_win32::VariantInit(VARIANT *value) {
    std::memset(value, 0, sizeof *value);
    value->vt = VT_EMPTY;
}

HRESULT quorvel_win32::VariantClear(VARIANT *value) {
    if (!value) return E_INVALIDARG;
    if (value->vt & VT_BYREF) {
        value->vt = VT_EMPTY;
        return S_OK;
    }
    if (value->vt & VT_ARRAY) {
        HRESULT hr = SafeArrayDestroy(value->parray);
        if (FAILED(hr)) return hr;
    } else if (value->vt == VT_BSTR) {
        SysFreeString(value->bstrVal);
    } else if (value->vt == VT_UNKNOWN || value->vt == VT_DISPATCH) {
        if (value->punkVal) value->punkVal->Release();
    }
    VariantInit(value);
    return S_OK;
}

HRESULT quorvel_win32::VariantCopy(VARIANT *target, const VARIANT *source) {
    if (!target || !source) return E_INVALIDARG;
    if (target == source) return S_OK;
    VARIANT copy = *source;
    if (source->vt & VT_ARRAY && !(source->vt & VT_BYREF)) {
        const SAFEARRAY *from = source->parray;
        if (from) {
            copy.parray = SafeArrayCreateVector(source->vt & ~VT_ARRAY, from->rgsabound[0].lLbound,
                                                from->rgsabound[0].cElements);
            if (!copy.parray) return E_OUTOFMEMORY;
            std::memcpy(copy.parray->pvData, from->pvData,
                        size_t(from->cbElements) * from->rgsabound[0].cElements);
        }
    } else if (source->vt == VT_BSTR && source->bstrVal) {
        copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
        if (!copy.bstrVal) return E_OUTOFMEMORY;
    } else if ((source->vt == VT_UNKNOWN || source->vt == VT_DISPATCH) && source->punkVal) {
        source->punkVal->AddRef();
    }
    HRESULT hr = VariantClear(target);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *target = copy;
    return S_OK;
}

HRESULT quorvel_win32::VariantChangeType(VARIANT *target, const VARIANT *source,
                                     unsigned short flags, VARTYPE type) {
    if (!target || !source) return E_INVALIDARG;
    if (source->vt == type) return VariantCopy(target, source);
    if (source->vt == VT_NULL) return DISP_E_TYPEMISMATCH;
    VARIANT result;
    VariantInit(&result);
    result.vt = type;
    if (type == VT_BSTR) {
        std::string text;
        switch (source->vt) {
        case VT_EMPTY: break;
        case VT_BOOL:
            text = flags & VARIANT_ALPHABOOL ? (source->boolVal ? "True" : "False")
                                             : (source->boolVal ? "-1" : "0");
            break;
        case VT_ARRAY | VT_UI1: break;
        case VT_R4: text = double_text(source->fltVal, 7); break;
        case VT_R8: text = double_text(source->dblVal); break;
        case VT_CY: text = currency_text(source->cyVal.int64); break;
        case VT_DATE:
            text = date_text(source->date);
            if (text.empty()) return DISP_E_OVERFLOW;
            break;
        default: {
            LONGLONG whole;
            double real;
            bool isReal;
            if (!as_number(*source, &whole, &real, &isReal) || isReal)
                return source->vt == VT_UI8 ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH;
            text = std::to_string(whole);
        }
        }
        if (source->vt == (VT_ARRAY | VT_UI1)) {
            // The bytes themselves become the text's units.
            const SAFEARRAY *bytes = source->parray;
            const UINT count = bytes ? bytes->rgsabound[0].cElements : 0;
            result.bstrVal = SysAllocStringLen(nullptr, count / 2);
            if (result.bstrVal && count) std::memcpy(result.bstrVal, bytes->pvData, count / 2 * 2);
        } else {
            result.bstrVal = bstr_from_ascii(text);
        }
        if (!result.bstrVal) return E_OUTOFMEMORY;
    } else if (type == VT_BOOL || type == VT_DATE || type == VT_CY) {
        LONGLONG whole = 0;
        double real = 0;
        bool isReal = false, ascii = true;
        const std::string text = source->vt == VT_BSTR ? ascii_of(source->bstrVal, &ascii) : std::string();
        if (!ascii) return DISP_E_TYPEMISMATCH;
        if (type == VT_BOOL && source->vt == VT_BSTR && (text == "True" || text == "False")) {
            result.boolVal = text == "True" ? VARIANT_TRUE : VARIANT_FALSE;
        } else if (type == VT_DATE && source->vt == VT_BSTR && parse_date(text, &result.date)) {
        } else if (type == VT_CY && source->vt == VT_BSTR) {
            if (!parse_currency(text, &result.cyVal.int64)) return DISP_E_TYPEMISMATCH;
        } else if (source->vt != VT_EMPTY && !as_number(*source, &whole, &real, &isReal)) {
            return DISP_E_TYPEMISMATCH;
        } else if (type == VT_BOOL) {
            result.boolVal = (isReal ? real != 0 : whole != 0) ? VARIANT_TRUE : VARIANT_FALSE;
        } else if (type == VT_DATE) {
            result.date = isReal ? real : static_cast<double>(whole);
            if (!(result.date >= -657434.0 && result.date <= 2958465.99999999)) return DISP_E_OVERFLOW;
        } else if (source->vt == VT_CY) {
            result.cyVal = source->cyVal;
        } else {
            const double units = std::nearbyint(real * 10000);
            if (isReal ? !(units >= -9223372036854775808.0 && units < 9223372036854775808.0)
                       : __builtin_mul_overflow(whole, LONGLONG(10000), &result.cyVal.int64))
                return DISP_E_OVERFLOW;
            if (isReal) result.cyVal.int64 = static_cast<LONGLONG>(units);
        }
    } else if (type == VT_I4 || type == VT_I8 || type == VT_R8) {
        LONGLONG whole = 0;
        double real = 0;
        bool isReal;
        if (source->vt == VT_EMPTY) {
            isReal = false;
        } else if (!as_number(*source, &whole, &real, &isReal)) {
            return DISP_E_TYPEMISMATCH;
        }
        if (type == VT_R8) {
            result.dblVal = isReal ? real : static_cast<double>(whole);
        } else {
            if (isReal) {
                // Banker's rounding, as the system converts.
                if (!std::isfinite(real) || std::fabs(real) >= 9.2e18) return DISP_E_OVERFLOW;
                whole = static_cast<LONGLONG>(std::nearbyint(real));
            }
            if (type == VT_I4) {
                if (whole < INT32_MIN || whole > INT32_MAX) return DISP_E_OVERFLOW;
                result.lVal = static_cast<LONG>(whole);
            } else {
                result.llVal = whole;
            }
        }
    } else {
        return DISP_E_TYPEMISMATCH;
    }
    HRESULT hr = VariantClear(target);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    *target = result;
    return S_OK;
}

SAFEARRAY *quorvel_win32::SafeArrayCreateVector(VARTYPE type, LONG lowerBound, ULONG count) {
    const ULONG size = element_size(type);
    if (!size || count > 0x7FFFFFFFu / size) return nullptr;
    auto *array = static_cast<SAFEARRAY *>(std::calloc(1, sizeof(SAFEARRAY)));
    if (!array) return nullptr;
    array->pvData = std::calloc(count ? count : 1, size);
    if (!array->pvData) {
        std::free(array);
        return nullptr;
    }
    array->cDims = 1;
    array->cbElements = size;
    array->rgsabound[0].cElements = count;
    array->rgsabound[0].lLbound = lowerBound;
    return array;
}

SAFEARRAY *quorvel_win32::SafeArrayCreate(VARTYPE type, UINT dimensions, SAFEARRAYBOUND *bounds) {
    if (dimensions != 1 || !bounds) return nullptr;
    return SafeArrayCreateVector(type, bounds[0].lLbound, bounds[0].cElements);
}

HRESULT quorvel_win32::SafeArrayDestroy(SAFEARRAY *array) {
    if (!array) return S_OK;
    if (array->cLocks) return DISP_E_ARRAYISLOCKED;
    std::free(array->pvData);
    std::free(array);
    return S_OK;
}

namespace {
HRESULT element_at(SAFEARRAY *array, LONG *indices, void **at) {
    if (!array || !indices || array->cDims != 1) return E_INVALIDARG;
    const long long offset = static_cast<long long>(indices[0]) - array->rgsabound[0].lLbound;
    if (offset < 0 || offset >= array->rgsabound[0].cElements) return DISP_E_BADINDEX;
    *at = static_cast<char *>(array->pvData) + offset * array->cbElements;
    return S_OK;
}
}  // namespace

HRESULT quorvel_win32::SafeArrayPutElement(SAFEARRAY *array, LONG *indices, void *value) {
    void *at;
    HRESULT hr = element_at(array, indices, &at);
    if (SUCCEEDED(hr)) std::memcpy(at, value, array->cbElements);
    return hr;
}

HRESULT quorvel_win32::SafeArrayGetElement(SAFEARRAY *array, LONG *indices, void *value) {
    void *at;
    HRESULT hr = element_at(array, indices, &at);
    if (SUCCEEDED(hr)) std::memcpy(value, at, array->cbElements);
    return hr;
}

HRESULT quorvel_win32::SafeArrayGetLBound(SAFEARRAY *array, UINT dimension, LONG *bound) {
    if (!array || !bound) return E_INVALIDARG;
    if (dimension != 1) return DISP_E_BADINDEX;
    *bound = array->rgsabound[0].lLbound;
    return S_OK;
}

HRESULT quorvel_win32::SafeArrayGetUBound(SAFEARRAY *array, UINT dimension, LONG *bound) {
    if (!array || !bound) return E_INVALIDARG;
    if (dimension != 1) return DISP_E_BADINDEX;
    *bound = static_cast<LONG>(array->rgsabound[0].lLbound + array->rgsabound[0].cElements - 1);
    return S_OK;
}

HRESULT quorvel_win32::SafeArrayAccessData(SAFEARRAY *array, void **data) {
    if (!array || !data) return E_INVALIDARG;
    ++array->cLocks;
    *data = array->pvData;
    return S_OK;
}

HRESULT quorvel_win32::SafeArrayUnaccessData(SAFEARRAY *array) {
    if (!array) return E_INVALIDARG;
    if (!array->cLocks) return E_UNEXPECTED;
    --array->cLocks;
    return S_OK;
}

HRESULT quorvel_win32::CoCreateInstance(REFCLSID, IUnknown *, DWORD, REFIID, void **object) {
    if (object) *object = nullptr;
    return REGDB_E_CLASSNOTREG;
}

HRESULT quorvel_win32::OleRun(IUnknown *object) { return object ? S_OK : E_INVALIDARG; }

int quorvel_win32::GetLocaleInfoW(LCID, DWORD type, LPWSTR data, int capacity) {
    char text[16];
    if (type == LOCALE_ILANGUAGE)
        std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(GetSystemDefaultLCID()));
    else if (type == LOCALE_IDEFAULTANSICODEPAGE)
        std::snprintf(text, sizeof text, "%u", GetACP());
    else {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    const int needed = static_cast<int>(std::strlen(text)) + 1;
    if (capacity == 0) return needed;
    if (!data || capacity < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (int i = 0; i < needed; ++i) data[i] = static_cast<unsigned char>(text[i]);
    return needed;
}
