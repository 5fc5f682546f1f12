// Direct text generation of archive documents (see archive_xml_write_internal.h).
#include <algorithm>
#include <cstring>

#include "mdf/archive_xml_write_internal.h"
#include "mdf/hex_internal.h"
#include "mdf/map_xml.h"

namespace qel {

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
constexpr std::string_view kStructIndent = "        ";  // before each `struct` element
// The map's own items are written at two tabs.
constexpr int kItemDepth = 2;

// The characters an attribute value writes as an entity or a character reference.
struct EntityTable {
  bool marked[256] = {};
  constexpr EntityTable() {
    for (unsigned char c : {'&', '<', '>', '"', '\t', '\n', '\r'}) marked[c] = true;
  }
};
constexpr EntityTable kEntities;
bool NeedsEntity(char c) { return kEntities.marked[static_cast<unsigned char>(c)]; }

// A name as a C string would hold it: up to its first NUL.
std::string_view CName(std::string_view name) { return name.substr(0, name.find('\0')); }

}  // namespace

void ArchiveXmlWriter::Attribute(std::string_view value) {
  value = CName(value);
  out_ += '"';
  if (std::none_of(value.begin(), value.end(), NeedsEntity)) {
    out_ += value;  // the usual name: nothing to escape
    out_ += '"';
    return;
  }
  for (char c : value) {
    switch (c) {
      case '&':
        out_ += "&amp;";
        break;
      case '<':
        out_ += "&lt;";
        break;
      case '>':
        out_ += "&gt;";
        break;
      case '"':
        out_ += "&quot;";
        break;
      // White space in an attribute value would be folded to blanks by any reader; character
      // references keep it.
      case '\t':
        out_ += "&#9;";
        break;
      case '\n':
        out_ += "&#10;";
        break;
      case '\r':
        out_ += "&#13;";
        break;
      default:
        out_ += c;
    }
  }
  out_ += '"';
}

void ArchiveXmlWriter::DocumentHead(float version) {
  out_ += kDeclaration;
  out_ += '<';
  out_ += CMapXml::m_strRootNodeName.GetString();
  if (version != 0.0f) {
    out_ += " version=";
    Attribute(FormatArchiveVersion(version));
  }
}

void ArchiveXmlWriter::OpenItem(std::string_view name, int depth) {
  Tabs(depth);
  out_ += "<field name=";
  Attribute(name);
}

void ArchiveXmlWriter::Leaf(std::string_view name, const BYTE* bytes, std::size_t count,
                            int depth) {
  OpenItem(name, depth);
  const std::size_t hexLength = 2 * count;
  const bool ownLine = hexLength + 4 * static_cast<std::size_t>(depth) + 2 * name.size() + 5 > 80;
  if (count == 0 && !ownLine) {
    out_ += "/>\n";
    return;
  }
  out_ += '>';
  if (ownLine) {
    out_ += '\n';
    Tabs(depth + 1);
  }
  AppendHex(out_, bytes, count);
  if (ownLine) {
    out_ += '\n';
    Tabs(depth);
  }
  out_ += "</field>\n";
}

bool ArchiveXmlWriter::Items(const ArchiverDataMap& map, int depth) {
  // The items are elements one level deeper than their tabs count.
  if (!map.empty() && depth + 1 > kMaxXmlDepth) return false;
  for (const auto& [name, item] : map) {
    if (item && item->m_bLeaf == 0) {
      OpenItem(name, depth);
      out_ += ">\n";
      if (!Items(item->m_mapChildren, depth + 1)) return false;
      Tabs(depth);
      out_ += "</field>\n";
    } else if (item) {
      Leaf(name, item->m_data.GetData(), static_cast<std::size_t>(item->m_data.GetSize()), depth);
    } else {
      Leaf(name, nullptr, 0, depth);
    }
  }
  return true;
}

void ArchiveXmlWriter::Items(const RecordDesc& layout, const BYTE* record, int depth) {
  // The map that MapRecord builds holds one item per field, ordered as fields_by_name is.
  for (std::uint32_t i = 0; i < layout.field_count; ++i) {
    const FieldDesc& f = layout.fields_by_name[i];
    const BYTE* field = record + f.offset;
    if (f.record == nullptr) {
      Leaf(f.name, field, f.size, depth);
      continue;
    }
    const std::uint32_t n = f.count == 0 ? 1 : f.count;
    for (std::uint32_t k = 0; k < n; ++k) {
      ElementName element;
      OpenItem(f.count == 0 ? f.name : element.Format(f.name, k), depth);
      out_ += ">\n";
      Items(*f.record, field + k * f.size, depth + 1);
      Tabs(depth);
      out_ += "</field>\n";
    }
  }
}

bool ArchiveXmlWriter::Struct(const char* name, const ArchiverDataMap& map) {
  const std::size_t start = out_.size();
  out_ += kStructIndent;
  out_ += "<struct name=";
  Attribute(name != nullptr ? name : "");
  out_ += ">\n";
  if (!Items(map, kItemDepth)) {
    out_.resize(start);
    return false;
  }
  out_ += "\t</struct>\n";
  return true;
}

void ArchiveXmlWriter::Struct(const char* name, const RecordDesc& layout, const void* record) {
  out_ += kStructIndent;
  out_ += "<struct name=";
  Attribute(name != nullptr ? name : "");
  out_ += ">\n";
  Items(layout, static_cast<const BYTE*>(record), kItemDepth);
  out_ += "\t</struct>\n";
}

}  // namespace qel
