// The archive document's text, generated directly (no document tree): the one writer behind
// CMapXml's documents and the master data file.
//
// The bytes, for a document of version V holding maps named N1, N2 (tabs shown as \t):
//
//   <?xml version="1.0" encoding="UTF-8"?>\n
//   <QELArchive version="V">        <struct name="N1">\n
//   \t\t<field name="a">0A1B</field>\n               a field item: its bytes in upper-case hex
//   \t\t<field name="e"/>\n                          a field item of no bytes
//   \t\t<field name="s">\n                           a struct item: children one tab deeper,
//   \t\t\t<field name="x">FF</field>\n               then its end tag at its own depth
//   \t\t</field>\n
//   \t</struct>\n
//           <struct name="N2">\n ... \t</struct>\n
//   </QELArchive>\n
//
// Items come in the map's byte-wise name order. A field item whose line would pass 80 columns
// (hex length + 4 * depth + 2 * name length + 5 > 80, depth counting the tabs before it) holds
// "\n", depth + 1 tabs, the hex, "\n" and depth tabs instead of the bare hex. The version
// attribute is qel::FormatArchiveVersion(V) and absent for 0; a root without maps is written
// "<QELArchive .../>". Names are attribute values: written up to their first NUL, with &, <, >
// and " as entities and tab, line feed and carriage return as character references.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "mdf/archive_map.h"
#include "mdf/record_desc.h"

namespace qel {

class ArchiveXmlWriter {
 public:
  explicit ArchiveXmlWriter(std::string& out) : out_(out) {}

  // The declaration line and the root's start tag up to (not including) its closing '>' or "/>".
  void DocumentHead(float version);
  // One map as a `struct` element named `name`, indented as a root child: "        <struct ...>"
  // through "\t</struct>\n". False, with nothing of it left in the text, when the map nests
  // deeper than a reader follows (kMaxMapDepth levels).
  bool Struct(const char* name, const ArchiverDataMap& map);
  // The same for a record read through its descriptor table: exactly the text of Struct(name,
  // map) for the map that MapRecord(layout, record, map) builds.
  void Struct(const char* name, const RecordDesc& layout, const void* record);

  // The root's end: "/>\n" for a root without maps, else "</QELArchive>\n".
  static constexpr std::string_view kEmptyRootEnd = "/>\n";
  static constexpr std::string_view kRootEnd = "</QELArchive>\n";

 private:
  bool Items(const ArchiverDataMap& map, int depth);
  void Items(const RecordDesc& layout, const BYTE* record, int depth);
  void Leaf(std::string_view name, const BYTE* bytes, std::size_t count, int depth);
  void OpenItem(std::string_view name, int depth);
  void Tabs(int depth) { out_.append(static_cast<std::size_t>(depth), '\t'); }
  void Attribute(std::string_view value);

  std::string& out_;
};

}  // namespace qel
