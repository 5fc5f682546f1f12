// How a master data file's form is recognised and where its version sits.
//
// Older programs depend on the rule exactly as it stands: a file is an XML archive only when its
// first six bytes are "<?xml " (the declaration's opening and a blank); anything else is taken as
// the older binary image, whatever it holds. The reader (CDBIO) applies the rule; the diagnostic
// in mdf_check.h looks at the same bytes for what the rule lets through.
#pragma once

#include <cstddef>

namespace qel {

// The opening that makes a master data file an XML archive, and its length.
inline constexpr char kMdfXmlOpening[] = "<?xml ";
inline constexpr std::size_t kMdfXmlOpeningBytes = sizeof kMdfXmlOpening - 1;

// A binary file at least this long carries its version as a 32-bit float in bytes 0..3; a shorter
// one (an older form again) carries it at kMdfShortBinaryVersionOffset.
inline constexpr unsigned long long kMdfLongBinaryBytes = 1500;
inline constexpr long long kMdfShortBinaryVersionOffset = 36;

// The archive version written into every master data file.
inline constexpr float kMdfArchiveVersion = 17.3f;
// Length of the image of a binary master data file (a MasterDataV1).
inline constexpr std::size_t kMdfBinaryImageBytes = 6152;

}  // namespace qel
