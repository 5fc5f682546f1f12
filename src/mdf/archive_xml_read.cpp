// Reading archive documents: parsing with the document rules, and the documents' maps.
#include <cstring>
#include <pugixml.hpp>

#include "mdf/hex_internal.h"
#include "mdf/map_xml.h"
#include "mdf/map_xml_read_internal.h"

namespace qel {

namespace {

// Fragment mode keeps text found outside the root element as nodes, so that it can be refused
// below; the parser would otherwise drop it silently.
constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_declaration | pugi::parse_fragment;

// What the parser lets through but a document may not have: exactly one root element, no text
// beside it, at most one declaration and only at the very start of the text. (A declaration
// inside an element is already a parse error.) Nesting is bounded where it matters, in the
// reader: every walk over the tree here is iterative.
bool IsWellFormedDocument(const pugi::xml_document& doc, bool declarationAtStart) {
  int elements = 0;
  bool first = true;
  for (pugi::xml_node n : doc.children()) {
    switch (n.type()) {
      case pugi::node_element:
        ++elements;
        break;
      case pugi::node_pcdata:
      case pugi::node_cdata:
        return false;
      case pugi::node_declaration:
        if (!first || !declarationAtStart) return false;
        break;
      default:
        break;
    }
    first = false;
  }
  return elements == 1;
}

// Whether "<?xml" opens the text (after a byte-order mark), where alone a declaration may stand.
bool DeclarationAtStart(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return text.substr(0, 5) == "<?xml";
}

// Decodes an element's text into a field item's bytes.
void DecodeHex(std::string_view text, ArchiverByteArray& data) {
  data.SetSize(static_cast<int>((text.size() + 1) / 2));
  const std::size_t n = DecodeHexInto(text, data.GetData(), (text.size() + 1) / 2);
  data.SetSize(static_cast<int>(n));
}

// Reads `node` into `map`. The recursion follows `field` elements only and stops at
// kMaxXmlDepth, clearing `complete`.
struct Reader {
  std::string scratch;
  bool complete = true;

  void ReadNode(pugi::xml_node node, ArchiverDataMap& map, int depth) {
    pugi::xml_attribute name = node.attribute("name");
    if (!name) return;
    auto item = std::make_shared<ArchiverDataItem>();
    pugi::xml_node field = node.child("field");
    if (!field) {
      DecodeHex(XmlNodeText(node, scratch), item->m_data);
    } else {
      item->m_bLeaf = 0;
      if (depth >= kMaxXmlDepth) {
        complete = false;
      } else {
        for (; field; field = field.next_sibling("field"))
          ReadNode(field, item->m_mapChildren, depth + 1);
      }
    }
    // Documents are written in map order, so the end is nearly always the right place.
    auto it = map.try_emplace(map.end(), name.value());
    it->second = std::move(item);  // a later element of the same name replaces the earlier
  }
};

}  // namespace

bool ParseArchiveText(pugi::xml_document& doc, std::string_view text) {
  // pugixml copies the text into its own buffer, which the tree then points into.
  pugi::xml_parse_result result =
      doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
  if (static_cast<bool>(result) && IsWellFormedDocument(doc, DeclarationAtStart(text))) return true;
  doc.reset();
  return false;
}

bool ParseArchiveTextInPlace(pugi::xml_document& doc, std::string& text) {
  // The check of the text's start needs the bytes before the parser rewrites them.
  const bool declarationAtStart = DeclarationAtStart(text);
  pugi::xml_parse_result result =
      doc.load_buffer_inplace(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
  if (static_cast<bool>(result) && IsWellFormedDocument(doc, declarationAtStart)) return true;
  doc.reset();
  return false;
}

std::string_view XmlNodeText(pugi::xml_node node, std::string& scratch) {
  pugi::xml_node first = node.first_child();
  if (!first) return {};
  if ((first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata) &&
      !first.next_sibling())
    return first.value();
  scratch.clear();
  pugi::xml_node cur = first;
  while (cur) {
    if (cur.type() == pugi::node_pcdata || cur.type() == pugi::node_cdata) scratch += cur.value();
    if (pugi::xml_node child = cur.first_child()) {
      cur = child;
      continue;
    }
    for (;;) {
      if (pugi::xml_node next = cur.next_sibling()) {
        cur = next;
        break;
      }
      cur = cur.parent();
      if (cur == node) return scratch;
    }
  }
  return scratch;
}

bool ReadArchiveMaps(const pugi::xml_document& doc, ArchiverDataMapList& list) {
  Reader reader;
  const pugi::xml_node root = doc.child(CMapXml::m_strRootNodeName.GetString());
  for (pugi::xml_node s = root.child("struct"); s; s = s.next_sibling("struct"))
    reader.ReadNode(s, list.emplace_back(), 2);
  return reader.complete;
}

std::unique_ptr<ArchiverDataMapList> ReadArchiveText(std::string&& text) {
  if (text.size() > kMaxXmlFileBytes) return nullptr;
  // The text ends at the first NUL, as a C string would.
  text.resize(std::strlen(text.c_str()));
  pugi::xml_document doc;
  if (!ParseArchiveTextInPlace(doc, text)) return nullptr;
  auto list = std::make_unique<ArchiverDataMapList>();
  if (!ReadArchiveMaps(doc, *list)) return nullptr;  // nested beyond what this reader follows
  return list;
}

bool ReadArchiveFileText(CFile& file, std::string& text) {
  text.clear();
  const ULONGLONG length = file.GetLength();
  if (length > kMaxXmlFileBytes) return false;
  text.assign(static_cast<std::size_t>(length), '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    const UINT n = file.Read(text.data() + got, static_cast<UINT>(text.size() - got));
    if (n == 0) break;
    got += n;
  }
  return true;
}

}  // namespace qel
