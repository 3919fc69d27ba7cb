// Feeds arbitrary bytes to the model reader, as a model whose "mtllib" lines all name the model
// itself, so the material reader sees the same bytes. Every face the reader keeps must be one the
// drawing can walk: its corners inside its group's list.
#include "modeldraw.h"
#include "modelerror.h"
#include "objloader.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    ModelIO io;
    io.decimalSeparator = ',';
    io.openLibrary = [&](const std::string&) { return std::optional<std::string>(text); };
    io.notify = [](const std::string&, const std::string&) {};
    TModel model;
    try {
        model = ParseModel(text, "", io);
    } catch (const ModelError&) {
        return 0; // a value that does not convert: refused with its message
    }
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
