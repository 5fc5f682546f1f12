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

const char kHex[] = "0123456789ABCDEF";
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

// A record with every byte drawn from `rng`.
SMDF RandomRecord(std::mt19937& rng) {
  SMDF r;
  auto* p = reinterpret_cast<unsigned char*>(&r);
  for (std::size_t i = 0; i < sizeof r; ++i) p[i] = static_cast<unsigned char>(rng());
  return r;
}

SMDF Filled(unsigned char byte) {
  SMDF r;
  std::memset(&r, byte, sizeof r);
  return r;
}

// Both roads over `text` from the same starting record; the direct walk's status is returned in
// `direct` (kNeedsMaps when it handed over).
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
    o.sameUnits = o.maps != SmdfXmlStatus::kOk ||
                  (!seenFull.empty() && seenMaps.size() == 1 && seenFull.back() == seenMaps[0]);
  } else {
    o.sameRecord = o.sameRecord && std::memcmp(&viaDirect, &viaMaps, sizeof start) == 0;
    o.sameUnits = seenDirect == seenMaps && seenFull == seenMaps;
  }
  if (o.maps != SmdfXmlStatus::kOk)
    o.sameRecord = o.sameRecord && std::memcmp(&viaMaps, &start, sizeof start) == 0;
  return o;
}

// ---------------------------------------------------------------------------------------------
// Mutations of a level of elements.

using qeltest::Lower;

void Roughen(El& e, std::mt19937& rng) {
  if (e.structure) return;
  switch (rng() % 8) {
    case 0:
      e.text = Lower(e.text);
      break;
    case 1:
      if (!e.text.empty()) e.text.pop_back();  // odd digit count
      break;
    case 2:
      e.text.insert(e.text.size() / 2 & ~std::size_t{1}, rng() % 2 ? "zz" : " 7");
      break;
    case 3:
      e.text = "\n\t\t\t" + e.text + "\n\t\t";
      break;
    case 4:
      e.text.insert(e.text.size() / 2, "<!--split-->");
      break;
    case 5:
      e.text = "<![CDATA[" + e.text + "]]>";
      break;
    case 6:
      e.text = e.text.substr(0, e.text.size() / 3);  // fewer bytes than the field
      break;
    default:
      e.text += "ABCDEF0123";  // more bytes than the field
  }
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

void InsertSorted(std::vector<El>& level, El e) {
  auto at =
      std::lower_bound(level.begin(), level.end(), e.name,
                       [](const El& x, const std::string& n) { return !x.named || x.name < n; });
  level.insert(at, std::move(e));
}

enum Kind : unsigned {
  kRough = 1,
  kNameless = 2,
  kDuplicate = 4,
  kSwap = 8,
  kImageBlocks = 16,
  kStructLeaf = 32,
  kUnknown = 64,
  kDeep = 128,
  kTop = 256,
  kDamage = 512,
};

// Whether the direct walk must take the document itself.
bool MustGoDirect(unsigned kinds) {
  return (kinds & (kDuplicate | kSwap | kTop | kDamage | kDeep)) == 0;
}

void Mutate(std::vector<El>& level, unsigned kinds, std::mt19937& rng, bool top) {
  // Drop a few fields: an archive need not hold them all.
  for (std::size_t i = 0; i < level.size();) {
    if (rng() % 16 == 0)
      level.erase(level.begin() + static_cast<std::ptrdiff_t>(i));
    else
      ++i;
  }
  // Unknown names go in before any nameless element, which would hide the order.
  if ((kinds & kUnknown) && top) {
    InsertSorted(level, El{"aaUnknown", true, "0A0B", {}, false});
    El s{"Zunknown", true, "", {}, true};
    s.kids.push_back(El{"q", true, "11", {}, false});
    InsertSorted(level, s);
  }
  if ((kinds & kDeep) && top) InsertSorted(level, UnknownDeep(250 + static_cast<int>(rng() % 10)));
  for (El& e : level) {
    if ((kinds & kRough) && rng() % 4 == 0) Roughen(e, rng);
    if ((kinds & kStructLeaf) && rng() % 20 == 0) {
      if (e.structure) {
        e.structure = false;
        e.kids.clear();
        e.text = "0102030405";
      } else {
        e.structure = true;
        e.kids.push_back(El{"x", true, "FF", {}, false});
      }
    }
    if (e.structure && rng() % 3 == 0) Mutate(e.kids, kinds & ~(kTop | kImageBlocks), rng, false);
  }
  if ((kinds & kNameless) && !level.empty()) {
    for (int n = 0; n < 3; ++n) {
      El ghost;
      ghost.named = false;
      ghost.structure = rng() % 2 == 0;
      if (ghost.structure) ghost.kids.push_back(level[rng() % level.size()]);
      ghost.text = "DEADBEEF";
      level.insert(level.begin() + static_cast<std::ptrdiff_t>(rng() % (level.size() + 1)), ghost);
    }
  }
  if ((kinds & kImageBlocks) && top) {
    for (El& e : level) {
      if (e.named && e.name.rfind("cmbprm", 0) == 0 && e.name != "cmbprmQELConcrete" &&
          rng() % 4 != 0) {
        e.structure = false;
        e.kids.clear();
        std::string hex;
        const int bytes = rng() % 3 == 0 ? static_cast<int>(rng() % 90) : 76;
        for (int i = 0; i < bytes; ++i) hex += Hex(reinterpret_cast<const BYTE*>("\x5c"), 1);
        hex[0] = kHex[rng() % 16];
        e.text = hex;
      }
    }
  }
  if ((kinds & kDuplicate) && level.size() > 1) {
    std::size_t i = 0;
    while (i < level.size() && !level[i].named) ++i;
    if (i < level.size()) {
      El copy = level[i];
      if (!copy.structure) copy.text += "EE";
      const std::size_t at = std::min(level.size(), i + 1 + rng() % 3);
      level.insert(level.begin() + static_cast<std::ptrdiff_t>(at), copy);
    }
  }
  if ((kinds & kSwap) && level.size() > 2) {
    std::size_t a = rng() % level.size(), b = rng() % level.size();
    if (level[a].named && level[b].named && level[a].name != level[b].name)
      std::swap(level[a], level[b]);
    else
      std::swap(level.front(), level.back());
  }
}

std::string TopVariant(const std::vector<El>& fields, std::mt19937& rng) {
  switch (rng() % 5) {
    case 0: {  // a root of another name: no maps at all
      std::string other = Document(fields);
      other.replace(other.find("QELArchive"), 10, "QELArchiv2");
      other.replace(other.rfind("QELArchive"), 10, "QELArchiv2");
      return other;
    }
    case 1:
      return Document(fields, "Other");
    case 2:
      return "<?xml version=\"1.0\"?>\n<QELArchive version=\"17.3\"></QELArchive>\n";
    case 3:
      return "<?xml version=\"1.0\"?>\n<QELArchive><struct name=\"MDF\">0102</struct></QELArchive>";
    default: {  // two maps
      std::string two = Document(fields);
      two.insert(two.find("</QELArchive>"), "<struct name=\"MDF\"></struct>");
      return two;
    }
  }
}

void Damage(std::string& text, std::mt19937& rng) {
  switch (rng() % 4) {
    case 0:
      text.resize(rng() % text.size());  // truncated file
      break;
    case 1:
      text[rng() % text.size()] = '<';
      break;
    case 2:
      text[text.size() / 2 + rng() % (text.size() / 2)] = '\0';
      break;
    default:
      text.insert(rng() % text.size(), "</field>");
  }
}

// ---------------------------------------------------------------------------------------------

TEST(SmdfXmlDirect, SeededDocumentsReadAsTheMapsReadThem) {
  std::mt19937 rng(20261205);
  int direct = 0, total = 0;
  for (int doc = 0; doc < 200; ++doc) {
    const SMDF record = RandomRecord(rng);
    ArchiverDataMap map;
    MapSMDF(record, map);
    std::vector<El> fields = FromMap(map);
    unsigned kinds = rng() & 1023u;
    if (doc % 4 == 0) kinds &= kRough | kNameless;  // plenty of documents that must go direct
    Mutate(fields, kinds, rng, true);
    std::string text = (kinds & kTop) ? TopVariant(fields, rng) : Document(fields);
    if (kinds & kDamage) Damage(text, rng);

    const SMDF start = Filled(static_cast<unsigned char>(doc));
    const Outcome o = Compare(text, start);
    SCOPED_TRACE("document " + std::to_string(doc) + " kinds " + std::to_string(kinds));
    ++total;
    if (o.direct != SmdfXmlStatus::kNeedsMaps) {
      ++direct;
      EXPECT_EQ(o.direct, o.maps);
    }
    EXPECT_EQ(o.full, o.maps);
    EXPECT_TRUE(o.sameRecord);
    EXPECT_TRUE(o.sameUnits);
    if (MustGoDirect(kinds)) {
      EXPECT_NE(o.direct, SmdfXmlStatus::kNeedsMaps);
      EXPECT_EQ(o.maps, SmdfXmlStatus::kOk);
    }
    if ((kinds & (kDuplicate | kTop | kDamage)) == kDuplicate) {
      EXPECT_EQ(o.direct, SmdfXmlStatus::kNeedsMaps);
    }
  }
  // A generator that lost its way would compare the map road with itself.
  EXPECT_GT(direct, total / 3);
}

TEST(SmdfXmlDirect, HandWrittenFieldsLandWhereTheLayoutSays) {
  // Units 1, NumStories 7 in lower case, Date with an odd digit count and a non-hex pair, a
  // nameless element holding a Version that must not be read, the old image form of the first two
  // combination blocks (the second one short), and the hanger group array's second element.
  std::vector<El> f;
  f.push_back({"NumStories", true, "07000000", {}, false});
  f.push_back({"Units", true, "0100000", {}, false});  // odd: the last digit is a byte of its own
  El ghost;
  ghost.named = false;
  ghost.structure = true;
  ghost.kids.push_back({"Version", true, "0000803F", {}, false});
  f.push_back(ghost);
  std::string concrete;
  for (int i = 0; i < 76; ++i) concrete += Hex(reinterpret_cast<const BYTE*>("\x11"), 1);
  f.push_back({"cmbprmConcrete", true, concrete, {}, false});
  f.push_back({"cmbprmSoil", true, "2233", {}, false});
  El hanger{"arHangerTrialGroups[1]", true, "", {}, true};
  f.push_back(std::move(hanger));
  f.push_back({"Date", true, "3\t0zz3/", {}, false});
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
  // "3\t" is not two digits: "%2X" reads the 3 alone. "0z" reads 0; "z3" nothing; "/" nothing.
  EXPECT_EQ(static_cast<BYTE>(mdf.Date[0]), 0x03);
  EXPECT_EQ(static_cast<BYTE>(mdf.Date[1]), 0x00);
  EXPECT_EQ(static_cast<BYTE>(mdf.Date[2]), 0xEE);
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

TEST(SmdfXmlDirect, MapRoadIsTheFileReadersRoad) {
  // The reference the direct walk is held to is what XmlFileToMap and UnMapSMDF give for a file.
  std::mt19937 rng(7);
  const SMDF record = RandomRecord(rng);
  ArchiverDataMap map;
  MapSMDF(record, map);
  std::vector<El> fields = FromMap(map);
  Mutate(fields, kRough | kNameless | kImageBlocks | kSwap, rng, true);
  const std::string text = Document(fields);
  qeltest::TempDir dir;
  const std::string path = dir.File("model.qel");
  qeltest::WriteText(path, text);
  CMapXml xml;
  auto list = xml.XmlFileToMap(path.c_str());
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 1u);
  const ArchiverDataItem* mdfItem = qel::FindDataItem(list->front(), "MDF");
  ASSERT_NE(mdfItem, nullptr);
  SMDF viaFile = Filled(0x42), viaText = Filled(0x42);
  UnMapSMDF(mdfItem->m_mapChildren, viaFile);
  ASSERT_EQ(qel::UnMapXmlToSMDF(text.data(), text.size(), viaText), SmdfXmlStatus::kOk);
  EXPECT_EQ(std::memcmp(&viaFile, &viaText, sizeof viaFile), 0);

  // And an unchanged document from our own writer comes back as the record it was made from.
  CMapXml writer;
  IXMLDOMDocument* doc = writer.MapToXml(map, "MDF", 17.3f);
  ASSERT_NE(doc, nullptr);
  const std::string written = doc->xml();
  SMDF back = Filled(0), fromMaps = Filled(0);
  ASSERT_EQ(qel::UnMapXmlToSMDFDirect(written.data(), written.size(), back), SmdfXmlStatus::kOk);
  UnMapSMDF(map, fromMaps);
  EXPECT_EQ(std::memcmp(&back, &fromMaps, sizeof back), 0);
  EXPECT_EQ(std::memcmp(back.ModelID, record.ModelID, sizeof back.ModelID), 0);
}

}  // namespace
