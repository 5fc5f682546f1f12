// Section properties from dimensions: for each shape a section table knows, the numbers a data
// line may give, and how every property the line leaves out is worked out from the section's
// plates (flat plates, no fillets or corner radii), in single precision.
//
// A number of the line counts as not given when it is absent or below 0.001 (for a few
// properties of I-shapes and tees, 0.001 itself also counts as not given); a given number is
// always kept as it is. Metric lines give mm, cm^2, cm^3, cm^4 and cm^6; everything is stored in
// in, in^2, in^3, in^4 and in^6.
#pragma once

#include "tables/master_table.h"

namespace qel {

enum class SectionShape : unsigned char {
  kIShape,       // "I"        -> 'W'
  kChannel,      // "CHANNEL"  -> 'C'
  kTube,         // "TS"       -> 'T'
  kPipe,         // "PIPE"     -> 'P'
  kSingleAngle,  // "L"        -> 'A'
  kDoubleAngle,  // second reading of an "L" block -> 'L'
  kTee,          // "TEE"      -> 'E'
  kRoundBar,     // "ROUNDBAR" -> 'R'
  kFlatBar,      // "FLATBAR"  -> 'B'
};

constexpr int kMaxSectionValues = 32;

// The numbers of one data line, in line order; a number the line does not give is 0.
struct SectionRow {
  float v[kMaxSectionValues] = {};
};

struct SectionShapeInfo {
  char code;         // cShape of the records
  int valueCount;    // numbers a line of this shape may give
  int fewestFields;  // fields a line must yield, name and code character counted
  bool hasCodeChar;  // a code character follows the name
};
const SectionShapeInfo& ShapeInfo(SectionShape shape);

// Completes `out`, whose name and code are already set: applies the defaults that copy one number
// of the line into another, converts metric input, works out every property not given, stores
// the shape code and the weight (area x 490 / 144 lb/ft, twice that for a double angle). `row` is
// changed on the way.
void CompleteSection(SectionShape shape, SectionRow& row, bool metric, _MASTERTABLE& out);

}  // namespace qel
