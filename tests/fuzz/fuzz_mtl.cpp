// Feeds arbitrary bytes to the material reader, appending to a model that already holds one
// material, as a second library would.
#include "modelerror.h"
#include "mtlloader.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TModel model;
    try {
        ParseMaterialLibrary("newmtl first\nKd 1 0 0\n", model, '.');
        const int before = model.MaterialCount;
        ParseMaterialLibrary(std::string_view(reinterpret_cast<const char*>(data), size), model,
                             ',');
        if (model.MaterialCount < before ||
            model.Materials.size() != size_t(model.MaterialCount) + 1)
            std::abort();
    } catch (const ModelError&) {
    }
    return 0;
}
