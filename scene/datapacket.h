#pragma once

#include "fieldvalue.h"

#include <QByteArray>
#include <vector>

// XML data packets: the scene file format that the simulation program and other tools read.
//
//   <?xml version="1.0" encoding="UTF-8" standalone="yes"?>  <DATAPACKET Version="2.0">
//   <METADATA><FIELDS><FIELD attrname="Nome" fieldtype="string" WIDTH="20"/>...</FIELDS>
//   <PARAMS/></METADATA><ROWDATA><ROW Nome="Objeto1" X="0.5" .../></ROWDATA></DATAPACKET>
//
// all on one line. A row carries one attribute per non-null field.

// The fieldtype a packet gives a field of `type`: "string", "i4", "r8" or "boolean".
const char* packetFieldType(FieldType type);

// The whole packet for `records`, UTF-8. Numbers never depend on the locale: doubles are written
// as the shortest text that reads back to the same value ("255", "0.5", "1E-7").
QByteArray writeDataPacket(const std::vector<FieldDef>& fields, const std::vector<Record>& records);

// Reads the live records of a packet into records of `fields` (in that order; extra fields of
// the packet are ignored). Accepts UTF-8 (with a byte order mark, or declared and valid) and
// otherwise Windows-1252, unmerged change logs (RowState and CHANGE_LOG) and a stray
// </PARAMS>. Throws TableError with the reason when the text is not a well-formed packet, lacks
// one of `fields` or gives it another type, or holds a value its field cannot take.
std::vector<Record> readDataPacket(const QByteArray& bytes, const std::vector<FieldDef>& fields);
