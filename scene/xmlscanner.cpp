#include "xmlscanner.h"

#include "textencoding.h"

#include <algorithm>
#include <charconv>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool endsName(char c)
{
    return isBlank(c) || c == '=' || c == '/' || c == '>' || c == '<' || c == '"' || c == '\'';
}

// The character a reference such as "amp" or "#013" or "#xE1" stands for; 0 when unknown.
char32_t resolveReference(std::string_view ref)
{
    if (ref == "lt")
        return '<';
    if (ref == "gt")
        return '>';
    if (ref == "amp")
        return '&';
    if (ref == "quot")
        return '"';
    if (ref == "apos")
        return '\'';
    if (ref.size() < 2 || ref[0] != '#')
        return 0;
    const bool hex = ref[1] == 'x';
    const std::string_view digits = ref.substr(hex ? 2 : 1);
    unsigned long code = 0;
    const auto result =
        std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size())
        return 0;
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    // &#0; has no character of its own in XML; keep it as U+0000 so that such a string
    // written by us reads back, and mark it apart from "unknown".
    return code == 0 ? char32_t(0x110000) : char32_t(code);
}

} // namespace

XmlScanner::XmlScanner(std::string_view text, std::string_view strayEndTag)
    : m_text(text), m_strayEndTag(strayEndTag)
{}

XmlScanner::Token XmlScanner::next()
{
    if (m_pendingEnd) {
        m_pendingEnd = false;
        m_open.pop_back();
        return Token::EndElement;
    }
    for (;;) {
        if (!skipText()) {
            if (!m_open.empty())
                fail("o arquivo termina antes de fechar <" + std::string(m_open.back()) + ">");
            if (!m_rootSeen)
                fail("o arquivo não tem nenhum elemento");
            return Token::EndOfDocument;
        }
        // m_text[m_pos] == '<'
        const char next = m_pos + 1 < m_text.size() ? m_text[m_pos + 1] : '\0';
        if (next == '?' || next == '!') {
            skipMarkup();
        } else if (next == '/') {
            readEndTag();
            if (!m_name.empty())
                return Token::EndElement;
        } else {
            readStartTag();
            return Token::StartElement;
        }
    }
}

// Skips character data up to the next '<'; false at the end of the text.
bool XmlScanner::skipText()
{
    const size_t lt = m_text.find('<', m_pos);
    const size_t end = lt == std::string_view::npos ? m_text.size() : lt;
    if (m_open.empty()) {
        const auto text = m_text.substr(m_pos, end - m_pos);
        if (!std::all_of(text.begin(), text.end(), isBlank))
            fail(m_rootSeen ? "há texto depois do fim do pacote" : "há texto antes do pacote");
    }
    m_pos = end;
    return lt != std::string_view::npos;
}

void XmlScanner::skipMarkup()
{
    const std::string_view rest = m_text.substr(m_pos);
    std::string_view terminator;
    if (rest.substr(0, 2) == "<?")
        terminator = "?>";
    else if (rest.substr(0, 4) == "<!--")
        terminator = "-->";
    else if (rest.substr(0, 9) == "<![CDATA[" && !m_open.empty())
        terminator = "]]>";
    else if (rest.substr(0, 9) == "<!DOCTYPE")
        fail("declarações de tipo de documento (DOCTYPE) não são aceitas");
    else
        fail("marcação desconhecida");
    const size_t end = m_text.find(terminator, m_pos + 2);
    if (end == std::string_view::npos)
        fail("o arquivo termina no meio de uma marcação");
    m_pos = end + terminator.size();
}

void XmlScanner::readStartTag()
{
    if (m_open.empty() && m_rootSeen)
        fail("há um segundo elemento depois do fim do pacote");
    ++m_pos; // '<'
    m_name = readName();
    m_attributes.clear();
    for (;;) {
        const size_t before = m_pos;
        skipBlanks();
        if (m_pos >= m_text.size())
            fail("o arquivo termina dentro da marca <" + std::string(m_name) + ">");
        const char c = m_text[m_pos];
        if (c == '>' || c == '/') {
            if (c == '/' && (m_pos + 1 >= m_text.size() || m_text[m_pos + 1] != '>'))
                fail("'/' fora de lugar em <" + std::string(m_name) + ">");
            m_pos += c == '/' ? 2 : 1;
            m_pendingEnd = c == '/';
            break;
        }
        if (m_pos == before)
            fail("falta espaço entre os atributos de <" + std::string(m_name) + ">");
        Attribute attribute;
        attribute.name = readName();
        skipBlanks();
        if (m_pos >= m_text.size() || m_text[m_pos] != '=')
            fail("falta '=' depois do atributo " + std::string(attribute.name));
        ++m_pos;
        skipBlanks();
        const char quote = m_pos < m_text.size() ? m_text[m_pos] : '\0';
        if (quote != '"' && quote != '\'')
            fail("o valor do atributo " + std::string(attribute.name) + " não está entre aspas");
        const size_t close = m_text.find(quote, m_pos + 1);
        if (close == std::string_view::npos)
            fail("o arquivo termina dentro do valor do atributo " + std::string(attribute.name));
        attribute.rawValue = m_text.substr(m_pos + 1, close - m_pos - 1);
        if (attribute.rawValue.find('<') != std::string_view::npos)
            fail("'<' dentro do valor do atributo " + std::string(attribute.name));
        m_pos = close + 1;
        m_attributes.push_back(attribute);
    }
    // A packet is a handful of levels deep; thousands of levels can only be an attack on the
    // reader.
    if (m_open.size() >= 256)
        fail("elementos aninhados demais");
    m_open.push_back(m_name);
    m_rootSeen = true;
}

void XmlScanner::readEndTag()
{
    m_pos += 2; // "</"
    const std::string_view name = readName();
    skipBlanks();
    if (m_pos >= m_text.size() || m_text[m_pos] != '>')
        fail("marca de fim </" + std::string(name) + "> sem '>'");
    ++m_pos;
    if (!m_open.empty() && m_open.back() == name) {
        m_open.pop_back();
        m_name = name;
        return;
    }
    if (!m_strayEndTag.empty() && name == m_strayEndTag) {
        m_name = {}; // skipped: the caller scans on
        return;
    }
    if (m_open.empty())
        fail("</" + std::string(name) + "> sem marca de início");
    fail("</" + std::string(name) + "> fecha <" + std::string(m_open.back()) + ">");
}

std::string_view XmlScanner::readName()
{
    const size_t start = m_pos;
    while (m_pos < m_text.size() && !endsName(m_text[m_pos]))
        ++m_pos;
    if (m_pos == start)
        fail("falta um nome de elemento ou atributo");
    return m_text.substr(start, m_pos - start);
}

void XmlScanner::skipBlanks()
{
    while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
        ++m_pos;
}

std::string XmlScanner::decodeValue(std::string_view raw) const
{
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\r') {
            out += ' ';
            if (i + 1 < raw.size() && raw[i + 1] == '\n')
                ++i; // a line break written as CR LF is one break
        } else if (c == '\t' || c == '\n') {
            out += ' ';
        } else if (c != '&') {
            out += c;
        } else {
            const size_t semicolon = raw.find(';', i + 1);
            const std::string_view ref = semicolon == std::string_view::npos
                                             ? std::string_view()
                                             : raw.substr(i + 1, semicolon - i - 1);
            const char32_t code = resolveReference(ref);
            if (code == 0)
                fail("referência desconhecida &" +
                     std::string(raw.substr(i + 1, std::min<size_t>(10, raw.size() - i - 1))));
            appendUtf8(out, code == 0x110000 ? 0 : code);
            i = semicolon;
        }
    }
    return out;
}

size_t XmlScanner::lineAt(size_t offset) const
{
    offset = std::min(offset, m_text.size());
    return 1 + size_t(std::count(m_text.begin(), m_text.begin() + long(offset), '\n'));
}

void XmlScanner::fail(const std::string& reason) const
{
    throw XmlError{reason, lineAt(m_pos)};
}
