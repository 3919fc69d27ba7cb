#include "objloader.h"

#include "modelfiles.h"
#include "objparser.h"
#include "objsplit.h"
#include "textscan.h"

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

namespace {

// The decimal point the reader takes besides ".": the one io names, or else the locale's.
char decimalSeparatorOf(const ModelIO& io)
{
    return io.decimalSeparator ? io.decimalSeparator : localeDecimalSeparator();
}

} // namespace

TModel ParseModel(std::string_view text, const std::string& dir, const ModelIO& io)
{
    TModel model;
    ResetModel(model);
    model.Dir = dir;
    const char separator = decimalSeparatorOf(io);
    if (worthTwoParts(text.size())) {
        parseInTwoParts(model, text, io, separator, middleOf(text));
    } else {
        ObjParser parser(model, io, separator);
        parser.expectBytes(text.size());
        parser.parse(text, true);
    }
    return model;
}

TModel LoadModel(const std::string& path, const ModelIO& io)
{
    TModel model;
    ResetModel(model);
    const size_t cut = path.find_last_of("/\\");
    model.FileName = cut == std::string::npos ? path : path.substr(cut + 1);
    model.Dir = path.substr(0, path.size() - model.FileName.size());
    // One look at the file tells both whether it is there and its size.
    const FileStamp stamp = fileStamp(path);
    if (!stamp.exists) {
        if (io.notify)
            io.notify("Load Model", "Cannot find the model : " + path);
        return model;
    }
    const char separator = decimalSeparatorOf(io);
    const uint64_t size = stamp.size;
    if (worthTwoParts(size))
        loadInTwoParts(model, path, size, io, separator, middleOf(path, size));
    else
        loadInOnePiece(model, path, size, io, separator);
    return model;
}
