// Golden story and member records for the tests, laid out byte by byte at the offsets of the
// record layouts (never through the library's structs), in the current layout or in an older
// stamp's shorter one (a field beyond an older record's end is left out).
#pragma once

#include <initializer_list>
#include <vector>

namespace qeltest {

struct XY {
  double x, y;
};

// A beam from i to j, its support points on its ends, I-end distance 0, J-end distance and span
// the plan length, link points (x, y, z = `linkZ`) on the ends, link flags 0.
std::vector<unsigned char> BeamRecord(XY i, XY j, unsigned long stamp = 0x00110100, int size = 1312,
                                      double linkZ = 0);
// A column at p with its top offset.
std::vector<unsigned char> ColumnRecord(XY p, double top = 0, unsigned long stamp = 0x00110300,
                                        int size = 1072);
// A wall from i to j with its end top offsets.
std::vector<unsigned char> WallRecord(XY i, XY j, double topI = 0, double topJ = 0,
                                      unsigned long stamp = 0x00110100, int size = 584);

// A story file record (336 bytes).
struct StoryRanges {
  int floorType = 0;
  float elevation = 0;
  int beams = 0, firstBeam = 0, columns = 0, firstColumn = 0;
  int walls = 0, firstWall = 0, braces = 0, firstBrace = 0;
};
std::vector<unsigned char> StoryRecord(const StoryRanges& s);

std::vector<unsigned char> Concat(std::initializer_list<std::vector<unsigned char>> parts);

}  // namespace qeltest
