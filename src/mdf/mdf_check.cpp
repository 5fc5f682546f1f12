#include "mdf/mdf_check.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <pugixml.hpp>
#include <string_view>

#include "mdf/hex_internal.h"
#include "mdf/map_xml.h"
#include "mdf/map_xml_read_internal.h"
#include "mdf/mdf_form.h"
#include "mdf/mdf_v1.h"

namespace qel {
namespace {

// An XML root this close to the start of a "binary image" gives the game away.
constexpr std::size_t kXmlProbeBytes = 1024;
// A binary image's version below this is no version the suite ever wrote.
constexpr float kOldestVersion = 1.0f;
// How much of a strange hex text a finding quotes.
constexpr std::size_t kQuotedChars = 24;
// How much of a field's path a finding shows.
constexpr std::size_t kShownChars = 200;

void Add(std::vector<MdfFinding>& out, MdfFindingKind kind, std::string text) {
  out.push_back({kind, std::move(text)});
}

bool IsUnitSystem(std::int32_t units) { return units >= 0 && units <= 2; }

std::string UnitsText(std::int32_t units) {
  return "unit system " + std::to_string(units) + " is not 0, 1 or 2";
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Text from the file shown in a finding: printable ASCII as it stands, anything else as '?', so
// that a finding stays one line whatever the file holds; text longer than `limit` is cut.
std::string Printable(std::string_view text, std::size_t limit) {
  std::string p;
  for (std::size_t i = 0; i < text.size() && i < limit; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    p += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  return text.size() > limit ? p + "..." : p;
}

// Why XML text at the start of `head` misses the form rule, or "" when it is no XML text.
std::string XmlTextReason(std::string_view head) {
  std::string_view p = head;
  std::string lead;
  if (StartsWith(p, "\xEF\xBB\xBF")) {
    lead = "begins with a UTF-8 byte-order mark";
    p.remove_prefix(3);
  } else if (StartsWith(p, std::string_view("\xFF\xFE<\0", 4)) ||
             StartsWith(p, std::string_view("\xFE\xFF\0<", 4))) {
    return "is UTF-16 text (it begins with a UTF-16 byte-order mark)";
  }
  const std::size_t text = p.find_first_not_of(" \t\r\n");
  if (text == std::string_view::npos) return "";
  if (text > 0 && lead.empty()) lead = "begins with white space";
  p.remove_prefix(text);
  const bool markup =
      StartsWith(p, "<?xml") || StartsWith(p, "<!--") || StartsWith(p, "<QELArchive");
  const bool root = head.find("<QELArchive") != std::string_view::npos;
  if (!markup && !root) return "";
  if (!lead.empty()) return lead;
  if (StartsWith(p, "<!--")) return "begins with an XML comment";
  if (StartsWith(p, "<?xml")) return "has no blank after \"<?xml\"";
  if (p.empty() || p.front() != '<') return "has an XML root element after other bytes";
  return "has no XML declaration";
}

void CheckBinary(CFile& file, std::vector<MdfFinding>& out) {
  const ULONGLONG length = file.GetLength();
  if (length == 0) {
    Add(out, MdfFindingKind::kEmpty, "the file is empty");
    return;
  }
  std::vector<unsigned char> image(
      static_cast<std::size_t>(std::min<ULONGLONG>(length, kMdfBinaryImageBytes)));
  file.SeekToBegin();
  image.resize(file.Read(image.data(), static_cast<UINT>(image.size())));
  const std::string_view head(reinterpret_cast<const char*>(image.data()),
                              std::min(image.size(), kXmlProbeBytes));

  if (const std::string reason = XmlTextReason(head); !reason.empty())
    Add(out, MdfFindingKind::kXmlTextAsBinary,
        "the file is XML text, not a binary image: it " + reason +
            ", so it does not begin with \"<?xml \" and is read as a binary image");
  if (length < kMdfBinaryImageBytes)
    Add(out, MdfFindingKind::kShortImage,
        "the binary image has " + std::to_string(length) + " of the " +
            std::to_string(kMdfBinaryImageBytes) + " bytes of its layout");

  // The version sits where the version reader looks for it.
  const std::size_t at =
      length >= kMdfLongBinaryBytes ? 0 : static_cast<std::size_t>(kMdfShortBinaryVersionOffset);
  if (image.size() < at + sizeof(float)) {
    Add(out, MdfFindingKind::kImplausibleVersion, "the file ends before the binary version");
  } else {
    float version;
    std::memcpy(&version, image.data() + at, sizeof version);
    if (!std::isfinite(version) || version < kOldestVersion || version > kMdfArchiveVersion) {
      char text[96];
      std::snprintf(text, sizeof text, "version %g is not a plausible version number (%g to %g)",
                    static_cast<double>(version), static_cast<double>(kOldestVersion),
                    static_cast<double>(kMdfArchiveVersion));
      Add(out, MdfFindingKind::kImplausibleVersion, text);
    }
  }

  constexpr std::size_t kUnits = offsetof(MasterDataV1, Units);
  if (image.size() >= kUnits + sizeof(std::int32_t)) {
    std::int32_t units;
    std::memcpy(&units, image.data() + kUnits, sizeof units);
    if (!IsUnitSystem(units)) Add(out, MdfFindingKind::kUnitsOutOfRange, UnitsText(units));
  }
}

// Walks the archive's fields as the reader does (`field` elements below each `struct` of the
// root), checking the hex text of every leaf.
struct XmlChecker {
  std::vector<MdfFinding>& out;
  std::string scratch;
  std::size_t badHex = 0;

  void Leaf(pugi::xml_node node, const std::string& path, bool top) {
    std::string_view text = XmlNodeText(node, scratch);
    const std::size_t first = text.find_first_not_of(" \t\n");
    text = first == std::string_view::npos
               ? std::string_view()
               : text.substr(first, text.find_last_not_of(" \t\n") - first + 1);
    const std::size_t bad = text.find_first_not_of("0123456789abcdefABCDEF");
    if (bad != std::string_view::npos || text.size() % 2 != 0) {
      if (++badHex <= kMaxHexFindings)
        Add(out, MdfFindingKind::kBadHex,
            "field " + Printable(path, kShownChars) + ": hex text \"" +
                Printable(text, kQuotedChars) + "\"" +
                (bad != std::string_view::npos
                     ? " holds characters that are not hex digits (the reader skips those pairs)"
                     : " has an odd number of digits (the reader decodes the last one alone)"));
      return;
    }
    if (top && path == "Units" && text.size() == 2 * sizeof(std::int32_t)) {
      BYTE bytes[sizeof(std::int32_t)];
      DecodeHexInto(text, bytes, sizeof bytes);
      std::int32_t units;
      std::memcpy(&units, bytes, sizeof units);
      if (!IsUnitSystem(units)) Add(out, MdfFindingKind::kUnitsOutOfRange, UnitsText(units));
    }
  }

  void Node(pugi::xml_node node, const std::string& prefix, int depth) {
    for (pugi::xml_node f = node.child("field"); f; f = f.next_sibling("field")) {
      const pugi::xml_attribute name = f.attribute("name");
      if (!name) continue;  // the reader skips it with everything inside
      // Paths are kept short: a hostile file may nest long names deeply.
      std::string path = prefix.empty() ? prefix : prefix + ".";
      path.append(std::string_view(name.value()).substr(0, kShownChars));
      if (path.size() > kShownChars) path.resize(kShownChars);
      if (!f.child("field"))
        Leaf(f, path, prefix.empty());
      else if (depth < kMaxXmlDepth)
        Node(f, path, depth + 1);
    }
  }
};

void CheckXml(CFile& file, std::vector<MdfFinding>& out) {
  std::string text;
  pugi::xml_document doc;
  file.SeekToBegin();
  const bool readable =
      ReadArchiveFileText(file, text) && ParseArchiveText(doc, std::string_view(text.c_str()));
  const pugi::xml_node root = doc.child(CMapXml::m_strRootNodeName.GetString());
  if (!readable || !root) {
    Add(out, MdfFindingKind::kUnreadableXml, "the XML text is not a readable archive document");
    return;
  }
  XmlChecker checker{out, {}, 0};
  for (pugi::xml_node s = root.child("struct"); s; s = s.next_sibling("struct"))
    if (s.attribute("name")) checker.Node(s, "", 3);
  if (checker.badHex > kMaxHexFindings)
    Add(out, MdfFindingKind::kBadHex,
        std::to_string(checker.badHex - kMaxHexFindings) + " more fields with bad hex text");
}

}  // namespace

std::vector<MdfFinding> CheckMdfFile(CFile& file) {
  std::vector<MdfFinding> out;
  char head[kMdfXmlOpeningBytes] = {};
  file.SeekToBegin();
  const UINT n = file.Read(head, sizeof head);
  if (n == sizeof head && std::memcmp(head, kMdfXmlOpening, sizeof head) == 0)
    CheckXml(file, out);
  else
    CheckBinary(file, out);
  file.SeekToBegin();
  return out;
}

}  // namespace qel
