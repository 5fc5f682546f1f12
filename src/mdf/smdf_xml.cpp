#include "mdf/smdf_xml.h"

#include <cstring>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "mdf/hex_internal.h"
#include "mdf/map_xml.h"
#include "mdf/map_xml_read_internal.h"
#include "mdf/record_unmap_internal.h"

namespace qel {
namespace {

// The archive root holds the `struct` element at depth 2; the record's fields sit at depth 3.
constexpr int kFieldDepth = 3;
constexpr const char kMdfItem[] = "MDF";
constexpr const char kUnitsItem[] = "Units";

// Byte-wise order of two names. Most comparisons are of a name with itself (the element is the
// table's next field), which runs to the end of both, so the library's wide comparison pays.
int CompareNames(const char* a, const char* b) { return std::strcmp(a, b); }

// What the tree hands back as the value of a node that has none (an element, or a null node).
// It always returns the same empty string then, so a value pointer equal to it is the cue to ask
// the tree the longer question; any other pointer is the real text. (A real empty text could
// share that pointer only by chance; it then takes the longer question, with the same answer.)
const char* NoValue() {
  static const char* const none = pugi::xml_node().value();
  return none;
}

bool IsField(const char* s) {
  return s[0] == 'f' && s[1] == 'i' && s[2] == 'e' && s[3] == 'l' && s[4] == 'd' && s[5] == 0;
}

// The node's "name" attribute (the first of that name, as attribute("name") finds it), or null.
// Our writer puts it first, so that is looked at before asking the tree to search.
const char* NameOf(pugi::xml_node n) {
  const pugi::xml_attribute first = n.first_attribute();
  const char* a = first.name();  // "" when there is no attribute
  if (a[0] == 'n' && a[1] == 'a' && a[2] == 'm' && a[3] == 'e' && a[4] == 0) return first.value();
  if (a[0] == 0) return nullptr;
  const pugi::xml_attribute other = n.attribute("name");
  return other ? other.value() : nullptr;
}

// `n` or the first `field` sibling after it that carries a name, with that name: the elements the
// map reader turns into items (a nameless one is skipped with everything inside it). Only elements
// have names in a parsed archive, as in next_sibling("field"). At the end of the list the null
// node comes back with a null name. (Every call into the tree counts here, so the tag is read
// once and tested in place, and only a node without a tag is asked whether it is the end.)
pugi::xml_node NamedFrom(pugi::xml_node n, const char*& name) {
  for (;; n = n.next_sibling()) {
    const char* tag = n.name();
    if (IsField(tag)) {
      if ((name = NameOf(n)) != nullptr) return n;
    } else if (tag[0] == 0 && n.type() == pugi::node_null) {
      name = nullptr;
      return n;
    }
  }
}

// The same, starting from the first `field` child of `parent`.
pugi::xml_node FirstNamed(pugi::xml_node parent, const char*& name) {
  return NamedFrom(parent.child("field"), name);
}

pugi::xml_node NamedFrom(pugi::xml_node n) {
  const char* name;
  return NamedFrom(n, name);
}

// Whether the map reader can follow the named element `node` at `depth` to its end without
// passing kMaxXmlDepth (where it gives up on the whole document).
bool WithinDepth(pugi::xml_node node, int depth) {
  pugi::xml_node child = node.child("field");
  if (!child) return true;
  if (depth >= kMaxXmlDepth) return false;
  for (child = NamedFrom(child); child; child = NamedFrom(child.next_sibling("field"))) {
    if (!WithinDepth(child, depth + 1)) return false;
  }
  return true;
}

struct WalkState {
  std::string scratch;       // text of elements whose text is split into several nodes
  bool imageBlocks = false;  // cmbprmConcrete was a leaf: the older combination-block form
};

// The named `field` children of one element as a source for UnMapRecordWalk. It gives up (and
// the caller takes the map road) when two names are not in strictly increasing byte order: only
// in that order does the document order equal the map's, with one item per name.
class ElementSource {
 public:
  ElementSource(pugi::xml_node parent, int depth, WalkState& state, bool top)
      : depth_(depth), state_(state), top_(top) {
    cur_ = FirstNamed(parent, name_);
    end_ = name_ == nullptr;
  }

  bool AtEnd() const { return end_; }
  // Names hold no NUL (the map's keys are built from them as C strings), so comparing them as C
  // strings orders them as the map does.
  int Compare(const char* name) {
    const int order = CompareNames(name_, name);
    // The walk compares with ever larger names, and moved past the previous element only because
    // it was smaller than one of them or matched one: an element at or above a later one is above
    // its predecessor, so the usual case (every element a field of the record) costs no extra
    // check.
    if (order >= 0) ordered_ = true;
    return order;
  }

  bool Next() {
    // An element the record did not take is still read by the map reader, which may refuse the
    // document for its depth.
    if (!handled_ && !WithinDepth(cur_, depth_)) return false;
    if (!ordered_ && CompareNames(previous_, name_) >= 0) return false;
    previous_ = name_;
    cur_ = NamedFrom(cur_.next_sibling(), name_);
    end_ = name_ == nullptr;
    handled_ = false;
    ordered_ = false;
    return true;
  }

  bool Leaf(const FieldDesc& f, BYTE* field) {
    // The common case first: the element holds nothing but its text. Only character data has a
    // value in a parsed archive, and a lone text node is the element's whole text.
    const pugi::xml_node first = cur_.first_child();
    const char* text = first.value();
    if (text != NoValue() && first.next_sibling().type() == pugi::node_null) {
      // Its length first (a fast scan), so the digits can be decoded several at a time. Our
      // writer's text for a field of whole four-byte words is exactly its digits, decoded here
      // in place; anything else (and any chunk that is not all digits) goes to the decoder,
      // which writes the same bytes again for the chunks already done.
      const std::size_t length = std::strlen(text);
      bool done = length == 2 * std::size_t{f.size} && f.size % 4 == 0;
      for (std::size_t at = 0; done && at < f.size; at += 4)
        done = DecodeEightHexDigits(text + 2 * at, field + at);
      if (!done) DecodeHexInto(std::string_view(text, length), field, f.size);
    } else if (cur_.child("field")) {
      return true;  // a struct item under a value's name: passed over
    } else {
      DecodeHexInto(XmlNodeText(cur_, state_.scratch), field, f.size);
    }
    handled_ = true;
    return true;
  }

  bool Nested(const FieldDesc& f, BYTE* field) {
    if (!cur_.child("field")) {
      handled_ = true;
      if (top_) TakeImageBlock(f, field);
      return true;
    }
    if (depth_ >= kMaxXmlDepth) return false;
    handled_ = true;
    ElementSource children(cur_, depth_ + 1, state_, false);
    return UnMapRecordWalk(*f.record, children, field);
  }

  bool Finish() {
    while (!end_) {
      if (!Next()) return false;
    }
    return true;
  }

 private:
  // UnMapSMDF's rule for older archives: when cmbprmConcrete is a leaf, each of the four blocks
  // held as a leaf is replaced by its image (missing bytes zero). cmbprmConcrete sorts before
  // the other three, so its form is known by the time they come.
  void TakeImageBlock(const FieldDesc& f, BYTE* field) {
    if (std::strcmp(f.name, kImageComboBlocks[0]) == 0) state_.imageBlocks = true;
    if (!state_.imageBlocks) return;
    for (const char* block : kImageComboBlocks) {
      if (std::strcmp(f.name, block) != 0) continue;
      std::memset(field, 0, f.size);
      DecodeHexInto(XmlNodeText(cur_, state_.scratch), field, f.size);
      return;
    }
  }

  pugi::xml_node cur_;
  const char* name_ = "";
  bool end_ = true;
  const char* previous_ = "";  // the element before, whose name this one's must exceed
  bool ordered_ = true;        // known to exceed it (the first element has none)
  int depth_;
  WalkState& state_;
  bool top_;
  bool handled_ = false;
};

void Prepare(const SmdfUnmapPrepare& prepare, const ArchiverDataMap& fields, SMDF& mdf) {
  const ArchiverDataItem* units = FindDataItem(fields, kUnitsItem);
  if (units != nullptr && units->m_bLeaf != 0) {
    const std::size_t stored = static_cast<std::size_t>(units->m_data.GetSize());
    prepare(units->m_data.GetData(), stored < 4 ? stored : 4, mdf);
  } else {
    prepare(nullptr, 0, mdf);
  }
}

}  // namespace

const char* SmdfXmlStatusText(SmdfXmlStatus status) {
  switch (status) {
    case SmdfXmlStatus::kOk:
      return "read";
    case SmdfXmlStatus::kUnreadable:
      return "not a readable archive document";
    case SmdfXmlStatus::kNotOneMap:
      return "the archive does not hold exactly one map";
    case SmdfXmlStatus::kNoMdfItem:
      return "the archive has no MDF item";
    case SmdfXmlStatus::kNeedsMaps:
      return "the document needs the map reader";
  }
  return "unknown status";
}

SmdfXmlStatus UnMapXmlToSMDFThroughMaps(const char* text, std::size_t length, SMDF& mdf,
                                        const SmdfUnmapPrepare& prepare) {
  if (length > kMaxXmlFileBytes) return SmdfXmlStatus::kUnreadable;
  auto list = ReadArchiveText(text != nullptr ? std::string(text, length) : std::string());
  if (!list) return SmdfXmlStatus::kUnreadable;
  if (list->size() != 1) return SmdfXmlStatus::kNotOneMap;
  const ArchiverDataItem* item = FindDataItem(list->front(), kMdfItem);
  if (item == nullptr) return SmdfXmlStatus::kNoMdfItem;
  if (prepare) Prepare(prepare, item->m_mapChildren, mdf);
  UnMapSMDF(item->m_mapChildren, mdf);
  return SmdfXmlStatus::kOk;
}

SmdfXmlStatus UnMapXmlToSMDFDirect(const char* text, std::size_t length, SMDF& mdf,
                                   const SmdfUnmapPrepare& prepare) {
  if (length > kMaxXmlFileBytes) return SmdfXmlStatus::kUnreadable;
  // The text ends at its first NUL, as the file reader's does.
  std::size_t n = 0;
  if (text != nullptr) {
    const void* nul = std::memchr(text, '\0', length);
    n = nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : length;
  }
  pugi::xml_document doc;
  if (!ParseArchiveText(doc, std::string_view(text != nullptr ? text : "", n)))
    return SmdfXmlStatus::kUnreadable;

  const pugi::xml_node root = doc.child(CMapXml::m_strRootNodeName.GetString());
  const pugi::xml_node top = root.child("struct");
  if (!top || top.next_sibling("struct")) return SmdfXmlStatus::kNeedsMaps;
  const pugi::xml_attribute name = top.attribute("name");
  if (!name || std::strcmp(name.value(), kMdfItem) != 0 || !top.child("field"))
    return SmdfXmlStatus::kNeedsMaps;

  SMDF work = mdf;
  WalkState state;
  if (prepare) {
    // The first "Units" is the one the map would hold: with a repeated name the walk hands the
    // document to the maps, and this working copy is thrown away.
    pugi::xml_node units = NamedFrom(top.child("field"));
    while (units && std::strcmp(units.attribute("name").value(), kUnitsItem) != 0)
      units = NamedFrom(units.next_sibling("field"));
    BYTE bytes[4];
    if (units && !units.child("field")) {
      const std::size_t got = DecodeHexInto(XmlNodeText(units, state.scratch), bytes, sizeof bytes);
      prepare(bytes, got, work);
    } else {
      prepare(nullptr, 0, work);
    }
  }
  ElementSource source(top, kFieldDepth, state, true);
  if (!UnMapRecordWalk(SmdfLayout(), source, &work)) return SmdfXmlStatus::kNeedsMaps;
  mdf = work;
  return SmdfXmlStatus::kOk;
}

SmdfXmlStatus UnMapXmlToSMDF(const char* text, std::size_t length, SMDF& mdf,
                             const SmdfUnmapPrepare& prepare) {
  const SmdfXmlStatus status = UnMapXmlToSMDFDirect(text, length, mdf, prepare);
  if (status != SmdfXmlStatus::kNeedsMaps) return status;
  return UnMapXmlToSMDFThroughMaps(text, length, mdf, prepare);
}

}  // namespace qel
