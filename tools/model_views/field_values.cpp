#include "field_values.h"

#include <cstring>
#include <string>

#include "text_forms.h"

namespace qeldb {
namespace {

using qel::FieldKind;

template <class T>
T Load(const unsigned char* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

std::string Text(const char* p, std::size_t capacity) {
  return std::string(p, strnlen(p, capacity));
}

Json Scalar(FieldKind kind, const unsigned char* p) {
  switch (kind) {
    case FieldKind::k_i32:
    case FieldKind::k_BOOL:
      return Load<std::int32_t>(p);
    case FieldKind::k_COLORREF:
      return Load<std::uint32_t>(p);
    case FieldKind::k_u8:
      return static_cast<unsigned>(*p);
    case FieldKind::k_char:
      return Text(reinterpret_cast<const char*>(p), 1);
    case FieldKind::k_f32:
      return FloatForHumans(Load<float>(p));
    case FieldKind::k_f64:
      return Load<double>(p);
    case FieldKind::k_LOGFONTA: {
      const auto f = Load<LOGFONTA>(p);
      Json o;
      o["lfHeight"] = f.lfHeight;
      o["lfWidth"] = f.lfWidth;
      o["lfEscapement"] = f.lfEscapement;
      o["lfOrientation"] = f.lfOrientation;
      o["lfWeight"] = f.lfWeight;
      o["lfItalic"] = f.lfItalic;
      o["lfUnderline"] = f.lfUnderline;
      o["lfStrikeOut"] = f.lfStrikeOut;
      o["lfCharSet"] = f.lfCharSet;
      o["lfOutPrecision"] = f.lfOutPrecision;
      o["lfClipPrecision"] = f.lfClipPrecision;
      o["lfQuality"] = f.lfQuality;
      o["lfPitchAndFamily"] = f.lfPitchAndFamily;
      o["lfFaceName"] = Text(f.lfFaceName, sizeof f.lfFaceName);
      return o;
    }
    case FieldKind::kRecord:
      break;
  }
  return nullptr;
}

}  // namespace

Json FieldValue(const qel::FieldDesc& field, const unsigned char* p) {
  if (field.record) return RecordValue(*field.record, p);
  if (field.kind == FieldKind::k_char) return Text(reinterpret_cast<const char*>(p), field.size);
  if (!field.array) return Scalar(field.kind, p);
  Json a = Json::array();
  const std::size_t step = qel::ElementSize(field.kind);
  for (std::size_t off = 0; off + step <= field.size; off += step)
    a.push_back(Scalar(field.kind, p + off));
  return a;
}

Json RecordValue(const qel::RecordDesc& record, const unsigned char* base) {
  Json o = Json::object();
  for (std::uint32_t k = 0; k < record.field_count; ++k) {
    const qel::FieldDesc& f = record.fields[record.by_name[k]];
    if (f.record && f.count > 0) {
      for (std::uint32_t i = 0; i < f.count; ++i)
        o[std::string(f.name) + "[" + std::to_string(i) + "]"] =
            RecordValue(*f.record, base + f.offset + i * f.size);
    } else {
      o[f.name] = FieldValue(f, base + f.offset);
    }
  }
  return o;
}

}  // namespace qeldb
