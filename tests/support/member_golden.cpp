#include "member_golden.h"

#include <cmath>
#include <cstring>

#include "golden_bytes.h"
#include "test_support.h"

namespace qeltest {
namespace {

using Record = std::vector<unsigned char>;

// Writers that leave out a field the (older, shorter) record does not reach.
void F64(Record& b, std::size_t off, double v) {
  if (off + 8 <= b.size()) PutF64(b, off, v);
}
void F32(Record& b, std::size_t off, float v) {
  if (off + 4 <= b.size()) PutF32(b, off, v);
}
void U32(Record& b, std::size_t off, unsigned long v) {
  if (off + 4 <= b.size()) PutU32(b, off, v);
}
void Point(Record& b, std::size_t off, XY p) {
  F64(b, off, p.x);
  F64(b, off + 8, p.y);
}

}  // namespace

Record BeamRecord(XY i, XY j, unsigned long stamp, int size, double linkZ) {
  Record b(static_cast<std::size_t>(size));
  U32(b, 0, stamp);
  Point(b, 8, i);
  Point(b, 24, j);
  Point(b, 40, i);
  Point(b, 56, j);
  const float length = static_cast<float>(std::hypot(j.x - i.x, j.y - i.y));
  F32(b, 228, length);
  F32(b, 232, length);
  Point(b, 1080, i);
  F64(b, 1096, linkZ);
  Point(b, 1104, j);
  F64(b, 1120, linkZ);
  return b;
}

Record ColumnRecord(XY p, double top, unsigned long stamp, int size) {
  Record b(static_cast<std::size_t>(size));
  Point(b, 0, p);
  F64(b, 480, top);
  U32(b, 596, stamp);
  return b;
}

Record WallRecord(XY i, XY j, double topI, double topJ, unsigned long stamp, int size) {
  Record b(static_cast<std::size_t>(size));
  Point(b, 0, i);
  Point(b, 16, j);
  U32(b, 188, stamp);
  F64(b, 200, topI);
  F64(b, 208, topJ);
  return b;
}

Record StoryRecord(const StoryRanges& s) {
  Record b(336);
  PutI32(b, 24, s.floorType);
  PutF32(b, 40, s.elevation);
  PutI32(b, 48, s.beams);
  PutI32(b, 52, s.columns);
  PutI32(b, 56, s.walls);
  PutI32(b, 60, s.braces);
  PutI32(b, 164, s.firstBeam);
  PutI32(b, 168, s.firstColumn);
  PutI32(b, 172, s.firstWall);
  PutI32(b, 176, s.firstBrace);
  return b;
}

Record Concat(std::initializer_list<Record> parts) {
  Record out;
  for (const Record& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace qeltest
