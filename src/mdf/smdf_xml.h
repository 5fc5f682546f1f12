// Reading a master data archive's XML text straight into an SMDF.
//
// The archive road that builds maps (CMapXml::XmlFileToMap, then UnMapSMDF on the "MDF" item)
// allocates an item, a key and a byte array for each of the record's ~1200 fields only to copy
// them into the record a moment later. UnMapXmlToSMDF gives the very same record without the
// maps: it walks the parsed document beside the record's name-ordered descriptor table and
// decodes each field's hex text straight into the field.
//
// Contract:
// - For every text, UnMapXmlToSMDF returns the same status and leaves the same record as the map
//   road: the text read as CMapXml::XmlFileToMap reads a file (larger than kMaxXmlFileBytes,
//   malformed, or nested deeper than kMaxXmlDepth: kUnreadable; the text ends at its first NUL),
//   the list must hold exactly one map (kNotOneMap) with an item "MDF" (kNoMdfItem), and the
//   item's children are unmapped by UnMapSMDF, including its rule for older combination blocks.
// - `mdf` is written only on kOk; on any other status it is left as it was.
// - `prepare`, when given, is called once the archive is known to hold its "MDF" item and before
//   any field is unmapped, with the record to be filled and the bytes of the leaf item "Units"
//   of the "MDF" item (at most 4; null when there is no such leaf item), so that a caller can
//   fill defaults for the archive's unit system first. It may be called on a working copy that
//   is then thrown away, and then once more on the record itself, so it must only fill the record.
// - Documents written by our own writer take the direct walk. A document whose names are out of
//   byte-wise order or repeated at some level, or whose root does not hold exactly one `struct`
//   element "MDF" with fields, is read through the maps instead (same result, map cost).
#pragma once

#include <cstddef>
#include <functional>

#include "mdf/smdf.h"

namespace qel {

enum class SmdfXmlStatus {
  kOk = 0,
  kUnreadable,  // not a readable archive document
  kNotOneMap,   // the root holds more or fewer than one `struct` element
  kNoMdfItem,   // the one map holds no item "MDF"
  kNeedsMaps,   // only from UnMapXmlToSMDFDirect: the document needs the map road
};

// A short English description of a status, for messages and tests.
const char* SmdfXmlStatusText(SmdfXmlStatus status);

using SmdfUnmapPrepare = std::function<void(const BYTE* units, std::size_t size, SMDF& mdf)>;

// Reads `length` bytes of archive text at `text` into `mdf`; see the contract above.
SmdfXmlStatus UnMapXmlToSMDF(const char* text, std::size_t length, SMDF& mdf,
                             const SmdfUnmapPrepare& prepare = {});

// The direct walk alone: kNeedsMaps (with `mdf` untouched) where UnMapXmlToSMDF would take the
// map road; otherwise exactly UnMapXmlToSMDF's status and record.
SmdfXmlStatus UnMapXmlToSMDFDirect(const char* text, std::size_t length, SMDF& mdf,
                                   const SmdfUnmapPrepare& prepare = {});

// The map road alone: XmlFileToMap's reading of the text, then UnMapSMDF of the "MDF" item.
SmdfXmlStatus UnMapXmlToSMDFThroughMaps(const char* text, std::size_t length, SMDF& mdf,
                                        const SmdfUnmapPrepare& prepare = {});

}  // namespace qel
