#include "localenumbers.h"

#include "error.h"

#include <QLocale>
#include <charconv>
#include <cmath>

namespace {

QLocale userLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

} // namespace

double parseFloat(const QString& text)
{
    bool ok = false;
    const double value = userLocale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        throw ConversionError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return value;
}

int parseInteger(const QString& text)
{
    bool ok = false;
    const int value = userLocale().toInt(text.trimmed(), &ok);
    if (!ok)
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

QString formatFloat(double value, int digits)
{
    if (value == 0) // also turns -0 into "0"
        return QStringLiteral("0");
    QString text = QString::fromStdString(plainNumberText(value, digits));
    text.replace(QLatin1Char('.'), userLocale().decimalPoint());
    return text;
}

QString formatFixed(double value, int decimals)
{
    return userLocale().toString(value, 'f', decimals);
}

std::string plainNumberText(double value, int digits)
{
    char buffer[64];
    const auto result = digits > 0 ? std::to_chars(buffer, buffer + sizeof buffer, value,
                                                   std::chars_format::general, digits)
                                   : std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    const size_t e = text.find('e');
    if (e == std::string::npos)
        return text;
    // "1e-07" -> "1E-7", "1.5e+20" -> "1.5E20"
    std::string exponent = text.substr(e + 1);
    const bool negative = exponent.front() == '-';
    if (negative || exponent.front() == '+')
        exponent.erase(0, 1);
    exponent.erase(0, std::min(exponent.find_first_not_of('0'), exponent.size() - 1));
    return text.substr(0, e) + 'E' + (negative ? "-" : "") + exponent;
}
