#include "fieldvalue.h"

#include "error.h"
#include "localenumbers.h"

#include <cmath>
#include <limits>

namespace {

qint32 roundToInteger(double value)
{
    const double rounded = std::round(value);
    if (!(rounded >= std::numeric_limits<qint32>::min() &&
          rounded <= std::numeric_limits<qint32>::max()))
        throw ConversionError(
            QStringLiteral("'%1' is not a valid integer value").arg(formatFloat(value)));
    return qint32(rounded);
}

bool parseBoolean(const QString& text)
{
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("true"))
        return true;
    if (word == QLatin1String("false"))
        return false;
    throw ConversionError(QStringLiteral("'%1' is not a valid boolean value").arg(text));
}

} // namespace

double valueAsFloat(const FieldValue& value)
{
    if (auto d = std::get_if<double>(&value))
        return *d;
    if (auto i = std::get_if<qint32>(&value))
        return *i;
    if (auto b = std::get_if<bool>(&value))
        return *b ? 1 : 0;
    if (auto s = std::get_if<Text>(&value))
        return parseFloat(*s);
    return 0;
}

qint32 valueAsInteger(const FieldValue& value)
{
    if (auto i = std::get_if<qint32>(&value))
        return *i;
    if (auto d = std::get_if<double>(&value))
        return roundToInteger(*d);
    if (auto b = std::get_if<bool>(&value))
        return *b ? 1 : 0;
    if (auto s = std::get_if<Text>(&value))
        return parseInteger(*s);
    return 0;
}

bool valueAsBoolean(const FieldValue& value)
{
    if (auto b = std::get_if<bool>(&value))
        return *b;
    if (auto i = std::get_if<qint32>(&value))
        return *i != 0;
    if (auto d = std::get_if<double>(&value))
        return *d != 0;
    if (auto s = std::get_if<Text>(&value))
        return parseBoolean(*s);
    return false;
}

QString valueAsString(const FieldValue& value)
{
    if (auto s = std::get_if<Text>(&value))
        return *s;
    if (auto d = std::get_if<double>(&value))
        return formatFloat(*d);
    if (auto i = std::get_if<qint32>(&value))
        return QString::number(*i);
    if (auto b = std::get_if<bool>(&value))
        return *b ? QStringLiteral("True") : QStringLiteral("False");
    return QString();
}

QString truncateToCharacters(const QString& text, int size)
{
    int units = 0;
    for (int characters = 0; units < text.size() && characters < size; ++characters)
        units += text.at(units).isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    return units < text.size() ? text.left(units) : text;
}

FieldValue coerceToField(const FieldDef& def, const FieldValue& value)
{
    if (isNull(value))
        return value;
    // An emptied cell of a number or boolean column means "no value", as in the grid.
    if (def.type != FieldType::String) {
        if (auto s = std::get_if<Text>(&value); s && s->string().trimmed().isEmpty())
            return std::monostate();
    }
    switch (def.type) {
    case FieldType::String:
        return truncateToCharacters(valueAsString(value), def.size);
    case FieldType::Integer:
        return valueAsInteger(value);
    case FieldType::Float: {
        const double d = valueAsFloat(value);
        if (!std::isfinite(d))
            throw ConversionError(
                QStringLiteral("'%1' is not a valid floating point value").arg(d));
        return d;
    }
    case FieldType::Boolean:
        return valueAsBoolean(value);
    }
    return value;
}
