// Reading archive text straight into an SMDF: the direct walk must leave exactly the record (and
// status) that the map road leaves, for every document, and must not fall back on the documents
// our own writer produces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "golden_bytes.h"
#include "mdf/map_xml.h"
#include "mdf/smdf.h"
#include "mdf/smdf_xml.h"
#include "test_support.h"

namespace {

using qel::SmdfXmlStatus;

// ---------------------------------------------------------------------------------------------
// Documents built by hand from the archive layout: a root "QELArchive", a `struct` element, and
// `field` elements carrying a "name" attribute and hex text or child `field` elements.

struct El {
  std::string name;
  bool named = true;
  std::string text;  // raw XML content of a leaf (hex, possibly split by comments)
  std::vector<El> kids;
  bool structure = false;  // written with its kids (possibly none) rather than its text
};

using qeltest::Hex;

std::vector<El> FromMap(const ArchiverDataMap& map) {
  std::vector<El> out;
  for (const auto& [name, item] : map) {
    El e;
    e.name = name;
    if (item->m_bLeaf == 0) {
      e.structure = true;
      e.kids = FromMap(item->m_mapChildren);
    } else {
      e.text = Hex(item->m_data.GetData(), item->m_data.GetSize());
    }
    out.push_back(std::move(e));
  }
  return out;
}

void Write(const El& e, std::string& out, int depth) {
  out.append(static_cast<std::size_t>(depth), '\t');
  out += "<field";
  if (e.named) out += " name=\"" + e.name + "\"";
  out += ">";
  if (e.structure) {
    out += "\n";
    for (const El& k : e.kids) Write(k, out, depth + 1);
    out.append(static_cast<std::size_t>(depth), '\t');
  } else {
    out += e.text;
  }
  out += "</field>\n";
}

std::string Document(const std::vector<El>& fields, const char* structName = "MDF") {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<QELArchive version=\"17.29999\">"
      "        <struct name=\"";
  out += structName;
  out += "\">\n";
  for (const El& e : fields) Write(e, out, 2);
  out += "\t</struct>\n</QELArchive>\n";
  return out;
}

SMDF Filled(unsigned char byte) { return qeltest::Filled<SMDF>(byte); }

// Both roads over `text`, a document the map road reads, from the same starting record; the
// direct walk's status is returned in `direct` (kNeedsMaps when it handed over).
struct Outcome {
  SmdfXmlStatus direct, maps, full;
  bool sameRecord;  // direct (when it did not hand over) and full both equal the map road's
  bool sameUnits;   // the preparation saw the same "Units" bytes on both roads
};

Outcome Compare(const std::string& text, const SMDF& start) {
  Outcome o;
  SMDF viaDirect = start, viaMaps = start, viaFull = start;
  std::vector<std::vector<BYTE>> seenDirect, seenMaps, seenFull;
  // The preparation stands for filling defaults: it writes what it was given into the record.
  auto prepareInto = [](std::vector<std::vector<BYTE>>& seen) {
    return [&seen](const BYTE* units, std::size_t size, SMDF& mdf) {
      seen.emplace_back(units, units + size);
      std::memset(&mdf.NumStories, units == nullptr ? 0x5A : 0x3C, sizeof mdf.NumStories);
      if (size != 0) std::memcpy(&mdf.NumFlrTypes, units, size);
    };
  };
  o.direct =
      qel::UnMapXmlToSMDFDirect(text.data(), text.size(), viaDirect, prepareInto(seenDirect));
  o.maps = qel::UnMapXmlToSMDFThroughMaps(text.data(), text.size(), viaMaps, prepareInto(seenMaps));
  o.full = qel::UnMapXmlToSMDF(text.data(), text.size(), viaFull, prepareInto(seenFull));
  o.sameRecord = std::memcmp(&viaFull, &viaMaps, sizeof start) == 0;
  if (o.direct == SmdfXmlStatus::kNeedsMaps) {
    o.sameRecord = o.sameRecord && std::memcmp(&viaDirect, &start, sizeof start) == 0;
    // The full road may have prepared a working copy before handing over; its last call counts.
    o.sameUnits = !seenFull.empty() && seenMaps.size() == 1 && seenFull.back() == seenMaps[0];
  } else {
    o.sameRecord = o.sameRecord && std::memcmp(&viaDirect, &viaMaps, sizeof start) == 0;
    o.sameUnits = seenDirect == seenMaps && seenFull == seenMaps;
  }
  return o;
}

El UnknownDeep(int levels) {
  El e;
  e.name = "zzDeep";
  El* at = &e;
  for (int i = 0; i < levels; ++i) {
    at->structure = true;
    at->kids.push_back(El{});
    at = &at->kids.back();
    at->name = "n";
  }
  at->text = "01";
  return e;
}

TEST(SmdfXmlDirect, HandWrittenFieldsLandWhereTheLayoutSays) {
  // Units 1 (an odd digit count), NumStories 7, a nameless element holding a Version that must not
  // be read, the old image form of the first two combination blocks (the second one short), and the
  // hanger group array's second element. (Hex text that is not plain digits: the variants below.)
  std::vector<El> f;
  f.push_back({"NumStories", true, "07000000", {}, false});
  f.push_back({"Units", true, "0100000", {}, false});  // odd: the last digit is a byte of its own
  El ghost;
  ghost.named = false;
  ghost.structure = true;
  ghost.kids.push_back({"Version", true, "0000803F", {}, false});
  f.push_back(ghost);
  f.push_back({"cmbprmConcrete", true, std::string(2 * 76, '1'), {}, false});
  f.push_back({"cmbprmSoil", true, "2233", {}, false});
  f.push_back({"arHangerTrialGroups[1]", true, "", {}, true});
  std::sort(f.begin(), f.end(), [](const El& a, const El& b) { return a.name < b.name; });
  const std::string text = Document(f);

  SMDF mdf = Filled(0xEE);
  ASSERT_EQ(qel::UnMapXmlToSMDFDirect(text.data(), text.size(), mdf), SmdfXmlStatus::kOk);
  EXPECT_EQ(mdf.NumStories, 7);
  // "0100000": pairs 01 00 00 and the lone 0: four bytes 01 00 00 00.
  EXPECT_EQ(mdf.Units, 1);
  EXPECT_EQ(mdf.NumFlrTypes, static_cast<std::int32_t>(0xEEEEEEEE));  // absent: untouched
  const BYTE eeFloat[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(std::memcmp(&mdf.Version, eeFloat, 4), 0);  // only inside a nameless element
  std::vector<BYTE> block(sizeof(ComboParams), 0x11);
  EXPECT_EQ(std::memcmp(&mdf.cmbprmConcrete, block.data(), block.size()), 0);
  std::vector<BYTE> soil(sizeof(ComboParams), 0x00);
  soil[0] = 0x22;
  soil[1] = 0x33;
  EXPECT_EQ(std::memcmp(&mdf.cmbprmSoil, soil.data(), soil.size()), 0);
  std::vector<BYTE> untouched(sizeof(ComboParams), 0xEE);
  EXPECT_EQ(std::memcmp(&mdf.cmbprmSteelStand, untouched.data(), untouched.size()), 0);

  // The same blocks behind a struct-form cmbprmConcrete are passed over.
  std::vector<El> g = f;
  for (El& e : g) {
    if (e.name == "cmbprmConcrete") {
      e.structure = true;
      e.kids = {{"nComboBoxIndex", true, "09000000", {}, false}};
    }
  }
  const std::string structForm = Document(g);
  SMDF second = Filled(0xEE);
  ASSERT_EQ(qel::UnMapXmlToSMDFDirect(structForm.data(), structForm.size(), second),
            SmdfXmlStatus::kOk);
  EXPECT_EQ(second.cmbprmConcrete.nComboBoxIndex, 9);
  EXPECT_EQ(std::memcmp(&second.cmbprmSoil, untouched.data(), untouched.size()), 0);
}

TEST(SmdfXmlDirect, RejectsAndHandsOverExactlyWhenItShould) {
  const std::vector<El> one = {{"Units", true, "02000000", {}, false}};
  struct Case {
    std::string text;
    SmdfXmlStatus direct, full;
  } cases[] = {
      {"", SmdfXmlStatus::kUnreadable, SmdfXmlStatus::kUnreadable},
      {"<QELArchive><struct name=\"MDF\">", SmdfXmlStatus::kUnreadable, SmdfXmlStatus::kUnreadable},
      {Document(one) + "<QELArchive/>", SmdfXmlStatus::kUnreadable, SmdfXmlStatus::kUnreadable},
      {Document(one, "Other"), SmdfXmlStatus::kNeedsMaps, SmdfXmlStatus::kNoMdfItem},
      {"<QELArchive></QELArchive>", SmdfXmlStatus::kNeedsMaps, SmdfXmlStatus::kNotOneMap},
      {"<QELArchive><struct name=\"MDF\"/><struct/></QELArchive>", SmdfXmlStatus::kNeedsMaps,
       SmdfXmlStatus::kNotOneMap},
      {"<QELArchive><struct>01</struct></QELArchive>", SmdfXmlStatus::kNeedsMaps,
       SmdfXmlStatus::kNoMdfItem},
      // An unknown element nested past the reader's depth sinks the whole document; one level
      // less is fine.
      {Document({{"Units", true, "02000000", {}, false}, UnknownDeep(kMaxXmlDepth - 2)}),
       SmdfXmlStatus::kNeedsMaps, SmdfXmlStatus::kUnreadable},
      {Document({{"Units", true, "02000000", {}, false}, UnknownDeep(kMaxXmlDepth - 3)}),
       SmdfXmlStatus::kOk, SmdfXmlStatus::kOk},
      // Out of order and repeated names go through the maps.
      {Document({{"Units", true, "02000000", {}, false}, {"NumStories", true, "05", {}, false}}),
       SmdfXmlStatus::kNeedsMaps, SmdfXmlStatus::kOk},
      {Document({{"Units", true, "03000000", {}, false}, {"Units", true, "02000000", {}, false}}),
       SmdfXmlStatus::kNeedsMaps, SmdfXmlStatus::kOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 200));
    SMDF direct = Filled(0x77), full = Filled(0x77);
    const SMDF start = Filled(0x77);
    EXPECT_EQ(qel::UnMapXmlToSMDFDirect(c.text.data(), c.text.size(), direct), c.direct);
    EXPECT_EQ(qel::UnMapXmlToSMDF(c.text.data(), c.text.size(), full), c.full);
    if (c.direct != SmdfXmlStatus::kOk) {
      EXPECT_EQ(std::memcmp(&direct, &start, sizeof start), 0) << "written before handing over";
    }
    if (c.full == SmdfXmlStatus::kOk) {
      EXPECT_EQ(full.Units, 2);  // the later of two "Units" wins, as in the map
    } else {
      EXPECT_EQ(std::memcmp(&full, &start, sizeof start), 0) << "written on failure";
    }
  }

  // The text ends at its first NUL, as a file read by the map reader does.
  std::string withNul = Document(one) + std::string(1, '\0') + "<garbage";
  SMDF mdf = Filled(0);
  EXPECT_EQ(qel::UnMapXmlToSMDFDirect(withNul.data(), withNul.size(), mdf), SmdfXmlStatus::kOk);
  EXPECT_EQ(mdf.Units, 2);
  EXPECT_EQ(qel::UnMapXmlToSMDF(nullptr, 0, mdf), SmdfXmlStatus::kUnreadable);
}

TEST(SmdfXmlDirect, VariantsOfAWrittenDocumentReadAsTheMapsReadThem) {
  // A full record's document, then one change of each kind a foreign writer might make. The
  // direct walk must take the document itself where it can (and give the map road's record) and
  // hand over exactly where names are out of order or repeated. Arbitrary bytes: the fuzz target
  // fuzz/xml_to_smdf.cpp holds the same comparison.
  std::mt19937 rng(7);
  SMDF record;
  for (std::size_t i = 0; i < sizeof record; ++i)
    reinterpret_cast<unsigned char*>(&record)[i] = static_cast<unsigned char>(rng());
  ArchiverDataMap map;
  MapSMDF(record, map);
  const std::vector<El> fields = FromMap(map);
  const auto leafAt = [&](std::vector<El>& f, std::size_t from) -> El& {
    while (f[from].structure) ++from;
    return f[from];
  };
  struct Variant {
    const char* what;
    void (*change)(std::vector<El>&, El&);
    bool direct;
  };
  const Variant variants[] = {
      {"as written", [](std::vector<El>&, El&) {}, true},
      {"lower-case digits", [](std::vector<El>&, El& e) { e.text = qeltest::Lower(e.text); }, true},
      {"odd digit count", [](std::vector<El>&, El& e) { e.text.pop_back(); }, true},
      {"blanks and a non-hex pair", [](std::vector<El>&, El& e) { e.text.insert(2, " 7zz"); },
       true},
      {"wrapped on its own line",
       [](std::vector<El>&, El& e) { e.text = "\n\t\t\t" + e.text + "\n\t\t"; }, true},
      {"split by a comment", [](std::vector<El>&, El& e) { e.text.insert(4, "<!--x-->"); }, true},
      {"CDATA", [](std::vector<El>&, El& e) { e.text = "<![CDATA[" + e.text + "]]>"; }, true},
      {"too long", [](std::vector<El>&, El& e) { e.text += "ABCDEF0123"; }, true},
      {"nameless element",
       [](std::vector<El>& f, El&) {
         f.insert(f.begin() + 3, El{"", false, "01", {}, false});
       },
       true},
      {"unknown names",
       [](std::vector<El>& f, El&) {
         f.insert(f.begin(), El{"AAunknown", true, "0A", {}, false});
         f.push_back(El{"zzz", true, "", {El{"q", true, "11", {}, false}}, true});
       },
       true},
      {"leaf under a record's name",
       [](std::vector<El>& f, El&) {
         for (El& e : f)
           if (e.name == "ModRatio") {
             e.structure = false;
             e.kids.clear();
             e.text = "0102";
           }
       },
       true},
      {"swapped", [](std::vector<El>& f, El&) { std::swap(f[1], f[5]); }, false},
      {"repeated",
       [](std::vector<El>& f, El& e) {
         El copy = e;
         f.insert(f.begin() + 12, copy);
       },
       false},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.what);
    std::vector<El> f = fields;
    v.change(f, leafAt(f, 10));
    const Outcome o = Compare(Document(f), Filled(0x42));
    EXPECT_EQ(o.maps, SmdfXmlStatus::kOk);
    EXPECT_EQ(o.full, o.maps);
    EXPECT_EQ(o.direct != SmdfXmlStatus::kNeedsMaps, v.direct);
    EXPECT_TRUE(o.sameRecord);
    EXPECT_TRUE(o.sameUnits);
  }
}

}  // namespace
