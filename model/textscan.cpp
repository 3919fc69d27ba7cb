#include "textscan.h"

#include "modelerror.h"

#include <charconv>
#include <climits>
#include <clocale>
#include <cstdint>
#include <cstring>

bool LineScanner::next(std::string_view& line)
{
    line = {};
    if (m_pos >= m_end)
        return false;
    const char* lineEnd = static_cast<const char*>(std::memchr(m_pos, '\n', size_t(m_end - m_pos)));
    if (!lineEnd && !m_whole)
        return false;
    const char* next = lineEnd ? lineEnd + 1 : m_end;
    if (!lineEnd)
        lineEnd = m_end;
    else if (lineEnd > m_pos && lineEnd[-1] == '\r')
        --lineEnd;
    line = std::string_view(m_pos, size_t(lineEnd - m_pos));
    m_pos = next;
    return true;
}

std::string upperCased(std::string_view s)
{
    std::string result(s);
    for (char& c : result)
        c = upperChar(c);
    return result;
}

bool startsWithUpper(std::string_view s, std::string_view upperPrefix)
{
    if (s.size() < upperPrefix.size())
        return false;
    for (size_t i = 0; i < upperPrefix.size(); ++i) {
        if (upperChar(s[i]) != upperPrefix[i])
            return false;
    }
    return true;
}

char localeDecimalSeparator()
{
    const char* point = std::localeconv()->decimal_point;
    return point && point[0] && !point[1] ? point[0] : '.';
}

namespace {

[[noreturn]] void throwNotFloat(std::string_view text)
{
    throw ModelConversionError("'" + upperCased(text) + "' is not a valid floating point value");
}

[[noreturn]] void throwNotInteger(std::string_view text)
{
    throw ModelConversionError("'" + upperCased(text) + "' is not a valid integer value");
}

std::string_view withoutSpaces(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// from_chars over the whole of [first, last) or nothing. It never looks at the locale, and it
// takes neither a "+" nor the words "inf" and "nan", which the sign check below keeps out.
bool convertFloat(const char* first, const char* last, float& value)
{
    if (first < last && *first == '+')
        ++first;
    const char* digits = first < last && *first == '-' ? first + 1 : first;
    if (digits >= last || !(decimalscan::isDigit(*digits) || *digits == '.'))
        return false;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    return result.ec == std::errc() && result.ptr == last;
}

} // namespace

namespace textscan_detail {

int32_t slowInteger(std::string_view text)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first < last && *first == '+')
        ++first;
    const char* digits = first < last && *first == '-' ? first + 1 : first;
    int32_t value = 0;
    if (digits >= last || !decimalscan::isDigit(*digits))
        throwNotInteger(text);
    const auto result = std::from_chars(first, last, value);
    if (result.ec != std::errc() || result.ptr != last)
        throwNotInteger(text);
    return value;
}

float slowFloat(std::string_view text, char separator)
{
    float value = 0;
    const std::string_view number = withoutSpaces(text);
    if (separator == '.' || number.find(separator) == std::string_view::npos) {
        if (!convertFloat(number.data(), number.data() + number.size(), value))
            throwNotFloat(text);
        return value;
    }
    // The locale's separator is read as the decimal point too; a number is short, so a copy on
    // the stack is enough, and anything longer is no number anyway.
    char buffer[128];
    if (number.size() > sizeof buffer)
        throwNotFloat(text);
    for (size_t i = 0; i < number.size(); ++i)
        buffer[i] = number[i] == separator ? '.' : number[i];
    if (!convertFloat(buffer, buffer + number.size(), value))
        throwNotFloat(text);
    return value;
}

} // namespace textscan_detail
