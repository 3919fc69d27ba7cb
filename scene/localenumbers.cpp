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

// "1e-07" -> "1E-7", "1.5e+20" -> "1.5E20": the exponent as people write it.
QString tidyExponent(const QString& text)
{
    const int e = text.indexOf(QLatin1Char('e'));
    if (e < 0)
        return text;
    QString mantissa = text.left(e);
    QString exponent = text.mid(e + 1);
    QString sign;
    if (exponent.startsWith(QLatin1Char('-')))
        sign = QStringLiteral("-");
    exponent.remove(0, exponent.startsWith(QLatin1Char('-')) || exponent.startsWith('+') ? 1 : 0);
    while (exponent.size() > 1 && exponent.startsWith(QLatin1Char('0')))
        exponent.remove(0, 1);
    return mantissa + QLatin1Char('E') + sign + exponent;
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
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    QString text = tidyExponent(QString::fromLatin1(buffer, int(result.ptr - buffer)));
    text.replace(QLatin1Char('.'), userLocale().decimalPoint());
    return text;
}

QString formatFixed(double value, int decimals)
{
    return userLocale().toString(value, 'f', decimals);
}
