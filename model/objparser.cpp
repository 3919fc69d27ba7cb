#include "objparser.h"

#include "decimalscan.h"
#include "modelerror.h"
#include "mtlloader.h"
#include "textscan.h"

#include <algorithm>
#include <cstring>

namespace {

// Appends item as the new last slot of a 1-based list, making slot 0 first if the list has none.
template <typename List, typename T>
inline void appendSlot(List& list, int32_t& count, T item)
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
// next blank (or the end), and with atSlash to a "/" as well.
int32_t indexAt(const char*& p, const char* end, bool atSlash, int32_t count)
{
    const char* const first = p;
    while (p < end && !isBlank(*p) && !(atSlash && *p == '/'))
        ++p;
    return absoluteIndex(std::string_view(first, size_t(p - first)), count);
}

const char* skipBlanks(const char* p, const char* end)
{
    while (p < end && isBlank(*p))
        ++p;
    return p;
}

// The fast path reads lines that end, in a line feed, at least 8 bytes before the buffer does
// (lastSureLineEnd): nothing there is checked against the buffer's end.

const char* skipBlanksInLine(const char* p)
{
    while (isBlank(*p))
        ++p;
    return p;
}

// Past the line end at p, blanks before it allowed: the start of the next line, or nullptr when
// anything else is there.
const char* pastLineEndInLine(const char* p)
{
    p = skipBlanksInLine(p);
    if (*p == '\n')
        return p + 1;
    if (p[0] == '\r' && p[1] == '\n')
        return p + 2;
    return nullptr;
}

// A plain index of one to nine digits at p; where it ends, or nullptr when there is no digit or
// a tenth follows.
inline const char* plainIndexInLine(const char* p, int32_t& index)
{
    uint64_t value = 0;
    const char* const digitsEnd = decimalscan::appendDigitRun(p, value);
    if (digitsEnd == p || digitsEnd - p > 9)
        return nullptr;
    index = int32_t(value);
    return digitsEnd;
}

// Where the fast path may read up to: the last line feed of [p, end) with 8 bytes after it, or p.
const char* lastSureLineEnd(const char* p, const char* end)
{
    if (end - p <= 8)
        return p;
    const void* const lineFeed = memrchr(p, '\n', size_t(end - 8 - p) + 1);
    return lineFeed ? static_cast<const char*>(lineFeed) : p;
}

const ModelIO noModelIO;

// Every "g" line makes a new group, even when one of that name exists.
void appendGroup(TModel& model, std::string_view line)
{
    TGroup group;
    group.Name = upperCased(trimmed(textFrom(line, 2)));
    group.Faces.emplace_back();
    appendSlot(model.Groups, model.GroupCount, std::move(group));
}

// Lists below this many items grow as they always do; above it, reserving ahead saves copies.
constexpr size_t reserveAheadFrom = 16384;
// Checking how the lists grow this often costs nothing to speak of.
constexpr size_t checkEvery = size_t(256) << 10;

} // namespace

TGroup& currentGroup(TModel& model)
{
    if (model.GroupCount == 0)
        appendGroup(model, "G");
    return model.Groups[size_t(model.GroupCount)];
}

void selectMaterial(const TModel& model, TGroup& group, std::string_view name)
{
    for (int32_t i = 1; i <= model.MaterialCount; ++i) {
        if (equalIgnoringCase(name, model.Materials[size_t(i)].Name))
            group.Material = i;
    }
}

ObjParser::ObjParser(TModel& model, const ModelIO& io, char separator, bool atStart)
    : m_model(model), m_io(io), m_separator(separator), m_atStart(atStart)
{}

ObjParser ObjParser::forLaterPart(TModel& part, char separator)
{
    part = TModel();
    ObjParser parser(part, noModelIO, separator, false);
    parser.m_laterPart = true;
    TGroup carried;
    carried.Faces.emplace_back();
    appendSlot(part.Groups, part.GroupCount, std::move(carried));
    return parser;
}

size_t ObjParser::parse(std::string_view text, bool wholeText)
{
    size_t markSize = 0;
    if (m_atStart) {
        if (text.size() < 3 && !wholeText)
            return 0; // too little to tell a byte-order mark yet
        m_atStart = false;
        markSize = text.size() - withoutByteOrderMark(text).size();
    }
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin + markSize;
    // A line feed or a digit for the decimal point would let a number run on past its line.
    const bool numbersEndInLine = m_separator != '\n' && !decimalscan::isDigit(m_separator);
    const char* const sureLineEnd = numbersEndInLine ? lastSureLineEnd(p, end) : p;
    const char* lineStart = p;
    size_t nextCheck = 0;
    try {
        while (p < end && !m_stopped) {
            lineStart = p;
            if (size_t(p - begin) >= nextCheck) {
                if (m_stopWhen && m_stopWhen->load(std::memory_order_relaxed)) {
                    m_stopped = true;
                    break;
                }
                reserveAhead(m_seenBytes + uint64_t(p - begin));
                nextCheck = size_t(p - begin) + checkEvery;
            }
            // Plain lines one after another, up to the next check: none of them stops the part or
            // raises a model error.
            const char* const fastEnd = begin + std::min(size_t(sureLineEnd - begin), nextCheck);
            const char* const fastFrom = p;
            while (p < fastEnd) {
                const char* const next = fastLine(p);
                if (!next)
                    break;
                p = next;
            }
            if (p != fastFrom)
                continue;
            const char* const next = generalLine(p, end, wholeText);
            if (!next)
                break;
            p = next;
        }
    } catch (const ModelError&) {
        if (!m_laterPart)
            throw;
        // A later part stops before the line; read again after the join, it raises the same.
        // (Anything else, such as memory running out, leaves the whole part to be read again.)
        dropPartialLine();
        m_stopped = true;
        p = lineStart;
    }
    m_seenBytes += uint64_t(p - begin);
    return size_t(p - begin);
}

// A face line stopped half-way has put some of its corners in the group, and no face.
void ObjParser::dropPartialLine()
{
    TGroup& group = m_model.Groups[size_t(m_model.GroupCount)];
    const TFace& last = group.Faces.back();
    group.Corners.resize(size_t(last.First) + size_t(last.Count));
}

// A line that starts before the last sure line end. The lines from there on (a few bytes, or a
// last line without its line feed) take the general way.
const char* ObjParser::fastLine(const char* p)
{
    if (p[0] == 'v') {
        if (isBlank(p[1]))
            return fastValues<3, true>(p + 2, m_model.Vertices, m_model.VertexCount);
        if (p[1] == 'n' && isBlank(p[2]))
            return fastValues<3, false>(p + 3, m_model.Normals, m_model.NormalCount);
        if (p[1] == 't' && isBlank(p[2]))
            return fastValues<2, true>(p + 3, m_model.TexCoords, m_model.TexCoordCount);
        return nullptr;
    }
    if (p[0] == 'f' && isBlank(p[1]))
        return fastFace(p + 2);
    return nullptr;
}

// N plain decimals separated by blanks, with OneMore a further one that is read and not kept,
// then the line's end: the line as parseValues reads it. The values are gathered and then
// appended whole, which for so few is quicker than filling a slot in place.
template <size_t N, bool OneMore, typename List>
const char* ObjParser::fastValues(const char* p, List& list, int32_t& count)
{
    typename List::value_type values;
    for (size_t i = 0; i < N; ++i) {
        p = decimalscan::scanDecimalInLine(skipBlanksInLine(p), m_separator, values[i]);
        if (!p || (i + 1 < N && !isBlank(*p)))
            return nullptr;
    }
    const char* next = pastLineEndInLine(p);
    if (!next && OneMore && isBlank(*p)) {
        float unused;
        p = decimalscan::scanDecimalInLine(skipBlanksInLine(p), m_separator, unused);
        next = p ? pastLineEndInLine(p) : nullptr;
    }
    if (next)
        appendSlot(list, count, values);
    return next;
}

// A face of plain positive indices in any of the four corner forms, as readFace reads it.
// Corners are read into their slots at once (copying them there afterwards stalls on the stores
// just made); a line that proves to be no plain one takes them back.
const char* ObjParser::fastFace(const char* p)
{
    TGroup& group = currentGroup(m_model);
    const size_t first = group.Corners.size();
    int32_t count = 0, texCoordCount = 0, normalCount = 0;
    p = skipBlanksInLine(p);
    for (;;) {
        TCorner& corner = group.Corners.emplace_back();
        p = plainIndexInLine(p, corner.Vertex);
        if (!p)
            break;
        ++count;
        if (*p == '/') {
            if (*++p != '/') {
                p = plainIndexInLine(p, corner.TexCoord);
                texCoordCount = count;
            }
            if (p && *p == '/') {
                p = plainIndexInLine(p + 1, corner.Normal);
                normalCount = count;
            }
            if (!p)
                break;
        }
        if (p[0] == ' ' && decimalscan::isDigit(p[1])) { // the usual way on
            ++p;
            continue;
        }
        if (const char* const next = pastLineEndInLine(p)) {
            TFace& face = group.Faces.emplace_back();
            face.Count = count;
            face.TexCoordCount = texCoordCount;
            face.NormalCount = normalCount;
            face.First = int32_t(first);
            ++group.FaceCount;
            return next;
        }
        if (!isBlank(*p)) // a corner ends at a blank or the line's end
            break;
        p = skipBlanksInLine(p);
    }
    group.Corners.resize(first);
    return nullptr;
}

// One line by the general rules, with the line after it when it ends in a continuation: the
// start of the line after them, or nullptr when they are not complete yet, or when a later part
// stops before them.
const char* ObjParser::generalLine(const char* p, const char* end, bool wholeText)
{
    LineScanner lines(std::string_view(p, size_t(end - p)), wholeText);
    std::string_view line;
    if (!lines.next(line))
        return nullptr;
    if (!line.empty() && isBlank(line.front()))
        line = withoutLeadingBlanks(line);
    if (line.empty() || line.front() == '#')
        return p + lines.consumed();
    if (line.back() != '\\') {
        readLine(line);
        return m_stopped ? nullptr : p + lines.consumed();
    }
    // One continuation only: the joined line is not looked at for another "\".
    std::string_view following;
    if (!lines.next(following) && !wholeText)
        return nullptr; // the following line is still to come: both wait for the next chunk
    m_joined.assign(line.data(), line.size() - 1);
    m_joined.append(following);
    // The following line may bring blanks, or be all there is.
    if (const std::string_view joined = withoutLeadingBlanks(m_joined); !joined.empty())
        readLine(joined);
    return m_stopped ? nullptr : p + lines.consumed();
}

void ObjParser::readLine(std::string_view line)
{
    if (m_laterPart && needsWhatCameBefore(line))
        m_stopped = true;
    else
        dispatch(line);
}

// In a later part: a library may add materials and a negative index counts back over what came
// before, so neither can be read without it. ("-" anywhere in a face line is enough to stop.)
bool ObjParser::needsWhatCameBefore(std::string_view line) const
{
    switch (upperChar(line.front())) {
    case 'M':
        return startsWithUpper(line, "MTLLIB");
    case 'F':
        return line.find('-') != std::string_view::npos;
    default:
        return false;
    }
}

// Only what this parser adds counts: a list it continues (the model's vertices, read on after
// a later part was joined) may be long already and grow no more.
template <typename List>
void ObjParser::Growth::reserveAhead(List& list, uint64_t done, uint64_t total)
{
    if (since == UINT64_MAX || list.size() == sizeThen) { // not growing (yet)
        since = done;
        sizeThen = list.size();
        return;
    }
    const size_t added = list.size() - std::min(sizeThen, list.size());
    if (added < reserveAheadFrom || done <= since || total <= done)
        return;
    // The pace since the list began to grow, kept up to the end; never more than 8 times what was
    // added, so a list that stops early costs little untouched room, and never less than half as
    // much again as there is room for, so that a pace that quickens costs few copies.
    const double size = double(list.size());
    const double predicted = size + double(added) * double(total - done) / double(done - since);
    if (predicted <= double(list.capacity()))
        return;
    const double room = double(list.capacity());
    list.reserve(size_t(std::max(std::min(predicted * 1.05, size + double(added) * 8), room * 1.5)));
}

void ObjParser::reserveAhead(uint64_t done)
{
    if (m_expectedBytes == 0)
        return;
    m_vertexGrowth.reserveAhead(m_model.Vertices, done, m_expectedBytes);
    m_normalGrowth.reserveAhead(m_model.Normals, done, m_expectedBytes);
    m_texCoordGrowth.reserveAhead(m_model.TexCoords, done, m_expectedBytes);
    if (m_model.GroupCount != m_grownGroup) {
        m_grownGroup = m_model.GroupCount;
        m_cornerGrowth = m_faceGrowth = Growth();
    }
    if (m_model.GroupCount > 0) {
        TGroup& group = m_model.Groups[size_t(m_model.GroupCount)];
        m_cornerGrowth.reserveAhead(group.Corners, done, m_expectedBytes);
        m_faceGrowth.reserveAhead(group.Faces, done, m_expectedBytes);
    }
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

void ObjParser::readGroup(std::string_view line)
{
    appendGroup(m_model, line);
}

void ObjParser::readMaterialSelection(std::string_view line)
{
    const std::string_view name = afterKeyword(line);
    if (m_laterPart)
        m_selections.push_back({m_model.GroupCount, std::string(name)});
    else
        selectMaterial(m_model, currentGroup(m_model), name);
}

// Corners are separated by runs of blanks; each is "v", "v/vt", "v//vn" or "v/vt/vn", and the
// forms may be mixed within a face.
void ObjParser::readFace(std::string_view line)
{
    const std::string_view text = trimmed(afterKeyword(line));
    TGroup& group = currentGroup(m_model);
    TFace face;
    face.First = int32_t(group.Corners.size());
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        group.Corners.push_back(readCorner(p, end, face));
        p = skipBlanks(p, end);
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
