// Feeds arbitrary bytes to the model reader, as a model whose "mtllib" lines all name the model
// itself, so the material reader sees the same bytes. Every face the reader keeps must be one the
// drawing can walk: its corners inside its group's list. Read in two parts, cut where the first
// byte says, the bytes must give the same model, messages and error as read in one piece; and so
// must they with every "v" and "f" keyword upper-cased, which leaves the lines to the general rules
// rather than the fast path.
#include "modeldraw.h"
#include "modelerror.h"
#include "objloader.h"
#include "objsplit.h"
#include "samemodel.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Read
{
    TModel model;
    std::string error;
    std::vector<std::string> calls;
};

// text with the keyword of every line that starts with "v" or "f" upper-cased: keywords ignore
// case, so it means the same. A line that continues one ending in "\\" is part of that line and
// is left alone.
std::string withUpperKeywords(std::string text)
{
    bool continuation = false;
    for (size_t at = 0; at < text.size();) {
        if (!continuation && (text[at] == 'v' || text[at] == 'f'))
            text[at] = char(text[at] - 'a' + 'A');
        const size_t lineFeed = text.find('\n', at);
        if (lineFeed == std::string::npos)
            break;
        size_t lineEnd = lineFeed;
        if (lineEnd > at && text[lineEnd - 1] == '\r')
            --lineEnd;
        // One continuation only: the line after a continuation is a line of its own.
        continuation = !continuation && lineEnd > at && text[lineEnd - 1] == '\\';
        at = lineFeed + 1;
    }
    return text;
}

template <typename Reader>
Read readWith(const std::string& text, Reader reader)
{
    Read read;
    ModelIO io;
    io.decimalSeparator = ',';
    io.openLibrary = [&](const std::string& path) {
        read.calls.push_back("open " + path);
        return std::optional<std::string>(text);
    };
    io.notify = [&](const std::string&, const std::string& message) {
        read.calls.push_back(message);
    };
    try {
        ResetModel(read.model);
        reader(read.model, io);
    } catch (const ModelError& error) {
        read.error = error.what();
    }
    return read;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    Read whole =
        readWith(text, [&](TModel& model, const ModelIO& io) { model = ParseModel(text, "", io); });
    const size_t from = size > 0 ? size * data[0] / 256 : 0;
    const Read parts = readWith(text, [&](TModel& model, const ModelIO& io) {
        parseInTwoParts(model, text, io, ',', from);
    });
    const std::string upper = withUpperKeywords(text);
    const Read general = readWith(text, [&](TModel& model, const ModelIO& io) {
        model = ParseModel(upper, "", io);
    });
    for (const Read* other : {&parts, &general})
        if (other->error != whole.error || other->calls != whole.calls ||
            (whole.error.empty() && !sameModel(other->model, whole.model)))
            std::abort();
    if (!whole.error.empty())
        return 0; // a value that does not convert: refused with its message
    TModel& model = whole.model;
    ComputeModelBounds(model);
    if (model.GroupCount < 0 ||
        (model.GroupCount > 0 && model.Groups.size() != size_t(model.GroupCount) + 1))
        std::abort();
    for (const TGroup& group : model.Groups)
        for (const TFace& face : group.Faces)
            if (face.Count > 0 && size_t(face.First) + size_t(face.Count) > group.Corners.size())
                std::abort();
    return 0;
}
