#pragma once

#include <cstdint>
#include <cstring>

// Plain decimals ("-0.123456", "12", ".5", "3.") read exactly, without the general conversion.
//
// Such a number is mantissa / 10^decimals. With mantissa <= 2^53 and decimals <= 22 both are
// exact doubles, so one IEEE division gives the double nearest to the exact value. Rounding that
// double to float once more gives the float nearest to the exact value too, unless the double
// lies exactly halfway between two floats: the exact value may then sit on either side of that
// halfway point. Those few are left to the general conversion, so every value read here is the
// correctly rounded one, bit for bit what std::from_chars gives.
namespace decimalscan {

inline bool isDigit(char c)
{
    return unsigned(c - '0') <= 9;
}

// Reads the decimal from p, stopping at the first character that cannot continue it (or at end).
// Returns where it stopped, or nullptr when the text there is no plain decimal this reads
// exactly: no digit, more than 19 digits, a mantissa beyond 2^53, or a halfway case. The caller
// checks that what follows ends the value. "." and `separator` both serve as the decimal point.
inline const char* scanDecimal(const char* p, const char* end, char separator, float& value)
{
    static const double powersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+'))
        ++p;
    const char* const integerStart = p;
    uint64_t mantissa = 0; // wraps past 19 digits, which are refused below
    for (; p < end && isDigit(*p); ++p)
        mantissa = mantissa * 10 + uint64_t(*p - '0');
    long digits = long(p - integerStart);
    long decimals = 0;
    if (p < end && (*p == '.' || *p == separator)) {
        const char* const fractionStart = ++p;
        for (; p < end && isDigit(*p); ++p)
            mantissa = mantissa * 10 + uint64_t(*p - '0');
        decimals = long(p - fractionStart);
        digits += decimals;
    }
    if (digits == 0 || digits > 19 || decimals > 22 || mantissa > (uint64_t(1) << 53))
        return nullptr;
    const double quotient = double(mantissa) / powersOfTen[decimals];
    uint64_t bits;
    std::memcpy(&bits, &quotient, sizeof bits);
    // The 29 low bits of a double's fraction are those a float has no room for; exactly the top
    // one of them set means halfway between two floats.
    const uint64_t belowFloat = (uint64_t(1) << 29) - 1;
    if ((bits & belowFloat) == (uint64_t(1) << 28))
        return nullptr;
    const float magnitude = float(quotient);
    value = negative ? -magnitude : magnitude;
    return p;
}

} // namespace decimalscan
