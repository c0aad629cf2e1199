// ASCII case for names that compare without case in ASCII only (module
// names, SQL words, folder variables): locale-free, every other unit as it is.
#pragma once

namespace platform {

template <class C> constexpr C ascii_upper(C c) {
    return c >= 'a' && c <= 'z' ? static_cast<C>(c - ('a' - 'A')) : c;
}

template <class C> constexpr C ascii_lower(C c) {
    return c >= 'A' && c <= 'Z' ? static_cast<C>(c + ('a' - 'A')) : c;
}

}  // namespace platform
