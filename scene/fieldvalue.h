#pragma once

#include <QString>
#include <QtGlobal>
#include <variant>
#include <vector>

enum class FieldType { String, Integer, Float, Boolean };

// One column of a table. size is the most characters a String field keeps; 0 for other types.
struct FieldDef
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0;
};

// The value of one field of one record. std::monostate is null: a field never written.
using FieldValue = std::variant<std::monostate, QString, qint32, double, bool>;

// The fields of one record, in the table's field order.
using Record = std::vector<FieldValue>;

inline bool isNull(const FieldValue& value)
{
    return std::holds_alternative<std::monostate>(value);
}

// Reads of a value as each type. A null reads as 0, "" or false. Numbers convert between each
// other (floats round to the nearest integer); text is parsed in the user's locale and throws
// ConversionError when it is not a number.
double valueAsFloat(const FieldValue& value);
qint32 valueAsInteger(const FieldValue& value);
bool valueAsBoolean(const FieldValue& value);
QString valueAsString(const FieldValue& value); // numbers in the user's locale, booleans True/False

// Turns a value into the type of `def`, cutting strings to the field's size in characters
// (never splitting a character). Throws ConversionError when the value cannot be converted.
FieldValue coerceToField(const FieldDef& def, const FieldValue& value);

// The first `size` characters (code points) of text.
QString truncateToCharacters(const QString& text, int size);
