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

// The number of `digits` digits (decimals of them after the point) whose value is mantissa /
// 10^decimals, with the sign, as the nearest float, into value; false for what is no plain decimal
// read exactly this way (see above): no digit, more than 19 (the mantissa wrapped), a mantissa
// beyond 2^53, too many decimals, or a halfway case.
inline bool exactQuotient(uint64_t mantissa, long digits, long decimals, bool negative,
                          float& value)
{
    if (digits == 0 || digits > 19)
        return false;
    static const double powersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    static const float floatPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                             1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    if (mantissa <= (uint64_t(1) << 24) && decimals <= 10) { // both exact floats: one rounding
        value = withSign(float(mantissa) / floatPowersOfTen[decimals], negative);
        return true;
    }
    if (decimals > 22 || mantissa > (uint64_t(1) << 53))
        return false;
    const double quotient = double(mantissa) / powersOfTen[decimals];
    uint64_t bits;
    std::memcpy(&bits, &quotient, sizeof bits);
    // The 29 low bits of a double's fraction are those a float has no room for; exactly the top
    // one of them set means halfway between two floats.
    const uint64_t belowFloat = (uint64_t(1) << 29) - 1;
    if ((bits & belowFloat) == (uint64_t(1) << 28))
        return false;
    value = withSign(float(quotient), negative);
    return true;
}

// Reads the decimal from p, stopping at the first character that cannot continue it (or at end).
// Returns where it stopped, or nullptr when the text there is no plain decimal this reads
// exactly: no digit, more than 19 digits, a mantissa beyond 2^53, or a halfway case. The caller
// checks that what follows ends the value. "." and `separator` both serve as the decimal point.
inline const char* scanDecimal(const char* p, const char* end, char separator, float& value)
{
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
    return exactQuotient(mantissa, digits, decimals, negative, value) ? p : nullptr;
}

constexpr uint64_t powerOfTen(int exponent)
{
    return exponent == 0 ? 1 : 10 * powerOfTen(exponent - 1);
}

// The Count digits (1 to 8) that leadingDigits gave, appended to the digits of number; where
// they end.
template <int Count>
inline const char* appendDigits(const char* p, uint64_t digits, uint64_t& number)
{
    number = number * powerOfTen(Count) + digitsValue(digits, Count);
    return p + Count;
}

// Appends the run of digits at p to the digits of number (wrapping past 19 digits, as the digit
// by digit reading does) and returns where the run ends. Eight bytes from p must be in the buffer,
// and something that is no digit must come before its end.
//
// The run is measured eight bytes at once, and its length then picks a branch that moves p by a
// constant. In a file the lengths mostly repeat, so the branch is predicted, and the next
// character is read at once instead of waiting for the length to be worked out: on a run of
// numbers that wait, not the arithmetic, is what takes the time.
inline const char* appendDigitRun(const char* p, uint64_t& number)
{
    uint64_t digits;
    switch (leadingDigits(p, digits)) {
    case 0:
        return p;
    case 1:
        return appendDigits<1>(p, digits, number);
    case 2:
        return appendDigits<2>(p, digits, number);
    case 3:
        return appendDigits<3>(p, digits, number);
    case 4:
        return appendDigits<4>(p, digits, number);
    case 5:
        return appendDigits<5>(p, digits, number);
    case 6:
        return appendDigits<6>(p, digits, number);
    case 7:
        return appendDigits<7>(p, digits, number);
    default:
        for (; isDigit(*p); ++p)
            number = number * 10 + uint64_t(*p - '0');
        return p;
    }
}

// As scanDecimal, for a number in a line that ends (in a line feed) at least 8 bytes before the
// buffer does: nothing needs checking against the buffer's end.
inline const char* scanDecimalInLine(const char* p, char separator, float& value)
{
    const bool negative = *p == '-';
    p += (*p == '-') | (*p == '+');
    const char* const integerStart = p;
    uint64_t mantissa = 0;
    for (; isDigit(*p); ++p) // mostly one or two digits: a loop is quickest
        mantissa = mantissa * 10 + uint64_t(*p - '0');
    long digits = long(p - integerStart);
    long decimals = 0;
    if (*p == '.' || *p == separator) {
        const char* const fractionStart = ++p;
        p = appendDigitRun(p, mantissa);
        decimals = long(p - fractionStart);
        digits += decimals;
    }
    return exactQuotient(mantissa, digits, decimals, negative, value) ? p : nullptr;
}

} // namespace decimalscan
