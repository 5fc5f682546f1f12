// The section-table text format: reading a table file into master-table records.
//
// A file is read line by line (at most 298 characters; a longer line is read as several, and a
// CR before the line feed is dropped as text-mode reading does). The first token of a line is
// its text up to the first space or line feed within the first 20 characters (a tab does not end
// it). A line is
//   skipped    when it starts with NUL, a line feed, ';' or a space;
//   units      when its token is "E" (inch-pound) or "S" (metric), any case;
//   a keyword  "I", "CHANNEL", "TS", "PIPE", "L", "TEE", "ROUNDBAR" or "FLATBAR", any case, which
//              sets the shape of the lines that follow (I-shape before the first);
//   data       otherwise: a name (the first 15 characters of a word kept), a code character
//              (round bars have none), then numbers in the shape's order (section_properties.h).
// The rows of the first "L" block are read twice: as single angles, then as double angles named
// "2" + name ("2-" + name when the name starts with a digit 1 to 9, cut to 15 characters).
#pragma once

#include <cstdio>
#include <string_view>

#include "tables/master_table.h"
#include "tables/section_properties.h"

namespace qel {

// The first token of `line` as the classifier sees it.
std::string_view FirstToken(const char* line);

enum class LineKind { kSkip, kInchPound, kMetric, kKeyword, kData };
struct LineClass {
  LineKind kind;
  SectionShape shape;  // for keywords
};
LineClass ClassifyLine(const char* line);

// Reads one data line of `shape` into `out` (zeroed first) and completes its properties. False,
// with `out` partly filled, when the line yields fewer fields than the shape needs.
bool ReadSectionLine(const char* line, SectionShape shape, bool metric, _MASTERTABLE& out);

enum class SectionTableStatus { kOk, kBadFormat, kNoMemory };

// Reads every data line of the stream (from its start) into records appended at `count` of the
// C-heap array `table` of `capacity` records (grown as GrowMasterTableIfNeeded does), entering
// each name with its position in the name index. `unitsMetric` is the units setting, changed by
// "E" and "S" lines. Stops at the first data line with too few fields (kBadFormat).
SectionTableStatus ReadSectionTable(std::FILE* file, _MASTERTABLE*& table, int& count,
                                    int& capacity, int& unitsMetric);

}  // namespace qel
