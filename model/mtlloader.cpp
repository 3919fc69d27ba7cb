#include "mtlloader.h"

#include "modelfiles.h"
#include "textscan.h"

namespace {

// A new material: black, shininess 60, no texture.
void appendMaterial(std::string_view line, TModel& model)
{
    TMaterial material;
    material.Name = upperCased(trimmed(textFrom(line, 7)));
    material.Shininess = 60.0f;
    if (model.Materials.empty())
        model.Materials.emplace_back();
    model.Materials.push_back(std::move(material));
    ++model.MaterialCount;
}

void readColour(std::string_view line, TMaterial& material, char separator)
{
    const TVector3 colour = parseThreeValues(trimmed(textFrom(line, 3)), separator);
    switch (upperChar(line.size() > 1 ? line[1] : '\0')) {
    case 'A':
        material.Ambient = colour;
        break;
    case 'D':
        material.Diffuse = colour;
        break;
    case 'S':
        material.Specular = colour;
        break;
    default: // "Ke" and the like are read, and kept nowhere
        break;
    }
}

void readMaterialLine(std::string_view line, TModel& model, char separator)
{
    const char second = line.size() > 1 ? upperChar(line[1]) : '\0';
    switch (upperChar(line.front())) {
    case 'K':
        if (model.MaterialCount > 0)
            readColour(line, model.Materials[size_t(model.MaterialCount)], separator);
        break;
    case 'N':
        if (second == 'E' && startsWithUpper(line, "NEWMTL"))
            appendMaterial(line, model);
        else if (second == 'S' && model.MaterialCount > 0)
            model.Materials[size_t(model.MaterialCount)].Shininess =
                parseFloatValue(trimmed(textFrom(line, 3)), separator);
        break;
    default: // texture maps, "d", "Tr", "illum", "Ni", ...
        break;
    }
}

} // namespace

void ParseMaterialLibrary(std::string_view text, TModel& model, char decimalSeparator)
{
    const char separator = decimalSeparator ? decimalSeparator : localeDecimalSeparator();
    LineScanner lines(withoutByteOrderMark(text));
    std::string_view line;
    while (lines.next(line)) {
        line = withoutLeadingBlanks(line);
        if (!line.empty() && line.front() != '#')
            readMaterialLine(line, model, separator);
    }
}

void LoadMaterialLibrary(std::string_view line, TModel& model, const ModelIO& io)
{
    if (!startsWithUpper(line, "MTLLIB"))
        return;
    const std::string path = model.Dir + upperCased(afterKeyword(line));
    const std::optional<std::string> text =
        io.openLibrary ? io.openLibrary(path) : readLibraryFile(path);
    if (!text) {
        if (io.notify)
            io.notify("Load Model Material", "Cannot find the material file : " + path);
        return;
    }
    ParseMaterialLibrary(*text, model, io.decimalSeparator);
}
