#include "objloader.h"

#include "modelfiles.h"
#include "mtlloader.h"
#include "textscan.h"

#include <cstring>

namespace {

// Appends item as the new last slot of a 1-based list, making slot 0 first if the list has none.
template <typename List, typename T>
void appendSlot(List& list, int32_t& count, T item)
{
    if (list.empty())
        list.emplace_back();
    list.push_back(std::move(item));
    ++count;
}

// The file's index as an absolute 1-based one: a negative index counts back from the end of what
// was read so far (-1 is the last), and one that reaches before the first item becomes 0, which
// drawing takes as "no such item".
int32_t absoluteIndex(std::string_view text, int32_t count)
{
    const int32_t index = parseIntegerValue(text);
    if (index >= 0)
        return index;
    const int64_t absolute = int64_t(count) + 1 + index;
    return absolute >= 1 ? int32_t(absolute) : 0;
}

// The index written at p as absoluteIndex reads it, and p left after it: the index runs to the
// next blank (or the end), and with atSlash to a "/" as well. A plain run of digits, nearly every
// index of a file, is read as it is found; anything else is handed to absoluteIndex whole.
int32_t indexAt(const char*& p, const char* end, bool atSlash, int32_t count)
{
    const char* const first = p;
    const char* const limit = end - p > 9 ? p + 9 : end; // more digits may not fit in 32 bits
    int32_t value = 0;
    for (; p < limit; ++p) {
        const unsigned digit = unsigned(*p - '0');
        if (digit > 9)
            break;
        value = value * 10 + int32_t(digit);
    }
    if (p > first && (p == end || isBlank(*p) || (atSlash && *p == '/')))
        return value;
    while (p < end && !isBlank(*p) && !(atSlash && *p == '/'))
        ++p;
    return absoluteIndex(std::string_view(first, size_t(p - first)), count);
}

// The line rules of the model file, over a whole buffer. Upper-casing is done where it shows: in
// the keyword tests and in the names kept; numbers read the same either way.
class ObjParser
{
public:
    ObjParser(TModel& model, const ModelIO& io)
        : m_model(model), m_io(io),
          m_separator(io.decimalSeparator ? io.decimalSeparator : localeDecimalSeparator())
    {}

    // Reads the complete lines of text (all of it when it is the whole text) and returns how
    // many bytes they took.
    size_t parse(std::string_view text, bool wholeText);
    void parseFile(const std::string& path);

private:
    void dispatch(std::string_view line);
    void readVertexData(std::string_view line);
    void readTexCoord(std::string_view line);
    void readGroup(std::string_view line);
    void readMaterialSelection(std::string_view line);
    void readFace(std::string_view line);
    TCorner readCorner(const char*& p, const char* end, TFace& face) const;
    TGroup& currentGroup();

    TModel& m_model;
    const ModelIO& m_io;
    char m_separator;
    bool m_atStart = true; // nothing of the text seen yet, so a byte-order mark may come
    std::string m_joined;  // a line and its continuation; reused, so it rarely allocates
};

size_t ObjParser::parse(std::string_view text, bool wholeText)
{
    size_t markSize = 0;
    if (m_atStart) {
        if (text.size() < 3 && !wholeText)
            return 0; // too little to tell a byte-order mark yet
        m_atStart = false;
        markSize = text.size() - withoutByteOrderMark(text).size();
        text.remove_prefix(markSize);
    }
    LineScanner lines(text, wholeText);
    std::string_view line;
    size_t start = 0;
    while (lines.next(line)) {
        if (!line.empty() && isBlank(line.front()))
            line = withoutLeadingBlanks(line);
        if (line.empty() || line.front() == '#') {
            start = lines.consumed();
            continue;
        }
        if (line.back() != '\\') {
            dispatch(line);
            start = lines.consumed();
            continue;
        }
        // One continuation only: the joined line is not looked at for another "\".
        std::string_view following;
        if (!lines.next(following) && !wholeText)
            break; // the following line is still to come: both wait for the next chunk
        m_joined.assign(line.data(), line.size() - 1);
        m_joined.append(following);
        // The following line may bring blanks, or be all there is.
        if (const std::string_view joined = withoutLeadingBlanks(m_joined); !joined.empty())
            dispatch(joined);
        start = lines.consumed();
    }
    return markSize + start;
}

// The file is read in chunks, each parsed up to its last complete line, the rest carried over:
// a model of any size needs only a small buffer, and the buffer's memory is reused.
void ObjParser::parseFile(const std::string& path)
{
    FileReader file(path);
    std::string buffer(size_t(256) << 10, '\0');
    size_t kept = 0;
    for (;;) {
        if (kept == buffer.size()) // a line longer than the buffer
            buffer.resize(buffer.size() * 2);
        const size_t got = file.read(buffer.data() + kept, buffer.size() - kept);
        if (got == 0)
            break;
        const size_t filled = kept + got;
        const size_t used = parse(std::string_view(buffer.data(), filled), false);
        std::memmove(buffer.data(), buffer.data() + used, filled - used);
        kept = filled - used;
    }
    parse(std::string_view(buffer.data(), kept), true);
}

// A line that is not empty and starts with its keyword.
void ObjParser::dispatch(std::string_view line)
{
    switch (upperChar(line.front())) {
    case 'F':
        readFace(line);
        break;
    case 'G':
        readGroup(line);
        break;
    case 'M':
        LoadMaterialLibrary(line, m_model, m_io);
        break;
    case 'U':
        if (startsWithUpper(line, "USEMTL"))
            readMaterialSelection(line);
        break;
    case 'V':
        readVertexData(line);
        break;
    default: // "o", "s", "l", "p" and the rest are not drawn
        break;
    }
}

void ObjParser::readVertexData(std::string_view line)
{
    if (line.size() < 2)
        return;
    switch (upperChar(line[1])) {
    case ' ':
    case '\t':
        appendSlot(m_model.Vertices, m_model.VertexCount,
                   parseValues<3, true>(trimmed(textFrom(line, 3)), m_separator));
        break;
    case 'N':
        appendSlot(m_model.Normals, m_model.NormalCount,
                   parseThreeValues(trimmed(textFrom(line, 3)), m_separator));
        break;
    case 'T':
        readTexCoord(line);
        break;
    default: // "vp" and the like
        break;
    }
}

// "vt u v [w]": w, for 3D textures, is read and not kept.
void ObjParser::readTexCoord(std::string_view line)
{
    appendSlot(m_model.TexCoords, m_model.TexCoordCount,
               parseValues<2, true>(trimmed(afterKeyword(line)), m_separator));
}

// Every "g" line makes a new group, even when one of that name exists.
void ObjParser::readGroup(std::string_view line)
{
    TGroup group;
    group.Name = upperCased(trimmed(textFrom(line, 2)));
    group.Faces.emplace_back();
    appendSlot(m_model.Groups, m_model.GroupCount, std::move(group));
}

// Many files have faces (and a material) before any "g" line, or no "g" line at all: they go
// into a first group of their own, named "".
TGroup& ObjParser::currentGroup()
{
    if (m_model.GroupCount == 0)
        readGroup("G");
    return m_model.Groups[size_t(m_model.GroupCount)];
}

// The material belongs to the whole group; with duplicate names the last definition wins, and an
// unknown name leaves the group as it was.
void ObjParser::readMaterialSelection(std::string_view line)
{
    const std::string_view name = afterKeyword(line);
    TGroup& group = currentGroup();
    for (int32_t i = 1; i <= m_model.MaterialCount; ++i) {
        if (equalIgnoringCase(name, m_model.Materials[size_t(i)].Name))
            group.Material = i;
    }
}

// Corners are separated by runs of blanks; each is "v", "v/vt", "v//vn" or "v/vt/vn", and the
// forms may be mixed within a face.
void ObjParser::readFace(std::string_view line)
{
    const std::string_view text = trimmed(afterKeyword(line));
    TGroup& group = currentGroup();
    TFace face;
    face.First = int32_t(group.Corners.size());
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        group.Corners.push_back(readCorner(p, end, face));
        while (p < end && isBlank(*p))
            ++p;
    }
    group.Faces.push_back(face);
    ++group.FaceCount;
}

// The corner at p, and p left at its end. The normal index runs from the second "/" to the end of
// the corner, so a third "/" makes it unconvertible.
TCorner ObjParser::readCorner(const char*& p, const char* end, TFace& face) const
{
    TCorner corner;
    ++face.Count;
    corner.Vertex = indexAt(p, end, true, m_model.VertexCount);
    if (p == end || *p != '/')
        return corner;
    ++p;
    if (p == end || *p != '/') {
        corner.TexCoord = indexAt(p, end, true, m_model.TexCoordCount);
        face.TexCoordCount = face.Count;
        if (p == end || *p != '/')
            return corner;
    }
    ++p;
    corner.Normal = indexAt(p, end, false, m_model.NormalCount);
    face.NormalCount = face.Count;
    return corner;
}

} // namespace

void ResetModel(TModel& model)
{
    model.FileName.clear();
    model.VertexCount = 0;
    model.NormalCount = 0;
    model.TexCoordCount = 0;
    model.GroupCount = 0;
    model.MaterialCount = 0;
    model.Vertices.clear();
    model.Normals.clear();
    model.TexCoords.clear();
    model.Groups.clear();
    model.Materials.clear();
}

TModel ParseModel(std::string_view text, const std::string& dir, const ModelIO& io)
{
    TModel model;
    ResetModel(model);
    model.Dir = dir;
    ObjParser(model, io).parse(text, true);
    return model;
}

TModel LoadModel(const std::string& path, const ModelIO& io)
{
    TModel model;
    ResetModel(model);
    const size_t cut = path.find_last_of("/\\");
    model.FileName = cut == std::string::npos ? path : path.substr(cut + 1);
    model.Dir = path.substr(0, path.size() - model.FileName.size());
    if (!isRegularFile(path)) {
        if (io.notify)
            io.notify("Load Model", "Cannot find the model : " + path);
        return model;
    }
    ObjParser(model, io).parseFile(path);
    return model;
}
