// The vendors' product tables, from golden byte images laid out as the vendors write them.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "golden_bytes.h"
#include "tables/brace_tables.h"
#include "tables/property_table_map.h"
#include "tables/sideplate_tables.h"
#include "tables/steel_design_tables.h"
#include "tables_fixture.h"

namespace {

using namespace qeltest;

struct Brace {
  std::string name;
  double t, b, a;
};

// Records of `size` bytes: the tag in the first, the name at 8, the doubles where the vendor
// keeps them, and a recognisable vendor byte at the end of each.
std::vector<unsigned char> BraceFile(const std::vector<Brace>& braces, std::size_t size,
                                     std::size_t tAt, std::size_t bAt, std::size_t aAt) {
  std::vector<unsigned char> bytes(braces.size() * size, 0);
  for (std::size_t i = 0; i < braces.size(); ++i) {
    const std::size_t r = i * size;
    if (i == 0) PutU32(bytes, 0, 0x000E0400);
    std::memcpy(&bytes[r + 8], braces[i].name.c_str(),
                std::min<std::size_t>(16, braces[i].name.size()));
    PutF64(bytes, r + tAt, braces[i].t);
    PutF64(bytes, r + bAt, braces[i].b);
    PutF64(bytes, r + aAt, braces[i].a);
    bytes[r + size - 1] = static_cast<unsigned char>(0xA0 + i);
  }
  return bytes;
}

std::vector<unsigned char> CoreBrace(const std::vector<Brace>& braces) {
  return BraceFile(braces, 1008, 32, 40, 56);
}
std::vector<unsigned char> StarSeismic(const std::vector<Brace>& braces) {
  return BraceFile(braces, 128, 40, 48, 24);
}

using ProductTables = TablesTest;

TEST_F(ProductTables, CoreBraceRecordsAreSolidPlates) {
  _MASTERTABLE* table = nullptr;
  int count = 0, capacity = 0;
  WriteBytes(TableFile("QELCoreBrace.cbd"),
             CoreBrace({{"CB-1.5X6", 1.5, 6, 9}, {"A-VERY-LONG-CORE-NAME", 1, 4, 4}}));
  CreatePropertyTableMapObject();
  ASSERT_EQ(ReadCoreBraceTable(table, nullptr, count, capacity), 1);
  ASSERT_EQ(count, 2);
  const _MASTERTABLE& m = table[0];
  EXPECT_STREQ(m.szName, "CB-1.5X6");
  EXPECT_EQ(m.cShape, 'V');
  // A 6 x 1.5 plate: Ix = 6 * 1.5^3 / 12, Sx = Ix / 0.75, Iy = 1.5 * 6^3 / 12, Sy = Iy / 3,
  // Zx = 6 * 1.5^2 / 4, Zy = 1.5 * 6^2 / 4, shear areas 5/6 A; no weight.
  ExpectFields(m,
               "fTfTop=1.5 fBfTop=6 fArea=9 fIx=1.6875 fSxTop=2.25 fSxBot=2.25 fIy=27 "
               "fSy=9 fZx=3.375 fZy=13.5 fJ=0.001 fAvWeb=7.5 fAvFlange=7.5 fWeight=0");
  EXPECT_STREQ(table[1].szName, "A-VERY-LONG-COR");
  EXPECT_EQ(GetMyLocationInTheSteelTable("cb-1.5x6"), 0);

  // The whole vendor record comes back by name.
  std::vector<unsigned char> record(1008);
  ASSERT_EQ(GetCoreBraceRecord("A-VERY-LONG-COR", record.data()), 1);
  EXPECT_EQ(record[1007], 0xA1);
  EXPECT_EQ(GetCoreBraceRecord("CB-9", record.data()), 0);
  std::free(table);
}

TEST_F(ProductTables, OnlyWholeTaggedFilesAreRead) {
  _MASTERTABLE* table = nullptr;
  int count = 0, capacity = 0;
  auto bytes = CoreBrace({{"CB1", 1, 4, 4}, {"CB2", 1, 4, 4}});
  bytes.resize(2000);
  WriteBytes(TableFile("QELCoreBrace.cbd"), bytes);
  EXPECT_EQ(ReadCoreBraceTable(table, nullptr, count, capacity), 0);
  bytes = CoreBrace({{"CB1", 1, 4, 4}});
  bytes[0] = 0x01;
  WriteBytes(TableFile("QELCoreBrace.cbd"), bytes);
  EXPECT_EQ(ReadCoreBraceTable(table, nullptr, count, capacity), 0);
  WriteBytes(TableFile("QELCoreBrace.cbd"), {});
  EXPECT_EQ(ReadCoreBraceTable(table, nullptr, count, capacity), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(table, nullptr);
  // Counts that would overflow the table are refused before anything is allocated.
  const auto one = CoreBrace({{"CB1", 1, 4, 4}});
  count = INT_MAX - 20;
  EXPECT_EQ(qel::AppendBraceProducts(qel::BraceVendor::kCoreBrace, one.data(), one.size(), table,
                                     count, capacity),
            0);
  EXPECT_EQ(table, nullptr);
}

TEST_F(ProductTables, WhereEachVendorsTableIsLookedFor) {
  // Star Seismic beside the model only; CoreBrace beside the model, else in the tables folder.
  WriteBytes(TableFile("QELStarSeismic.ssd"), StarSeismic({{"SS-FOLDER", 1, 4, 4}}));
  WriteBytes(TableFile("QELCoreBrace.cbd"), CoreBrace({{"CB-FOLDER", 1, 4, 4}}));
  WriteText(ModelFile("Bldg.tab"), "W1 A 10 0.5 8 1\n");
  const std::string model = ModelFile("Bldg.qel");
  ASSERT_EQ(BuildSteelDesignTables(nullptr, model.c_str()), 1);
  ASSERT_EQ(NumMasterTable, 3);
  EXPECT_STREQ(MasterTable_Bgn_Ptr[1].szName, "CB-FOLDER");
  EXPECT_STREQ(MasterTable_Bgn_Ptr[2].szName, "No Design");
  char record[128];
  EXPECT_EQ(GetStarSeismicRecord("SS-FOLDER", record), 0);
  DeleteMasterSteelTable();

  // Beside the model: Star Seismic first, then CoreBrace, then the closing record.
  WriteBytes(ModelFile("Bldg.ssd"), StarSeismic({{"SS-1", 0.5, 8, 4}, {"SS-2", 1, 8, 8}}));
  WriteBytes(ModelFile("Bldg.cbd"), CoreBrace({{"CB-MODEL", 1, 4, 4}}));
  ASSERT_EQ(BuildSteelDesignTables(nullptr, model.c_str()), 1);
  ASSERT_EQ(NumMasterTable, 5);
  EXPECT_STREQ(MasterTable_Bgn_Ptr[1].szName, "SS-1");
  EXPECT_EQ(MasterTable_Bgn_Ptr[1].cShape, 'S');
  ExpectFields(MasterTable_Bgn_Ptr[1], "fArea=4 fTfTop=0.5 fBfTop=8");
  EXPECT_STREQ(MasterTable_Bgn_Ptr[3].szName, "CB-MODEL");
  EXPECT_EQ(GetMyLocationInTheSteelTable("ss-2"), 2);
  ASSERT_EQ(GetStarSeismicRecord("SS-2", record), 1);
  EXPECT_EQ(record[127], static_cast<char>(0xA1));
}

// A ".sp2" image built field by field.
class Sp2 {
 public:
  struct Table {
    int id;
    unsigned units;
    std::vector<double> keys;
    std::vector<std::pair<std::string, std::vector<std::string>>> columns;
  };
  static std::vector<unsigned char> Build(const std::vector<Table>& tables) {
    Bytes b;
    b.U32(0x000E0400).I32(static_cast<int>(tables.size()));
    std::uint32_t offset = 100;
    b.U32(offset);
    for (const Table& t : tables)
      b.U32(offset += 10 + static_cast<std::uint32_t>(t.columns.size()));
    for (const Table& t : tables) {
      std::vector<unsigned char> props(128, 0x5A);
      PutU32(props, 0, static_cast<unsigned long>(t.id));
      PutU32(props, 120, t.units);
      b.Raw(std::string(props.begin(), props.end())).Raw(std::string(16, 'h'));
      b.U64(t.keys.size() + 1);
      for (double k : t.keys) b.F64(k);
      b.F64(-1);  // the count's last double is no key
      for (const auto& [name, values] : t.columns) {
        std::string field = name;
        field.resize(16, '\0');
        b.U32(0).Raw(field).U64(values.size() + 1);
        for (const std::string& v : values) b.U64(v.size() + 1).Raw(v).U8(0);
      }
    }
    return b.bytes();
  }
};

class SidePlate : public TablesTest {
 protected:
  void Install(const std::vector<unsigned char>& bytes) {
    WriteBytes(TableFile("QELSideplate.sp2"), bytes);
    qel::ResetSidePlateState();
  }
  std::string Data(int id, const char* column, double value, int* result = nullptr) {
    char out[kSidePlateValueMax];
    std::memset(out, '#', sizeof out);
    const int r = GetSideplate2Data(id, column, value, out);
    if (result) *result = r;
    return out;
  }
  static std::vector<unsigned char> Standard() {
    return Sp2::Build({{7, 1, {10, 20, 30}, {{"Tp", {"a", "b", "c\r\r"}}, {"Wd", {"1", "2", "3"}}}},
                       {8, 0, {1, 2}, {{"Tp", {"one foot", "two feet"}}}}});
  }
};

TEST_F(SidePlate, ChoosesTheRowByValue) {
  Install(Standard());
  int n = 0;
  ASSERT_EQ(GetNumTables(&n), 1);
  EXPECT_EQ(n, 2);
  unsigned char props[128];
  ASSERT_EQ(GetSidePlate2TableProps(8, props), 1);
  EXPECT_EQ(props[0], 8);
  EXPECT_EQ(props[64], 0x5A);
  EXPECT_EQ(GetSidePlate2TableProps(9, props), 0);

  int r = 0;
  EXPECT_EQ(Data(7, "TP", 5, &r), "a");  // below the first key
  EXPECT_EQ(r, 1);
  EXPECT_EQ(Data(7, "tp", 35), "c");       // above the last; trailing CRs dropped
  EXPECT_EQ(Data(7, "Tp", 19.9995), "b");  // within 0.001 of a key
  EXPECT_EQ(Data(7, "Tp", 24), "b");       // the nearer key
  EXPECT_EQ(Data(7, "WD", 26), "3");
  // Units flag 0: the value is in inches against keys in feet, tolerance 0.1 ft.
  EXPECT_EQ(Data(8, "Tp", 23), "two feet");    // 1.917 ft is within 0.1 of 2
  EXPECT_EQ(Data(8, "Tp", 18), "one foot");    // 1.5 ft, halfway: the lower
  EXPECT_EQ(Data(8, "Tp", 19.5), "two feet");  // 1.625 ft: nearer 2

  EXPECT_EQ(Data(7, "Nope", 10, &r), "");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(Data(99, "Tp", 10, &r),
            "SidePlate Design Methodology tables have changed. Previously selected table was not "
            "found. Choose a new table using Criteria-SidePlate menu.");
  EXPECT_EQ(r, 0);
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(SidePlate, RepeatsTheLastAnswerForTheSameQuestion) {
  Install(Standard());
  EXPECT_EQ(Data(7, "Tp", 25), "b");  // a tie between 20 and 30: the lower
  // 25.0009 is nearer 30, but within 0.001 of the last question: its answer is repeated.
  EXPECT_EQ(Data(7, "Tp", 25.0009), "b");
  EXPECT_EQ(Data(7, "TP", 25.0009), "c") << "another column text is another question";
  EXPECT_EQ(Data(7, "TP", 25.0009), "c");
}

TEST_F(SidePlate, DamagedFilesAreRefusedWhole) {
  auto bytes = Standard();
  Install(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 12 + 12 + 100));
  int n = 0;
  EXPECT_EQ(GetNumTables(&n), 0);
  EXPECT_EQ(n, -1);
  ASSERT_EQ(boxes_.boxes().size(), 2u);
  EXPECT_EQ(boxes_.boxes()[0].text,
            "Error reading table props data from file " + tables_ + "\\QELSideplate.sp2.\r\n");
  EXPECT_EQ(boxes_.boxes()[0].caption, "QEL DBIO");
  EXPECT_EQ(boxes_.boxes()[1].text, "SidePlate file failed to load");
  EXPECT_EQ(Data(7, "Tp", 5), "");
  EXPECT_EQ(boxes_.boxes().size(), 4u) << "each use tries the load again";

  Install(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 24 + 128 + 8));
  EXPECT_EQ(GetNumTables(&n), 0);
  EXPECT_NE(boxes_.boxes()[4].text.find("Error reading table header data"), std::string::npos);

  Install(Sp2::Build({{7, 1, {1}, {}}, {7, 1, {2}, {}}}));
  EXPECT_EQ(GetNumTables(&n), 0);
  EXPECT_EQ(boxes_.boxes()[6].text, "SidePlateTables duplicate table id found");

  // Counts and lengths beyond the bytes that follow them.
  qel::SidePlateDesignTables tables;
  auto hostile = [&](std::size_t at, std::uint64_t value, int width) {
    auto b = Standard();
    for (int i = 0; i < width; ++i) b[at + i] = static_cast<unsigned char>(value >> (8 * i));
    return qel::ParseSidePlateDesignTables(b.data(), b.size(), tables);
  };
  const std::size_t firstTable = 4 + 4 + 3 * 4;
  const std::size_t rowCount = firstTable + 128 + 16;
  const std::size_t firstColumnCount = rowCount + 8 + 4 * 8 + 4 + 16;
  EXPECT_EQ(hostile(4, 0x7FFFFFFF, 4), qel::Sp2Status::kBadData);         // tables
  EXPECT_EQ(hostile(4, 0xFFFFFFFF, 4), qel::Sp2Status::kBadData);         // negative
  EXPECT_EQ(hostile(8, 200, 4), qel::Sp2Status::kBadData);                // decreasing list
  EXPECT_EQ(hostile(12, 0xFFFFFFFF, 4), qel::Sp2Status::kBadData);        // 4 billion columns
  EXPECT_EQ(hostile(rowCount, 1ull << 60, 8), qel::Sp2Status::kBadData);  // rows
  EXPECT_EQ(hostile(rowCount, ~0ull, 8), qel::Sp2Status::kBadData);       // negative rows
  EXPECT_EQ(hostile(firstColumnCount, 1ull << 40, 8), qel::Sp2Status::kBadData);
  EXPECT_EQ(hostile(firstColumnCount + 8, 1ull << 40, 8), qel::Sp2Status::kBadData);  // a length
  EXPECT_EQ(hostile(0, 0x12345678, 4), qel::Sp2Status::kOk) << "the file tag is not checked";
  // A value longer than any caller's buffer is taken as damage.
  const auto tooLong = Sp2::Build({{1, 1, {1}, {{"Tp", {std::string(kSidePlateValueMax, 'x')}}}}});
  EXPECT_EQ(qel::ParseSidePlateDesignTables(tooLong.data(), tooLong.size(), tables),
            qel::Sp2Status::kBadData);
}

TEST_F(SidePlate, AMissingDesignFileLoadsNothing) {
  int n = 5;
  EXPECT_EQ(GetNumTables(&n), 1);
  EXPECT_EQ(n, 0);
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(SidePlate, ConnectionRecordsByName) {
  std::vector<unsigned char> bytes(3 * 64, 0);
  PutU32(bytes, 0, 0x000E0400);
  const char* names[] = {"SP-W14", "SP-W18", "SP-W24"};
  for (int i = 0; i < 3; ++i) {
    std::memcpy(&bytes[i * 64 + 4], names[i], std::strlen(names[i]));
    bytes[i * 64 + 63] = static_cast<unsigned char>(i + 1);
  }
  WriteBytes(TableFile("QELSideplate.spl"), bytes);
  unsigned char record[64];
  ASSERT_EQ(GetSideplateRecord("SP-W18", record), 1);  // reads the table on first use
  EXPECT_EQ(record[63], 2);
  EXPECT_EQ(GetSideplateRecord("sp-w18", record), 0);

  CSideplateTable table;
  int count = 0;
  SSideplateRecord* first = table.ReadSideplateTable(count);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(first[2].bytes[63], 3);
  // A damaged file leaves what the object holds.
  WriteBytes(TableFile("QELSideplate.spl"),
             std::vector<unsigned char>(bytes.begin(), bytes.end() - 1));
  EXPECT_EQ(table.ReadSideplateTable(count), first);
  EXPECT_EQ(count, 3);

  void* copy = nullptr;
  EXPECT_EQ(ReadSideplateTable(&copy, &count), 0);
  EXPECT_EQ(copy, nullptr);
  WriteBytes(TableFile("QELSideplate.spl"), bytes);
  ASSERT_EQ(ReadSideplateTable(&copy, &count), 1);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(static_cast<unsigned char*>(copy)[64 + 63], 2);
  std::free(copy);
}

}  // namespace
