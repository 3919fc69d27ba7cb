#pragma once

#include "decimalscan.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Small text helpers shared by the model and material readers. Positions are 1-based, as the
// line rules are written; every function works on views into the file's buffer and allocates
// nothing unless it returns a string.

// Hands out the lines of a buffer one by one. A line ends at LF or CR LF; the terminator is not
// part of the line. In a whole text the last line needs no terminator; in a part of a text (a
// chunk of a file being read) a line is only given once its terminator is there.
class LineScanner
{
public:
    explicit LineScanner(std::string_view text, bool wholeText = true)
        : m_begin(text.data()), m_pos(m_begin), m_end(m_begin + text.size()), m_whole(wholeText)
    {}

    // The next line into `line`; false (and `line` empty) when no complete line is left.
    bool next(std::string_view& line);
    // How many bytes the lines given so far took, terminators included.
    size_t consumed() const { return size_t(m_pos - m_begin); }

private:
    const char* m_begin;
    const char* m_pos;
    const char* m_end;
    bool m_whole;
};

// 1-based position of the first `c` in s, 0 when there is none. (A plain loop: the texts are a
// few characters long, shorter than a library call is worth.)
inline int positionOf(char c, std::string_view s)
{
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == c)
            return int(i) + 1;
    }
    return 0;
}

// 1-based position of the first occurrence of sub in s at or after `start`; 0 when sub or s is
// empty, when start is below 1 or beyond the length of s, or when there is none.
inline int FindFrom(std::string_view sub, std::string_view s, int start)
{
    if (sub.empty() || s.empty() || start < 1 || size_t(start) > s.size())
        return 0;
    if (sub.size() == 1) {
        const int found = positionOf(sub.front(), s.substr(size_t(start - 1)));
        return found == 0 ? 0 : found + start - 1;
    }
    const size_t found = s.find(sub, size_t(start - 1));
    return found == std::string_view::npos ? 0 : int(found) + 1;
}

// The count characters of s from 1-based position index; empty when count < 1 or index is beyond
// the end, and cut short at the end of s.
inline std::string_view copyText(std::string_view s, int index, int count)
{
    if (index < 1)
        index = 1;
    if (count < 1 || size_t(index) > s.size())
        return {};
    return s.substr(size_t(index - 1), size_t(count));
}

// s from 1-based position index to its end.
inline std::string_view textFrom(std::string_view s, int index)
{
    return copyText(s, index, int(s.size()));
}

// Values on a line are separated by runs of these: spaces and tabs.
inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// s without the spaces and tabs it begins with.
inline std::string_view withoutLeadingBlanks(std::string_view s)
{
    const char* p = s.data();
    const char* const end = p + s.size();
    while (p < end && isBlank(*p))
        ++p;
    return std::string_view(p, size_t(end - p));
}

// text without the UTF-8 byte-order mark that some editors put at the start of a file.
inline std::string_view withoutByteOrderMark(std::string_view text)
{
    return text.substr(0, 3) == "\xEF\xBB\xBF" ? text.substr(3) : text;
}

// What follows the keyword of a line: the text after its first run of blanks, so "usemtl  red "
// gives "red "; the whole line when it has no blank at all.
inline std::string_view afterKeyword(std::string_view line)
{
    const char* p = line.data();
    const char* const end = p + line.size();
    while (p < end && !isBlank(*p))
        ++p;
    if (p == end)
        return line;
    return withoutLeadingBlanks(std::string_view(p, size_t(end - p)));
}

// Takes the first value off text: the characters before its first blank. text is left at the
// value after it, past the blanks between them (empty when there is none).
inline std::string_view takeValue(std::string_view& text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    const char* valueEnd = p;
    while (valueEnd < end && !isBlank(*valueEnd))
        ++valueEnd;
    const char* next = valueEnd;
    while (next < end && isBlank(*next))
        ++next;
    text = std::string_view(next, size_t(end - next));
    return std::string_view(p, size_t(valueEnd - p));
}

// s without leading and trailing blanks (every character up to and including the space).
inline std::string_view trimmed(std::string_view s)
{
    size_t first = 0;
    size_t last = s.size();
    while (first < last && static_cast<unsigned char>(s[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(s[last - 1]) <= ' ')
        --last;
    return s.substr(first, last - first);
}

inline char upperChar(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// True when a and b differ at most in the case of ASCII letters.
inline bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (upperChar(a[i]) != upperChar(b[i]))
            return false;
    }
    return true;
}

// s upper-cased (ASCII letters only, so UTF-8 names pass through unchanged).
std::string upperCased(std::string_view s);

// True when s begins with `upperPrefix` (given in upper case), ignoring the case of s.
bool startsWithUpper(std::string_view s, std::string_view upperPrefix);

// The decimal separator of the C library's current locale (what the user's locale sets once the
// application has started); "." when it is not a single character.
char localeDecimalSeparator();

namespace textscan_detail {
float slowFloat(std::string_view text, char separator);
int32_t slowInteger(std::string_view text);

// The number from first up to a blank or last, when it is a plain decimal: where it ends, or
// nullptr (and value untouched) when the text there is anything else.
inline const char* fastFloat(const char* first, const char* last, char separator, float& value)
{
    float read = 0;
    const char* const end = decimalscan::scanDecimal(first, last, separator, read);
    if (!end || (end != last && !isBlank(*end)))
        return nullptr;
    value = read;
    return end;
}
} // namespace textscan_detail

// The whole of text as a 32-bit float: "." or `separator` as the decimal point, an optional sign
// and exponent, surrounding spaces allowed. Throws ModelConversionError
// "'TEXT' is not a valid floating point value" for anything else, the empty text included.
inline float parseFloatValue(std::string_view text, char separator)
{
    float value = 0;
    const char* const last = text.data() + text.size();
    const char* const end = textscan_detail::fastFloat(text.data(), last, separator, value);
    if (end && end == last) // an empty view may have no data at all, and last is then null too
        return value;
    return textscan_detail::slowFloat(text, separator);
}

// Takes the first value off text as parseFloatValue(takeValue(text)) does, reading it in the
// same pass that finds its end.
inline float takeFloatValue(std::string_view& text, char separator)
{
    float value = 0;
    const char* const last = text.data() + text.size();
    const char* const end = textscan_detail::fastFloat(text.data(), last, separator, value);
    if (!end)
        return parseFloatValue(takeValue(text), separator);
    text = withoutLeadingBlanks(std::string_view(end, size_t(last - end)));
    return value;
}

// The whole of text as a 32-bit integer with an optional sign. Throws ModelConversionError
// "'TEXT' is not a valid integer value" for anything else, the empty text included.
inline int32_t parseIntegerValue(std::string_view text)
{
    // Plain runs of up to 9 digits, nearly every index of a file, are read here; the rest (and
    // every error) by from_chars.
    if (text.empty() || text.size() > 9)
        return textscan_detail::slowInteger(text);
    int32_t value = 0;
    for (const char c : text) {
        const unsigned digit = unsigned(c - '0');
        if (digit > 9)
            return textscan_detail::slowInteger(text);
        value = value * 10 + int32_t(digit);
    }
    return value;
}

// The N numbers of a line's value text (trimmed), separated by runs of blanks. With OneMore, a
// further value may follow, which must be a number and is not kept (the "w" of "v" and "vt"
// lines). The last value a line may have runs to the end of the text, so one value too many
// makes it unconvertible: "vn 1 2 3 4" raises "'3 4' is not a valid floating point value".
template <size_t N, bool OneMore>
std::array<float, N> parseValues(std::string_view text, char separator)
{
    std::array<float, N> values{};
    for (size_t i = 0; i + 1 < N; ++i)
        values[i] = takeFloatValue(text, separator);
    if (!OneMore) {
        values[N - 1] = parseFloatValue(text, separator);
        return values;
    }
    values[N - 1] = takeFloatValue(text, separator);
    if (!text.empty())
        parseFloatValue(text, separator);
    return values;
}

// The three numbers of a "vn", "Ka", "Kd" or "Ks" line's value text (trimmed).
inline std::array<float, 3> parseThreeValues(std::string_view text, char separator)
{
    return parseValues<3, false>(text, separator);
}
