#include "platform/cfile.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using qeltest::TempDir;

int OpenCause(const std::string& path, UINT flags) {
  CFile f;
  CFileException e;
  if (f.Open(path.c_str(), flags, &e)) return CFileException::none;
  return e.m_cause;
}

TEST(CFile, ShareModesExcludeWithinOneProcess) {
  TempDir dir;
  std::string path = dir.File("t.sty");
  qeltest::WriteText(path, "abc");

  const UINT reader = CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary;
  const UINT writer = CFile::modeReadWrite | CFile::shareExclusive | CFile::typeBinary;
  {
    CFile r1(path.c_str(), reader);
    EXPECT_EQ(OpenCause(path, reader), CFileException::none) << "two readers share";
    EXPECT_EQ(OpenCause(path, writer), CFileException::sharingViolation);
    EXPECT_EQ(OpenCause(path, CFile::modeRead | CFile::shareDenyNone), CFileException::none);
  }
  {
    CFile w(path.c_str(), writer);
    EXPECT_EQ(OpenCause(path, reader), CFileException::sharingViolation);
    EXPECT_EQ(OpenCause(path, writer), CFileException::sharingViolation);
    // A refused truncating open must not have destroyed the holder's data.
    EXPECT_EQ(OpenCause(path, writer | CFile::modeCreate), CFileException::sharingViolation);
    EXPECT_EQ(w.GetLength(), 3u);
  }
  EXPECT_EQ(OpenCause(path, writer), CFileException::none) << "closing releases the lock";
}

TEST(CFile, ShareModesExcludeAcrossProcesses) {
  TempDir dir;
  std::string path = dir.File("t.b3d");
  qeltest::WriteText(path, "0123456789");
  qeltest::FileHeldByChild writer(path, CFile::modeReadWrite | CFile::shareExclusive);
  ASSERT_TRUE(writer.holding());
  EXPECT_EQ(OpenCause(path, CFile::modeRead | CFile::shareDenyWrite),
            CFileException::sharingViolation);
  ASSERT_TRUE(writer.Release());
  EXPECT_EQ(OpenCause(path, CFile::modeRead | CFile::shareDenyWrite), CFileException::none);
}

TEST(CFile, ReadWriteSeekLengthAndErrors) {
  TempDir dir;
  std::string path = dir.File("sub\\data.bin");  // the folder does not exist: badPath/notFound
  CFileException e;
  CFile f;
  EXPECT_FALSE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite, &e));
  EXPECT_EQ(e.m_cause, CFileException::fileNotFound);

  path = dir.File("data.bin");
  EXPECT_FALSE(f.Open(path.c_str(), CFile::modeRead, &e));
  EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
  EXPECT_THROW(CFile(path.c_str(), CFile::modeRead), CFileException);

  ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite, &e));
  f.Write("hello world", 11);
  EXPECT_EQ(f.GetLength(), 11u);
  EXPECT_EQ(f.Seek(6, CFile::begin), 6u);
  char buf[16] = {};
  EXPECT_EQ(f.Read(buf, sizeof buf), 5u);
  EXPECT_STREQ(buf, "world");
  f.SetLength(5);
  EXPECT_EQ(f.SeekToEnd(), 5u);
  f.Close();

  // modeCreate truncates unless modeNoTruncate is given.
  CFile keep(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
  EXPECT_EQ(keep.GetLength(), 5u);
  keep.Close();
  CFile cut(path.c_str(), CFile::modeCreate | CFile::modeReadWrite);
  EXPECT_EQ(cut.GetLength(), 0u);
  cut.Close();

  CFileStatus st;
  EXPECT_TRUE(CFile::GetStatus(path.c_str(), st));
  EXPECT_EQ(st.m_size, 0u);
  EXPECT_FALSE(CFile::GetStatus(dir.File("none").c_str(), st));
  EXPECT_FALSE(f.Open(dir.path().string().c_str(), CFile::modeRead, &e)) << "a folder is no file";
  EXPECT_EQ(e.m_cause, CFileException::accessDenied);
}

}  // namespace
