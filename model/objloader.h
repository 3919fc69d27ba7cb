#pragma once

#include "tmodel.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Reading Wavefront ".obj" models: a strict, line-based subset ("v", "vn", "vt", "f", "g",
// "usemtl", "mtllib"; every other line is ignored), upper-cased, values separated by exactly one
// space. Material libraries are read by mtlloader.h into the same model.

// Tells the user something: a caption and a text, e.g. "Load Model" and
// "Cannot find the model : cart.obj". The application shows it in a message box.
using ModelNotifier = std::function<void(const std::string& caption, const std::string& text)>;

// Opens a material library by the path the model names: its whole text, or nothing when there is
// no such file. May throw ModelReadError.
using LibraryOpener = std::function<std::optional<std::string>(const std::string& path)>;

// Where a reader sends its messages, how it opens libraries and which decimal separator the user's
// locale has.
struct ModelIO
{
    ModelNotifier notify;      // empty: missing files are reported to nobody
    LibraryOpener openLibrary; // empty: from the file system (readLibraryFile)
    char decimalSeparator = 0; // read besides "."; 0: the C library's current locale's
};

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
