#pragma once

#include "modelio.h"
#include "tmodel.h"

#include <string_view>

// Reading Wavefront ".mtl" material libraries into a model's Materials. Libraries append: material
// indices keep counting across them, and colour and shininess lines change the material appended
// last, whichever library it came from.

// Reads the library that an "mtllib" line names (does nothing for any other line): the text after
// the line's first run of blanks, upper-cased and untrimmed, looked up in the model's Dir through
// io.openLibrary. A missing library is told to io.notify ("Load Model Material",
// "Cannot find the material file : " + Dir + name) and the model is left as it was.
// Throws ModelConversionError for a value that does not convert.
void LoadMaterialLibrary(std::string_view line, TModel& model, const ModelIO& io = {});

// Appends the materials written in text to the model, as LoadMaterialLibrary reads a library:
// values separated by runs of spaces and tabs, blanks before a keyword and a byte-order mark
// skipped.
// "Ka", "Kd", "Ks", "Ns" lines before the first "newmtl" have no material to change and are
// skipped; "map_...", "d", "illum" and every other line are ignored.
void ParseMaterialLibrary(std::string_view text, TModel& model, char decimalSeparator);
