#pragma once

#include <QString>
#include <string>

// Numbers as a person types and reads them: the decimal separator of the user's locale (QLocale()),
// no group separators. File data never goes through these; see datapacket.h.

// Parses a decimal number, surrounding blanks allowed. Throws ConversionError
// "'TEXT' is not a valid floating point value" for anything else, the empty text included.
double parseFloat(const QString& text);

// Parses a 32-bit integer. Throws ConversionError "'TEXT' is not a valid integer value".
int parseInteger(const QString& text);

// General format with up to `digits` significant digits: "0,5", "255", "1E-7", "1,5E20".
QString formatFloat(double value, int digits = 15);

// A number as files and people both write it before any locale: "." as the decimal separator and
// the exponent as "1E-7" or "1.5E20". With digits 0 the shortest text that reads back to the same
// double; otherwise general format with up to `digits` significant digits.
std::string plainNumberText(double value, int digits = 0);

// Fixed-point with the given number of decimals: formatFixed(0.3, 2) gives "0,30".
QString formatFixed(double value, int decimals);
