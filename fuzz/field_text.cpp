// Fuzz target for the record reflection that the command line and bindings hand outside text to:
// qel::FindField on an archive path and qel::SetFieldText on a value, split at the first '='.
//
// Besides the sanitizers' checks: a path that resolves stays inside the record, a refused value
// leaves the record as it was, and an accepted one changes nothing outside its field.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "mdf/record_desc.h"
#include "mdf/smdf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t eq = input.find('=');
  const std::string_view path = input.substr(0, eq);
  const std::string_view value = eq == std::string_view::npos ? "" : input.substr(eq + 1);
  const qel::FieldRef ref = qel::FindField(qel::SmdfLayout(), path);
  if (!ref) return 0;
  if (ref.offset + ref.Size() > sizeof(SMDF)) std::abort();
  SMDF before;
  std::memset(&before, 0xA5, sizeof before);
  SMDF after = before;
  std::string error;
  const bool set = qel::SetFieldText(ref, &after, value, error);
  if (!set && (error.empty() || std::memcmp(&before, &after, sizeof after) != 0)) std::abort();
  const auto* a = reinterpret_cast<const unsigned char*>(&before);
  const auto* b = reinterpret_cast<const unsigned char*>(&after);
  for (std::size_t i = 0; i < sizeof(SMDF); ++i)
    if (a[i] != b[i] && (i < ref.offset || i >= ref.offset + ref.Size())) std::abort();
  return 0;
}
