// The XML archive: documents compared byte for byte with text written out here from the layout
// rules (declaration line, root with its version, eight blanks before the struct element, one tab
// per depth, upper-case hex, the 80-column rule, closing-tag indentation), and the reader's
// leniency and refusals.
#include "mdf/map_xml.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using namespace qeltest;
using qeltest::ReadText;  // beside the local overload

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

std::vector<BYTE> Bytes(const ArchiverDataItem& item) {
  return std::vector<BYTE>(item.m_data.begin(), item.m_data.end());
}

void Put(ArchiverDataMap& map, const char* name, std::vector<BYTE> bytes) {
  MapDataItem(map, name, bytes.data(), bytes.size());
}

std::vector<BYTE> Sequence(int n) {
  std::vector<BYTE> v;
  for (int i = 0; i < n; ++i) v.push_back(static_cast<BYTE>(i * 7 + 0xA0));
  return v;
}

// Parses `text` through a file, as the master data reader does.
std::unique_ptr<ArchiverDataMapList> ReadText(const TempDir& dir, const std::string& text) {
  const std::string path = dir.File("in.xml");
  WriteText(path, text);
  CMapXml xml;
  return xml.XmlFileToMap(path.c_str());
}

TEST(MapXmlWrite, VersionTextIsComputedInSinglePrecision) {
  EXPECT_EQ(qel::FormatArchiveVersion(17.3f), "17.29999");
  EXPECT_EQ(qel::FormatArchiveVersion(16.05f), "16.4999");  // leading zeros of the fraction lost
  EXPECT_EQ(qel::FormatArchiveVersion(17.0f), "17.0");
  EXPECT_EQ(qel::FormatArchiveVersion(1.5f), "1.50000");
  EXPECT_EQ(qel::FormatArchiveVersion(0.0f), "");
  // Values no int can hold give a defined text (and no undefined conversion under UBSan).
  EXPECT_EQ(qel::FormatArchiveVersion(std::numeric_limits<float>::quiet_NaN()),
            "-2147483648.-2147483648");
  EXPECT_EQ(qel::FormatArchiveVersion(1e20f).substr(0, 12), "-2147483648.");

  // Without a version the root has no attribute (an empty root with one: the nesting test).
  CMapXml xml;
  IXMLDOMDocument* doc = xml.CreateXmlDoc(0.0f);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->xml(), kDecl + "<QELArchive/>\n");
}

TEST(MapXmlWrite, DocumentMatchesTheLayoutByteForByte) {
  ArchiverDataMap map;
  Put(map, "a", {});                  // empty field item: an empty element
  Put(map, "Z", {0x01, 0xAB, 0x5f});  // upper-case hex; 'Z' sorts before 'a'
  qel::MapStructItem(map, "emptyS");  // struct without children
  ArchiverDataMap& s = qel::MapStructItem(map, "s");
  Put(s, "x", {0xFF});
  ArchiverDataMap& t = qel::MapStructItem(s, "t");
  Put(t, "deep", {0x00, 0x10});
  // At depth 2 a name of 4 characters allows 58 hex digits on the line (58 + 8 + 8 + 5 = 79);
  // 60 digits (81) move the hex to a line of its own.
  Put(map, "fits", Sequence(29));
  Put(map, "wrap", Sequence(30));
  // At depth 3, name "w3" (2 characters): 62 digits give 62 + 12 + 4 + 5 = 83.
  Put(s, "w3", Sequence(31));
  Put(map, "amp&<\">", {0x01});  // markup characters in names are escaped

  std::string expected = kDecl;
  expected += "<QELArchive version=\"17.29999\">        <struct name=\"MDF\">\n";
  expected += "\t\t<field name=\"Z\">01AB5F</field>\n";
  expected += "\t\t<field name=\"a\"/>\n";
  expected += "\t\t<field name=\"amp&amp;&lt;&quot;&gt;\">01</field>\n";
  expected += "\t\t<field name=\"emptyS\">\n\t\t</field>\n";
  expected += "\t\t<field name=\"fits\">" + Hex(Sequence(29)) + "</field>\n";
  expected += "\t\t<field name=\"s\">\n";
  expected += "\t\t\t<field name=\"t\">\n";
  expected += "\t\t\t\t<field name=\"deep\">0010</field>\n";
  expected += "\t\t\t</field>\n";
  expected += "\t\t\t<field name=\"w3\">\n\t\t\t\t" + Hex(Sequence(31)) + "\n\t\t\t</field>\n";
  expected += "\t\t\t<field name=\"x\">FF</field>\n";
  expected += "\t\t</field>\n";
  expected += "\t\t<field name=\"wrap\">\n\t\t\t" + Hex(Sequence(30)) + "\n\t\t</field>\n";
  expected += "\t</struct>\n";
  expected += "</QELArchive>\n";

  CMapXml xml;
  IXMLDOMDocument* doc = xml.MapToXml(map, "MDF", 17.3f);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->xml(), expected);

  // The path form saves the same text; the CFile form writes it at the current position.
  TempDir dir;
  const std::string path = dir.File("a.qel");
  ASSERT_TRUE(xml.MapToXmlFile(map, "MDF", path.c_str(), 17.3f));
  EXPECT_EQ(ReadText(path), expected);
  {
    CFile file(dir.File("b.qel").c_str(), CFile::modeCreate | CFile::modeWrite);
    file.Write("PRE", 3);
    EXPECT_TRUE(xml.MapToXmlFile(map, "MDF", file, 17.3f));
  }
  EXPECT_EQ(ReadText(dir.File("b.qel")), "PRE" + expected);
  EXPECT_FALSE(xml.MapToXmlFile(map, "MDF", dir.File("no/such/folder/x.qel").c_str(), 17.3f));
}

TEST(MapXmlWrite, StructsAppendToAnExistingRootAndNeedOne) {
  CMapXml xml;
  ArchiverDataMap a, b;
  Put(a, "k", {0x0C});
  IXMLDOMDocument* doc = xml.CreateXmlDoc(16.05f);
  ASSERT_TRUE(xml.MapToXml(a, doc, "A"));
  ASSERT_TRUE(xml.MapToXml(b, doc, "B"));  // an empty map still gets its struct element
  EXPECT_EQ(doc->xml(), kDecl +
                            "<QELArchive version=\"16.4999\">        <struct name=\"A\">\n"
                            "\t\t<field name=\"k\">0C</field>\n"
                            "\t</struct>\n"
                            "        <struct name=\"B\">\n"
                            "\t</struct>\n"
                            "</QELArchive>\n");

  // A document read from text takes maps as well: into an empty root, and before the end tag of
  // one that holds elements already, whatever comments and instructions follow the root.
  IXMLDOMDocument read;
  ASSERT_TRUE(read.loadXML("<QELArchive v='1'/><!--c-->"));
  ASSERT_TRUE(xml.MapToXml(b, &read, "B"));
  EXPECT_EQ(read.xml(),
            "<QELArchive v='1'>        <struct name=\"B\">\n\t</struct>\n"
            "</QELArchive><!--c-->");
  ASSERT_TRUE(read.loadXML("<QELArchive><x/></QELArchive >\n<?pi </QELArchive>?>\n"));
  ASSERT_TRUE(xml.MapToXml(b, &read, "B"));
  EXPECT_EQ(read.xml(),
            "<QELArchive><x/>        <struct name=\"B\">\n\t</struct>\n"
            "</QELArchive >\n<?pi </QELArchive>?>\n");
  EXPECT_EQ(xml.XmlToMap(&read)->size(), 1u) << "the tree follows the text";

  // A document whose root has another name has no place for the map.
  IXMLDOMDocument other;
  ASSERT_TRUE(other.loadXML("<Other/>"));
  EXPECT_FALSE(xml.MapToXml(a, &other, "A"));
  EXPECT_EQ(other.xml(), "<Other/>");
  EXPECT_FALSE(xml.MapToXml(a, nullptr, "A"));
}

TEST(MapXmlWrite, NestingIsBoundedSoEverythingWrittenCanBeRead) {
  TempDir dir;
  auto build = [](ArchiverDataMap& map, int levels) {
    ArchiverDataMap* level = &map;
    for (int i = 0; i < levels; ++i) level = &qel::MapStructItem(*level, "n");
    Put(*level, "leaf", {0xAB});
  };
  // The deepest map accepted writes and reads back to its leaf.
  ArchiverDataMap ok;
  build(ok, kMaxMapDepth - 1);
  CMapXml xml;
  const std::string path = dir.File("deep.xml");
  ASSERT_TRUE(xml.MapToXmlFile(ok, "S", path.c_str(), 1.0f));
  auto list = xml.XmlFileToMap(path.c_str());
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->size(), 1u);
  const ArchiverDataMap* level = &list->front().at("S")->m_mapChildren;
  for (int i = 0; i < kMaxMapDepth - 1; ++i) {
    ASSERT_EQ(level->size(), 1u) << "level " << i;
    level = &level->at("n")->m_mapChildren;
  }
  EXPECT_EQ(Bytes(*level->at("leaf")), (std::vector<BYTE>{0xAB}));

  // One level more is refused, and the document is left as it was.
  ArchiverDataMap tooDeep;
  build(tooDeep, kMaxMapDepth);
  EXPECT_EQ(xml.MapToXml(tooDeep, "S", 1.0f), nullptr);
  IXMLDOMDocument* doc = xml.CreateXmlDoc(1.0f);
  EXPECT_FALSE(xml.MapToXml(tooDeep, doc, "S"));
  EXPECT_EQ(doc->xml(), kDecl + "<QELArchive version=\"1.0\"/>\n");
}

TEST(MapXmlRead, HexTextIsReadLeniently) {
  TempDir dir;
  const std::string text = kDecl +
                           "<QELArchive version=\"17.29999\">\n"
                           "<struct name=\"M\">\n"
                           "<field name=\"odd\">0a1b2</field>\n"
                           "<field name=\"wrapped\">\n\t\t\t0A1B\n\t\t</field>\n"
                           "<field name=\"empty\"/>\n"
                           "<field name=\"blank\">\n\t\t</field>\n"
                           "<field name=\"cdata\"><![CDATA[C0DE]]></field>\n"
                           "<field name=\"mixed\">01<b>02</b>03</field>\n"
                           "<field name=\"ent&amp;\">7F</field>\n"
                           "<field name=\"dup\">01</field>\n"
                           "<field name=\"dup\">02</field>\n"
                           "</struct>\n"
                           "</QELArchive>\n";
  auto list = ReadText(dir, text);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->size(), 1u);
  const ArchiverDataMap& top = list->front();
  ASSERT_EQ(top.size(), 1u);
  const ArchiverDataItem& m = *top.at("M");
  EXPECT_EQ(m.m_bLeaf, 0);
  const ArchiverDataMap& c = m.m_mapChildren;
  auto bytes = [&](const char* name) { return Bytes(*c.at(name)); };
  EXPECT_EQ(bytes("odd"), (std::vector<BYTE>{0x0A, 0x1B, 0x02}));
  EXPECT_EQ(bytes("wrapped"), (std::vector<BYTE>{0x0A, 0x1B}));
  EXPECT_EQ(bytes("empty"), std::vector<BYTE>{});
  EXPECT_EQ(bytes("blank"), std::vector<BYTE>{});
  EXPECT_EQ(c.at("blank")->m_bLeaf, 1);
  EXPECT_EQ(bytes("cdata"), (std::vector<BYTE>{0xC0, 0xDE}));
  EXPECT_EQ(bytes("mixed"), (std::vector<BYTE>{0x01, 0x02, 0x03}));
  EXPECT_EQ(bytes("ent&"), (std::vector<BYTE>{0x7F}));
  EXPECT_EQ(bytes("dup"), (std::vector<BYTE>{0x02}));  // the later element replaces the earlier
  EXPECT_EQ(c.size(), 8u);
}

TEST(MapXmlRead, StructureOfTheDocument) {
  TempDir dir;
  // Two struct elements give two maps; an element without a name is skipped with its contents;
  // a struct element without a name still gives a (then empty) map; other elements are ignored.
  const std::string text =
      "<QELArchive>"
      "<struct name=\"one\"><field name=\"a\">01</field>"
      "<field><field name=\"hidden\">02</field></field>"
      "<other name=\"x\">03</other></struct>"
      "<struct><field name=\"lost\">04</field></struct>"
      "<note/>"
      "<struct name=\"two\"><field name=\"s\"><field name=\"b\">05</field></field></struct>"
      "</QELArchive>";
  auto list = ReadText(dir, text);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->size(), 3u);
  const ArchiverDataMap& one = (*list)[0];
  ASSERT_EQ(one.size(), 1u);
  const ArchiverDataMap& oneChildren = one.at("one")->m_mapChildren;
  ASSERT_EQ(oneChildren.size(), 1u);
  EXPECT_EQ(Bytes(*oneChildren.at("a")), (std::vector<BYTE>{0x01}));
  EXPECT_TRUE((*list)[1].empty());
  const ArchiverDataItem& two = *(*list)[2].at("two");
  const ArchiverDataItem& s = *two.m_mapChildren.at("s");
  EXPECT_EQ(s.m_bLeaf, 0);
  EXPECT_EQ(Bytes(*s.m_mapChildren.at("b")), (std::vector<BYTE>{0x05}));
  EXPECT_EQ(s.m_data.GetSize(), 0);

  // A struct element with no fields reads as a field item of its (empty) text.
  list = ReadText(dir, "<QELArchive><struct name=\"e\"/></QELArchive>");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->size(), 1u);
  EXPECT_EQ(list->front().at("e")->m_bLeaf, 1);

  // A root of another name holds no maps: an empty list, not a failure.
  list = ReadText(dir, "<Other><struct name=\"x\"/></Other>");
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->empty());

  // XmlToMap on a document without root, and on none at all.
  CMapXml xml;
  IXMLDOMDocument empty;
  ASSERT_NE(xml.XmlToMap(&empty), nullptr);
  EXPECT_TRUE(xml.XmlToMap(&empty)->empty());
  EXPECT_TRUE(xml.XmlToMap(nullptr)->empty());
}

TEST(MapXmlRead, MalformedOrUnreadableInputGivesNull) {
  TempDir dir;
  const std::vector<std::string> bad = {
      "",
      "   \n",
      "not xml at all",
      "<QELArchive>",
      "<QELArchive><struct name=\"a\"></QELArchive>",
      "<QELArchive></Other>",
      "<QELArchive/><QELArchive/>",
      "<QELArchive/>trailing text",
      "<QELArchive><field name=\"a\">01</field",
      "<QELArchive><field name=\"a>01</field></QELArchive>",
      "<QELArchive><!-- unterminated </QELArchive>",
      "<QELArchive><![CDATA[x</QELArchive>",
      "<?xml version=\"1.0\"?><?xml version=\"1.0\"?><QELArchive/>",
      " <?xml version=\"1.0\"?><QELArchive/>",
      "<QELArchive/><?xml version=\"1.0\"?>",
      "<QELArchive><?xml version=\"1.0\"?></QELArchive>",
      "JUNK<QELArchive/>",
      std::string("\x00\x01\x02<QELArchive/>", 16),
  };
  for (const std::string& text : bad) EXPECT_EQ(ReadText(dir, text), nullptr) << text;

  // Fields nested past the limit are refused; just inside it they are read. Other elements may
  // nest deeply (their text is gathered without recursion).
  auto nested = [](int depth, const char* open, const char* close) {
    std::string s = "<QELArchive><struct name=\"s\">";
    for (int i = 3; i <= depth; ++i) s += open;
    s += "AB";
    for (int i = 3; i <= depth; ++i) s += close;
    return s + "</struct></QELArchive>";
  };
  const char* openField = "<field name=\"n\">";
  EXPECT_NE(ReadText(dir, nested(kMaxXmlDepth, openField, "</field>")), nullptr);
  EXPECT_EQ(ReadText(dir, nested(kMaxXmlDepth + 1, openField, "</field>")), nullptr);
  {
    // Given the document itself, XmlToMap keeps what lies within the limit.
    IXMLDOMDocument deep;
    ASSERT_TRUE(deep.loadXML(nested(kMaxXmlDepth + 1, openField, "</field>")));
    CMapXml xml;
    auto list = xml.XmlToMap(&deep);
    ASSERT_EQ(list->size(), 1u);
    EXPECT_EQ(list->front().at("s")->m_bLeaf, 0);
  }
  auto deepOther = ReadText(dir, nested(100000, "<a>", "</a>"));
  ASSERT_NE(deepOther, nullptr);
  EXPECT_EQ(Bytes(*deepOther->front().at("s")), (std::vector<BYTE>{0xAB}));
  EXPECT_EQ(ReadText(dir, std::string(200000, '<')), nullptr);
  // A declaration after a byte-order mark is still at the start.
  EXPECT_NE(ReadText(dir, "\xEF\xBB\xBF<?xml version=\"1.0\"?><QELArchive/>"), nullptr);

  // The text ends at the first NUL; whatever follows it is never parsed.
  std::string withNul = "<QELArchive><struct name=\"n\"/></QELArchive>";
  withNul += std::string(1, '\0') + "<<garbage";
  auto list = ReadText(dir, withNul);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->size(), 1u);

  CMapXml xml;
  EXPECT_EQ(xml.XmlFileToMap(dir.File("missing.xml").c_str()), nullptr);
  EXPECT_EQ(xml.XmlFileToMap(static_cast<const char*>(nullptr)), nullptr);
  IXMLDOMDocument doc;
  EXPECT_FALSE(doc.loadXML("<a><b></a>"));
  EXPECT_EQ(doc.xml(), "");
}

TEST(MapXmlRead, FileFormsHonourPositionAndSharing) {
  TempDir dir;
  const std::string path = dir.File("m.qel");
  WriteText(path,
            "JUNK<QELArchive><struct name=\"p\"><field name=\"f\">AA</field></struct>"
            "</QELArchive>");
  CMapXml xml;
  {
    // Reading starts at the file's current position.
    CFile file(path.c_str(), CFile::modeRead);
    file.Seek(4, CFile::begin);
    auto list = xml.XmlFileToMap(file);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->size(), 1u);
    EXPECT_EQ(Bytes(*list->front().at("p")->m_mapChildren.at("f")), (std::vector<BYTE>{0xAA}));
    file.SeekToBegin();
    EXPECT_EQ(xml.XmlFileToMap(file), nullptr);  // "JUNK" before the root is not XML
  }
  {
    // A writer holding the file keeps the path form out.
    CFile writer(path.c_str(), CFile::modeReadWrite | CFile::shareExclusive);
    EXPECT_EQ(xml.XmlFileToMap(path.c_str()), nullptr);
  }
}

TEST(MapXmlRoundTrip, NamesWithWhiteSpaceOrBytesBeyondAsciiReadBack) {
  // Tabs and line feeds in names survive the reader's attribute normalisation; other bytes pass
  // through as they stand.
  const std::string names[] = {"name with blanks\tand tab\nand line", "\xC3\xA9t\xE9"};
  ArchiverDataMap map;
  for (const std::string& name : names) Put(map, name.c_str(), {0x5A});
  TempDir dir;
  const std::string path = dir.File("r.qel");
  CMapXml xml;
  ASSERT_TRUE(xml.MapToXmlFile(map, "MDF", path.c_str(), 17.3f));
  auto list = xml.XmlFileToMap(path.c_str());
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->size(), 1u);
  const ArchiverDataMap& back = list->front().at("MDF")->m_mapChildren;
  EXPECT_EQ(back.size(), 2u);
  for (const std::string& name : names) {
    ASSERT_TRUE(back.count(name)) << name;
    EXPECT_EQ(Bytes(*back.at(name)), std::vector<BYTE>{0x5A}) << name;
  }
  // The list owns its maps; clearing them is allowed and the list is then freed.
  for (ArchiverDataMap& m : *list) ClearDataMap(m);
}

}  // namespace
