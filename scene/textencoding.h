#pragma once

#include <string>
#include <string_view>

// Byte-level text helpers of the packet reader and the XML scanner. Case rules here are ASCII's
// only: names in packets are plain ASCII, and the C library's rules would follow the user's locale.

// Appends the UTF-8 encoding of code point `c` (at most U+10FFFF) to `out`.
void appendUtf8(std::string& out, char32_t c);

// Whether `text` is well-formed UTF-8 (every sequence complete and of a valid length).
bool isValidUtf8(std::string_view text);

// Whether `a` and `b` are equal when ASCII letters are compared without regard to case.
bool equalIgnoringAsciiCase(std::string_view a, std::string_view b);

// Whether `text` contains `part`, ASCII letters compared without regard to case.
bool containsIgnoringAsciiCase(std::string_view text, std::string_view part);
