// One UTF-16 unit, three spellings: the library works in char16_t
// (std::u16string), its exported functions take unsigned short, and the
// Win32 calls take WCHAR (wchar_t on Windows, unsigned short elsewhere).
// These views are the only casts between them; each keeps const.
#pragma once

#include <quorvel/base.h>

#include <string>
#include <type_traits>

namespace text16 {
template <class T>
constexpr bool is_unit = std::is_same<std::remove_const_t<T>, char16_t>::value ||
                         std::is_same<std::remove_const_t<T>, unsigned short>::value ||
                         std::is_same<std::remove_const_t<T>, WCHAR>::value;
template <class To, class From>
using View = std::enable_if_t<is_unit<From>, std::conditional_t<std::is_const<From>::value, const To, To> *>;
static_assert(sizeof(char16_t) == 2 && sizeof(unsigned short) == 2 && sizeof(WCHAR) == 2, "16-bit units");
}  // namespace text16

// The library's own text.
template <class T>
inline text16::View<char16_t, T> as_u16(T *text) {
    return reinterpret_cast<text16::View<char16_t, T>>(text);
}
// Text for a Win32 call.
template <class T>
inline text16::View<WCHAR, T> as_wide(T *text) {
    return reinterpret_cast<text16::View<WCHAR, T>>(text);
}
inline const WCHAR *as_wide(const std::u16string &text) { return as_wide(text.c_str()); }
// Text for (or from) an exported function.
template <class T>
inline text16::View<unsigned short, T> as_exported(T *text) {
    return reinterpret_cast<text16::View<unsigned short, T>>(text);
}
inline const unsigned short *as_exported(const std::u16string &text) { return as_exported(text.c_str()); }
// A copy as the library's text; empty for null.
template <class T>
inline std::u16string u16_string(const T *text) {
    return text ? std::u16string(as_u16(text)) : std::u16string();
}
