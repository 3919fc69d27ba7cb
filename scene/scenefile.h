#pragma once

#include "fieldvalue.h"

#include <QString>
#include <vector>

// Scene files on disk. Every error names the file and the reason.

// Reads the packet at `path` into records of `fields`. Throws TableError when the file cannot be
// read or is not a packet of those fields.
std::vector<Record> readPacketFile(const QString& path, const std::vector<FieldDef>& fields);

// Writes `records` to `path` whole or not at all: the text goes to a temporary file in the same
// folder that replaces `path` only once complete, so a failure or a crash leaves the previous
// file as it was. Throws TableError when the file cannot be written.
void writePacketFile(const QString& path, const std::vector<FieldDef>& fields,
                     const std::vector<Record>& records);
