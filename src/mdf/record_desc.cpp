// FindField and the element names of record arrays: the archive's naming rule, in one place.
#include "mdf/record_desc.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace qel {

const char* ElementName::Format(const char* name, std::uint32_t index) {
  std::snprintf(text, sizeof text, "%s[%u]", name, static_cast<unsigned>(index));
  return text;
}

namespace {

// The field of `record` that `part` names, with the element index of "name[i]" (-1 for a plain
// name); null when none.
const FieldDesc* FindPart(const RecordDesc& record, std::string_view part, int& element) {
  std::string_view name = part;
  element = -1;
  std::uint32_t index = 0;
  const std::size_t open = part.find('[');
  if (open != std::string_view::npos) {
    // "name[i]" exactly as the archive writes it: decimal digits, no sign, no leading zero.
    const std::string_view digits = part.substr(open + 1, part.size() - open - 2);
    if (part.back() != ']' || digits.empty() || (digits.size() > 1 && digits[0] == '0'))
      return nullptr;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (ec != std::errc() || end != digits.data() + digits.size()) return nullptr;
    name = part.substr(0, open);
  }
  for (std::uint32_t k = 0; k < record.field_count; ++k) {
    const FieldDesc& f = record.fields[k];
    if (name != f.name) continue;
    if (open == std::string_view::npos) return f.count == 0 ? &f : nullptr;
    if (f.count == 0 || index >= f.count) return nullptr;
    element = static_cast<int>(index);
    return &f;
  }
  return nullptr;
}

}  // namespace

FieldRef FindField(const RecordDesc& layout, std::string_view path) {
  const RecordDesc* record = &layout;
  FieldRef ref;
  std::uint32_t base = 0;
  while (true) {
    const std::size_t dot = path.find('.');
    const std::string_view part = path.substr(0, dot);
    int element = -1;
    const FieldDesc* f = record ? FindPart(*record, part, element) : nullptr;
    if (f == nullptr) return FieldRef{};
    base += f->offset + (element >= 0 ? static_cast<std::uint32_t>(element) * f->size : 0);
    if (dot == std::string_view::npos) {
      ref.field = f;
      ref.offset = base;
      ref.element = element;
      return ref;
    }
    record = f->record;  // null for a value field: the next part finds nothing
    path.remove_prefix(dot + 1);
  }
}

namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// One value of `kind` from `text` into `out` (ElementSize(kind) bytes); false when it does not
// fit.
bool ParseValue(FieldKind kind, std::string_view text, BYTE* out) {
  text = TrimBlanks(text);
  if (text.empty()) return false;
  const char* begin = text.data();
  const char* end = begin + text.size();
  const auto integer = [&](std::int64_t low, std::int64_t high, std::int64_t& v) {
    const auto [p, ec] = std::from_chars(begin + (*begin == '+'), end, v);
    return ec == std::errc() && p == end && v >= low && v <= high;
  };
  std::int64_t i = 0;
  switch (kind) {
    case FieldKind::k_i32:
    case FieldKind::k_BOOL: {
      if (!integer(INT32_MIN, INT32_MAX, i)) return false;
      const auto v = static_cast<std::int32_t>(i);
      std::memcpy(out, &v, sizeof v);
      return true;
    }
    case FieldKind::k_COLORREF: {
      if (!integer(0, UINT32_MAX, i)) return false;
      const auto v = static_cast<std::uint32_t>(i);
      std::memcpy(out, &v, sizeof v);
      return true;
    }
    case FieldKind::k_u8:
      if (!integer(0, UINT8_MAX, i)) return false;
      *out = static_cast<BYTE>(i);
      return true;
    case FieldKind::k_f32:
    case FieldKind::k_f64: {
      double d = 0.0;
      const auto [p, ec] = std::from_chars(begin + (*begin == '+'), end, d);
      if (ec != std::errc() || p != end || !std::isfinite(d)) return false;
      if (kind == FieldKind::k_f64) {
        std::memcpy(out, &d, sizeof d);
        return true;
      }
      if (std::fabs(d) > std::numeric_limits<float>::max()) return false;
      const auto f = static_cast<float>(d);
      std::memcpy(out, &f, sizeof f);
      return true;
    }
    default:
      return false;
  }
}

const char* KindName(FieldKind kind) {
  switch (kind) {
    case FieldKind::k_i32:
    case FieldKind::k_BOOL:
      return "a 32-bit integer";
    case FieldKind::k_COLORREF:
      return "an integer from 0 to 4294967295";
    case FieldKind::k_u8:
      return "an integer from 0 to 255";
    case FieldKind::k_f32:
      return "a number within single precision";
    case FieldKind::k_f64:
      return "a finite number";
    default:
      return "a value";
  }
}

}  // namespace

bool SetFieldText(const FieldRef& ref, void* record, std::string_view text, std::string& error) {
  const FieldDesc* f = ref.field;
  if (f == nullptr || record == nullptr) {
    error = "no such field";
    return false;
  }
  BYTE* field = static_cast<BYTE*>(record) + ref.offset;
  if (f->kind == FieldKind::kRecord || f->kind == FieldKind::k_LOGFONTA) {
    error = std::string(f->name) + " is a record; set its fields one by one";
    return false;
  }
  if (f->kind == FieldKind::k_char) {
    if (text.size() + 1 > f->size || text.find('\0') != std::string_view::npos) {
      error =
          std::string(f->name) + " holds at most " + std::to_string(f->size - 1) + " characters";
      return false;
    }
    std::memset(field, 0, f->size);
    std::memcpy(field, text.data(), text.size());
    return true;
  }
  const std::uint32_t step = ElementSize(f->kind);
  const std::uint32_t count = f->array ? f->size / step : 1;
  BYTE value[8 * 64];  // the widest numeric array is far smaller
  if (std::size_t{count} * step > sizeof value) {
    error = std::string(f->name) + " is too wide to be set from text";
    return false;
  }
  std::uint32_t n = 0;
  for (std::string_view rest = text;; ++n) {
    const std::size_t comma = f->array ? rest.find(',') : std::string_view::npos;
    if (n == count || !ParseValue(f->kind, rest.substr(0, comma), value + n * step)) {
      error = std::string(f->name) + " takes " +
              (f->array ? std::to_string(count) + " values, each " : std::string()) +
              KindName(f->kind);
      return false;
    }
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  if (n + 1 != count) {
    error = std::string(f->name) + " takes " + std::to_string(count) + " values, each " +
            KindName(f->kind);
    return false;
  }
  std::memcpy(field, value, std::size_t{count} * step);
  return true;
}

}  // namespace qel
