#pragma once

#include "modelio.h"
#include "tmodel.h"

#include <cstdint>
#include <string>
#include <string_view>

// Reading a large model file on two threads. The text is cut at a line end; the part after the
// cut is read on its own (ObjParser::forLaterPart) while the part before it is read as usual, on
// the calling thread, which alone reads libraries and tells io. The parts are then joined in file
// order, and whatever the later part could not read alone is read after the join. The model, the
// messages and the error raised (the first in file order) are those of a read in one piece.

// Where a text may be cut: just after a line end, but never after a line ending in "\", which
// joins the line after it. The first such place at or after from (at least 1), counted in text;
// std::string_view::npos when there is none. A place at text.size() counts.
size_t findCut(std::string_view text, size_t from);

// Whether a text of this many bytes is read in two parts: from 4 MiB, when the machine has more
// than one core.
bool worthTwoParts(uint64_t size);

// Where to look for the cut: where about half the lines end, estimated from a sample of them;
// or, when that falls a little way into a run of face lines, where the run begins, so that joining
// the parts need not copy the faces after the cut behind those before it.
uint64_t middleOf(std::string_view text);
uint64_t middleOf(const std::string& path, uint64_t size);

// Reads text into model (empty, Dir set) in two parts, cut at findCut(text, from); in one piece
// when no cut falls inside the text.
void parseInTwoParts(TModel& model, std::string_view text, const ModelIO& io, char separator,
                     size_t from);

// Reads the file at path, of size bytes, into model (empty, Dir and FileName set) as
// parseInTwoParts does; the cut is looked for in the 64 KiB from `from`.
void loadInTwoParts(TModel& model, const std::string& path, uint64_t size, const ModelIO& io,
                    char separator, uint64_t from);

// Reads the file at path into model in one piece, chunk by chunk; expectedSize (0: unknown)
// lets the lists reserve ahead.
void loadInOnePiece(TModel& model, const std::string& path, uint64_t expectedSize,
                    const ModelIO& io, char separator);
