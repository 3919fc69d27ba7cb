#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#define TAVIREL_LINE_MASKS 1
#endif

// The kinds of the bytes of a stretch of text as bit masks, bit i for the i-th byte, so that a
// line's structure can be read off the masks rather than byte after byte: where a run of digits
// ends is then a count of trailing bits, not a chain of loads, one after the other.
struct LineMasks
{
    uint64_t digit = 0;
    uint64_t slash = 0;
    uint64_t space = 0;
    uint64_t lineFeed = 0;
};

#ifdef TAVIREL_LINE_MASKS

// The masks of the 64 bytes at p, which must all be readable.
inline LineMasks lineMasksAt(const char* p)
{
    LineMasks masks;
    const __m128i beforeZero = _mm_set1_epi8('0' - 1);
    const __m128i afterNine = _mm_set1_epi8('9' + 1);
    for (int i = 0; i < 4; ++i) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        // Signed compares: bytes from 0x80 up are negative, so no digits.
        const __m128i digit =
            _mm_and_si128(_mm_cmpgt_epi8(bytes, beforeZero), _mm_cmplt_epi8(bytes, afterNine));
        const auto bits = [](__m128i matches) {
            return uint64_t(uint16_t(_mm_movemask_epi8(matches)));
        };
        masks.digit |= bits(digit) << (16 * i);
        masks.slash |= bits(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('/'))) << (16 * i);
        masks.space |= bits(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '))) << (16 * i);
        masks.lineFeed |= bits(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))) << (16 * i);
    }
    return masks;
}

#endif
