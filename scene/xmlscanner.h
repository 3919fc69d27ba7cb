#pragma once

#include <string>
#include <string_view>
#include <vector>

// A small pull scanner for the XML of data packets, over UTF-8 text. It checks well-formedness
// (tags nest and match, attributes are quoted, references are known) but keeps no tree and never
// expands a document type: a <!DOCTYPE> is refused, so no entity can blow up. One end tag may be
// declared stray: when it matches no open element it is skipped instead of refused.
//
// Errors throw XmlError with a reason and the line it was found on.
class XmlScanner
{
public:
    enum class Token { StartElement, EndElement, EndOfDocument };

    struct Attribute
    {
        std::string_view name;
        std::string_view rawValue; // as written: references not yet resolved
    };

    explicit XmlScanner(std::string_view text, std::string_view strayEndTag = {});

    Token next();
    // The name of the element just started or ended.
    std::string_view name() const { return m_name; }
    // The attributes of the element just started.
    const std::vector<Attribute>& attributes() const { return m_attributes; }
    // Number of elements open, the one just started included.
    size_t depth() const { return m_open.size(); }

    // An attribute value with its references resolved and its blanks normalised as XML demands
    // (a literal tab, carriage return or line feed reads as a space). Throws on a bad reference.
    std::string decodeValue(std::string_view raw) const;

    // Throws XmlError at the current position.
    [[noreturn]] void fail(const std::string& reason) const;

private:
    void skipMarkup();
    bool skipText();
    void readStartTag();
    void readEndTag();
    std::string_view readName();
    void skipBlanks();
    size_t lineAt(size_t offset) const;

    std::string_view m_text;
    std::string_view m_strayEndTag;
    size_t m_pos = 0;
    std::string_view m_name;
    std::vector<Attribute> m_attributes;
    std::vector<std::string_view> m_open;
    bool m_pendingEnd = false; // an empty element <x/> still owes its end
    bool m_rootSeen = false;
};

struct XmlError
{
    std::string reason;
    size_t line;
};
