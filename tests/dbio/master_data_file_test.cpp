// The master data file: form and version recognition, both read forms over new-model defaults,
// failures, safe saving (locks, a file-size limit) and CQelMDF's archive operations.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dbio/dbio.h"
#include "fake_defaults.h"
#include "golden_bytes.h"
#include "mdf/cqelmdf.h"
#include "mdf/smdf.h"
#include "platform/carchive.h"
#include "platform/cfile.h"
#include "platform/ctime.h"
#include "test_support.h"

namespace {

using namespace qeltest;
using Bytes = std::vector<unsigned char>;

class MasterDataFile : public ::testing::Test {
 protected:
  // Every settings key reads as its built-in default, so the defaults do not depend on the
  // machine.
  FakeDefaults settings_;

  std::string Base() const { return dir_.File("tower"); }
  std::string Path() const { return Base() + ".qel"; }
  // A fresh record of the defaults of a new model.
  static std::unique_ptr<SMDF> Defaults(int units) {
    auto m = std::make_unique<SMDF>();
    CQelMDF(units, m.get()).FileNewInit(units, "");
    return m;
  }
  static Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

  TempDir dir_;
};

SMDF Filled(unsigned char b) { return qeltest::Filled<SMDF>(b); }

TEST_F(MasterDataFile, FormIsRecognisedByTheFirstSixBytes) {
  CDBIO db(Base(), nullptr);
  struct Case {
    std::string bytes;
    bool xml;
  } cases[] = {
      {"<?xml version=\"1.0\"?><a/>", true},
      {"<?xml ", true},
      {"<?xml\nversion=\"1.0\"?><a/>", false},  // the sixth byte must be a blank
      {"<?xml", false},                         // five bytes are not enough
      {"", false},
      {" <?xml version", false},
  };
  for (const Case& c : cases) {
    WriteBytes(Path(), Text(c.bytes));
    CFile f(Path().c_str(), CFile::modeRead);
    f.Seek(static_cast<LONGLONG>(c.bytes.size() / 2), CFile::begin);
    EXPECT_EQ(db.IsXml(f), c.xml) << c.bytes;
    EXPECT_EQ(f.GetPosition(), 0u) << "IsXml leaves the file at its start";
  }
}

TEST_F(MasterDataFile, StoredVersionOfEveryForm) {
  CDBIO db(Base(), nullptr);
  auto versionOf = [&](const Bytes& bytes) {
    WriteBytes(Path(), bytes);
    CFile f(Path().c_str(), CFile::modeRead);
    const float v = db.ReadMdfVersion(f);
    EXPECT_EQ(f.GetPosition(), 0u);
    return v;
  };
  EXPECT_EQ(versionOf(Text("<?xml version=\"1.0\"?>\n<QELArchive version=\"17.3\"><struct/>")),
            17.3f);
  EXPECT_EQ(versionOf(Text("<?xml version=\"1.0\"?>\n<QELArchive version=16.1 >")), 16.1f);
  // No root element in the first 1024 bytes: no version.
  EXPECT_EQ(versionOf(Text("<?xml version=\"1.0\"?>" + std::string(1100, ' ') +
                           "<QELArchive version=\"17.3\">")),
            0.0f);
  // Root element present, attribute missing or not a number.
  EXPECT_EQ(versionOf(Text("<?xml version=\"1.0\"?><QELArchive other=\"1\">")), 0.0f);
  EXPECT_EQ(versionOf(Text("<?xml version=\"1.0\"?><QELArchive version=\"abc\">")), 0.0f);
  // Only the first 1024 bytes count: a quote in the last byte leaves nothing to read, a number
  // that starts in the last byte is cut there.
  {
    std::string s = "<?xml version=\"1.0\"?><QELArchive ";
    const std::string attr = " version=";
    std::string lastByteQuote = s + std::string(1023 - s.size() - attr.size(), ' ') + attr;
    ASSERT_EQ(lastByteQuote.size(), 1023u);
    EXPECT_EQ(versionOf(Text(lastByteQuote + "\"17.3\">")), 0.0f);
    std::string cut = s + std::string(1022 - s.size() - attr.size(), ' ') + attr;
    EXPECT_EQ(versionOf(Text(cut + "\"17.3\">")), 1.0f);
  }

  // Binary: 1500 bytes or more carry the version at byte 0, shorter files at byte 36.
  Bytes longImage(1500, 0), shortImage(1499, 0);
  PutF32(longImage, 0, 9.0f);
  PutF32(longImage, 36, 5.0f);
  PutF32(shortImage, 0, 9.0f);
  PutF32(shortImage, 36, 5.0f);
  EXPECT_EQ(versionOf(longImage), 9.0f);
  EXPECT_EQ(versionOf(shortImage), 5.0f);
  EXPECT_EQ(versionOf(Bytes(38, 0x41)), 0.0f);  // too short to hold bytes 36..39
  EXPECT_EQ(versionOf(Bytes{}), 0.0f);
}

// An older binary model, built byte by byte at the legacy offsets; everything else is zero.
Bytes LegacyImage() {
  Bytes b(6152, 0);
  PutF32(b, 0, 9.0f);  // Version
  PutI32(b, 4, 3);     // NumStories
  PutI32(b, 260, 0);   // Units: English
  const char job[] = "Old tower";
  std::memcpy(&b[952], job, sizeof job);  // JobName
  return b;
}

TEST_F(MasterDataFile, BinaryImageReadsOverDefaultsAndIsWrittenBackAsXml) {
  WriteBytes(Path(), LegacyImage());
  CDBIO db(Base(), nullptr);
  auto m = std::make_unique<SMDF>(Filled(0x5A));
  ASSERT_TRUE(db.ReadMdf(m.get()));

  // Fields the image holds.
  EXPECT_EQ(m->NumStories, 3);
  EXPECT_STREQ(m->JobName, "Old tower");
  // A field both layouts have keeps the file's zero over a non-zero default.
  EXPECT_EQ(Defaults(0)->FrameTextScale, 1.0f);
  EXPECT_EQ(m->FrameTextScale, 0.0f);
  // Fields the old layout lacks take the defaults of a new English model.
  EXPECT_EQ(m->dDiaphEccenX, 5.0);
  EXPECT_EQ(m->dDiaphEccenY, 5.0);
  EXPECT_STREQ(m->CONNECTIONProjectGUID, "00000000-0000-0000-0000-000000000000");
  EXPECT_EQ(m->fShearPlateFy, 36.0f);

  // Saving converts the model to XML, the values kept.
  ASSERT_TRUE(db.WriteMdf(m.get()));
  EXPECT_EQ(ReadText(Path()).rfind("<?xml ", 0), 0u);
  auto back = std::make_unique<SMDF>();
  ASSERT_TRUE(db.ReadMdf(back.get()));
  EXPECT_EQ(std::memcmp(back.get(), m.get(), sizeof(SMDF)), 0);
}

TEST_F(MasterDataFile, ShortAndOddBinaryImages) {
  CDBIO db(Base(), nullptr);
  // A short image: the bytes it does not supply read as zero.
  Bytes image = LegacyImage();
  image.resize(300);
  WriteBytes(Path(), image);
  auto m = std::make_unique<SMDF>();
  ASSERT_TRUE(db.ReadMdf(m.get()));
  EXPECT_EQ(m->NumStories, 3);
  EXPECT_EQ(m->JobName[0], '\0');
  EXPECT_EQ(m->dDiaphEccenX, 5.0);

  // A metric image gets the metric defaults for what it lacks.
  image = LegacyImage();
  PutI32(image, 260, 1);
  WriteBytes(Path(), image);
  ASSERT_TRUE(db.ReadMdf(m.get()));
  EXPECT_EQ(m->Units, 1);
  EXPECT_EQ(m->fShearPlateFy, Defaults(1)->fShearPlateFy);
  EXPECT_NE(m->fShearPlateFy, Defaults(0)->fShearPlateFy);

  // A unit code no system has still reads (English defaults) and keeps the stored code.
  PutI32(image, 260, 77);
  WriteBytes(Path(), image);
  ASSERT_TRUE(db.ReadMdf(m.get()));
  EXPECT_EQ(m->Units, 77);
  EXPECT_EQ(m->fShearPlateFy, Defaults(0)->fShearPlateFy);

  // An empty file is a binary image of zeros.
  WriteBytes(Path(), {});
  ASSERT_TRUE(db.ReadMdf(m.get()));
  EXPECT_EQ(m->NumStories, 0);
  EXPECT_EQ(m->dDiaphEccenX, 5.0);
}

// An older XML model: metric, most fields absent.
std::string OlderXml() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<QELArchive version=\"16.1\">\n"
         "\t<struct name=\"MDF\">\n"
         "\t\t<field name=\"JobName\">4D69642D72697365</field>\n"
         "\t\t<field name=\"NumStories\">07000000</field>\n"
         "\t\t<field name=\"Units\">01000000</field>\n"
         "\t</struct>\n"
         "</QELArchive>\n";
}

TEST_F(MasterDataFile, OlderXmlReadsOverMetricDefaults) {
  WriteBytes(Path(), Text(OlderXml()));
  CDBIO db(Base(), nullptr);
  {
    CFile f(Path().c_str(), CFile::modeRead);
    EXPECT_EQ(db.ReadMdfVersion(f), 16.1f);
  }
  auto m = std::make_unique<SMDF>();
  ASSERT_TRUE(db.ReadMdf(m.get()));
  EXPECT_EQ(m->Units, 1);
  EXPECT_STREQ(m->JobName, "Mid-rise");
  EXPECT_EQ(m->NumStories, 7);
  // Absent fields: the defaults of a new metric model.
  const auto metric = Defaults(1);
  EXPECT_EQ(m->DefaultBeamFy, metric->DefaultBeamFy);
  EXPECT_NE(m->DefaultBeamFy, Defaults(0)->DefaultBeamFy);
  EXPECT_EQ(m->Version, 17.3f);  // a new model's version: the file has none
  EXPECT_EQ(m->dDiaphEccenX, 5.0);
  EXPECT_EQ(std::memcmp(&m->JoistCriteria, &metric->JoistCriteria, sizeof m->JoistCriteria), 0);

  // Without "Units" the English defaults are used.
  std::string noUnits = OlderXml();
  noUnits.erase(noUnits.find("\t\t<field name=\"Units\">"), 36);
  WriteBytes(Path(), Text(noUnits));
  ASSERT_TRUE(db.ReadMdf(m.get()));
  EXPECT_EQ(m->Units, 0);
  EXPECT_EQ(m->DefaultBeamFy, Defaults(0)->DefaultBeamFy);
}

TEST_F(MasterDataFile, UnreadableFilesFailWithoutHalfRecords) {
  CDBIO db(Base(), nullptr);
  auto m = std::make_unique<SMDF>();

  // No file: false, the caller's record untouched.
  *m = Filled(0x33);
  EXPECT_FALSE(db.ReadMdf(m.get()));
  EXPECT_EQ(m->NumStories, 0x33333333);

  // An MDF item without fields is still the MDF item: a record of pure defaults.
  const std::string head = "<?xml version=\"1.0\"?>\n<QELArchive version=\"17.3\">";
  WriteBytes(Path(), Text(head + "<struct name=\"MDF\"/></QELArchive>"));
  *m = Filled(0x33);
  ASSERT_TRUE(db.ReadMdf(m.get()));
  EXPECT_EQ(m->NumStories, 0);
  EXPECT_EQ(m->DefaultBeamFy, Defaults(0)->DefaultBeamFy);

  // Not exactly one map, no MDF item, malformed XML: false, record zeroed.
  const std::string mdf =
      "<struct name=\"MDF\"><field name=\"NumStories\">05000000</field></struct>";
  const std::string bad[] = {
      head + "</QELArchive>",
      head + mdf + mdf + "</QELArchive>",
      head + "<struct name=\"Other\"><field name=\"NumStories\">05</field></struct></QELArchive>",
      head + mdf,  // never closed
      "<?xml version=\"1.0\"?>\n<QELArchive><struct name=\"MDF\"><field name=\"a\">0</fie",
      "<?xml " + std::string(5000, '\xFF'),
  };
  for (const std::string& text : bad) {
    WriteBytes(Path(), Text(text));
    *m = Filled(0x33);
    EXPECT_FALSE(db.ReadMdf(m.get())) << text.substr(0, 120);
    EXPECT_TRUE(AllZero(m.get(), sizeof(SMDF))) << text.substr(0, 120);
  }

  // A well-formed file that another writer holds is not opened, let alone half read.
  WriteBytes(Path(), Text(head + mdf + "</QELArchive>"));
  *m = Filled(0x33);
  {
    CFile writer(Path().c_str(), CFile::modeReadWrite | CFile::shareExclusive);
    EXPECT_FALSE(db.ReadMdf(m.get()));
    EXPECT_EQ(m->NumStories, 0x33333333);
  }
  ASSERT_TRUE(db.ReadMdf(m.get()));
  EXPECT_EQ(m->NumStories, 5);
}

TEST_F(MasterDataFile, SavingNeverLosesThePreviousFile) {
  CDBIO db(Base(), nullptr);
  auto m = Defaults(0);
  m->NumStories = 12;

  // A new file is created; nothing but it is left in the folder.
  ASSERT_TRUE(db.WriteMdf(m.get()));
  const Bytes first = ReadBytes(Path());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);

  // A reader holding the file makes the save fail and leaves the file alone.
  m->NumStories = 13;
  {
    CFile reader(Path().c_str(), CFile::modeRead | CFile::shareDenyWrite);
    EXPECT_FALSE(db.WriteMdf(m.get()));
  }
  EXPECT_EQ(ReadBytes(Path()), first);

  // A save cut short by the file-size limit returns false in the writer and leaves the old file
  // byte for byte. The write runs in a child so the limit binds nothing else.
  std::signal(SIGXFSZ, SIG_IGN);
  const int code = RunInChild([&] {
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = 4096;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
    return db.WriteMdf(m.get()) ? 1 : 0;
  });
  EXPECT_EQ(code, 0) << "1: the save claimed success; 3: no limit";
  EXPECT_GT(first.size(), 4096u) << "the document must be larger than the limit";
  EXPECT_EQ(ReadBytes(Path()), first);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1)
      << "no temporary file is left behind";

  // Without the limit the same save goes through.
  ASSERT_TRUE(db.WriteMdf(m.get()));
  auto back = std::make_unique<SMDF>();
  ASSERT_TRUE(db.ReadMdf(back.get()));
  EXPECT_EQ(back->NumStories, 13);

  // A folder that does not exist: false.
  CDBIO nowhere(dir_.File("missing/tower"), nullptr);
  EXPECT_FALSE(nowhere.WriteMdf(m.get()));
}

TEST_F(MasterDataFile, TimeStampIsMonthFirstAndTwentyFourHour) {
  auto m = std::make_unique<SMDF>(Filled(0x7E));
  qel::StampMdf(m.get(), CTime(2024, 3, 5, 14, 7, 9));
  EXPECT_STREQ(m->Date, "03/05/24");
  EXPECT_STREQ(m->Time, "14:07:09");
  EXPECT_EQ(m->ColAISCSelection, 0x7E) << "the byte after Time is not touched";

  CDBIO db(Base(), nullptr);
  db.UpdateTimeStamp(m.get());
  const CTime now = CTime::GetCurrentTime();
  auto back = std::make_unique<SMDF>();
  ASSERT_TRUE(db.ReadMdf(back.get()));
  EXPECT_STREQ(back->Date, now.Format("%m/%d/%y"));
  EXPECT_EQ(std::strlen(back->Time), 8u);
}

TEST_F(MasterDataFile, CQelMDFArchivesThroughTheMasterDataFile) {
  auto m = Defaults(2);
  m->NumColLine = 44;
  std::strcpy(m->JobName, "Archive");
  {
    CFile f(Path().c_str(), CFile::modeCreate | CFile::modeWrite);
    f.Write("HDR", 3);  // something written before the record stays before it
    CArchive ar(&f, CArchive::store);
    ar << 7;
    CQelMDF(2, m.get()).Serialize(ar);
    ar.Close();
  }
  const std::string text = ReadText(Path());
  ASSERT_GT(text.size(), 7u);
  EXPECT_EQ(text.substr(0, 3), "HDR");
  EXPECT_EQ(text.substr(7, 6), "<?xml ");

  // Loading reads the record from a file that starts with it.
  WriteBytes(Path(), Text(text.substr(7)));
  auto back = std::make_unique<SMDF>();
  {
    CFile f(Path().c_str(), CFile::modeRead);
    CArchive ar(&f, CArchive::load);
    CQelMDF(0, back.get()).Serialize(ar);
  }
  EXPECT_EQ(back->NumColLine, 44);
  EXPECT_STREQ(back->JobName, "Archive");
  EXPECT_EQ(back->Units, 2);
  EXPECT_EQ(std::memcmp(back.get(), m.get(), sizeof(SMDF)), 0);
}

}  // namespace
