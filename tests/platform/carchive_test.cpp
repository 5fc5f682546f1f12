#include "platform/carchive.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "golden_bytes.h"
#include "test_support.h"

namespace {

using namespace qeltest;

// Stores through a fresh archive and returns the file's bytes.
std::vector<unsigned char> Stored(const std::string& path,
                                  const std::function<void(CArchive&)>& body) {
  {
    CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
    CArchive ar(&f, CArchive::store);
    body(ar);
    ar.Close();
  }
  return ReadBytes(path);
}

int LoadCause(const std::string& path, const std::vector<unsigned char>& bytes,
              const std::function<void(CArchive&)>& body) {
  WriteBytes(path, bytes);
  CFile f(path.c_str(), CFile::modeRead | CFile::typeBinary);
  CArchive ar(&f, CArchive::load);
  try {
    body(ar);
  } catch (const CArchiveException& e) {
    return e.m_cause;
  }
  return CArchiveException::none;
}

TEST(CArchive, StoresValuesAndStringPrefixesAsLaidOut) {
  TempDir dir;
  std::string path = dir.File("a.bin");
  auto bytes = Stored(path, [](CArchive& ar) {
    ar << static_cast<BYTE>(0xAB) << static_cast<WORD>(0x1234) << -2 << 0x89ABCDEFu << 1.5
       << static_cast<LONGLONG>(-3) << 2.0f;
    ar << CString("") << CString(std::string(254, 'a')) << CString(std::string(255, 'b'))
       << CString(std::string(300, 'c')) << CString(std::string(0xFFFD, 'd'))
       << CString(std::string(0xFFFE, 'e'));
  });
  Bytes want;
  want.U8(0xAB).U16(0x1234).I32(-2).U32(0x89ABCDEF).F64(1.5).U64(~0ull - 2).U32(0x40000000);
  want.U8(0);
  want.U8(254).Raw(std::string(254, 'a'));
  want.U8(0xFF).U16(255).Raw(std::string(255, 'b'));
  want.U8(0xFF).U16(300).Raw(std::string(300, 'c'));
  want.U8(0xFF).U16(0xFFFD).Raw(std::string(0xFFFD, 'd'));
  want.U8(0xFF).U16(0xFFFF).U32(0xFFFE).Raw(std::string(0xFFFE, 'e'));
  EXPECT_EQ(bytes, want.bytes());
}

TEST(CArchive, LoadsEveryStringFormIncludingWide) {
  TempDir dir;
  std::string path = dir.File("a.bin");
  Bytes in;
  in.U8(3).Raw("abc");
  in.U8(0xFF).U16(300).Raw(std::string(300, 'x'));
  in.U8(0xFF).U16(0xFFFF).U32(5).Raw("hello");
  in.U8(0xFF).U16(0xFFFF).U32(0xFFFFFFFF).U64(2).Raw("ok");
  // Wide: marker, then a short prefix of 3 sixteen-bit characters; one is outside one byte.
  in.U8(0xFF).U16(0xFFFE).U8(3).U16('A').U16(0xE9).U16(0x20AC);
  // Wide with a long prefix.
  in.U8(0xFF).U16(0xFFFE).U8(0xFF).U16(256);
  for (int i = 0; i < 256; ++i) in.U16('w');
  in.I32(77);

  CString a, b, c, d, e, f;
  int tail = 0;
  EXPECT_EQ(
      LoadCause(path, in.bytes(), [&](CArchive& ar) { ar >> a >> b >> c >> d >> e >> f >> tail; }),
      CArchiveException::none);
  EXPECT_EQ(a, "abc");
  EXPECT_EQ(b.str(), std::string(300, 'x'));
  EXPECT_EQ(c, "hello");
  EXPECT_EQ(d, "ok");
  EXPECT_EQ(e.str(), std::string("A\xE9?"));
  EXPECT_EQ(f.str(), std::string(256, 'w'));
  EXPECT_EQ(tail, 77);
}

TEST(CArchive, WrongDirectionAndShortInputRaiseTheirCauses) {
  TempDir dir;
  std::string path = dir.File("a.bin");
  // Writing while loading, reading while storing.
  EXPECT_EQ(LoadCause(path, {1, 2, 3, 4}, [](CArchive& ar) { ar << 1; }),
            CArchiveException::readOnly);
  int v = 0;
  {
    CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
    CArchive ar(&f, CArchive::store);
    try {
      ar >> v;
      ADD_FAILURE() << "reading a storing archive must throw";
    } catch (const CArchiveException& e) {
      EXPECT_EQ(e.m_cause, CArchiveException::writeOnly);
    }
  }
  // A value cut short.
  EXPECT_EQ(LoadCause(path, {1, 2}, [&](CArchive& ar) { ar >> v; }), CArchiveException::endOfFile);
  // Strings: a prefix cut short, characters cut short; absurd declared lengths, which fail
  // before any allocation of that size (ASan would report an allocation of 2^63 bytes or an
  // out-of-memory abort); two wide markers in a row, which are not a string.
  const struct {
    Bytes in;
    int cause;
  } strings[] = {
      {Bytes().U8(0xFF).U8(0x10), CArchiveException::endOfFile},
      {Bytes().U8(5).Raw("ab"), CArchiveException::endOfFile},
      {Bytes().U8(0xFF).U16(0xFFFF).U32(0xFFFFFFF0).Raw("abc"), CArchiveException::endOfFile},
      {Bytes().U8(0xFF).U16(0xFFFF).U32(0xFFFFFFFF).U64(0x7FFFFFFFFFFFFFFFull).Raw("abc"),
       CArchiveException::endOfFile},
      {Bytes().U8(0xFF).U16(0xFFFE).U8(0xFF).U16(0xFFFF).U32(0xFFFFFFFF).U64(~0ull),
       CArchiveException::endOfFile},
      {Bytes().U8(0xFF).U16(0xFFFE).U8(0xFF).U16(0xFFFE).U8(0),
       CArchiveException::genericException},
  };
  for (const auto& [in, cause] : strings) {
    CString s;
    EXPECT_EQ(LoadCause(path, in.bytes(), [&](CArchive& ar) { ar >> s; }), cause) << in.size();
  }
  // Read() itself reports a short count instead of throwing.
  WriteBytes(path, {9, 8, 7});
  CFile f(path.c_str(), CFile::modeRead);
  CArchive ar(&f, CArchive::load);
  unsigned char got[8] = {};
  EXPECT_EQ(ar.Read(got, 8), 3u);
  EXPECT_EQ(got[2], 7);
}

TEST(CArchive, BufferBoundariesAndFlushing) {
  TempDir dir;
  std::string path = dir.File("a.bin");
  {
    CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
    CArchive ar(&f, CArchive::store);
    ar << 1;
    // Small writes stay in the buffer until it is flushed.
    EXPECT_EQ(f.GetLength(), 0u);
    ar.Flush();
    EXPECT_EQ(f.GetLength(), 4u);
    // 3-byte and 8-byte values straddle the 4096-byte buffer many times over.
    for (int i = 0; i < 3000; ++i) ar << static_cast<double>(i) << CString("xy");
    ar.Close();
    EXPECT_EQ(f.GetLength(), 4u + 3000u * 11u);
  }
  CFile f(path.c_str(), CFile::modeRead);
  CArchive ar(&f, CArchive::load);
  EXPECT_EQ(ar.GetBytesLeft(), 4u + 3000u * 11u);
  int first = 0;
  ar >> first;
  EXPECT_EQ(first, 1);
  for (int i = 0; i < 3000; ++i) {
    double d = -1;
    CString s;
    ar >> d >> s;
    ASSERT_EQ(d, i);
    ASSERT_EQ(s, "xy");
    ASSERT_EQ(ar.GetBytesLeft(), (2999u - i) * 11u);
  }
  // A large raw read after buffered ones continues at the right byte.
  WriteBytes(path, std::vector<unsigned char>(10000, 0x5A));
  CFile g(path.c_str(), CFile::modeRead);
  CArchive br(&g, CArchive::load);
  BYTE b0 = 0;
  br >> b0;
  std::vector<unsigned char> rest(20000);
  EXPECT_EQ(br.Read(rest.data(), 20000), 9999u);
  EXPECT_EQ(rest[9998], 0x5A);
  EXPECT_EQ(br.GetBytesLeft(), 0u);
}

}  // namespace
