// Reading data packets, tolerant of what other programs wrote.
#include "datapacket.h"

#include "error.h"
#include "textencoding.h"
#include "xmlscanner.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {

// ---------------------------------------------------------------------------------------------
// Text encoding

bool declaresUtf8(std::string_view text)
{
    if (text.substr(0, 5) != "<?xml")
        return false;
    const std::string_view declaration = text.substr(0, text.find("?>"));
    return containsIgnoringAsciiCase(declaration, "encoding=\"utf-8\"") ||
           containsIgnoringAsciiCase(declaration, "encoding='utf-8'");
}

// Windows-1252 bytes to UTF-8. 0x80..0x9F hold the typographic characters; the rest is Latin-1.
std::string windows1252ToUtf8(std::string_view text)
{
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char byte : text) {
        const uchar c = uchar(byte);
        appendUtf8(out, c >= 0x80 && c < 0xA0 ? high[c - 0x80] : char16_t(c));
    }
    return out;
}

// The packet as UTF-8 text: `storage` holds it when it had to be converted.
std::string_view packetText(const QByteArray& bytes, std::string& storage)
{
    std::string_view text(bytes.constData(), size_t(bytes.size()));
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        return text.substr(3);
    if (declaresUtf8(text) && isValidUtf8(text))
        return text;
    storage = windows1252ToUtf8(text);
    return storage;
}

// ---------------------------------------------------------------------------------------------
// Reading

[[noreturn]] void refuse(const QString& reason)
{
    throw TableError(reason);
}

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

struct PacketField
{
    std::string name;
    std::string type;
    int tableIndex = -1; // -1: a field the table does not have
};

struct PacketRow
{
    Record record;
    int rowState = 0;
};

class PacketReader
{
public:
    PacketReader(std::string_view text, const std::vector<FieldDef>& fields)
        : m_scanner(text, "PARAMS"), m_fields(fields)
    {}

    std::vector<Record> read();

private:
    void startElement();
    void readField();
    void mapFields();
    void readRow();
    FieldValue parseValue(const FieldDef& def, std::string_view raw) const;
    [[noreturn]] void badValue(const FieldDef& def, std::string_view raw) const;
    std::vector<Record> liveRecords();

    XmlScanner m_scanner;
    const std::vector<FieldDef>& m_fields;
    std::vector<std::string_view> m_path; // names of the open elements
    std::vector<PacketField> m_packetFields;
    bool m_mapped = false;
    std::string m_changeLog;
    std::vector<PacketRow> m_rows;
};

std::vector<Record> PacketReader::read()
{
    for (;;) {
        switch (m_scanner.next()) {
        case XmlScanner::Token::StartElement:
            startElement();
            break;
        case XmlScanner::Token::EndElement:
            if (m_path.size() == 3 && m_path[2] == "FIELDS")
                mapFields();
            m_path.pop_back();
            break;
        case XmlScanner::Token::EndOfDocument:
            if (!m_mapped)
                refuse(QStringLiteral("o pacote não tem a lista de campos (FIELDS)"));
            return liveRecords();
        }
    }
}

void PacketReader::startElement()
{
    const std::string_view name = m_scanner.name();
    if (m_path.empty() && name != "DATAPACKET")
        refuse(
            QStringLiteral("não é um pacote de dados (o elemento principal é <%1>)").arg(qs(name)));
    m_path.push_back(name);
    if (m_path.size() == 4 && m_path[2] == "FIELDS" && name == "FIELD")
        readField();
    else if (m_path.size() == 3 && m_path[1] == "METADATA" && name == "PARAMS")
        for (const auto& attribute : m_scanner.attributes())
            if (attribute.name == "CHANGE_LOG")
                m_changeLog = m_scanner.decodeValue(attribute.rawValue);
    if (m_path.size() == 3 && m_path[1] == "ROWDATA" && name == "ROW")
        readRow();
}

void PacketReader::readField()
{
    PacketField field;
    for (const auto& attribute : m_scanner.attributes()) {
        if (attribute.name == "attrname")
            field.name = m_scanner.decodeValue(attribute.rawValue);
        else if (attribute.name == "fieldtype")
            field.type = m_scanner.decodeValue(attribute.rawValue);
    }
    m_packetFields.push_back(std::move(field));
}

bool typeMatches(FieldType type, std::string_view packetType)
{
    switch (type) {
    case FieldType::String:
        return packetType == "string" || packetType == "string.uni";
    case FieldType::Integer:
        return packetType == "i4";
    case FieldType::Float:
        return packetType == "r8";
    case FieldType::Boolean:
        return packetType == "boolean";
    }
    return false;
}

// Ties every field of the table to the packet's field of the same name.
void PacketReader::mapFields()
{
    for (size_t t = 0; t < m_fields.size(); ++t) {
        const FieldDef& def = m_fields[t];
        const QByteArray name = def.name.toUtf8();
        auto match = std::find_if(m_packetFields.begin(), m_packetFields.end(), [&](auto& f) {
            return equalIgnoringAsciiCase(f.name,
                                          std::string_view(name.constData(), size_t(name.size())));
        });
        if (match == m_packetFields.end())
            refuse(QStringLiteral("falta o campo \"%1\"").arg(def.name));
        if (!typeMatches(def.type, match->type))
            refuse(QStringLiteral("o campo \"%1\" é do tipo \"%2\", e não \"%3\"")
                       .arg(def.name, qs(match->type),
                            QString::fromLatin1(packetFieldType(def.type))));
        match->tableIndex = int(t);
    }
    m_mapped = true;
}

void PacketReader::readRow()
{
    if (!m_mapped)
        refuse(QStringLiteral("há registros antes da lista de campos (FIELDS)"));
    PacketRow row;
    row.record.resize(m_fields.size());
    size_t hint = 0; // rows list their attributes in field order: try the next field first
    for (const auto& attribute : m_scanner.attributes()) {
        if (attribute.name == "RowState") {
            const FieldDef state{QStringLiteral("RowState"), FieldType::Integer, 0};
            row.rowState = valueAsInteger(parseValue(state, attribute.rawValue));
            continue;
        }
        size_t f = hint < m_packetFields.size() && m_packetFields[hint].name == attribute.name
                       ? hint
                       : size_t(std::find_if(m_packetFields.begin(), m_packetFields.end(),
                                             [&](auto& pf) { return pf.name == attribute.name; }) -
                                m_packetFields.begin());
        if (f == m_packetFields.size())
            continue; // an attribute that names no field: nothing to keep
        hint = f + 1;
        const int t = m_packetFields[f].tableIndex;
        if (t >= 0)
            row.record[size_t(t)] = parseValue(m_fields[size_t(t)], attribute.rawValue);
    }
    m_rows.push_back(std::move(row));
}

void PacketReader::badValue(const FieldDef& def, std::string_view raw) const
{
    refuse(QStringLiteral("valor inválido \"%1\" no campo \"%2\" do registro %3")
               .arg(qs(raw.substr(0, 40)), def.name)
               .arg(m_rows.size() + 1));
}

FieldValue PacketReader::parseValue(const FieldDef& def, std::string_view raw) const
{
    std::string decoded;
    if (raw.find('&') != std::string_view::npos || def.type == FieldType::String) {
        decoded = m_scanner.decodeValue(raw);
        raw = decoded;
    }
    if (def.type == FieldType::String)
        return truncateToCharacters(qs(raw), def.size);
    const std::string_view text = trimmed(raw);
    if (text.empty())
        return std::monostate();
    const char* end = text.data() + text.size();
    switch (def.type) {
    case FieldType::Integer: {
        qint32 value = 0;
        const auto result = std::from_chars(text.data(), end, value);
        if (result.ec != std::errc() || result.ptr != end)
            badValue(def, raw);
        return value;
    }
    case FieldType::Float: {
        double value = 0;
        const auto result = std::from_chars(text.data(), end, value);
        if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value))
            badValue(def, raw);
        return value;
    }
    case FieldType::Boolean:
        if (text[0] == 'T' || text[0] == 't')
            return true;
        if (text[0] == 'F' || text[0] == 'f')
            return false;
        badValue(def, raw);
    case FieldType::String:
        break;
    }
    return std::monostate();
}

// Rows of an unmerged change log: the live ones are those that are neither an original version
// (1), deleted (2) nor an unused slot (32); a modified version takes its original's place.
std::vector<Record> PacketReader::liveRecords()
{
    const size_t count = m_rows.size();
    std::vector<size_t> originalOf(count + 1, 0); // 1-based rows, as the log counts them
    std::vector<long> log;
    for (std::string_view rest = m_changeLog; !rest.empty();) {
        rest = trimmed(rest);
        while (!rest.empty() &&
               (rest.front() == '\r' || rest.front() == '\n' || rest.front() == ' '))
            rest.remove_prefix(1);
        if (rest.empty())
            break;
        long number = 0;
        const auto result = std::from_chars(rest.data(), rest.data() + rest.size(), number);
        if (result.ec != std::errc())
            refuse(QStringLiteral("CHANGE_LOG inválido"));
        log.push_back(number);
        rest.remove_prefix(size_t(result.ptr - rest.data()));
    }
    for (size_t i = 0; i + 2 < log.size(); i += 3) {
        const long row = log[i], original = log[i + 1], action = log[i + 2];
        if ((action & 8) && row >= 1 && size_t(row) <= count && original >= 1 &&
            size_t(original) <= count && row != original)
            originalOf[size_t(row)] = size_t(original);
    }
    // The place of a row is the place of the first version it descends from.
    auto placeOf = [&](size_t row) {
        for (size_t steps = 0; originalOf[row] != 0 && steps < count; ++steps)
            row = originalOf[row];
        return row;
    };
    std::vector<std::pair<size_t, size_t>> live; // (place, row)
    for (size_t r = 1; r <= count; ++r)
        if ((m_rows[r - 1].rowState & (1 | 2 | 32)) == 0)
            live.emplace_back(placeOf(r), r);
    std::stable_sort(live.begin(), live.end(), [](auto& a, auto& b) { return a.first < b.first; });
    std::vector<Record> records;
    records.reserve(live.size());
    for (const auto& [place, row] : live)
        records.push_back(std::move(m_rows[row - 1].record));
    return records;
}

} // namespace

std::vector<Record> readDataPacket(const QByteArray& bytes, const std::vector<FieldDef>& fields)
{
    std::string converted;
    const std::string_view text = packetText(bytes, converted);
    try {
        return PacketReader(text, fields).read();
    } catch (const XmlError& error) {
        throw TableError(QStringLiteral("XML malformado na linha %1: %2")
                             .arg(error.line)
                             .arg(QString::fromStdString(error.reason)));
    }
}
