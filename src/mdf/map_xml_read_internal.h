// The pieces of the XML archive reader that other readers of the same documents share, so that
// every reader takes documents and text by exactly the same rules (hex text: hex_internal.h).
//
// Contract:
// - ParseArchiveText: parses `text` into `doc` as an archive document is accepted or refused:
//   well-formed XML with exactly one root element, no text beside it, at most one declaration and
//   only at the very start (the tree keeps its own copy of the text); false, with `doc` empty, on
//   refusal. ParseArchiveTextInPlace parses `text` itself (it must outlive the tree).
// - XmlNodeText: all character data below `node` in document order (an element's text content).
//   The result points into the document or into `scratch`.
// - ReadArchiveMaps: one map for every `struct` child of the root named QELArchive, in document
//   order, each element's "name" attribute naming its item (an element without one is skipped
//   with everything inside it, a later element of a name replaces an earlier one). False when a
//   `field` element lies deeper than kMaxXmlDepth (what was read by then stays in `list`).
// - ReadArchiveText: the archive file reader's road for text already in memory: refuses text
//   longer than kMaxXmlFileBytes, ends the text at its first NUL, parses it and reads its maps.
//   Null when the text is not a readable document or is nested deeper than kMaxXmlDepth.
#pragma once

#include <memory>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "mdf/archive_map.h"

namespace qel {

bool ParseArchiveText(pugi::xml_document& doc, std::string_view text);
bool ParseArchiveTextInPlace(pugi::xml_document& doc, std::string& text);

std::string_view XmlNodeText(pugi::xml_node node, std::string& scratch);

bool ReadArchiveMaps(const pugi::xml_document& doc, ArchiverDataMapList& list);

std::unique_ptr<ArchiverDataMapList> ReadArchiveText(std::string&& text);

}  // namespace qel
