#include "mdf/map_xml.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <pugixml.hpp>

#include "mdf/map_xml_read.h"
#include "platform/file_system.h"

const CString CMapXml::m_strRootNodeName = "QELArchive";

namespace {

// Fragment mode keeps text found outside the root element as nodes, so that it can be refused
// below; the parser would otherwise drop it silently.
constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_declaration | pugi::parse_fragment;

// ---------------------------------------------------------------------------------------------
// Serialisation

void AppendEscaped(std::string& out, const char* s, bool attribute) {
  for (; *s; ++s) {
    char c = *s;
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        if (attribute)
          out += "&quot;";
        else
          out += c;
        break;
      // An attribute value's white space would be folded to blanks by any reader; character
      // references keep it.
      case '\t':
        if (attribute)
          out += "&#9;";
        else
          out += c;
        break;
      case '\n':
        if (attribute)
          out += "&#10;";
        else
          out += c;
        break;
      case '\r':
        if (attribute)
          out += "&#13;";
        else
          out += c;
        break;
      default:
        out += c;
    }
  }
}

void AppendAttributes(std::string& out, pugi::xml_node node) {
  for (pugi::xml_attribute a : node.attributes()) {
    out += ' ';
    out += a.name();
    out += "=\"";
    AppendEscaped(out, a.value(), true);
    out += '"';
  }
}

// Writes `top` and everything below it. Iterative, so no nesting can exhaust the stack.
void AppendSubtree(std::string& out, pugi::xml_node top) {
  pugi::xml_node cur = top;
  for (;;) {
    bool descended = false;
    switch (cur.type()) {
      case pugi::node_element:
        out += '<';
        out += cur.name();
        AppendAttributes(out, cur);
        if (cur.first_child()) {
          out += '>';
          cur = cur.first_child();
          descended = true;
        } else {
          out += "/>";
        }
        break;
      case pugi::node_pcdata:
      case pugi::node_cdata:
        AppendEscaped(out, cur.value(), false);
        break;
      case pugi::node_comment:
        out += "<!--";
        out += cur.value();
        out += "-->";
        break;
      case pugi::node_pi:
        out += "<?";
        out += cur.name();
        if (*cur.value()) {
          out += ' ';
          out += cur.value();
        }
        out += "?>";
        break;
      case pugi::node_declaration:
        out += "<?";
        out += cur.name();
        AppendAttributes(out, cur);
        out += "?>";
        break;
      case pugi::node_doctype:
        out += "<!DOCTYPE ";
        out += cur.value();
        out += '>';
        break;
      default:
        break;
    }
    if (descended) continue;
    for (;;) {
      if (cur == top) return;
      if (pugi::xml_node next = cur.next_sibling()) {
        cur = next;
        break;
      }
      cur = cur.parent();
      out += "</";
      out += cur.name();
      out += '>';
    }
  }
}

// What the parser lets through but a document may not have: exactly one root element, no text
// beside it, at most one declaration and only at the very start of the text. (A declaration
// inside an element is already a parse error.) Nesting is bounded where it matters, in the
// reader: every walk over the tree here is iterative.
bool IsWellFormedDocument(const pugi::xml_document& doc, std::string_view text) {
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
      case pugi::node_declaration: {
        if (!first) return false;
        std::string_view start = text;
        if (start.substr(0, 3) == "\xEF\xBB\xBF") start.remove_prefix(3);
        if (start.substr(0, 5) != "<?xml") return false;
        break;
      }
      default:
        break;
    }
    first = false;
  }
  return elements == 1;
}

// ---------------------------------------------------------------------------------------------
// Writing maps

const char kHexDigits[] = "0123456789ABCDEF";

bool AppendText(pugi::xml_node element, const std::string& text) {
  if (text.empty()) return true;
  pugi::xml_node node = element.append_child(pugi::node_pcdata);
  return node && node.set_value(text.c_str());
}

// The items of `map` into `element` at tab depth `depth`.
bool WriteItems(pugi::xml_node element, const ArchiverDataMap& map, int depth) {
  // The items go one element deeper than `depth` counts tabs.
  if (!map.empty() && depth + 1 > kMaxXmlDepth) return false;
  if (!AppendText(element, "\n")) return false;
  const std::string tabs(static_cast<std::size_t>(depth), '\t');
  std::string text;
  for (const auto& [name, item] : map) {
    if (!AppendText(element, tabs)) return false;
    pugi::xml_node field = element.append_child("field");
    if (!field || !field.append_attribute("name").set_value(name.c_str())) return false;
    if (item && item->m_bLeaf == 0) {
      if (!WriteItems(field, item->m_mapChildren, depth + 1)) return false;
    } else {
      const int count = item ? item->m_data.GetSize() : 0;
      const BYTE* bytes = item ? item->m_data.GetData() : nullptr;
      const std::size_t hexLength = 2 * static_cast<std::size_t>(count);
      const bool ownLine =
          hexLength + 4 * static_cast<std::size_t>(depth) + 2 * name.size() + 5 > 80;
      text.clear();
      text.reserve(hexLength + 2 * tabs.size() + 4);
      if (ownLine) {
        text += '\n';
        text += tabs;
        text += '\t';
      }
      for (int i = 0; i < count; ++i) {
        text += kHexDigits[bytes[i] >> 4];
        text += kHexDigits[bytes[i] & 0xF];
      }
      if (ownLine) {
        text += '\n';
        text += tabs;
      }
      if (!AppendText(field, text)) return false;
    }
    if (!AppendText(element, "\n")) return false;
  }
  if (depth >= 2 && !AppendText(element, std::string(static_cast<std::size_t>(depth - 1), '\t')))
    return false;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Reading maps

// One hexadecimal pair read the way a C "%2X" conversion reads a two-character string: leading
// white space skipped, an optional sign, then up to the width's worth of hex digits. False when
// no digit is found.
bool ScanHexPair(const char* p, std::size_t n, BYTE& out) {
  std::size_t i = 0;
  while (i < n && (p[i] == ' ' || (p[i] >= '\t' && p[i] <= '\r'))) ++i;
  const std::size_t end = i + 2 < n ? i + 2 : n;
  bool negative = false;
  if (i < end && (p[i] == '+' || p[i] == '-')) {
    negative = p[i] == '-';
    ++i;
  }
  unsigned value = 0;
  bool any = false;
  for (; i < end; ++i) {
    const char c = p[i];
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f')
      digit = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    else
      break;
    value = value * 16 + digit;
    any = true;
  }
  if (!any) return false;
  out = static_cast<BYTE>(negative ? 0u - value : value);
  return true;
}

bool IsStripped(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Value of a hex digit, or 0xFF for any other character.
struct HexTable {
  BYTE value[256];
  constexpr HexTable() : value() {
    for (int c = 0; c < 256; ++c) value[c] = 0xFF;
    for (int c = 0; c < 10; ++c) value['0' + c] = static_cast<BYTE>(c);
    for (int c = 0; c < 6; ++c) {
      value['a' + c] = static_cast<BYTE>(10 + c);
      value['A' + c] = static_cast<BYTE>(10 + c);
    }
  }
};
constexpr HexTable kHex;

// Decodes hex pairs of `text` (already stripped) in order, handing each decoded byte to `emit`
// until it returns false. Returns nothing; the sink counts.
template <class Emit>
void DecodeHexPairs(std::string_view text, Emit emit) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; i += 2) {
    const BYTE hi = kHex.value[p[i]];
    const BYTE lo = i + 1 < n ? kHex.value[p[i + 1]] : 0xFF;
    BYTE b = static_cast<BYTE>(hi << 4 | lo);
    if ((hi | lo) >= 16 && !ScanHexPair(text.data() + i, n - i < 2 ? n - i : 2, b))
      continue;  // anything but two plain digits takes the general path; no digit, no byte
    if (!emit(b)) return;
  }
}

std::string_view StripText(std::string_view text) {
  while (!text.empty() && IsStripped(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsStripped(text.back())) text.remove_suffix(1);
  return text;
}

void DecodeHex(std::string_view text, ArchiverByteArray& data) {
  text = StripText(text);
  data.SetSize(static_cast<int>((text.size() + 1) / 2));
  BYTE* out = data.GetData();
  std::size_t count = 0;
  DecodeHexPairs(text, [&](BYTE b) {
    out[count++] = b;
    return true;
  });
  data.SetSize(static_cast<int>(count));
}

}  // namespace

std::string_view qel::XmlNodeText(pugi::xml_node node, std::string& scratch) {
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

namespace {

// Decodes `text` (leading white space already stripped, trailing white space still there) from
// `at`, after the caller has taken the pairs before it: runs of plain digit pairs, the whole of a
// well-formed field, go through the first loop; the first pair that is anything else hands the
// rest, without its trailing white space, to the general decoder.
template <class Text>
std::size_t DecodeStrippedFront(Text text, BYTE* out, std::size_t capacity) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data);
  std::size_t count = 0, i = 0;
  if constexpr (Text::kKnownLength) {
    // Eight digits to four bytes at a time: a field's text is nearly always all digits.
    for (; count + 4 <= capacity && text.Has(i + 7); i += 8, count += 4) {
      if (!qel::DecodeEightHexDigits(text.data + i, out + count)) break;  // the pairs take it
    }
  }
  for (; count < capacity && text.Has(i + 1); i += 2) {
    const BYTE hi = kHex.value[p[i]];
    const BYTE lo = kHex.value[p[i + 1]];
    if ((hi | lo) >= 16) break;
    out[count++] = static_cast<BYTE>(hi << 4 | lo);
  }
  if (count == capacity) return count;
  // A plain pair holds no white space, so the pairs taken all lie before the trailing part.
  std::string_view rest = text.From(i);
  while (!rest.empty() && IsStripped(rest.back())) rest.remove_suffix(1);
  DecodeHexPairs(rest, [&](BYTE b) {
    out[count++] = b;
    return count < capacity;
  });
  return count;
}

struct SizedText {
  static constexpr bool kKnownLength = true;
  const char* data;
  std::size_t size;
  bool Has(std::size_t i) const { return i < size; }
  std::string_view From(std::size_t i) const { return {data + i, size - i}; }
};

// NUL-terminated: the end is found only if the plain pairs stop before it. A NUL is no hex digit,
// so the first loop stops there.
struct CText {
  static constexpr bool kKnownLength = false;  // nothing may be read past the NUL
  const char* data;
  bool Has(std::size_t i) const {
    return data[i - 1] != '\0' && data[i] != '\0';  // i >= 1: the pair (i-1, i)
  }
  std::string_view From(std::size_t i) const { return data + i; }
};

}  // namespace

std::size_t qel::DecodeHexInto(std::string_view text, BYTE* out, std::size_t capacity) {
  while (!text.empty() && IsStripped(text.front())) text.remove_prefix(1);
  return DecodeStrippedFront(SizedText{text.data(), text.size()}, out, capacity);
}

std::size_t qel::DecodeHexInto(const char* text, BYTE* out, std::size_t capacity) {
  while (IsStripped(*text)) ++text;
  return DecodeStrippedFront(CText{text}, out, capacity);
}

namespace {

pugi::xml_node RootElement(const pugi::xml_document& doc) {
  return doc.child(CMapXml::m_strRootNodeName.GetString());
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
      DecodeHex(qel::XmlNodeText(node, scratch), item->m_data);
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

  // One map per `struct` child of the root.
  void ReadDocument(const IXMLDOMDocument* doc, ArchiverDataMapList& list) {
    if (doc == nullptr) return;
    pugi::xml_node root = RootElement(doc->tree());
    for (pugi::xml_node s = root.child("struct"); s; s = s.next_sibling("struct"))
      ReadNode(s, list.emplace_back(), 2);
  }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// IXMLDOMDocument

IXMLDOMDocument::IXMLDOMDocument() : doc_(std::make_unique<pugi::xml_document>()) {}
IXMLDOMDocument::~IXMLDOMDocument() = default;

bool IXMLDOMDocument::loadXML(std::string_view text) { return loadXML(std::string(text)); }

bool IXMLDOMDocument::loadXML(std::string&& text) {
  doc_->reset();
  buffer_ = std::move(text);
  pugi::xml_parse_result result =
      doc_->load_buffer_inplace(buffer_.data(), buffer_.size(), kParseOptions, pugi::encoding_utf8);
  bool ok = static_cast<bool>(result) && IsWellFormedDocument(*doc_, buffer_);
  if (!ok) {
    doc_->reset();
    buffer_.clear();
  }
  return ok;
}

bool qel::ParseArchiveText(pugi::xml_document& doc, std::string_view text) {
  // pugixml copies the text into its own buffer, which the tree then points into.
  pugi::xml_parse_result result =
      doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
  if (static_cast<bool>(result) && IsWellFormedDocument(doc, text)) return true;
  doc.reset();
  return false;
}

std::string IXMLDOMDocument::xml() const {
  std::string out;
  for (pugi::xml_node n : doc_->children()) {
    AppendSubtree(out, n);
    if (n.type() != pugi::node_pcdata && n.type() != pugi::node_cdata) out += '\n';
  }
  return out;
}

bool IXMLDOMDocument::save(const char* path) const {
  if (path == nullptr) return false;
  const std::string text = xml();
  return qel::ReplaceFileAtomically(path, text.data(), text.size());
}

pugi::xml_node IXMLDOMDocument::documentElement() const { return doc_->document_element(); }

// ---------------------------------------------------------------------------------------------
// CMapXml

CMapXml::CMapXml() = default;
CMapXml::~CMapXml() = default;

IXMLDOMDocument* CMapXml::CreateXmlDoc(float version) {
  auto doc = std::make_unique<IXMLDOMDocument>();
  pugi::xml_document& tree = doc->tree();
  pugi::xml_node decl = tree.append_child(pugi::node_declaration);
  pugi::xml_node root;
  bool ok = decl && decl.set_name("xml") && decl.append_attribute("version").set_value("1.0") &&
            decl.append_attribute("encoding").set_value("UTF-8");
  if (ok) {
    root = tree.append_child(m_strRootNodeName.GetString());
    ok = static_cast<bool>(root);
  }
  if (ok && version != 0.0f)
    ok = root.append_attribute("version").set_value(qel::FormatArchiveVersion(version).c_str());
  m_pDoc.reset();
  if (!ok) return nullptr;
  m_pDoc = std::move(doc);
  return m_pDoc.get();
}

bool CMapXml::MapToXml(const ArchiverDataMap& map, IXMLDOMDocument* doc, const char* name) {
  if (doc == nullptr) return false;
  pugi::xml_node root = RootElement(doc->tree());
  if (!root) return false;
  pugi::xml_node indent = root.append_child(pugi::node_pcdata);
  if (!indent || !indent.set_value("        ")) return false;
  pugi::xml_node element = root.append_child("struct");
  if (!element || !element.append_attribute("name").set_value(name ? name : "")) return false;
  pugi::xml_node lineEnd = root.append_child(pugi::node_pcdata);
  if (!lineEnd || !lineEnd.set_value("\n")) return false;
  if (!WriteItems(element, map, 2)) {
    // Leave the document as it was rather than holding half a map.
    root.remove_child(indent);
    root.remove_child(element);
    root.remove_child(lineEnd);
    return false;
  }
  return true;
}

IXMLDOMDocument* CMapXml::MapToXml(const ArchiverDataMap& map, const char* name, float version) {
  IXMLDOMDocument* doc = CreateXmlDoc(version);
  if (doc == nullptr) return nullptr;
  if (!MapToXml(map, doc, name)) {
    m_pDoc.reset();
    return nullptr;
  }
  return doc;
}

bool CMapXml::MapToXmlFile(const ArchiverDataMap& map, const char* name, const char* path,
                           float version) {
  IXMLDOMDocument* doc = MapToXml(map, name, version);
  return doc != nullptr && doc->save(path);
}

bool CMapXml::MapToXmlFile(const ArchiverDataMap& map, const char* name, CFile& file,
                           float version) {
  IXMLDOMDocument* doc = MapToXml(map, name, version);
  if (doc == nullptr) return false;
  const std::string text = doc->xml();
  constexpr std::size_t kChunk = 1u << 30;
  for (std::size_t at = 0; at < text.size(); at += kChunk) {
    const std::size_t n = text.size() - at < kChunk ? text.size() - at : kChunk;
    file.Write(text.data() + at, static_cast<UINT>(n));
  }
  return true;
}

std::unique_ptr<ArchiverDataMapList> CMapXml::XmlFileToMap(const char* path) {
  if (path == nullptr) return nullptr;
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) return nullptr;
  return XmlFileToMap(file);
}

bool qel::ReadArchiveFileText(CFile& file, std::string& text) {
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

std::unique_ptr<ArchiverDataMapList> CMapXml::XmlFileToMap(CFile& file) {
  std::string text;
  if (!qel::ReadArchiveFileText(file, text)) return nullptr;
  return qel::ReadArchiveText(std::move(text));
}

std::unique_ptr<ArchiverDataMapList> qel::ReadArchiveText(std::string&& text) {
  if (text.size() > kMaxXmlFileBytes) return nullptr;
  // The text ends at the first NUL, as a C string would.
  text.resize(std::strlen(text.c_str()));
  IXMLDOMDocument doc;
  if (!doc.loadXML(std::move(text))) return nullptr;
  auto list = std::make_unique<ArchiverDataMapList>();
  Reader reader;
  reader.ReadDocument(&doc, *list);
  if (!reader.complete) return nullptr;  // nested beyond what this reader follows
  return list;
}

std::unique_ptr<ArchiverDataMapList> CMapXml::XmlToMap(const IXMLDOMDocument* doc) {
  auto list = std::make_unique<ArchiverDataMapList>();
  Reader().ReadDocument(doc, *list);
  return list;
}

namespace qel {

namespace {

// A float's integer part as the processor's truncating conversion gives it, with values that do
// not fit (and NaN) giving INT_MIN instead of undefined behaviour.
int TruncateToInt(float v) {
  if (!(v >= -2147483648.0f && v < 2147483648.0f)) return INT32_MIN;
  return static_cast<int>(v);
}

}  // namespace

std::string FormatArchiveVersion(float version) {
  if (version == 0.0f) return {};
  // Every step is single precision on purpose: 17.3 is stored as 17.2999992..., and the text
  // written for it has always been "17.29999".
  const float biased = version + 0.00001f;
  const int whole = TruncateToInt(biased);
  const float wholeF = static_cast<float>(whole);
  int fraction = 0;
  if (!(std::fabs(wholeF - version) < 0.00001f)) {
    const float scaled = (version - wholeF) * 100000.0f;
    const float rounded = scaled + 0.00001f;
    fraction = TruncateToInt(rounded);
  }
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%d.%d", whole, fraction);
  return buffer;
}

}  // namespace qel
