#include "tables/section_table.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tables/property_table_map.h"

namespace qel {
namespace {

// One line of at most 298 characters plus its NUL, as the table files were always read.
constexpr int kLineBuffer = 299;
constexpr std::size_t kTokenWindow = 20;
constexpr std::size_t kNameLength = 15;

struct Keyword {
  const char* text;
  SectionShape shape;
};
constexpr Keyword kKeywords[] = {
    {"I", SectionShape::kIShape},          {"CHANNEL", SectionShape::kChannel},
    {"TS", SectionShape::kTube},           {"PIPE", SectionShape::kPipe},
    {"L", SectionShape::kSingleAngle},     {"TEE", SectionShape::kTee},
    {"ROUNDBAR", SectionShape::kRoundBar}, {"FLATBAR", SectionShape::kFlatBar},
};

bool EqualsNoCase(std::string_view a, const char* b) {
  const std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != static_cast<unsigned char>(b[i]))
      return false;
  return true;
}

const Keyword* FindKeyword(std::string_view token) {
  for (const Keyword& k : kKeywords)
    if (EqualsNoCase(token, k.text)) return &k;
  return nullptr;
}

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// fgets, with a CR before the final line feed dropped.
bool ReadLine(std::FILE* file, char* line) {
  if (!std::fgets(line, kLineBuffer, file)) return false;
  const std::size_t n = std::strlen(line);
  if (n >= 2 && line[n - 2] == '\r' && line[n - 1] == '\n') {
    line[n - 2] = '\n';
    line[n - 1] = '\0';
  }
  return true;
}

// The angle rows after the first "L" line, which has just been read: lines whose token has two
// or more characters and is no keyword, up to the first line with a shorter token or a
// multi-letter keyword once one row is counted. The stream is left where it was. The count is
// taken when the main pass meets that line rather than in a pass of its own from the start: it
// is the same line either way, and the lines before it are read only once.
int CountAngleRows(std::FILE* file, char* line, long afterL) {
  int rows = 0;
  while (ReadLine(file, line)) {
    const std::string_view token = FirstToken(line);
    if (token.size() >= 2 && !FindKeyword(token))
      ++rows;
    else if (rows > 0)
      break;
  }
  std::fseek(file, afterL, SEEK_SET);
  return rows;
}

// "2" + name, or "2-" + name when the name starts with a digit 1 to 9; cut to 15 characters.
void DoubleAngleName(char* name) {
  const bool digit = name[0] >= '1' && name[0] <= '9';
  std::string prefixed = digit ? "2-" : "2";
  prefixed += name;
  prefixed.resize(std::min(prefixed.size(), kNameLength));
  std::memcpy(name, prefixed.c_str(), prefixed.size() + 1);
}

}  // namespace

std::string_view FirstToken(const char* line) {
  std::size_t n = 0;
  while (n < kTokenWindow && line[n] && line[n] != ' ' && line[n] != '\n') ++n;
  return std::string_view(line, n);
}

LineClass ClassifyLine(const char* line) {
  const char c = line[0];
  if (c == '\0' || c == '\n' || c == ';' || c == ' ') return {LineKind::kSkip, {}};
  const std::string_view token = FirstToken(line);
  if (EqualsNoCase(token, "E")) return {LineKind::kInchPound, {}};
  if (EqualsNoCase(token, "S")) return {LineKind::kMetric, {}};
  if (const Keyword* k = FindKeyword(token)) return {LineKind::kKeyword, k->shape};
  return {LineKind::kData, {}};
}

bool ReadSectionLine(const char* line, SectionShape shape, bool metric, _MASTERTABLE& out) {
  out = _MASTERTABLE{};
  const SectionShapeInfo& info = ShapeInfo(shape);
  const char* p = line;
  while (IsSpace(*p)) ++p;
  const char* name = p;
  while (*p && !IsSpace(*p)) ++p;
  int fields = 0;
  if (p > name) {
    const std::size_t n = static_cast<std::size_t>(p - name);
    std::memcpy(out.szName, name, n < kNameLength ? n : kNameLength);
    ++fields;
    bool more = true;
    if (info.hasCodeChar) {
      while (IsSpace(*p)) ++p;
      if (*p) {
        out.cCode = *p++;
        ++fields;
      } else {
        more = false;
      }
    }
    SectionRow row;
    for (int i = 0; more && i < info.valueCount; ++i) {
      char* end = nullptr;
      const float value = std::strtof(p, &end);
      if (end == p) break;
      row.v[i] = value;
      ++fields;
      p = end;
    }
    if (fields >= info.fewestFields) {
      CompleteSection(shape, row, metric, out);
      return true;
    }
  }
  return false;
}

SectionTableStatus ReadSectionTable(std::FILE* file, _MASTERTABLE*& table, int& count,
                                    int& capacity, int& unitsMetric) {
  char line[kLineBuffer];
  std::rewind(file);
  long afterL = -1;  // the position after the first "L" line, once met
  int angleRows = 0;

  SectionShape shape = SectionShape::kIShape;
  while (ReadLine(file, line)) {
    const LineClass kind = ClassifyLine(line);
    switch (kind.kind) {
      case LineKind::kSkip:
        continue;
      case LineKind::kInchPound:
      case LineKind::kMetric:
        unitsMetric = kind.kind == LineKind::kMetric ? 1 : 0;
        continue;
      case LineKind::kKeyword:
        shape = kind.shape;
        if (shape == SectionShape::kSingleAngle && afterL < 0) {
          afterL = std::ftell(file);
          angleRows = CountAngleRows(file, line, afterL);
        }
        continue;
      case LineKind::kData:
        break;
    }
    void* grown = table;
    if (count == INT32_MAX || !GrowMasterTableIfNeeded(&grown, count + 1, &capacity))
      return SectionTableStatus::kNoMemory;
    table = static_cast<_MASTERTABLE*>(grown);
    _MASTERTABLE& record = table[count];
    if (!ReadSectionLine(line, shape, unitsMetric != 0, record))
      return SectionTableStatus::kBadFormat;
    if (shape == SectionShape::kDoubleAngle) DoubleAngleName(record.szName);
    AddMapToSteelTable(record.szName, count);
    ++count;
    // After the last single angle of the first "L" block, its rows are read again as doubles.
    if (shape == SectionShape::kSingleAngle && --angleRows == 0 && afterL >= 0) {
      shape = SectionShape::kDoubleAngle;
      std::fseek(file, afterL, SEEK_SET);
    }
  }
  return SectionTableStatus::kOk;
}

}  // namespace qel
