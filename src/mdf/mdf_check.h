// A careful look at a master data file, beside the reader.
//
// The reader (CDBIO::ReadMdf) keeps the rule older programs depend on (mdf_form.h): whatever does
// not begin with "<?xml " is a binary image, and every hex pair that does not parse is skipped. It
// therefore reads anything, and a damaged or unusual file gives a record of garbage without a
// word. CheckMdfFile reports what a careful reader would notice, so that a tool can warn before
// it shows such a record or saves it over the file:
//
// - read as a binary image but really XML text (a byte-order mark, white space or a comment
//   before the declaration, no declaration at all, an XML root element near the start);
// - a binary image that is empty or shorter than its 6152-byte layout, whose version is not a
//   plausible version number (finite, from 1 up to the current archive version 17.3), or whose
//   unit system is not 0, 1 or 2;
// - an XML archive that the reader refuses, a field whose hex text holds characters that are not
//   hex digits or an odd number of digits, or a unit system other than 0, 1 or 2.
//
// Contract: reads the open file from its start (at most kMaxXmlFileBytes of it) and leaves it
// positioned at its start; changes nothing that ReadMdf reads or returns. An empty result means
// nothing was noticed. Each finding's text is one line of English that does not name the file.
// Hex findings stop at kMaxHexFindings, followed by one finding that counts the rest. CFile's
// exceptions from reading pass through.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/cfile.h"

namespace qel {

enum class MdfFindingKind {
  kEmpty,               // no bytes at all
  kXmlTextAsBinary,     // XML text that the form rule takes for a binary image
  kShortImage,          // a binary image shorter than its layout
  kImplausibleVersion,  // a binary image's version is no plausible version number
  kUnitsOutOfRange,     // the unit system is not 0, 1 or 2
  kUnreadableXml,       // an XML archive the reader refuses
  kBadHex,              // a field's hex text with non-hex characters or an odd digit count
};

struct MdfFinding {
  MdfFindingKind kind;
  std::string text;
};

inline constexpr std::size_t kMaxHexFindings = 20;

std::vector<MdfFinding> CheckMdfFile(CFile& file);

}  // namespace qel
