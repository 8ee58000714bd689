#include "config/Decimal.h"

#include <cctype>
#include <climits>
#include <algorithm>
#include <cmath>

bool ParseDecimal(std::string_view text, double min, double max, double* value) {
    // from_chars for double accepts "inf", "nan" and hexadecimal only with
    // their own spellings; a leading digit, '.' or '-' rules those out
    // except "-inf"/"-nan", which the finiteness test refuses.
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '.' ||
                          text[0] == '-')) {
        return false;
    }
    double parsed = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, parsed);
    if (error != std::errc() || stop != end || !std::isfinite(parsed) || parsed < min ||
        parsed > max) {
        return false;
    }
    *value = parsed;
    return true;
}

bool ScanDecimal(std::FILE* file, int* value) {
    int c = std::fgetc(file);
    while (c != EOF && std::isspace(c)) c = std::fgetc(file);
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = std::fgetc(file);
    }
    if (c == EOF || !std::isdigit(c)) return false;
    // Accumulate the magnitude towards the limit of the sign's side.
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    while (c != EOF && std::isdigit(c)) {
        magnitude = std::min(magnitude * 10 + (c - '0'), limit);
        c = std::fgetc(file);
    }
    if (c != EOF) std::ungetc(c, file);
    *value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}
