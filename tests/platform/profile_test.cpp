#include "platform/profile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/paths.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace qeltest;

std::string Get(const char* section, const char* key, const char* def, const std::string& file,
                DWORD size = 256) {
  std::string buf(size, '\x7f');
  DWORD n = GetPrivateProfileStringA(section, key, def, buf.data(), size, file.c_str());
  EXPECT_EQ(buf[n], '\0') << "result must be NUL-terminated";
  return buf.substr(0, n);
}

// A file with all the things real settings files contain: comments, mixed case, blanks, quotes,
// duplicates, keys before any section, CRLF and LF lines and no final line end.
const char kHandWritten[] =
    "; written by hand\r\n"
    "orphan=before any section\r\n"
    "  [Design Codes]  \r\n"
    "  SteelCode =  Code 360 \r\n"
    "Quoted=\"  padded  \"\r\n"
    "Single='x'\r\n"
    "Mismatched=\"abc'\r\n"
    "; Commented=1\r\n"
    "no equals here\r\n"
    "Dup=first\r\n"
    "dup=second\r\n"
    "Empty=\r\n"
    "Count= -42xyz\r\n"
    "Plus=+7\r\n"
    "Junk=abc\r\n"
    "Wrap=4294967297\r\n"
    "Tab\t=\tvalue with tab\t\r\n"
    "[other]\n"
    "Key=lf line\n"
    "[DESIGN CODES]\n"
    "Later=in the second copy of the section\n"
    "[Other2]\n"
    "last=no newline";

TEST(Profile, ReadsKeysAsWindowsDoes) {
  TempDir dir;
  std::string f = dir.File("a.ini");
  WriteText(f, kHandWritten);
  qel::ClearProfileCache();

  EXPECT_EQ(Get("design codes", "steelcode", "d", f), "Code 360");
  // An empty value is a value; only the first copy of a section counts.
  const char* const designCodes[][2] = {
      {"Quoted", "  padded  "}, {"single", "x"},    {"Mismatched", "\"abc'"},
      {"; Commented", "d"},     {"Commented", "d"}, {"no equals here", "d"},
      {"DUP", "first"},         {"Empty", ""},      {"tab", "value with tab"},
      {"orphan", "d"},          {"Later", "d"}};
  for (const auto& [key, value] : designCodes)
    EXPECT_EQ(Get("Design Codes", key, "d", f), value) << key;
  EXPECT_EQ(Get("OTHER", "key", "d", f), "lf line");
  EXPECT_EQ(Get("Other2", "LAST", "d", f), "no newline");
  EXPECT_EQ(Get(" Other2 ", " last ", "d", f), "no newline") << "names are trimmed";

  // Defaults lose trailing blanks only; a null default is "".
  EXPECT_EQ(Get("Design Codes", "missing", "  dflt \t ", f), "  dflt");
  EXPECT_EQ(Get("Design Codes", "missing", nullptr, f), "");
  EXPECT_EQ(Get("No Section", "SteelCode", "d", f), "d");
  EXPECT_EQ(Get("Design Codes", "SteelCode", "d", dir.File("missing.ini")), "d");
  EXPECT_EQ(Get("Design Codes", "SteelCode", "d", ""), "d");

  // Cut to the buffer.
  EXPECT_EQ(Get("other", "key", "d", f, 5), "lf l");
  EXPECT_EQ(Get("other", "key", "default", f, 1), "");
  EXPECT_EQ(Get("other", "nokey", "default", f, 4), "def");
  char untouched = 'q';
  EXPECT_EQ(GetPrivateProfileStringA("other", "key", "", &untouched, 0, f.c_str()), 0u);
  EXPECT_EQ(untouched, 'q');
  EXPECT_EQ(GetPrivateProfileStringA("other", "key", "", nullptr, 10, f.c_str()), 0u);

  // Integers: optional sign and leading digits.
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("Design Codes", "Count", 5, f.c_str())), -42);
  EXPECT_EQ(GetPrivateProfileIntA("Design Codes", "Plus", 5, f.c_str()), 7u);
  EXPECT_EQ(GetPrivateProfileIntA("Design Codes", "Junk", 5, f.c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("Design Codes", "Wrap", 5, f.c_str()), 1u);
  EXPECT_EQ(GetPrivateProfileIntA("Design Codes", "Empty", 5, f.c_str()), 5u);
  EXPECT_EQ(GetPrivateProfileIntA("Design Codes", "Missing", -5, f.c_str()), static_cast<UINT>(-5));
  EXPECT_EQ(GetPrivateProfileIntA(nullptr, "Count", 9, f.c_str()), 9u);
}

TEST(Profile, ListsSectionsAndKeys) {
  TempDir dir;
  std::string f = dir.File("a.ini");
  WriteText(f, kHandWritten);
  qel::ClearProfileCache();
  using namespace std::string_literals;
  EXPECT_EQ(Get(nullptr, nullptr, "d", f), "Design Codes\0other\0Other2\0"s);
  EXPECT_EQ(Get("other2", nullptr, "d", f), "last\0"s);
  EXPECT_EQ(Get("Design Codes", nullptr, "d", f).substr(0, 25), "SteelCode\0Quoted\0Single\0M"s);
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buf, 8, f.c_str()), 6u);
  EXPECT_EQ(std::string(buf, 8), "Design\0\0"s) << "a cut list still ends in two NULs";
  EXPECT_EQ(Get(nullptr, nullptr, "d", dir.File("none.ini")), "");
  EXPECT_EQ(Get("nope", nullptr, "d", f), "");
}

TEST(Profile, ByteOrderMarkAndBareNamesAndBackslashes) {
  TempDir dir;
  qel::SetWindowsFolder(dir.path().string());
  WriteText(dir.File("bare.ini"), "\xEF\xBB\xBF[S]\r\nk=bom\r\n");
  fs::create_directory(dir.path() / "sub");
  WriteText(dir.File("sub/x.ini"), "[S]\nk=sub\n");
  qel::ClearProfileCache();
  EXPECT_EQ(Get("S", "k", "d", "bare.ini"), "bom");
  EXPECT_EQ(qel::ProfilePath("bare.ini"), dir.File("bare.ini"));
  EXPECT_EQ(Get("S", "k", "d", dir.path().string() + "\\sub\\x.ini"), "sub");
  EXPECT_TRUE(WritePrivateProfileStringA("S", "n", "1", "bare.ini"));
  EXPECT_EQ(ReadText(dir.File("bare.ini")), "\xEF\xBB\xBF[S]\r\nk=bom\r\nn=1\r\n");
  qel::SetWindowsFolder(std::nullopt);
}

TEST(Profile, WritesChangeOnlyWhatTheyMust) {
  TempDir dir;
  std::string f = dir.File("w.ini");
  WriteText(f,
            "; settings\n"
            "[Design]\n"
            "A = 1 \n"
            "B=2\n"
            "\n"
            "[View]\r\n"
            "Zoom=\"3\"\r\n"
            "last=x");
  qel::ClearProfileCache();
  const char* p = f.c_str();
  EXPECT_TRUE(WritePrivateProfileStringA("design", "a", "10", p));  // value only
  EXPECT_TRUE(WritePrivateProfileStringA("Design", "C", "3", p));   // after the last key
  EXPECT_TRUE(WritePrivateProfileStringA("VIEW", "zoom", "4", p));  // quotes go with the value
  EXPECT_TRUE(WritePrivateProfileStringA("View", "new", "5", p));   // last line had no end
  EXPECT_TRUE(WritePrivateProfileStringA("Fresh", "k", "v", p));    // new section at the end
  EXPECT_EQ(ReadText(f),
            "; settings\n"
            "[Design]\n"
            "A = 10 \n"
            "B=2\n"
            "C=3\r\n"
            "\n"
            "[View]\r\n"
            "Zoom=4\r\n"
            "last=x\r\n"
            "new=5\r\n"
            "[Fresh]\r\n"
            "k=v\r\n");

  EXPECT_TRUE(WritePrivateProfileStringA("Design", "B", nullptr, p));    // delete a key
  EXPECT_TRUE(WritePrivateProfileStringA("View", nullptr, nullptr, p));  // delete a section
  EXPECT_TRUE(WritePrivateProfileStringA("Gone", "x", nullptr, p));      // nothing to delete
  EXPECT_TRUE(WritePrivateProfileStringA("Gone", nullptr, nullptr, p));
  EXPECT_EQ(ReadText(f),
            "; settings\n"
            "[Design]\n"
            "A = 10 \n"
            "C=3\r\n"
            "\n"
            "[Fresh]\r\n"
            "k=v\r\n");

  // An empty section gets its first key straight after the header.
  WriteText(f, "[E]\r\n; note\r\n[F]\r\n");
  EXPECT_TRUE(WritePrivateProfileStringA("e", "k", "1", p));
  EXPECT_EQ(ReadText(f), "[E]\r\nk=1\r\n; note\r\n[F]\r\n");

  // Refused: line breaks would corrupt the file, a null section is not a target, empty keys.
  EXPECT_FALSE(WritePrivateProfileStringA("E", "k", "1\r\n[Injected]", p));
  EXPECT_FALSE(WritePrivateProfileStringA("E\n", "k", "1", p));
  EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "1", p));
  EXPECT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, p));
  EXPECT_FALSE(WritePrivateProfileStringA("E", "  ", "1", p));
  EXPECT_FALSE(WritePrivateProfileStringA("E", "a=b", "1", p));
  EXPECT_FALSE(WritePrivateProfileStringA("E", " ;k", "1", p));
  EXPECT_FALSE(WritePrivateProfileStringA("E", "[k", "1", p));
  EXPECT_FALSE(WritePrivateProfileStringA("E]x", "k", "1", p));
  EXPECT_EQ(ReadText(f), "[E]\r\nk=1\r\n; note\r\n[F]\r\n");

  // No temporary files are left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(Profile, WriteCreatesFilesOnlyInExistingFolders) {
  TempDir dir;
  std::string f = dir.File("new.ini");
  EXPECT_TRUE(WritePrivateProfileStringA("Gone", "x", nullptr, f.c_str()));
  EXPECT_FALSE(fs::exists(f)) << "deleting from a missing file creates nothing";
  EXPECT_TRUE(WritePrivateProfileStringA("S", "k", "v", f.c_str()));
  EXPECT_EQ(ReadText(f), "[S]\r\nk=v\r\n");
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", dir.File("no/such/dir.ini").c_str()));
  EXPECT_FALSE(fs::exists(dir.path() / "no"));
  // A folder where the file should be cannot be read or replaced.
  fs::create_directory(dir.path() / "isdir.ini");
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", dir.File("isdir.ini").c_str()));
  EXPECT_EQ(Get("S", "k", "d", dir.File("isdir.ini")), "d");
}

// Makes `f` look old, so its identity alone is trusted (no content comparison).
void Age(const std::string& f, int hours = 1) {
  fs::last_write_time(f, fs::file_time_type::clock::now() - std::chrono::hours(hours));
}

TEST(Profile, CacheSeesEveryChange) {
  TempDir dir;
  std::string f = dir.File("c.ini");
  WriteText(f, "[S]\nk=1\n");
  Age(f);  // as settings files usually are
  qel::ClearProfileCache();
  auto before = qel::GetProfileCacheStats();
  EXPECT_EQ(Get("S", "k", "d", f), "1");
  EXPECT_EQ(Get("S", "k", "d", f), "1");
  EXPECT_EQ(GetPrivateProfileIntA("S", "k", 0, f.c_str()), 1u);
  auto after = qel::GetProfileCacheStats();
  EXPECT_EQ(after.parses - before.parses, 1u) << "repeated reads parse once";
  EXPECT_EQ(after.contentChecks, before.contentChecks);

  // An outside change that keeps the size but moves the mtime is seen through the identity.
  WriteText(f, "[S]\nk=9\n");
  Age(f, 2);
  EXPECT_EQ(Get("S", "k", "d", f), "9");
  EXPECT_EQ(qel::GetProfileCacheStats().contentChecks, before.contentChecks);

  // Our own write is seen at once.
  EXPECT_TRUE(WritePrivateProfileStringA("S", "k", "2", f.c_str()));
  EXPECT_EQ(Get("S", "k", "d", f), "2");

  // An outside change of size is seen.
  WriteText(f, "[S]\nk=333\n");
  EXPECT_EQ(Get("S", "k", "d", f), "333");

  // A same-size change within the same clock tick: mtime and size are both unchanged, so only
  // the content check can see it.
  auto stamp = fs::last_write_time(f);
  WriteText(f, "[S]\nk=444\n");
  fs::last_write_time(f, stamp);
  EXPECT_EQ(Get("S", "k", "d", f), "444");
  EXPECT_GT(qel::GetProfileCacheStats().contentChecks, after.contentChecks);

  // A file that disappears gives defaults.
  fs::remove(f);
  EXPECT_EQ(Get("S", "k", "d", f), "d");
}

TEST(Profile, RefusesHugeFilesWithoutLosingThem) {
  TempDir dir;
  std::string f = dir.File("huge.ini");
  {
    // A sparse file: large on paper, nothing to read through.
    std::FILE* fp = std::fopen(f.c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    std::fputs("[S]\nk=1\n", fp);
    ASSERT_EQ(std::fseek(fp, (64L << 20) + 10, SEEK_SET), 0);
    std::fputc('\n', fp);
    std::fclose(fp);
  }
  auto size = fs::file_size(f);
  EXPECT_EQ(Get("S", "k", "d", f), "d");
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "2", f.c_str()));
  EXPECT_EQ(fs::file_size(f), size);
}

std::uint64_t IdentityChecks() { return qel::GetProfileCacheStats().identityChecks; }

TEST(ProfileReadSession, TrustsItsFirstCheckUntilTheOutermostSessionEnds) {
  TempDir dir;
  std::string f = dir.File("s.ini");
  std::string g = dir.File("t.ini");
  WriteText(f, "[S]\nk=1\n");
  WriteText(g, "[T]\nk=a\n");
  Age(f);
  Age(g);
  qel::ClearProfileCache();
  EXPECT_EQ(Get("S", "k", "d", f), "1");  // parsed and cached before the session

  {
    qel::ProfileReadSession outer;
    auto before = IdentityChecks();
    for (int i = 0; i < 50; ++i) EXPECT_EQ(Get("S", "k", "d", f), "1");
    EXPECT_EQ(GetPrivateProfileIntA("S", "k", 0, f.c_str()), 1u);
    EXPECT_EQ(Get("T", "k", "d", g), "a");
    EXPECT_EQ(Get("T", "k", "d", g), "a");
    EXPECT_EQ(IdentityChecks() - before, 2u) << "one check per file in a session";

    // Another program changes the file: the session keeps the view of its first check.
    WriteText(f, "[S]\nk=22\n");
    Age(f, 2);
    EXPECT_EQ(Get("S", "k", "d", f), "1");
    {
      qel::ProfileReadSession inner;
      EXPECT_EQ(Get("S", "k", "d", f), "1");
    }
    // The inner session's end is not the outer one's.
    EXPECT_EQ(Get("S", "k", "d", f), "1");
    EXPECT_EQ(IdentityChecks() - before, 2u);
  }
  // Outside the session the change is seen again, and each read checks the file.
  auto after = IdentityChecks();
  EXPECT_EQ(Get("S", "k", "d", f), "22");
  EXPECT_EQ(Get("S", "k", "d", f), "22");
  EXPECT_EQ(IdentityChecks() - after, 2u);

  // A fresh file (mtime within the clock's doubt) is compared by content once per session, not
  // once per read.
  WriteText(f, "[S]\nk=3\n");
  EXPECT_EQ(Get("S", "k", "d", f), "3");
  {
    qel::ProfileReadSession session;
    auto checks = qel::GetProfileCacheStats().contentChecks;
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Get("S", "k", "d", f), "3");
    EXPECT_EQ(qel::GetProfileCacheStats().contentChecks - checks, 1u);
  }

  // A file missing when the session first looks stays missing for it; it is found afterwards.
  std::string late = dir.File("late.ini");
  {
    qel::ProfileReadSession session;
    EXPECT_EQ(Get("S", "k", "d", late), "d");
    WriteText(late, "[S]\nk=here\n");
    Age(late);
    EXPECT_EQ(Get("S", "k", "d", late), "d");
  }
  EXPECT_EQ(Get("S", "k", "d", late), "here");
}

TEST(ProfileReadSession, SeesEveryWriteOfThisProcess) {
  TempDir dir;
  std::string f = dir.File("w.ini");
  WriteText(f, "[S]\nk=1\n");
  Age(f);
  qel::ClearProfileCache();
  qel::ProfileReadSession session;
  EXPECT_EQ(Get("S", "k", "d", f), "1");

  // Its own writes, which all end by moving the generation on: a changed value, a deleted key.
  EXPECT_TRUE(WritePrivateProfileStringA("S", "k", "2", f.c_str()));
  EXPECT_EQ(Get("S", "k", "d", f), "2");
  EXPECT_TRUE(WritePrivateProfileStringA("S", "k", nullptr, f.c_str()));
  EXPECT_EQ(Get("S", "k", "d", f), "d");

  // A write by another thread of this process.
  std::thread writer([&] { EXPECT_TRUE(WritePrivateProfileStringA("S", "k", "7", f.c_str())); });
  writer.join();
  EXPECT_EQ(Get("S", "k", "d", f), "7");

  // Emptying the cache makes the session look at the file again.
  WriteText(f, "[S]\nk=outside\n");
  Age(f, 3);
  EXPECT_EQ(Get("S", "k", "d", f), "7");
  qel::ClearProfileCache();
  EXPECT_EQ(Get("S", "k", "d", f), "outside");

  // A write that creates a file the session found missing.
  std::string created = dir.File("created.ini");
  EXPECT_EQ(Get("S", "k", "d", created), "d");
  EXPECT_TRUE(WritePrivateProfileStringA("S", "k", "c", created.c_str()));
  EXPECT_EQ(Get("S", "k", "d", created), "c");
}

TEST(ProfileReadSession, BelongsToTheThreadThatOpenedIt) {
  TempDir dir;
  std::string f = dir.File("t.ini");
  WriteText(f, "[S]\nk=1\n");
  Age(f);
  qel::ClearProfileCache();
  std::string seenByOther;
  {
    qel::ProfileReadSession session;
    EXPECT_EQ(Get("S", "k", "d", f), "1");
    WriteText(f, "[S]\nk=22\n");
    Age(f, 2);
    std::thread other([&] { seenByOther = Get("S", "k", "d", f); });
    other.join();
    EXPECT_EQ(Get("S", "k", "d", f), "1");
  }
  EXPECT_EQ(seenByOther, "22") << "a thread without a session checks the file on every read";
  EXPECT_EQ(Get("S", "k", "d", f), "22");

  // Sessions on several threads at once, each with its own view, while one thread writes.
  std::vector<std::thread> readers;
  std::vector<int> bad(4, 0);
  for (int t = 0; t < 4; ++t) {
    readers.emplace_back([&, t] {
      qel::ProfileReadSession s;
      for (int i = 0; i < 200; ++i) {
        std::string v = Get("S", "k", "d", f);
        if (v != "22" && v != "8") ++bad[static_cast<std::size_t>(t)];
      }
    });
  }
  EXPECT_TRUE(WritePrivateProfileStringA("S", "k", "8", f.c_str()));
  for (std::thread& r : readers) r.join();
  EXPECT_EQ(bad, std::vector<int>(4, 0));
  EXPECT_EQ(Get("S", "k", "d", f), "8");
}

TEST(Profile, ValueWithoutACallerBuffer) {
  TempDir dir;
  std::string f = dir.File("v.ini");
  WriteText(f, "[S]\r\nk =  \"quoted value\" \r\nlong=abcdefghij\r\n");
  qel::ClearProfileCache();
  std::string out = "stale";
  EXPECT_EQ(qel::GetProfileValue("S", "K", "d", 256, f.c_str(), out), 12u);
  EXPECT_EQ(out, "quoted value");
  // Cut to size-1 characters, as a buffer of `size` bytes would be.
  EXPECT_EQ(qel::GetProfileValue("s", "long", "d", 1, f.c_str(), out), 0u);
  EXPECT_EQ(out, "");
  // Lists are the buffer reader's; here they give nothing.
  out = "stale";
  EXPECT_EQ(qel::GetProfileValue(nullptr, "k", "d", 256, f.c_str(), out), 0u);
  EXPECT_EQ(out, "");
  EXPECT_EQ(qel::GetProfileValue("S", nullptr, "d", 256, f.c_str(), out), 0u);
  EXPECT_EQ(qel::GetProfileValue("S", "k", "d", 0, f.c_str(), out), 0u);
}

}  // namespace
