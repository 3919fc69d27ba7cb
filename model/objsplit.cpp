#include "objsplit.h"

#include "modelfiles.h"
#include "objparser.h"
#include "textscan.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace {

constexpr uint64_t twoPartsFrom = uint64_t(4) << 20;
constexpr size_t chunkSize = size_t(256) << 10;
constexpr size_t cutWindow = size_t(64) << 10;
// The cut moves back to where a run of faces begins from up to this part of the text before the
// middle: the parts are then a little less even, but copying the faces would take longer.
constexpr uint64_t faceRunReach = 16;

// Reads [begin, end) of the file through parser, chunk by chunk, each chunk up to its last
// complete line and the rest carried over: a model of any size needs only a small buffer.
// Returns where the parser stopped, or end.
uint64_t readFileRange(ObjParser& parser, const std::string& path, uint64_t begin, uint64_t end)
{
    FileReader file(path);
    if (begin > 0)
        file.seek(begin);
    std::string buffer(chunkSize, '\0');
    uint64_t offset = begin; // of buffer[0]
    size_t kept = 0;
    for (;;) {
        if (kept == buffer.size()) // a line longer than the buffer
            buffer.resize(buffer.size() * 2);
        const uint64_t left = end - (offset + kept);
        const size_t wanted = size_t(std::min<uint64_t>(buffer.size() - kept, left));
        const size_t got = wanted > 0 ? file.read(buffer.data() + kept, wanted) : 0;
        if (got == 0)
            break;
        const size_t filled = kept + got;
        const size_t used = parser.parse(std::string_view(buffer.data(), filled), false);
        if (parser.stopped())
            return offset + used;
        std::memmove(buffer.data(), buffer.data() + used, filled - used);
        kept = filled - used;
        offset += used;
    }
    const size_t used = parser.parse(std::string_view(buffer.data(), kept), true);
    return parser.stopped() ? offset + used : end;
}

// findCut over the file at path, of size bytes, in the 64 KiB from `from`; size when there is
// no cut there.
uint64_t cutInFile(const std::string& path, uint64_t size, uint64_t from)
{
    // A line end just before from is told from the three bytes up to it ("\\", CR, LF).
    const uint64_t windowStart = from > 3 ? from - 3 : 0;
    std::string window(cutWindow, '\0');
    {
        FileReader file(path);
        file.seek(windowStart);
        window.resize(file.read(window.data(), window.size()));
    }
    const size_t found = findCut(window, size_t(from - windowStart));
    if (found != std::string_view::npos && windowStart + found < size)
        return windowStart + found;
    return size;
}

// Appends the items of a later part's list to the model's.
template <typename List>
void appendItems(List& list, int32_t& count, const List& from, int32_t fromCount)
{
    if (fromCount == 0)
        return;
    if (list.empty())
        list.emplace_back();
    list.reserve(list.size() + size_t(fromCount)); // exactly: insert would double
    list.insert(list.end(), from.begin() + 1, from.begin() + 1 + fromCount);
    count += fromCount;
}

// Joins a thread when it goes out of scope, however that happens.
struct JoinedThread
{
    std::thread thread;
    JoinedThread() = default;
    JoinedThread(JoinedThread&&) = default;
    JoinedThread& operator=(JoinedThread&&) = default;
    ~JoinedThread()
    {
        if (thread.joinable())
            thread.join();
    }
};

// Appends the corners of from to those of into, on a thread of its own where one is to be had:
// in a large file they are most of what the join copies. failure receives what it threw.
JoinedThread appendCorners(ModelList<TCorner>& into, const ModelList<TCorner>& from,
                           std::exception_ptr& failure)
{
    const auto append = [&into, &from, &failure] {
        try {
            into.reserve(into.size() + from.size());
            into.insert(into.end(), from.begin(), from.end());
        } catch (...) {
            failure = std::current_exception();
        }
    };
    JoinedThread copier;
    try {
        copier.thread = std::thread(append);
    } catch (const std::system_error&) {
        append();
    }
    return copier;
}

// The faces the later part read before its first "g" line continue the group current at the
// cut; their corners come after the corners the group had, shift of them.
void appendFaces(TGroup& group, const TGroup& carried, int32_t shift)
{
    group.Faces.reserve(group.Faces.size() + size_t(carried.FaceCount));
    for (int32_t f = 1; f <= carried.FaceCount; ++f) {
        TFace face = carried.Faces[size_t(f)];
        face.First += shift;
        group.Faces.push_back(face);
    }
    group.FaceCount += carried.FaceCount;
}

// Joins the later part to the model read up to the cut, as if one parser had read on.
void joinParts(TModel& model, TModel& part, const std::vector<ObjParser::Selection>& selections)
{
    // Room for every group first: none may move while its corners are being copied.
    model.Groups.reserve(size_t(model.GroupCount) + size_t(part.GroupCount) + 1);
    // Where each of the part's groups went in the model.
    std::vector<int32_t> groupIndex(size_t(part.GroupCount) + 1, 0);
    std::exception_ptr copyFailure;
    JoinedThread copier;
    TGroup& carried = part.Groups[1];
    if (carried.FaceCount > 0 || std::any_of(selections.begin(), selections.end(),
                                             [](const auto& s) { return s.Group == 1; })) {
        TGroup& group = currentGroup(model);
        groupIndex[1] = model.GroupCount;
        if (group.FaceCount == 0 && group.Corners.empty()) { // often: all faces after the cut
            group.Faces = std::move(carried.Faces);
            group.Corners = std::move(carried.Corners);
            group.FaceCount = carried.FaceCount;
        } else {
            const int32_t shift = int32_t(group.Corners.size());
            copier = appendCorners(group.Corners, carried.Corners, copyFailure);
            appendFaces(group, carried, shift);
        }
    }
    appendItems(model.Vertices, model.VertexCount, part.Vertices, part.VertexCount);
    appendItems(model.Normals, model.NormalCount, part.Normals, part.NormalCount);
    appendItems(model.TexCoords, model.TexCoordCount, part.TexCoords, part.TexCoordCount);
    for (int32_t g = 2; g <= part.GroupCount; ++g) {
        if (model.Groups.empty())
            model.Groups.emplace_back();
        model.Groups.push_back(std::move(part.Groups[size_t(g)]));
        groupIndex[size_t(g)] = ++model.GroupCount;
    }
    // No library was read in the part, so the materials known now are those known at each line.
    for (const ObjParser::Selection& selection : selections)
        selectMaterial(model, model.Groups[size_t(groupIndex[size_t(selection.Group)])],
                       selection.Name);
    if (copier.thread.joinable())
        copier.thread.join();
    if (copyFailure)
        std::rethrow_exception(copyFailure);
}

// The two-part read over any source, from begin (0 or where a line starts) to its size:
// readRange(parser, begin, end) reads [begin, end) of it through parser and returns where the
// parser stopped, or end; cutFrom(from) is the first place at or after from where it may be cut,
// or its size.
template <typename ReadRange, typename CutFrom>
void readInTwoParts(TModel& model, const ModelIO& io, char separator, uint64_t begin, uint64_t size,
                    uint64_t cut, ReadRange readRange, CutFrom cutFrom)
{
    TModel part;
    ObjParser later = ObjParser::forLaterPart(part, separator);
    later.expectBytes(size - cut);
    // Done first, this thread takes over what the other has not read yet: on a busy machine the
    // other may hardly have begun.
    std::atomic<bool> firstDone{false};
    later.stopWhen(&firstDone);
    uint64_t stop = cut;
    bool laterFailed = false;
    JoinedThread worker;
    try {
        if (cut < size)
            worker.thread = std::thread([&] {
                try {
                    stop = readRange(later, cut, size);
                } catch (...) { // a read failure: the rest is read again after the join
                    laterFailed = true;
                }
            });
    } catch (const std::system_error&) { // no thread to be had: one piece
        cut = stop = size;
    }
    ObjParser first(model, io, separator, begin == 0);
    first.expectBytes(cut - begin);
    try {
        readRange(first, begin, cut); // its error is the first in file order
    } catch (...) {
        firstDone = true; // the other's work is not wanted now
        throw;
    }
    firstDone = true;
    if (worker.thread.joinable())
        worker.thread.join();
    // A later part that failed left stop at the cut: all of it is read again below.
    if (cut < size && !laterFailed)
        joinParts(model, part, later.selections());
    if (stop == size)
        return;
    // What the other left is read in two parts again where that is worth it: the two threads are
    // rarely as fast, and neither should wait long for the other.
    const uint64_t restCut = worthTwoParts(size - stop) ? cutFrom(stop + (size - stop) / 2) : size;
    if (restCut < size) {
        readInTwoParts(model, io, separator, stop, size, restCut, readRange, cutFrom);
    } else {
        ObjParser rest(model, io, separator, false);
        rest.expectBytes(size - stop);
        readRange(rest, stop, size);
    }
}

// Where half the lines of a text of size bytes end, estimated from the line ends that
// countLineEnds(offset, length) finds in windows spread evenly over it. A plain line takes about
// as long to read whatever its length, so the parts get the same share of lines, not of bytes
// (number lines are shorter than face lines, and a file holds the one kind, then the other).
template <typename CountLineEnds>
uint64_t middleByLines(uint64_t size, CountLineEnds countLineEnds)
{
    constexpr int windows = 64;
    constexpr uint64_t window = uint64_t(4) << 10;
    if (size < 4 * windows * window)
        return size / 2;
    uint64_t counts[windows];
    uint64_t total = 0;
    for (int i = 0; i < windows; ++i) {
        counts[i] = countLineEnds(size / windows * uint64_t(i), window) + 1;
        total += counts[i];
    }
    // Each window stands for the stretch that starts with it.
    uint64_t before = 0;
    for (int i = 0; i < windows; ++i) {
        if (2 * (before + counts[i]) >= total) {
            const double share = (double(total) / 2 - double(before)) / double(counts[i]);
            return size / windows * uint64_t(i) + uint64_t(share * double(size / windows));
        }
        before += counts[i];
    }
    return size / 2;
}

size_t lineEndsIn(std::string_view text)
{
    return size_t(std::count(text.begin(), text.end(), '\n'));
}

constexpr uint64_t probeBytes = 512;

// Whether the text starts with a face line (blanks before it allowed).
bool isFaceLine(std::string_view text)
{
    const std::string_view line = withoutLeadingBlanks(text);
    return !line.empty() && upperChar(line.front()) == 'F';
}

// Whether the line after the first line end in bytes is a face line; false when there is none.
bool faceLineAfterFirstEnd(std::string_view bytes)
{
    const size_t lineEnd = bytes.find('\n');
    if (lineEnd == std::string_view::npos)
        return false;
    return isFaceLine(bytes.substr(lineEnd + 1));
}

// The start of the first face line in bytes that follows a line of another kind; npos when none.
size_t firstFaceAfterOther(std::string_view bytes)
{
    bool afterOther = false;
    for (size_t at = bytes.find('\n'); at != std::string_view::npos; at = bytes.find('\n', at)) {
        const bool face = isFaceLine(bytes.substr(++at));
        if (face && afterOther)
            return at;
        afterOther = !face;
    }
    return std::string_view::npos;
}

// Where the run of face lines that the line after middle belongs to begins, when it begins at
// most reach bytes before; middle otherwise. The faces before a cut stay in their group, and
// the faces after it must then be copied after them when the parts are joined; cut where the run
// begins, the later part's faces are taken over whole. readAt(offset, length) gives those bytes.
template <typename ReadAt>
uint64_t startOfFaceRun(uint64_t middle, uint64_t reach, ReadAt readAt)
{
    if (middle < reach || !faceLineAfterFirstEnd(readAt(middle, probeBytes)) ||
        faceLineAfterFirstEnd(readAt(middle - reach, probeBytes)))
        return middle;
    // The line after before is no face line, the one after within is.
    uint64_t before = middle - reach, within = middle;
    while (within - before > probeBytes) {
        const uint64_t half = before + (within - before) / 2;
        (faceLineAfterFirstEnd(readAt(half, probeBytes)) ? within : before) = half;
    }
    const size_t found = firstFaceAfterOther(readAt(before, 3 * probeBytes));
    return found == std::string_view::npos ? middle : before + found;
}

} // namespace

uint64_t middleOf(std::string_view text)
{
    const auto bytesAt = [text](uint64_t offset, uint64_t length) {
        return text.substr(size_t(offset), size_t(length));
    };
    const uint64_t middle = middleByLines(text.size(), [&](uint64_t offset, uint64_t length) {
        return lineEndsIn(bytesAt(offset, length));
    });
    return startOfFaceRun(middle, text.size() / faceRunReach, bytesAt);
}

uint64_t middleOf(const std::string& path, uint64_t size)
{
    FileReader file(path);
    std::string window;
    const auto bytesAt = [&](uint64_t offset, uint64_t length) {
        window.resize(size_t(length));
        file.seek(offset);
        window.resize(file.read(window.data(), window.size()));
        return std::string_view(window);
    };
    const uint64_t middle = middleByLines(size, [&](uint64_t offset, uint64_t length) {
        return lineEndsIn(bytesAt(offset, length));
    });
    return startOfFaceRun(middle, size / faceRunReach, bytesAt);
}

size_t findCut(std::string_view text, size_t from)
{
    for (size_t at = std::max<size_t>(from, 1); at <= text.size(); ++at) {
        const void* found = std::memchr(text.data() + at - 1, '\n', text.size() - at + 1);
        if (!found)
            break;
        at = size_t(static_cast<const char*>(found) - text.data()) + 1;
        // The line before the cut, its CR dropped, must not end in "\".
        size_t last = at - 1;
        if (last > 0 && text[last - 1] == '\r')
            --last;
        if (last == 0 || text[last - 1] != '\\')
            return at;
    }
    return std::string_view::npos;
}

bool worthTwoParts(uint64_t size)
{
    return size >= twoPartsFrom && std::thread::hardware_concurrency() > 1;
}

void parseInTwoParts(TModel& model, std::string_view text, const ModelIO& io, char separator,
                     size_t from)
{
    const auto cutFrom = [text](uint64_t at) -> uint64_t {
        const size_t found = findCut(text, size_t(at));
        return found == std::string_view::npos ? text.size() : found;
    };
    readInTwoParts(
        model, io, separator, 0, text.size(), cutFrom(from),
        [text](ObjParser& parser, uint64_t begin, uint64_t end) -> uint64_t {
            const size_t used = parser.parse(text.substr(size_t(begin), size_t(end - begin)), true);
            return parser.stopped() ? begin + used : end;
        },
        cutFrom);
}

void loadInTwoParts(TModel& model, const std::string& path, uint64_t size, const ModelIO& io,
                    char separator, uint64_t from)
{
    const auto cutFrom = [&path, size](uint64_t at) { return cutInFile(path, size, at); };
    readInTwoParts(
        model, io, separator, 0, size, cutFrom(from),
        [&path](ObjParser& parser, uint64_t begin, uint64_t end) {
            return readFileRange(parser, path, begin, end);
        },
        cutFrom);
}

void loadInOnePiece(TModel& model, const std::string& path, uint64_t expectedSize,
                    const ModelIO& io, char separator)
{
    ObjParser parser(model, io, separator);
    parser.expectBytes(expectedSize);
    readFileRange(parser, path, 0, UINT64_MAX);
}
