#include "core/NumericText.h"

#include <cstdlib>
#include <string>

namespace velt {
namespace {

bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

int DigitValue(char c, int base) noexcept {
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v >= 0 && v < base ? v : -1;
}

struct Scan {
    double value = 0.0;
    std::size_t used = 0;  // characters that make up the number
    bool anyDigit = false;
};

// Reads the longest number at the start of `s`. No blanks are expected inside `s`.
Scan ScanNumber(std::string_view s) noexcept {
    Scan r;
    if (s.size() >= 2 && s[0] == '&') {
        const char kind = s[1];
        const int base = (kind == 'H' || kind == 'h') ? 16 : (kind == 'O' || kind == 'o') ? 8 : 0;
        if (base == 0) return r;
        std::size_t i = 2;
        for (; i < s.size(); ++i) {
            const int d = DigitValue(s[i], base);
            if (d < 0) break;
            r.value = r.value * base + d;
            r.anyDigit = true;
        }
        r.used = r.anyDigit ? i : 0;
        if (!r.anyDigit) r.value = 0.0;
        return r;
    }

    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t mantissaStart = i;
    while (i < s.size() && IsDigit(s[i]))
        ++i;
    bool digits = i > mantissaStart;
    if (i < s.size() && s[i] == '.') {
        const std::size_t fraction = ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i;
        digits = digits || i > fraction;
    }
    if (!digits) return r;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const std::size_t expDigits = j;
        while (j < s.size() && IsDigit(s[j]))
            ++j;
        if (j > expDigits) i = j;  // an "E" without digits is not part of the number
    }
    // strtod reads exactly this grammar (the program never changes the C locale), and turns
    // overflow into infinity and underflow into zero.
    const std::string number(s.substr(0, i));
    r.value = std::strtod(number.c_str(), nullptr);
    r.used = i;
    r.anyDigit = true;
    return r;
}

bool IsBlank(char c) noexcept { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) noexcept {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

double NumericValue(std::string_view text) noexcept {
    try {
        std::string packed;
        packed.reserve(text.size());
        for (char c : text) {
            if (c != ' ' && c != '\t' && c != '\n') packed.push_back(c);
        }
        return ScanNumber(packed).value;
    } catch (...) {  // out of memory for a giant text: nothing reads as a number
        return 0.0;
    }
}

std::optional<double> WholeNumber(std::string_view text) noexcept {
    const std::string_view t = TrimBlanks(text);
    const Scan r = ScanNumber(t);
    if (!r.anyDigit || r.used != t.size()) return std::nullopt;
    return r.value;
}

std::optional<bool> TruthValue(std::string_view text) noexcept {
    const std::string_view t = TrimBlanks(text);
    if (EqualsNoCase(t, "true")) return true;
    if (EqualsNoCase(t, "false")) return false;
    if (const auto n = WholeNumber(t)) return *n != 0.0;
    return std::nullopt;
}

}  // namespace velt
