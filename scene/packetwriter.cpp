// Writing data packets.
#include "datapacket.h"

#include "localenumbers.h"

#include <QList>
#include <charconv>
#include <cstdio>
#include <string_view>

namespace {

void appendEscaped(QByteArray& out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            if (uchar(c) < 0x20) {
                // Control characters as three-digit references: "&#013;" for a carriage return.
                char reference[8];
                std::snprintf(reference, sizeof reference, "&#%03d;", int(uchar(c)));
                out += reference;
            } else {
                out += c;
            }
        }
    }
}

void appendValue(QByteArray& out, const FieldValue& value)
{
    if (auto s = std::get_if<Text>(&value))
        appendEscaped(out, *s);
    else if (auto i = std::get_if<qint32>(&value))
        out += QByteArray::number(*i);
    else if (auto d = std::get_if<double>(&value))
        out += plainNumberText(*d).c_str();
    else if (auto b = std::get_if<bool>(&value))
        out += *b ? "TRUE" : "FALSE";
}

} // namespace

const char* packetFieldType(FieldType type)
{
    switch (type) {
    case FieldType::String:
        return "string";
    case FieldType::Integer:
        return "i4";
    case FieldType::Float:
        return "r8";
    case FieldType::Boolean:
        return "boolean";
    }
    return "string";
}

QByteArray writeDataPacket(const std::vector<FieldDef>& fields, const std::vector<Record>& records)
{
    QByteArray out;
    out.reserve(2048 + qsizetype(records.size()) * 40 * qsizetype(fields.size()));
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>  "
           "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>";
    for (const FieldDef& field : fields) {
        out += "<FIELD attrname=\"";
        appendEscaped(out, field.name);
        out += "\" fieldtype=\"";
        out += packetFieldType(field.type);
        out += '"';
        if (field.type == FieldType::String)
            out += " WIDTH=\"" + QByteArray::number(field.size) + '"';
        out += "/>";
    }
    out += "</FIELDS><PARAMS/></METADATA><ROWDATA>";
    const QList<QByteArray> names = [&] {
        QList<QByteArray> list;
        for (const FieldDef& field : fields)
            list.append(field.name.toUtf8());
        return list;
    }();
    for (const Record& record : records) {
        out += "<ROW";
        for (size_t f = 0; f < fields.size() && f < record.size(); ++f) {
            if (isNull(record[f]))
                continue;
            out += ' ';
            out += names[qsizetype(f)];
            out += "=\"";
            appendValue(out, record[f]);
            out += '"';
        }
        out += "/>";
    }
    out += "</ROWDATA></DATAPACKET>";
    return out;
}
