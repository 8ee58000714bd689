// The one way the programs read decimal numbers, so that every option, the
// journal and the two settings files agree on what a number is.
//
// ParseDecimal takes a whole text: digits only, with one leading '-' for
// signed types. No blanks, no '+', no hexadecimal, no leading text or
// trailing text; the value must lie within [min, max].
//
// ScanDecimal reads a number the way fscanf's %d does (blanks before it, an
// optional sign, at least one digit) from a stream, but saturates at the
// type's limits instead of overflowing, so no file can give an undefined
// value. It is for conf.txt and param.txt, whose reading stops at the first
// thing that is not a number.
#pragma once

#include <charconv>
#include <cstdio>
#include <string_view>
#include <system_error>
#include <type_traits>

template <typename T>
bool ParseDecimal(std::string_view text, T min, T max, T* value) {
    static_assert(std::is_integral_v<T>);
    // from_chars accepts a leading '-' for signed types only, and no '+'.
    if (text.empty() || (text[0] == '-' && (std::is_unsigned_v<T> || text.size() == 1))) {
        return false;
    }
    T parsed{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, parsed, 10);
    if (error != std::errc() || stop != end || parsed < min || parsed > max) return false;
    *value = parsed;
    return true;
}

// A decimal number with an optional fraction and exponent ("12", "0.5",
// "1e-2"), nothing before or after it, finite and within [min, max].
bool ParseDecimal(std::string_view text, double min, double max, double* value);

// Reads one integer as "%d" would; false when the next non-blank text is not
// one (nothing is consumed beyond the first character that ends it).
bool ScanDecimal(std::FILE* file, int* value);
