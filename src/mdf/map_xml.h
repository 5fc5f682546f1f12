// CMapXml: archive maps written as an XML document and read back.
//
// The document written for a map named N holding items a, b, ... looks like this (tabs shown as
// "\t"):
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <QELArchive version="17.29999">        <struct name="N">
//   \t\t<field name="a">0A1B</field>
//   \t\t<field name="s">
//   \t\t\t<field name="x">FF</field>
//   \t\t</field>
//   \t</struct>
//   </QELArchive>
//
// Contract:
// - Items are written in the map's (byte-wise) order, field bytes as upper-case hex pairs. A field
//   whose line would pass 80 columns (hex length + 4 * depth + 2 * name length + 5 > 80) has its
//   hex on a line of its own, one tab deeper than its start tag.
// - The root's "version" attribute is "%d.%d" of the whole and fractional parts computed in single
//   precision (17.3 is written "17.29999"; 16.05 is written "16.4999"); a version of 0 writes no
//   attribute.
// - Reading takes every "struct" child of the root element, in document order, as one map; an
//   element without a "name" attribute is skipped with everything inside it. Hex text may be
//   lower-case, may have an odd digit count (the last digit is decoded alone), and a pair that is
//   not hexadecimal is skipped.
// - Malformed XML, `field` elements nested deeper than kMaxXmlDepth, or a file larger than
//   kMaxXmlFileBytes makes XmlFileToMap return null (XmlToMap stops descending there). Writing a
//   map nested deeper than the reader accepts fails (false / null) rather than producing a
//   document that could not be read back.
// - No message is shown. CFile's exceptions from reading or writing the caller's open file pass
//   through to the caller.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "mdf/archive_map.h"
#include "platform/cfile.h"
#include "platform/cstring.h"

namespace pugi {
class xml_document;
class xml_node;
}  // namespace pugi

// The XML document service used by the archive: a document is its text. Documents are built by
// generating that text directly (CMapXml; archive_xml_write_internal.h gives the bytes) and read
// by parsing it (pugixml); the tree is made from the text when it is asked for.
class IXMLDOMDocument {
 public:
  IXMLDOMDocument();
  ~IXMLDOMDocument();
  IXMLDOMDocument(const IXMLDOMDocument&) = delete;
  IXMLDOMDocument& operator=(const IXMLDOMDocument&) = delete;

  // Replaces the document with `text` (bytes taken as they stand, no encoding conversion). False,
  // leaving the document empty, when the text is not well-formed XML or has not exactly one root
  // element.
  bool loadXML(std::string_view text);
  bool loadXML(std::string&& text);
  bool loadXML(const char* text) { return loadXML(std::string_view(text ? text : "")); }

  // The document as text: as loaded, or as built.
  const std::string& xml() const { return text_; }

  // Writes xml() to `path`, replacing the file as a whole; false when it cannot be written.
  bool save(const char* path) const;

  // The root element, or an empty node when the document has none.
  pugi::xml_node documentElement() const;

  // The parsed tree of the text.
  const pugi::xml_document& tree() const;

 private:
  friend class CMapXml;
  // Puts `child` (an element's text) last into the root element, which must be named `root`;
  // false, with the document unchanged, when it has no such root.
  bool AppendToRoot(std::string_view root, std::string_view child);
  // The start of a document whose root `root` is still empty: text up to the root's "/>".
  void StartBuilt(std::string&& head);
  bool LocateRootEnd(std::string_view root);

  std::string text_;
  mutable std::unique_ptr<pugi::xml_document> tree_;
  mutable bool treeCurrent_ = true;          // tree_ is the parse of text_
  std::size_t rootEnd_ = std::string::npos;  // where the root's "/>" or end tag starts, when known
  bool emptyRoot_ = false;                   // the root is written "<root .../>"
};

// Deepest `field` element the reader follows (the root element is depth 1, `struct` depth 2).
constexpr int kMaxXmlDepth = 256;
// Deepest item a map may have to be written (its own items are level 1): the root, the struct
// element and one element per level must fit in kMaxXmlDepth.
constexpr int kMaxMapDepth = kMaxXmlDepth - 2;
// Largest archive document XmlFileToMap reads.
constexpr std::size_t kMaxXmlFileBytes = 256u * 1024u * 1024u;

class CMapXml {
 public:
  CMapXml();
  ~CMapXml();
  CMapXml(const CMapXml&) = delete;
  CMapXml& operator=(const CMapXml&) = delete;

  // Name of the root element: "QELArchive".
  static const CString m_strRootNodeName;

  // A new document holding the declaration and an empty root element, with the "version"
  // attribute when `version` is not 0. The object keeps it (releasing the one held before); the
  // pointer stays valid until the object builds another document or is destroyed.
  IXMLDOMDocument* CreateXmlDoc(float version);

  // Appends one `struct` element named `name`, holding `map`, to the root of `doc`. False if the
  // document has no root element named m_strRootNodeName or the map is nested too deeply (the
  // document is then left as it was). The document stays its owner's: a document from
  // CreateXmlDoc belongs to this object, any other to the caller.
  bool MapToXml(const ArchiverDataMap& map, IXMLDOMDocument* doc, const char* name);

  // CreateXmlDoc(version) and then the operation above; the document kept by the object, or null
  // when writing failed.
  IXMLDOMDocument* MapToXml(const ArchiverDataMap& map, const char* name, float version);

  // Builds the document and saves it to `path`; true if the save succeeded.
  bool MapToXmlFile(const ArchiverDataMap& map, const char* name, const char* path, float version);

  // Builds the document and writes its text at the file's current position, one byte per
  // character; true if the text could be built. CFileException from writing passes through.
  bool MapToXmlFile(const ArchiverDataMap& map, const char* name, CFile& file, float version);

  // Opens `path` for reading (denying writers) and reads it as below; null if it cannot be opened.
  std::unique_ptr<ArchiverDataMapList> XmlFileToMap(const char* path);

  // Reads from the file's current position as many bytes as the file is long, up to the first NUL,
  // and parses them; null when the text is not a readable document (see IXMLDOMDocument::loadXML)
  // or is larger than kMaxXmlFileBytes; otherwise XmlToMap of it.
  std::unique_ptr<ArchiverDataMapList> XmlFileToMap(CFile& file);

  // One map for every `struct` child of the root, in document order; an empty list when the
  // document has no root. Never null.
  std::unique_ptr<ArchiverDataMapList> XmlToMap(const IXMLDOMDocument* doc);

 private:
  std::unique_ptr<IXMLDOMDocument> m_pDoc;
};

namespace qel {

// The text of the root's "version" attribute for `version`, or empty for 0.
std::string FormatArchiveVersion(float version);

// Reads an archive file's text as XmlFileToMap does: as many bytes as the file is long, from its
// current position (bytes the file no longer supplies stay NUL). False, with `text` empty, when
// the file is longer than kMaxXmlFileBytes. The file's read errors pass through.
bool ReadArchiveFileText(CFile& file, std::string& text);

// Writes all of `text` at the file's current position (in pieces CFile::Write can take); the
// file's write errors pass through.
void WriteArchiveText(CFile& file, std::string_view text);

}  // namespace qel
