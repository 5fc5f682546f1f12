// CMapXml and its documents: maps written as archive text (archive_xml_write.cpp) and read back
// from parsed text (archive_xml_read.cpp).
#include "mdf/map_xml.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <pugixml.hpp>

#include "mdf/archive_xml_write_internal.h"
#include "mdf/map_xml_read_internal.h"
#include "platform/file_system.h"

const CString CMapXml::m_strRootNodeName = "QELArchive";

// ---------------------------------------------------------------------------------------------
// IXMLDOMDocument

IXMLDOMDocument::IXMLDOMDocument() : tree_(std::make_unique<pugi::xml_document>()) {}
IXMLDOMDocument::~IXMLDOMDocument() = default;

bool IXMLDOMDocument::loadXML(std::string_view text) { return loadXML(std::string(text)); }

bool IXMLDOMDocument::loadXML(std::string&& text) {
  rootEnd_ = std::string::npos;
  emptyRoot_ = false;
  treeCurrent_ = true;
  if (!qel::ParseArchiveText(*tree_, text)) {
    text_.clear();
    return false;
  }
  text_ = std::move(text);
  return true;
}

bool IXMLDOMDocument::save(const char* path) const {
  return path != nullptr && qel::ReplaceFileAtomically(path, text_.data(), text_.size());
}

const pugi::xml_document& IXMLDOMDocument::tree() const {
  if (!treeCurrent_) {
    // Text this object generated always parses; should it not, the tree is empty.
    qel::ParseArchiveText(*tree_, text_);
    treeCurrent_ = true;
  }
  return *tree_;
}

pugi::xml_node IXMLDOMDocument::documentElement() const { return tree().document_element(); }

void IXMLDOMDocument::StartBuilt(std::string&& head) {
  rootEnd_ = head.size();
  emptyRoot_ = true;
  text_ = std::move(head);
  text_ += qel::ArchiveXmlWriter::kEmptyRootEnd;
  treeCurrent_ = false;
}

// Finds where the root's "/>" or end tag starts in loaded text. After the root only comments,
// processing instructions and white space may follow, so the root ends at the last '>' before the
// first of those; the tree, parsed again with them as nodes, tells where that is.
bool IXMLDOMDocument::LocateRootEnd(std::string_view root) {
  pugi::xml_document doc;
  const unsigned options = pugi::parse_default | pugi::parse_declaration | pugi::parse_fragment |
                           pugi::parse_comments | pugi::parse_pi;
  if (!doc.load_buffer(text_.data(), text_.size(), options, pugi::encoding_utf8)) return false;
  const pugi::xml_node element = doc.child(std::string(root).c_str());
  if (!element) return false;
  std::size_t end = text_.size();
  if (const pugi::xml_node next = element.next_sibling()) {
    const std::ptrdiff_t at = next.offset_debug();
    const std::ptrdiff_t opening = next.type() == pugi::node_pi ? 2  // "<?" before the name
                                   : next.type() == pugi::node_comment
                                       ? 4  // "<!--" before the text
                                       : -1;
    if (at < opening || opening < 0) return false;
    end = static_cast<std::size_t>(at - opening);
  }
  while (end > 0 && std::strchr(" \t\r\n", text_[end - 1]) != nullptr) --end;
  if (end < 2 || text_[end - 1] != '>') return false;
  if (text_[end - 2] == '/') {
    rootEnd_ = end - 2;
    emptyRoot_ = true;
    return true;
  }
  const std::size_t tag = text_.rfind("</", end - 1);
  if (tag == std::string::npos || text_.compare(tag + 2, root.size(), root) != 0) return false;
  rootEnd_ = tag;
  emptyRoot_ = false;
  return true;
}

bool IXMLDOMDocument::AppendToRoot(std::string_view root, std::string_view child) {
  if (rootEnd_ == std::string::npos) {
    const pugi::xml_node element = documentElement();
    if (!element || root != element.name() || !LocateRootEnd(root)) return false;
  }
  if (emptyRoot_) {
    // "<root .../>" becomes "<root ...>" child "</root>".
    std::string replaced = ">";
    replaced += child;
    replaced += "</";
    replaced += root;
    replaced += '>';
    text_.replace(rootEnd_, 2, replaced);
    rootEnd_ += 1 + child.size();
    emptyRoot_ = false;
  } else {
    text_.insert(rootEnd_, child);
    rootEnd_ += child.size();
  }
  treeCurrent_ = false;
  return true;
}

// ---------------------------------------------------------------------------------------------
// CMapXml

CMapXml::CMapXml() = default;
CMapXml::~CMapXml() = default;

IXMLDOMDocument* CMapXml::CreateXmlDoc(float version) {
  auto doc = std::make_unique<IXMLDOMDocument>();
  std::string head;
  qel::ArchiveXmlWriter(head).DocumentHead(version);
  doc->StartBuilt(std::move(head));
  m_pDoc = std::move(doc);
  return m_pDoc.get();
}

bool CMapXml::MapToXml(const ArchiverDataMap& map, IXMLDOMDocument* doc, const char* name) {
  if (doc == nullptr) return false;
  std::string element;
  if (!qel::ArchiveXmlWriter(element).Struct(name, map)) return false;
  return doc->AppendToRoot(m_strRootNodeName.GetString(), element);
}

IXMLDOMDocument* CMapXml::MapToXml(const ArchiverDataMap& map, const char* name, float version) {
  IXMLDOMDocument* doc = CreateXmlDoc(version);
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
  qel::WriteArchiveText(file, doc->xml());
  return true;
}

std::unique_ptr<ArchiverDataMapList> CMapXml::XmlFileToMap(const char* path) {
  if (path == nullptr) return nullptr;
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) return nullptr;
  return XmlFileToMap(file);
}

std::unique_ptr<ArchiverDataMapList> CMapXml::XmlFileToMap(CFile& file) {
  std::string text;
  if (!qel::ReadArchiveFileText(file, text)) return nullptr;
  return qel::ReadArchiveText(std::move(text));
}

std::unique_ptr<ArchiverDataMapList> CMapXml::XmlToMap(const IXMLDOMDocument* doc) {
  auto list = std::make_unique<ArchiverDataMapList>();
  // A document nested too deeply is read as far as the reader follows it.
  if (doc != nullptr) qel::ReadArchiveMaps(doc->tree(), *list);
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

void WriteArchiveText(CFile& file, std::string_view text) {
  constexpr std::size_t kChunk = 1u << 30;
  for (std::size_t at = 0; at < text.size(); at += kChunk) {
    const std::size_t n = text.size() - at < kChunk ? text.size() - at : kChunk;
    file.Write(text.data() + at, static_cast<UINT>(n));
  }
}

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
