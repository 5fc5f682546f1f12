// The stored form of grid systems and the grid-system file, checked against byte images built
// here from the documented field order.
#include "geom/grid_sys.h"

#include <gtest/gtest.h>

#include <string>

#include "geom/grid_file.h"
#include "golden_bytes.h"
#include "platform/cmemfile.h"
#include "test_support.h"

namespace {

using namespace qeltest;

// A counted string in the archive's narrow form.
void Str(Bytes& b, const std::string& s) {
  if (s.size() < 255) {
    b.U8(static_cast<unsigned>(s.size()));
  } else {
    b.U8(0xFF).U16(static_cast<unsigned>(s.size()));
  }
  b.Raw(s);
}

void GridRecord(Bytes& b, int id, const std::string& label, double loc, double mn, double mx,
                int hasMin, int hasMax, int bubS, int bubE, int aux) {
  b.I32(id);
  Str(b, label);
  b.F64(loc).F64(mn).F64(mx).I32(hasMin).I32(hasMax).I32(bubS).I32(bubE).I32(aux);
}

void SysHeader(Bytes& b, int id, const std::string& name, int type, double x, double y,
               double angle, int aux1, int aux2, int aux3, int nX, int nY) {
  b.I32(id);
  Str(b, name);
  b.I32(type).F64(x).F64(y).F64(angle).I32(aux1).I32(aux2).I32(aux3).I32(nX).I32(nY);
}

std::vector<unsigned char> SaveToBytes(CGridSys& sys) {
  CMemFile mem;
  CArchive ar(&mem, CArchive::store);
  sys.Save(ar);
  ar.Close();
  return mem.Data();
}

CGridSys LoadFromBytes(const std::vector<unsigned char>& bytes) {
  CMemFile mem(bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&mem, CArchive::load);
  CGridSys sys;
  sys.Load(ar);
  return sys;
}

// The cause of the archive exception `f` throws; none when it returns.
template <class F>
int Cause(F f) {
  try {
    f();
  } catch (const CArchiveException& e) {
    return e.m_cause;
  }
  return CArchiveException::none;
}

int LoadCause(const std::vector<unsigned char>& bytes) {
  return Cause([&] { LoadFromBytes(bytes); });
}

TEST(GridSys, SavesTheDocumentedLayout) {
  // No grids: just the eleven fixed fields, with the constructor's defaults for the aux values.
  CGridSys empty(7, "Main", GRID_SYS_RADIAL, 12.5, -3.25, 30.0, 9);
  Bytes want;
  SysHeader(want, 7, "Main", 2, 12.5, -3.25, 30.0, 9, -1, -1, 0, 0);
  EXPECT_EQ(SaveToBytes(empty), want.bytes());
  EXPECT_EQ(want.size(), CGridSys::kMinStoredBytes + 4);

  // Grids whose labels sit on both sides of the one-byte length limit.
  const std::string l254(254, 'A'), l255(255, 'B'), l300(300, 'C');
  CGridSys sys(1, "", GRID_SYS_ORTHOGONAL, 0, 0, 0, 0);
  sys.m_nAuxValue2 = 5;
  sys.m_nAuxValue3 = 6;
  CGrid x0(10, l254.c_str(), 1.5, -2, 3, 1, 0, 1, 0, 42);
  CGrid x1(11, l255.c_str(), 2.5, 0, 0, 0, 1, 0, 1, -7);
  CGrid y0(20, l300.c_str(), -4, 8, 9, 1, 1, 1, 1, 0);
  x0.m_nDrawIndex = 99;  // working values are not stored
  x0.m_bMarked = 1;
  sys.m_aXGrids.Add(x0);
  sys.m_aXGrids.Add(x1);
  sys.m_aYGrids.Add(y0);
  Bytes full;
  SysHeader(full, 1, "", 0, 0, 0, 0, 0, 5, 6, 2, 1);
  GridRecord(full, 10, l254, 1.5, -2, 3, 1, 0, 1, 0, 42);
  GridRecord(full, 11, l255, 2.5, 0, 0, 0, 1, 0, 1, -7);
  GridRecord(full, 20, l300, -4, 8, 9, 1, 1, 1, 1, 0);
  EXPECT_EQ(SaveToBytes(sys), full.bytes());
  EXPECT_EQ(sys.m_nX, 2);
  EXPECT_EQ(sys.m_nY, 1);
}

TEST(GridSys, LoadsTheDocumentedLayout) {
  Bytes in;
  SysHeader(in, 3, "Tower", 2, 100, 200, -45, 11, 12, 13, 1, 2);
  GridRecord(in, 1, "R1", 90, 5, 50, 1, 1, 0, 1, 3);
  GridRecord(in, 2, std::string(300, 'c'), 10, 0, 0, 0, 0, 1, 0, 0);
  GridRecord(in, 3, "C2", 20, -30, 60, 1, 0, 0, 0, 8);
  CGridSys sys = LoadFromBytes(in.bytes());
  // Saving (its layout checked above) gives the same bytes back, so every stored field landed in
  // its member; the counts and the working values are not stored.
  ASSERT_EQ(sys.m_aXGrids.GetSize(), 1);
  ASSERT_EQ(sys.m_aYGrids.GetSize(), 2);
  EXPECT_EQ(sys.m_nX, 1);
  EXPECT_EQ(sys.m_nY, 2);
  for (const CGrid& g : sys.m_aYGrids) {
    EXPECT_EQ(g.m_nDrawIndex, -1);
    EXPECT_EQ(g.m_bMarked, 0);
  }
  EXPECT_EQ(SaveToBytes(sys), in.bytes());
}

TEST(GridSys, ComparisonAndCopySemantics) {
  CGrid a(1, "A", 10.0, 0, 5, 1, 0, 1, 1, 4);
  CGrid b = a;
  b.m_dLocation = 10.0009;
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a.IsGridMoveChanged(b));
  b.m_dLocation = 10.0011;
  EXPECT_TRUE(a != b);
  EXPECT_TRUE(a.IsGridMoveChanged(b));
  auto differs = [&](auto edit) {
    CGrid e = a;
    edit(e);
    return a != e;
  };
  EXPECT_TRUE(differs([](CGrid& g) { g.m_dMaxExtent = 5.0011; })) << "extents are compared too";
  EXPECT_TRUE(differs([](CGrid& g) { g.m_strLabel = "a"; })) << "labels compare case-sensitively";
  EXPECT_TRUE(differs([](CGrid& g) { g.m_nAuxFlag = 5; }));
  EXPECT_TRUE(differs([](CGrid& g) { g.m_bBubbleAtEnd = 0; }));
  b = a;
  b.m_dMaxExtent = 50;
  EXPECT_FALSE(a.IsGridMoveChanged(b)) << "only the location is a move";

  // Working values: not compared, not copied by construction, left alone by assignment.
  a.m_nDrawIndex = 3;
  a.m_bMarked = 1;
  CGrid c(a);
  CGrid d(&a);
  EXPECT_TRUE(c == a);
  EXPECT_EQ(c.m_nDrawIndex, -1);
  EXPECT_EQ(c.m_bMarked, 0);
  EXPECT_EQ(d.m_nDrawIndex, -1);
  EXPECT_TRUE(d == a);
  CGrid e;
  e.m_nDrawIndex = 8;
  e = a;
  EXPECT_EQ(e.m_nDrawIndex, 8);
  EXPECT_EQ(e.m_bMarked, 0);

  // System assignment appends the other's grids to this one's.
  CGridSys src(2, "S", GRID_SYS_ORTHOGONAL, 1, 2, 3, 4);
  src.m_aXGrids.Add(a);
  src.m_aYGrids.Add(a);
  src.m_aYGrids.Add(a);
  src.m_nX = 1;
  src.m_nY = 2;
  CGridSys dst;
  CGrid extra(9, "Z", 0, 0, 0, 0, 0, 0, 0, 0);
  dst.m_aXGrids.Add(extra);
  dst = src;
  EXPECT_EQ(dst.m_aXGrids.GetSize(), 2);
  EXPECT_EQ(dst.m_aXGrids[0].m_strLabel, "Z");
  EXPECT_EQ(dst.m_aYGrids.GetSize(), 2);
  EXPECT_EQ(dst.m_nY, 2);
  EXPECT_EQ(dst.m_strName, "S");
  CGridSys& alias = dst;
  dst = alias;  // self-assignment must not duplicate the grids
  EXPECT_EQ(dst.m_aXGrids.GetSize(), 2);
  CGridSys copy(src);
  EXPECT_EQ(copy.m_aYGrids.GetSize(), 2);
  EXPECT_EQ(copy.m_aYGrids[1].m_nDrawIndex, -1);
}

TEST(GridSys, WrongDirectionTruncationAndAbsurdCounts) {
  CGridSys sys(1, "G", GRID_SYS_ORTHOGONAL, 0, 0, 0, 0);
  {
    Bytes in;
    SysHeader(in, 1, "G", 0, 0, 0, 0, 0, -1, -1, 0, 0);
    CMemFile mem(in.bytes().data(), static_cast<UINT>(in.size()));
    CArchive ar(&mem, CArchive::load);
    EXPECT_EQ(Cause([&] { sys.Save(ar); }), CArchiveException::readOnly);
    CMemFile out;
    CArchive st(&out, CArchive::store);
    EXPECT_EQ(Cause([&] { sys.Load(st); }), CArchiveException::writeOnly);
  }
  Bytes good;
  SysHeader(good, 1, "G", 0, 0, 0, 0, 0, -1, -1, 1, 1);
  GridRecord(good, 1, "A", 0, 0, 0, 0, 0, 0, 0, 0);
  GridRecord(good, 2, "1", 0, 0, 0, 0, 0, 0, 0, 0);
  ASSERT_EQ(LoadCause(good.bytes()), CArchiveException::none);
  // Every proper prefix is a truncated record.
  for (std::size_t n = 0; n < good.size(); ++n) {
    std::vector<unsigned char> cut(good.bytes().begin(), good.bytes().begin() + n);
    ASSERT_EQ(LoadCause(cut), CArchiveException::endOfFile) << "prefix of " << n << " bytes";
  }
  // Counts the bytes cannot hold fail at once; negative ones are corrupt.
  Bytes huge;
  SysHeader(huge, 1, "G", 0, 0, 0, 0, 0, -1, -1, 0x7FFFFFFF, 0);
  EXPECT_EQ(LoadCause(huge.bytes()), CArchiveException::endOfFile);
  Bytes negative;
  SysHeader(negative, 1, "G", 0, 0, 0, 0, 0, -1, -1, -1, 0);
  EXPECT_EQ(LoadCause(negative.bytes()), CArchiveException::badIndex);
}

TEST(GridSysFile, ReadsCountAndSystemsAndRefusesBadFiles) {
  TempDir dir;
  std::string path = dir.File("m.grs");
  CArray<CGridSys, CGridSys&> out;
  CGridSys keep(99, "already here", GRID_SYS_ORTHOGONAL, 0, 0, 0, 0);
  out.Add(keep);
  CString error;

  EXPECT_EQ(qel::ReadGridSysFile(path.c_str(), out, &error), qel::GridFileResult::kMissing);
  EXPECT_EQ(out.GetSize(), 1);

  Bytes zero;
  zero.I32(0);
  WriteBytes(path, zero.bytes());
  EXPECT_EQ(qel::ReadGridSysFile(path.c_str(), out, &error), qel::GridFileResult::kRead);
  EXPECT_EQ(out.GetSize(), 1);

  Bytes two;
  two.I32(2);
  SysHeader(two, 1, "Ortho", 0, 0, 0, 0, 0, -1, -1, 1, 0);
  GridRecord(two, 1, "A", 0, 0, 10, 1, 1, 1, 1, 0);
  SysHeader(two, 2, "Radial", 2, 5, 5, 0, 0, -1, -1, 0, 0);
  WriteBytes(path, two.bytes());
  EXPECT_EQ(qel::ReadGridSysFile(path.c_str(), out, &error), qel::GridFileResult::kRead);
  ASSERT_EQ(out.GetSize(), 3);
  EXPECT_EQ(out[1].m_strName, "Ortho");
  EXPECT_EQ(out[1].m_aXGrids.GetSize(), 1);
  EXPECT_EQ(out[2].m_eType, GRID_SYS_RADIAL);

  // A file that ends early, or announces more systems than it can hold, adds nothing at all.
  for (std::size_t n : {std::size_t{2}, std::size_t{4}, two.size() - 1}) {
    WriteBytes(path, {two.bytes().begin(), two.bytes().begin() + n});
    error.Empty();
    EXPECT_EQ(qel::ReadGridSysFile(path.c_str(), out, &error), qel::GridFileResult::kBad) << n;
    EXPECT_FALSE(error.IsEmpty());
    EXPECT_EQ(out.GetSize(), 3);
  }
  Bytes billions;
  billions.I32(2000000000);
  SysHeader(billions, 1, "x", 0, 0, 0, 0, 0, -1, -1, 0, 0);
  WriteBytes(path, billions.bytes());
  EXPECT_EQ(qel::ReadGridSysFile(path.c_str(), out, &error), qel::GridFileResult::kBad);
  EXPECT_EQ(out.GetSize(), 3);

  // Writing produces the same image as the hand-built one, and a failed write reports.
  CArray<CGridSys, CGridSys&> again;
  again.Add(out[1]);
  again.Add(out[2]);
  std::string written = dir.File("w.grs");
  ASSERT_TRUE(qel::WriteGridSysFile(written.c_str(), again, &error)) << error.GetString();
  EXPECT_EQ(ReadBytes(written), two.bytes());
  EXPECT_FALSE(qel::WriteGridSysFile(dir.File("no/such/dir/w.grs").c_str(), again, &error));
  // The message names the file asked for, never the temporary one it was written through.
  EXPECT_EQ(error.str().rfind(dir.File("no/such/dir/w.grs") + ": ", 0), 0u) << error.GetString();
  EXPECT_EQ(error.Find(".tmp"), -1) << error.GetString();
}

}  // namespace
