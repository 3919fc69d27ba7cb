#pragma once

#include <QSharedData>
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

// A string value, one pointer wide and shared between copies, so that a record of many fields
// stays small (a table of 10,000 records is read faster when it touches half the memory).
class Text
{
public:
    Text() : m_data(new Data) {}
    Text(const QString& string) : m_data(new Data{string}) {}

    const QString& string() const { return m_data->string; }
    operator const QString&() const { return m_data->string; }
    friend bool operator==(const Text& a, const Text& b) { return a.string() == b.string(); }

private:
    struct Data : QSharedData
    {
        Data() = default;
        explicit Data(const QString& text) : string(text) {}
        QString string;
    };
    QSharedDataPointer<Data> m_data;
};

// The value of one field of one record. std::monostate is null: a field never written.
using FieldValue = std::variant<std::monostate, Text, qint32, double, bool>;
static_assert(sizeof(FieldValue) == 16, "a field value is meant to stay two words wide");

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
