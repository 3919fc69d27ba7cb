#pragma once

#include <cstdint>
#include <cstring>

// Plain decimals ("-0.123456", "12", ".5", "3.") read exactly, without the general conversion.
//
// Such a number is mantissa / 10^decimals. Most numbers in files have at most 7 digits: with
// mantissa <= 2^24 and decimals <= 10 both are exact floats (5^10 < 2^24), and one IEEE float
// division gives the nearest float at once. Otherwise, with mantissa <= 2^53 and decimals <= 22
// both are exact doubles, so one IEEE division gives the double nearest to the exact value.
// Rounding that double to float once more gives the float nearest to the exact value too, unless
// the double lies exactly halfway between two floats: the exact value may then sit on either side
// of that halfway point. Those few are left to the general conversion, so every value read here is
// the correctly rounded one, bit for bit what std::from_chars gives.
namespace decimalscan {

inline bool isDigit(char c)
{
    return unsigned(c - '0') <= 9;
}

// magnitude, negated when negative, without a branch: signs come and go at random, and a
// mispredicted branch here would throw away the division just started.
inline float withSign(float magnitude, bool negative)
{
    uint32_t bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    bits ^= uint32_t(negative) << 31;
    std::memcpy(&magnitude, &bits, sizeof bits);
    return magnitude;
}

// How many of the eight bytes at p are digits, counted from p up to the first that is not.
inline int leadingDigits(const char* p, uint64_t& digits)
{
    uint64_t chunk;
    std::memcpy(&chunk, p, sizeof chunk); // the first byte is the lowest
    digits = chunk ^ 0x3030303030303030u; // a digit's byte becomes its value
    // A byte is no digit if its upper half is not 0 now, or adding 6 makes it so. A carry out of
    // a byte that is no digit can only spoil the bytes after it, which are not looked at.
    const uint64_t notDigit = (digits | (digits + 0x0606060606060606u)) & 0xF0F0F0F0F0F0F0F0u;
    return notDigit ? __builtin_ctzll(notDigit) / 8 : 8;
}

// The value of the count (1 to 8) digits that leadingDigits gave, at once.
inline uint32_t digitsValue(uint64_t digits, int count)
{
    digits <<= 8 * (8 - count); // the ones not wanted go, zeros come before the first
    digits = (digits * 10 + (digits >> 8)) & 0x00FF00FF00FF00FFu;
    digits = (digits * 100 + (digits >> 16)) & 0x0000FFFF0000FFFFu;
    return uint32_t((digits * 10000 + (digits >> 32)) & 0xFFFFFFFFu);
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
    p += p < end && (*p == '-' || *p == '+'); // no branch: signs come and go at random
    const char* const integerStart = p;
    uint64_t mantissa = 0; // wraps past 19 digits, which are refused below
    // Digit by digit: in a file the lengths mostly repeat, so these loops are well predicted.
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
    static const float floatPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                             1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    if (mantissa <= (uint64_t(1) << 24) && decimals <= 10) { // both exact floats: one rounding
        const float magnitude = float(mantissa) / floatPowersOfTen[decimals];
        value = withSign(magnitude, negative);
        return p;
    }
    const double quotient = double(mantissa) / powersOfTen[decimals];
    uint64_t bits;
    std::memcpy(&bits, &quotient, sizeof bits);
    // The 29 low bits of a double's fraction are those a float has no room for; exactly the top
    // one of them set means halfway between two floats.
    const uint64_t belowFloat = (uint64_t(1) << 29) - 1;
    if ((bits & belowFloat) == (uint64_t(1) << 28))
        return nullptr;
    const float magnitude = float(quotient);
    value = withSign(magnitude, negative);
    return p;
}

} // namespace decimalscan
