// The one unmap walk over a descriptor table, shared by every source of named items.
//
// A record is filled from a sequence of named items that arrives in byte-wise name order (an
// archive map, or the `field` elements of a document already known to be in that order). The
// table's fields are visited in the same order (RecordDesc::fields_by_name), so the walk is a
// merge: every item is compared with the table at most once.
//
// A Source provides:
//   bool AtEnd() const;                        no item left
//   int Compare(const char* name) const;       the current item's name against `name`, byte-wise
//                                              (<0, 0, >0 as strcmp)
//   bool Next();                               moves to the next item
//   bool Leaf(const FieldDesc&, BYTE* field);  the current item sits under a value field's name
//   bool Nested(const FieldDesc&, BYTE* field) the current item sits under a nested record's name
//   bool Finish();                             called once the table is done
// Any of them may return false to abandon the walk (the source found something it does not
// handle); UnMapRecordWalk then returns false at once. Whatever was written by then stays.
#pragma once

#include <cstdint>

#include "mdf/record_desc.h"

namespace qel {

template <class Source>
bool UnMapRecordWalk(const RecordDesc& layout, Source& source, void* record) {
  BYTE* base = static_cast<BYTE*>(record);
  for (std::uint32_t i = 0; i < layout.field_count && !source.AtEnd(); ++i) {
    const FieldDesc& f = layout.fields_by_name[i];
    const std::uint32_t n = f.count == 0 ? 1 : f.count;
    for (std::uint32_t k = 0; k < n && !source.AtEnd(); ++k) {
      const char* name = f.name;
      ElementName element;
      if (f.count != 0) name = element.Format(f.name, k);
      int order = 1;
      while (!source.AtEnd() && (order = source.Compare(name)) < 0) {
        if (!source.Next()) return false;
      }
      if (source.AtEnd() || order != 0) continue;
      BYTE* field = base + f.offset + k * f.size;
      if (!(f.record == nullptr ? source.Leaf(f, field) : source.Nested(f, field))) return false;
      // Every name still to come is larger, so the item is done with.
      if (!source.Next()) return false;
    }
  }
  return source.Finish();
}

}  // namespace qel
