#pragma once

#include <functional>
#include <optional>
#include <string>

// What the model and material readers need from their surroundings: someone to tell of missing
// files, a way to open libraries and the user's decimal separator.

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
