#include "core/NumericText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
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

// Decimal digits to the nearest double, ties to even, by shifting a decimal string by powers of
// two until it is a 53-bit integer. Exact for any length: digits past kMaxDigits only mark the
// value as a little larger, which is all the rounding needs. (The C library's strtod does the
// same job, but mingw's brings 16 KB of code with it.)
class Decimal {
public:
    // `number` holds digits with at most one '.', then an optional exponent: E or e, an
    // optional sign and at least one digit. No sign in front.
    explicit Decimal(std::string_view number) noexcept {
        std::size_t i = 0;
        bool afterPoint = false;
        std::int64_t point = 0;
        for (; i < number.size(); ++i) {
            const char c = number[i];
            if (c == '.') {
                afterPoint = true;
                continue;
            }
            if (!IsDigit(c)) break;
            if (nd_ == 0 && c == '0') {  // leading zeros carry no digit
                if (afterPoint) --point;
                continue;
            }
            if (!afterPoint) ++point;
            if (nd_ < kMaxDigits)
                d_[nd_++] = static_cast<unsigned char>(c - '0');
            else if (c != '0')
                truncated_ = true;
        }
        if (i < number.size()) {  // the exponent
            ++i;
            const bool negative = number[i] == '-';
            if (number[i] == '+' || number[i] == '-') ++i;
            std::int64_t e = 0;
            for (; i < number.size(); ++i)
                e = std::min<std::int64_t>(e * 10 + (number[i] - '0'), kExponentLimit);
            point += negative ? -e : e;
        }
        dp_ = static_cast<int>(std::clamp<std::int64_t>(point, -kExponentLimit, kExponentLimit));
        Trim();
    }

    // Consumes the digits.
    double ToDouble(bool negative) && noexcept {
        std::uint64_t bits = Bits();
        if (negative) bits |= std::uint64_t{1} << 63;
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    static constexpr int kMaxDigits = 800;
    static constexpr int kMaxShift = 60;  // keeps n * 10 + 9 within 64 bits
    static constexpr std::int64_t kExponentLimit = 100000;
    static constexpr int kBias = -1023;
    static constexpr int kMantissaBits = 52;
    static constexpr std::uint64_t kInfinity = std::uint64_t{0x7FF} << 52;

    // The biased exponent and mantissa bits of the nearest double; this decimal is consumed.
    std::uint64_t Bits() noexcept {
        if (nd_ == 0) return 0;
        if (dp_ > 310) return kInfinity;  // at least 1e309
        if (dp_ < -330) return 0;         // below half the smallest denormal
        // Scale into [0.5, 1), counting the binary exponent.
        static constexpr int kPowers[] = {1, 3, 6, 9, 13, 16, 19, 23, 26};
        int exp = 0;
        while (dp_ > 0) {
            const int n = dp_ >= 9 ? 27 : kPowers[dp_];
            Shift(-n);
            exp += n;
        }
        while (dp_ < 0 || (dp_ == 0 && d_[0] < 5)) {
            const int n = -dp_ >= 9 ? 27 : kPowers[-dp_];
            Shift(n);
            exp -= n;
        }
        --exp;                  // [1, 2)
        if (exp < kBias + 1) {  // a denormal
            const int n = kBias + 1 - exp;
            Shift(-n);
            exp += n;
        }
        if (exp - kBias >= 0x7FF) return kInfinity;
        Shift(1 + kMantissaBits);
        std::uint64_t mantissa = RoundedInteger();
        if (mantissa == std::uint64_t{2} << kMantissaBits) {  // rounding carried into a new bit
            mantissa >>= 1;
            if (++exp - kBias >= 0x7FF) return kInfinity;
        }
        if ((mantissa & (std::uint64_t{1} << kMantissaBits)) == 0) exp = kBias;
        return (mantissa & ((std::uint64_t{1} << kMantissaBits) - 1)) |
               (static_cast<std::uint64_t>(exp - kBias) << kMantissaBits);
    }

    void Shift(int k) noexcept {
        for (; k > 0; k -= std::min(k, kMaxShift))
            ShiftLeft(std::min(k, kMaxShift));
        for (; k < 0; k += std::min(-k, kMaxShift))
            ShiftRight(std::min(-k, kMaxShift));
    }

    void ShiftLeft(int k) noexcept {
        unsigned char out[kMaxDigits + 20];  // 2^60 adds at most 19 digits
        int w = kMaxDigits + 20;
        std::uint64_t n = 0;
        for (int r = nd_ - 1; r >= 0; --r) {
            n += std::uint64_t{d_[r]} << k;
            out[--w] = static_cast<unsigned char>(n % 10);
            n /= 10;
        }
        for (; n > 0; n /= 10)
            out[--w] = static_cast<unsigned char>(n % 10);
        const int produced = kMaxDigits + 20 - w;
        dp_ += produced - nd_;
        nd_ = std::min(produced, kMaxDigits);
        std::memcpy(d_, out + w, static_cast<std::size_t>(nd_));
        for (int i = nd_; i < produced; ++i)
            if (out[w + i] != 0) truncated_ = true;
        Trim();
    }

    void ShiftRight(int k) noexcept {
        int r = 0;
        std::uint64_t n = 0;
        for (; (n >> k) == 0; ++r) {
            if (r >= nd_) {
                if (n == 0) {
                    nd_ = 0;
                    return;
                }
                for (; (n >> k) == 0; ++r)
                    n *= 10;
                break;
            }
            n = n * 10 + d_[r];
        }
        dp_ -= r - 1;
        const std::uint64_t mask = (std::uint64_t{1} << k) - 1;
        int w = 0;
        for (; r < nd_; ++r) {
            d_[w++] = static_cast<unsigned char>(n >> k);
            n = (n & mask) * 10 + d_[r];
        }
        for (; n > 0; n = (n & mask) * 10) {
            const auto digit = static_cast<unsigned char>(n >> k);
            if (w < kMaxDigits)
                d_[w++] = digit;
            else if (digit != 0)
                truncated_ = true;
        }
        nd_ = w;
        Trim();
    }

    std::uint64_t RoundedInteger() const noexcept {
        if (dp_ > 20) return ~std::uint64_t{0};
        int i = 0;
        std::uint64_t n = 0;
        for (; i < dp_ && i < nd_; ++i)
            n = n * 10 + d_[i];
        for (; i < dp_; ++i)
            n *= 10;
        if (RoundsUpAt(dp_)) ++n;
        return n;
    }

    bool RoundsUpAt(int at) const noexcept {
        if (at < 0 || at >= nd_) return false;
        if (d_[at] == 5 && at + 1 == nd_)  // exactly half, unless digits were dropped: to even
            return truncated_ || (at > 0 && d_[at - 1] % 2 == 1);
        return d_[at] >= 5;
    }

    void Trim() noexcept {
        while (nd_ > 0 && d_[nd_ - 1] == 0)
            --nd_;
        if (nd_ == 0) dp_ = 0;
    }

    unsigned char d_[kMaxDigits];  // digit values, most significant first, no leading zero
    int nd_ = 0;                   // digits held
    int dp_ = 0;                   // the value is 0.d_ × 10^dp_
    bool truncated_ = false;       // nonzero digits were dropped past kMaxDigits
};

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
    // Overflow reads as infinity and underflow as zero, as the C library's strtod has it.
    const bool negative = s[0] == '-';
    const std::size_t unsignedStart = (s[0] == '+' || s[0] == '-') ? 1 : 0;
    r.value = Decimal(s.substr(unsignedStart, i - unsignedStart)).ToDouble(negative);
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
