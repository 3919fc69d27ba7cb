#pragma once

#include "modelio.h"
#include "tmodel.h"

#include <string>
#include <string_view>

// Reading Wavefront ".obj" models: a line-based subset ("v", "vn", "vt", "f", "g", "usemtl",
// "mtllib"; every other line is ignored), keywords and names without regard to case, values
// separated by runs of spaces and tabs. Blanks before a line's keyword and a UTF-8 byte-order mark
// at the start of the file are skipped. Material libraries are read by mtlloader.h into the same
// model.

// Empties the model in place: FileName cleared, the five counts 0, the five lists without slots.
// Dir and the bounds are left as they are.
void ResetModel(TModel& model);

// The model at path (split on "/" and "\" into Dir, which keeps its separator, and FileName).
// A missing file is told to io.notify ("Load Model", "Cannot find the model : " + path) and gives
// the empty model with Dir and FileName filled. Throws ModelConversionError for a value that does
// not convert and ModelReadError for a file that cannot be read.
TModel LoadModel(const std::string& path, const ModelIO& io = {});

// The model written in text, as LoadModel reads a file's contents; libraries are looked up as
// dir + their name. Throws as LoadModel does.
TModel ParseModel(std::string_view text, const std::string& dir, const ModelIO& io = {});
