// The master data file of a model ("<database name>.qel"), in the master data layer: recognising
// its form and version, reading either form into an SMDF over the defaults of a new model,
// writing it as an XML archive, and saving it without ever losing the previous file. CDBIO's
// master data members (dbio/dbio.h) and CQelMDF's archive form call these.
//
// Two forms are read: the XML archive (one map whose struct item "MDF" holds the record's fields
// by name) and the older binary image of a MasterDataV1. Either way the record is first filled
// with the defaults of a new model in the file's unit system and then overwritten field by field,
// so a field the file lacks keeps its default. Only the XML form (archive version 17.3) is
// written.
#pragma once

#include <cstddef>
#include <string>

#include "mdf/mdf_form.h"

struct SMDF;
class CFile;
class CTime;

namespace qel {

// True when the file starts with the six bytes "<?xml ". The file is left at its start.
bool IsXmlMdf(CFile& file);

// The version the file records: the root element's "version" attribute within the first 1024
// bytes of an XML file; the float at byte 0 of a binary file of 1500 bytes or more, at byte 36
// of a shorter one. 0.0 when there is none. The file is left at its start.
float ReadMdfFileVersion(CFile& file);

// Reads an open master data file of either form into `mdf`. On failure (not a readable archive,
// not exactly one map, no "MDF" item, an unreadable file) `mdf` is set to all zeros. A binary
// image shorter than a MasterDataV1 is read as if its missing bytes were zero; a unit code no
// system has (a damaged file) gets the English defaults and keeps its code.
bool ReadMdfFile(CFile& file, SMDF& mdf);

// The XML archive of `mdf` (root "QELArchive" of version 17.3, one struct item "MDF"), generated
// straight from the record: the same bytes as CMapXml writes for MapSMDF's map of it.
std::string MdfDocument(const SMDF& mdf);

// Writes MdfDocument(mdf) at the open file's position; false when the write fails. The file is
// left open for the caller.
bool WriteMdfFile(CFile& file, const SMDF& mdf);

// Saves `mdf` as the file at `path`: the document goes to a temporary file beside it, is forced
// to disk and renamed over the old file. False, with the old file as it was, when the file is
// held by another reader or writer or the write fails (disk full, file-size limit).
bool SaveMdfFile(const char* path, const SMDF& mdf);

// Writes `when` into the record's "Date" (MM/dd/yy) and "Time" (HH:mm:ss), local time.
void StampMdf(SMDF* mdf, const CTime& when);

// Fills `mdf` with the defaults of a new model in unit system `units` (0..2), exactly as
// CQelMDF(units, &mdf).FileNewInit(units, "") does. Those defaults depend only on the unit system
// and the settings file's contents, so when the settings file is their source they are computed
// once per (unit system, contents) and copied; the fields that differ on every call -- the date
// and time, a fresh model identity, and the time stamps of the table files -- are made anew.
void FillNewModelDefaults(SMDF& mdf, int units);

}  // namespace qel
