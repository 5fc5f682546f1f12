// The pieces of the XML archive reader that other readers of the same documents share, so that
// every reader takes text, hex and documents by exactly the same rules.
//
// Contract:
// - XmlNodeText: all character data below `node` in document order (an element's text content).
//   The result points into the document or into `scratch`.
// - DecodeHexInto: strips leading and trailing spaces, tabs and line feeds from `text` and decodes
//   it two characters at a time as a field item's text is decoded (lower-case digits accepted, a
//   pair that is not hexadecimal skipped, a last single character decoded alone), writing at most
//   `capacity` bytes to `out`; only decoded bytes are written. Returns how many were written.
// - ParseArchiveText: parses `text` into `doc` exactly as IXMLDOMDocument::loadXML accepts or
//   refuses it (the tree keeps its own copy of the text); false, with `doc` empty, on refusal.
// - ReadArchiveText: the archive file reader's road for text already in memory: refuses text
//   longer than kMaxXmlFileBytes, ends the text at its first NUL, parses it and reads every
//   `struct` child of the root into a map. Null when the text is not a readable document or is
//   nested deeper than kMaxXmlDepth.
#pragma once

#include <cstddef>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "mdf/archive_map.h"

namespace qel {

std::string_view XmlNodeText(pugi::xml_node node, std::string& scratch);

std::size_t DecodeHexInto(std::string_view text, BYTE* out, std::size_t capacity);
// The same for text that ends at a NUL.
std::size_t DecodeHexInto(const char* text, BYTE* out, std::size_t capacity);

std::unique_ptr<ArchiverDataMapList> ReadArchiveText(std::string&& text);

bool ParseArchiveText(pugi::xml_document& doc, std::string_view text);

}  // namespace qel
