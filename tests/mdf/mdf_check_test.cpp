// qel::CheckMdfFile on master data files built byte by byte: what the form rule lets through.
#include "mdf/mdf_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "golden_bytes.h"
#include "platform/cmemfile.h"
#include "test_support.h"

namespace {

using K = qel::MdfFindingKind;

std::vector<qel::MdfFinding> Check(const std::string& bytes) {
  CMemFile file(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
  file.Seek(7, CFile::begin);
  auto findings = qel::CheckMdfFile(file);
  EXPECT_EQ(file.GetPosition(), 0u);
  return findings;
}

std::vector<K> KindsOf(const std::string& bytes) {
  std::vector<K> kinds;
  for (const auto& f : Check(bytes)) kinds.push_back(f.kind);
  return kinds;
}

// A binary image: version `version` where the version reader looks (byte 0 from 1500 bytes on,
// byte 36 below) and unit system `units` at byte 260.
std::string Image(std::size_t size, float version = 9.0f, long units = 1) {
  std::vector<unsigned char> b(size, 0);
  qeltest::PutF32(b, size >= 1500 ? 0 : 36, version);
  if (size >= 264) qeltest::PutI32(b, 260, units);
  return std::string(b.begin(), b.end());
}

const std::string kArchive =
    "<?xml version=\"1.0\"?>\n<QELArchive version=\"17.29999\"><struct name=\"MDF\">\n"
    "<field name=\"Units\">01000000</field>\n<field name=\"JobName\">\n\t\t4A6F62\n</field>\n"
    "</struct>\n</QELArchive>\n";

TEST(CheckMdfFile, BinaryImagesThatAreXmlTextOrImplausible) {
  EXPECT_TRUE(Check(Image(6152)).empty());
  EXPECT_TRUE(Check(kArchive).empty());
  EXPECT_EQ(KindsOf(Image(1499)), std::vector<K>{K::kShortImage});
  EXPECT_EQ(KindsOf(Image(6152, 9.0f, 3)), std::vector<K>{K::kUnitsOutOfRange});
  EXPECT_EQ(KindsOf(Image(6152, 0.5f)), std::vector<K>{K::kImplausibleVersion});
  EXPECT_EQ(KindsOf(Image(6152, 17.4f)), std::vector<K>{K::kImplausibleVersion});
  EXPECT_EQ(KindsOf(""), std::vector<K>{K::kEmpty});

  // XML text that misses "<?xml " by a byte is named for what it begins with.
  const std::string body = kArchive.substr(kArchive.find("<QELArchive"));
  for (const auto& [text, reason] : std::vector<std::pair<std::string, std::string>>{
           {"\xEF\xBB\xBF" + kArchive, "UTF-8 byte-order mark"},
           {"\n" + kArchive, "white space"},
           {"<!-- by hand -->" + kArchive, "XML comment"},
           {body, "no XML declaration"},
           {"<?xml\nversion=\"1.0\"?>" + body, "no blank after"}}) {
    const auto findings = Check(text);
    ASSERT_GE(findings.size(), 2u) << reason;
    EXPECT_EQ(findings[0].kind, K::kXmlTextAsBinary) << reason;
    EXPECT_NE(findings[0].text.find(reason), std::string::npos) << findings[0].text;
    EXPECT_EQ(findings[1].kind, K::kShortImage) << reason;
  }
}

TEST(CheckMdfFile, XmlFieldsWithHexTheReaderWouldMisread) {
  std::string text = kArchive;
  text.replace(text.find("01000000"), 8, "07000000");
  text.replace(text.find("4A6F62"), 6, "4A6F6");
  text.insert(text.find("</struct>"),
              "<field name=\"Joist\"><field name=\"Fy\">0000Z03F</field></field>\n");
  const auto findings = Check(text);
  ASSERT_EQ(findings.size(), 3u);
  EXPECT_EQ(findings[0].text, "unit system 7 is not 0, 1 or 2");
  EXPECT_EQ(findings[1].kind, K::kBadHex);
  EXPECT_EQ(findings[1].text.rfind("field JobName: hex text \"4A6F6\" has an odd number", 0), 0u)
      << findings[1].text;
  EXPECT_EQ(findings[2].text.rfind("field Joist.Fy: hex text \"0000Z03F\" holds characters", 0), 0u)
      << findings[2].text;

  // A flood of bad fields is cut short, with a count of the rest.
  std::string many = kArchive;
  for (int i = 0; i < 25; ++i) many.insert(many.find("</struct>"), "<field name=\"f\">G</field>");
  const auto capped = Check(many);
  ASSERT_EQ(capped.size(), qel::kMaxHexFindings + 1);
  EXPECT_EQ(capped.back().text, "5 more fields with bad hex text");

  EXPECT_EQ(KindsOf("<?xml version=\"1.0\"?><QELArchive><struct"),
            std::vector<K>{K::kUnreadableXml});
}

}  // namespace
