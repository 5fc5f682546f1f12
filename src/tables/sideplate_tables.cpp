#include "tables/sideplate_tables.h"

#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/messages.h"
#include "tables/brace_tables.h"
#include "tables/table_files.h"

namespace qel {
namespace {

constexpr const char* kTableName = "QELSideplate";
constexpr std::size_t kNameAt = 4;

// The process-wide SidePlate state.
struct SidePlateState {
  std::map<std::string, SSideplateRecord> records;  // by connection name
  SidePlateDesignTables design;
  bool designLoaded = false;
  // The last answer of GetSideplate2Data.
  bool remembered = false;
  int lastId = 0;
  std::string lastColumn;
  double lastValue = 0;
  std::string lastResult;
};
SidePlateState& State() {
  static SidePlateState state;
  return state;
}

std::string TextIn(const unsigned char* p, std::size_t n) {
  const void* nul = std::memchr(p, 0, n);
  return std::string(
      reinterpret_cast<const char*>(p),
      nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - p) : n);
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Reads fixed-size fields off the front of a byte range; every read is checked against what is
// left, so no count read from the file is trusted before the bytes behind it are seen.
class Cursor {
 public:
  Cursor(const unsigned char* p, std::size_t n) : p_(p), left_(n) {}
  bool Take(void* out, std::size_t n) {
    if (n > left_) return false;
    if (n) std::memcpy(out, p_, n);
    p_ += n;
    left_ -= n;
    return true;
  }
  bool Skip(std::size_t n) {
    if (n > left_) return false;
    p_ += n;
    left_ -= n;
    return true;
  }
  // An 8-byte count of items of at least `itemBytes` each that the bytes left can hold.
  bool Count(std::uint64_t& n, std::size_t itemBytes) {
    std::int64_t v = 0;
    if (!Take(&v, sizeof v) || v < 0) return false;
    n = static_cast<std::uint64_t>(v);
    return n <= left_ / itemBytes;
  }
  const unsigned char* data() const { return p_; }
  std::size_t left() const { return left_; }

 private:
  const unsigned char* p_;
  std::size_t left_;
};

// The smallest column block: 4 bytes, the name and the count.
constexpr std::size_t kColumnBlockBytes = 4 + 16 + 8;

Sp2Status ParseColumn(Cursor& in, SidePlateDesignTable::Column& column) {
  unsigned char name[16];
  std::uint64_t c = 0;
  if (!in.Skip(4) || !in.Take(name, sizeof name) || !in.Count(c, 8)) return Sp2Status::kBadData;
  column.name = TextIn(name, sizeof name);
  const std::uint64_t strings = c ? c - 1 : 0;
  for (std::uint64_t i = 0; i < strings; ++i) {
    std::uint64_t length = 0;
    if (!in.Count(length, 1) || length >= kSidePlateValueMax) return Sp2Status::kBadData;
    column.values.push_back(TextIn(in.data(), static_cast<std::size_t>(length)));
    in.Skip(static_cast<std::size_t>(length));
  }
  return Sp2Status::kOk;
}

Sp2Status ParseTable(Cursor& in, std::uint64_t blocks, SidePlateDesignTable& table) {
  unsigned char header[16];
  std::uint64_t r = 0;
  if (!in.Take(table.props, sizeof table.props)) return Sp2Status::kBadProps;
  if (!in.Take(header, sizeof header)) return Sp2Status::kBadHeader;
  if (!in.Count(r, 8)) return Sp2Status::kBadData;
  for (std::uint64_t i = 0; i < r; ++i) {
    double key = 0;
    in.Take(&key, sizeof key);
    if (i + 1 < r) table.rowKeys.push_back(key);
  }
  if (blocks > in.left() / kColumnBlockBytes) return Sp2Status::kBadData;
  table.columns.resize(static_cast<std::size_t>(blocks));
  for (auto& column : table.columns)
    if (Sp2Status s = ParseColumn(in, column); s != Sp2Status::kOk) return s;
  return Sp2Status::kOk;
}

void CopyOut(char* out, const std::string& text) {
  std::memcpy(out, text.c_str(), text.size() + 1);
}

// The row for `value` among sorted keys, or -1 when there are none.
long ChooseRow(const std::vector<double>& keys, double value, double tolerance) {
  if (keys.empty()) return -1;
  const long last = static_cast<long>(keys.size()) - 1;
  if (value < keys.front()) return 0;
  if (value > keys.back()) return last;
  for (long i = 0; i <= last; ++i)
    if (std::fabs(keys[static_cast<std::size_t>(i)] - value) <= tolerance) return i;
  for (long i = 0; i < last; ++i) {
    const double lo = keys[static_cast<std::size_t>(i)], hi = keys[static_cast<std::size_t>(i + 1)];
    if (lo <= value && value <= hi) return value - lo <= hi - value ? i : i + 1;
  }
  return last;  // keys out of order: no pair surrounds the value
}

bool EnsureDesignTablesLoaded() {
  SidePlateState& st = State();
  if (st.designLoaded) return true;
  CSideplateTable reader;
  if (!reader.ReadSidePlate2File()) {
    AfxMessageBox("SidePlate file failed to load", MB_ICONSTOP);
    return false;
  }
  st.designLoaded = true;
  return true;
}

const SidePlateDesignTable* FindDesignTable(int id) {
  const SidePlateDesignTables& d = State().design;
  const auto it = d.byId.find(id);
  return it == d.byId.end() ? nullptr : &d.tables[it->second];
}

}  // namespace

int SidePlateDesignTable::Id() const {
  std::int32_t id;
  std::memcpy(&id, props, sizeof id);
  return id;
}

unsigned SidePlateDesignTable::UnitsFlag() const {
  std::uint32_t flag;
  std::memcpy(&flag, props + 120, sizeof flag);
  return flag;
}

Sp2Status ParseSidePlateDesignTables(const unsigned char* data, std::size_t size,
                                     SidePlateDesignTables& out) {
  out = SidePlateDesignTables{};
  Cursor in(data, data ? size : 0);
  std::int32_t n = 0;
  if (!in.Skip(4) || !in.Take(&n, sizeof n) || n < 0 ||
      static_cast<std::uint64_t>(n) + 1 > in.left() / 4)
    return Sp2Status::kBadData;
  std::vector<std::uint32_t> offsets(static_cast<std::size_t>(n) + 1);
  in.Take(offsets.data(), offsets.size() * sizeof(std::uint32_t));
  for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
    const std::int64_t blocks =
        static_cast<std::int64_t>(offsets[i + 1]) - static_cast<std::int64_t>(offsets[i]) - 10;
    if (blocks < 0) return Sp2Status::kBadData;
    SidePlateDesignTable table;
    if (Sp2Status s = ParseTable(in, static_cast<std::uint64_t>(blocks), table);
        s != Sp2Status::kOk)
      return s;
    if (!out.byId.emplace(table.Id(), out.tables.size()).second) return Sp2Status::kDuplicateId;
    out.tables.push_back(std::move(table));
  }
  return Sp2Status::kOk;
}

bool ParseSideplateRecords(const unsigned char* data, std::size_t size,
                           std::vector<SSideplateRecord>& out) {
  std::uint32_t tag = 0;
  if (!data || size < sizeof tag || size % sizeof(SSideplateRecord) != 0) return false;
  std::memcpy(&tag, data, sizeof tag);
  if (tag != kProductTableTag) return false;
  out.resize(size / sizeof(SSideplateRecord));
  std::memcpy(out.data(), data, size);
  return true;
}

void ResetSidePlateState() { State() = SidePlateState{}; }

}  // namespace qel

SSideplateRecord* CSideplateTable::ReadSideplateTable(int& count) {
  HANDLE h = OpenTableFile(qel::kTableName, nullptr, "spl", 0);
  std::vector<unsigned char> bytes;
  std::vector<SSideplateRecord> records;
  if (h != INVALID_HANDLE_VALUE && qel::ReadTableHandle(h, bytes) &&
      qel::ParseSideplateRecords(bytes.data(), bytes.size(), records)) {
    m_records = std::move(records);
    auto& map = qel::State().records;
    map.clear();
    for (const SSideplateRecord& r : m_records)
      map.emplace(qel::TextIn(r.bytes + qel::kNameAt, sizeof r.bytes - qel::kNameAt), r);
  }
  count = static_cast<int>(m_records.size());
  return m_records.empty() ? nullptr : m_records.data();
}

int CSideplateTable::ReadSidePlate2File() {
  const std::string path = qel::TablesFolder() + "\\" + qel::kTableName + ".sp2";
  auto& st = qel::State();
  HANDLE h = OpenTableFile(qel::kTableName, nullptr, "sp2", 0);
  if (h == INVALID_HANDLE_VALUE) {
    st.design = qel::SidePlateDesignTables{};
    return 1;
  }
  std::vector<unsigned char> bytes;
  qel::SidePlateDesignTables tables;
  const qel::Sp2Status status =
      qel::ReadTableHandle(h, bytes)
          ? qel::ParseSidePlateDesignTables(bytes.data(), bytes.size(), tables)
          : qel::Sp2Status::kBadData;
  switch (status) {
    case qel::Sp2Status::kOk:
      st.design = std::move(tables);
      return 1;
    case qel::Sp2Status::kBadProps:
      ShowError("Error reading table props data from file %s.\r\n", path.c_str());
      break;
    case qel::Sp2Status::kBadHeader:
      ShowError("Error reading table header data from file %s.\r\n", path.c_str());
      break;
    case qel::Sp2Status::kBadData:
      ShowError("Error reading data from file %s.\r\n", path.c_str());
      break;
    case qel::Sp2Status::kDuplicateId:
      AfxMessageBox("SidePlateTables duplicate table id found", MB_ICONSTOP);
      break;
  }
  return 0;
}

void CSideplateTable::ShowError(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  MessageBoxA(nullptr, text, "QEL DBIO", MB_ICONSTOP);
}

void CSideplateTable::ScanValue(const std::string& text, double& value, bool& ok) {
  if (ok && std::sscanf(text.c_str(), "%lf", &value) != 1) ok = false;
}

void CSideplateTable::WriteValue(std::string& out, int value) {
  char text[32];
  std::snprintf(text, sizeof text, "%d,", value);
  out += text;
}

void CSideplateTable::WriteValue(std::string& out, double value, int decimals, bool leadingSpace) {
  char format[32];
  if (decimals == -1)
    std::snprintf(format, sizeof format, "%s", "%.10g");
  else
    std::snprintf(format, sizeof format, "%%.%df",
                  decimals < 0    ? 0
                  : decimals > 99 ? 99
                                  : decimals);
  char text[512];
  std::snprintf(text, sizeof text, format, value);
  if (leadingSpace) out += ' ';
  out += text;
  out += ',';
}

void CSideplateTable::WriteValue(std::string& out, const char* text) {
  out += text ? text : "";
  out += ',';
}

int ReadSideplateTable(void** out, int* count) {
  if (!out || !count) return 0;
  *out = nullptr;
  *count = 0;
  CSideplateTable table;
  int n = 0;
  const SSideplateRecord* first = table.ReadSideplateTable(n);
  if (!first || n <= 0) return 0;
  const std::size_t bytes = static_cast<std::size_t>(n) * sizeof(SSideplateRecord);
  void* copy = std::malloc(bytes);
  if (!copy) return 0;
  std::memcpy(copy, first, bytes);
  *out = copy;
  *count = n;
  return 1;
}

int GetSideplateRecord(const char* name, void* out) {
  if (!name || !out) return 0;
  auto& map = qel::State().records;
  if (map.empty()) {
    CSideplateTable table;
    int n = 0;
    table.ReadSideplateTable(n);
  }
  const auto it = map.find(name);
  if (it == map.end()) return 0;
  std::memcpy(out, it->second.bytes, sizeof it->second.bytes);
  return 1;
}

int GetNumTables(int* n) {
  if (!qel::EnsureDesignTablesLoaded()) {
    if (n) *n = -1;
    return 0;
  }
  if (n) *n = static_cast<int>(qel::State().design.tables.size());
  return 1;
}

int GetSidePlate2TableProps(int tableId, void* out) {
  if (!qel::EnsureDesignTablesLoaded()) return 0;
  const qel::SidePlateDesignTable* table = qel::FindDesignTable(tableId);
  if (!table || !out) return 0;
  std::memcpy(out, table->props, sizeof table->props);
  return 1;
}

int GetSideplate2Data(int tableId, const char* column, double value, char* out) {
  if (!out) return 0;
  const std::string col = column ? column : "";
  auto& st = qel::State();
  if (st.remembered && st.lastId == tableId && st.lastColumn == col &&
      std::fabs(st.lastValue - value) <= 0.001) {
    qel::CopyOut(out, st.lastResult);
    return 1;
  }
  out[0] = '\0';
  if (!qel::EnsureDesignTablesLoaded()) return 0;
  const qel::SidePlateDesignTable* table = qel::FindDesignTable(tableId);
  if (!table) {
    qel::CopyOut(out,
                 "SidePlate Design Methodology tables have changed. Previously selected table was "
                 "not found. Choose a new table using Criteria-SidePlate menu.");
    return 0;
  }
  double v = value, tolerance = 0.001;
  if (table->UnitsFlag() == 0) {
    v = value / 12;
    tolerance = 0.1;
  }
  const long row = qel::ChooseRow(table->rowKeys, v, tolerance);
  const std::string wanted = qel::Upper(col);
  for (const auto& c : table->columns) {
    if (qel::Upper(c.name) != wanted) continue;
    if (row < 0 || static_cast<std::size_t>(row) >= c.values.size()) return 0;
    std::string result = c.values[static_cast<std::size_t>(row)];
    while (!result.empty() && result.back() == '\r') result.pop_back();
    qel::CopyOut(out, result);
    st.remembered = true;
    st.lastId = tableId;
    st.lastColumn = col;
    st.lastValue = value;
    st.lastResult = std::move(result);
    return 1;
  }
  return 0;
}
