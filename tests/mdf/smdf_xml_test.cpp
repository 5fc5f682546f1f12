// A full SMDF through the whole archive road: map, XML text, parse, unmap.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "mdf/map_xml.h"
#include "mdf/smdf.h"
#include "platform/cfile.h"
#include "test_support.h"

namespace {

SMDF Patterned() {
  SMDF r;
  auto* p = reinterpret_cast<unsigned char*>(&r);
  for (std::size_t i = 0; i < sizeof r; ++i) p[i] = static_cast<unsigned char>((i * 13 + 5) % 256);
  return r;
}

// The field-by-field comparison of two records, padding excepted: map both and compare the maps
// item by item (the maps hold exactly the fields).
void ExpectSameFields(const ArchiverDataMap& a, const ArchiverDataMap& b, const std::string& at) {
  ASSERT_EQ(a.size(), b.size()) << at;
  for (auto ia = a.begin(), ib = b.begin(); ia != a.end(); ++ia, ++ib) {
    ASSERT_EQ(ia->first, ib->first) << at;
    const ArchiverDataItem& x = *ia->second;
    const ArchiverDataItem& y = *ib->second;
    ASSERT_EQ(x.m_bLeaf, y.m_bLeaf) << at << "/" << ia->first;
    ASSERT_EQ(x.m_data.GetSize(), y.m_data.GetSize()) << at << "/" << ia->first;
    if (x.m_data.GetSize() > 0) {
      EXPECT_EQ(std::memcmp(x.m_data.GetData(), y.m_data.GetData(), x.m_data.GetSize()), 0)
          << at << "/" << ia->first;
    }
    ExpectSameFields(x.m_mapChildren, y.m_mapChildren, at + "/" + ia->first);
  }
}

TEST(SmdfXml, FullRecordThroughXmlTextAndBack) {
  const SMDF rec = Patterned();
  ArchiverDataMap map;
  MapSMDF(rec, map);

  qeltest::TempDir dir;
  const std::string path = dir.File("model.qel");
  {
    CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
    CMapXml xml;
    ASSERT_TRUE(xml.MapToXmlFile(map, "MDF", file, 17.3f));
  }
  const std::string text = qeltest::ReadText(path);
  // The record's items sit two tabs deep under the MDF struct, in byte-wise name order, and the
  // 512-byte project name is long enough to be wrapped onto its own line.
  EXPECT_NE(text.find("version=\"17.29999\">        <struct name=\"MDF\">"), std::string::npos);
  EXPECT_NE(text.find("\t\t<field name=\"Units\">"), std::string::npos);
  EXPECT_LT(text.find("name=\"Version\""), text.find("name=\"arHangerTrialGroups[0]\""));
  EXPECT_NE(text.find("<field name=\"CONNECTIONProjectName\">\n\t\t\t"), std::string::npos);

  CMapXml reader;
  auto list = reader.XmlFileToMap(path.c_str());
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->size(), 1u);
  const ArchiverDataItem* mdf = qel::FindDataItem((*list)[0], "MDF");
  ASSERT_NE(mdf, nullptr);
  ASSERT_EQ(mdf->m_bLeaf, 0);
  ExpectSameFields(mdf->m_mapChildren, map, "MDF");

  SMDF back;
  std::memset(&back, 0, sizeof back);
  UnMapSMDF(mdf->m_mapChildren, back);
  ArchiverDataMap again;
  MapSMDF(back, again);
  ExpectSameFields(again, map, "record");
  EXPECT_EQ(std::memcmp(back.ModelID, rec.ModelID, sizeof rec.ModelID), 0);
  EXPECT_EQ(std::memcmp(&back.JoistCriteria, &rec.JoistCriteria, 79), 0);  // up to the pad byte
  EXPECT_EQ(std::memcmp(back.arHangerTrialGroups[2].arGroupNames,
                        rec.arHangerTrialGroups[2].arGroupNames, 144),
            0);
  EXPECT_EQ(std::memcmp(&back.nAnalysisRunCounter, &rec.nAnalysisRunCounter, 4), 0);
}

}  // namespace
