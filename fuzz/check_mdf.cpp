// Fuzz target for qel::CheckMdfFile: arbitrary bytes as a master data file.
//
// Besides the sanitizers' checks: the file is left at its start, every finding is one non-empty
// line, a flood of bad hex is cut short, and the findings belong to the form the rule gives.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "mdf/mdf_check.h"
#include "mdf/mdf_form.h"
#include "platform/cmemfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CMemFile file(data, static_cast<UINT>(size));
  const auto findings = qel::CheckMdfFile(file);
  if (file.GetPosition() != 0) std::abort();
  const bool xml = size >= qel::kMdfXmlOpeningBytes &&
                   std::memcmp(data, qel::kMdfXmlOpening, qel::kMdfXmlOpeningBytes) == 0;
  std::size_t hex = 0;
  for (const qel::MdfFinding& f : findings) {
    if (f.text.empty() || f.text.find('\n') != std::string::npos) std::abort();
    using K = qel::MdfFindingKind;
    const bool xmlKind = f.kind == K::kBadHex || f.kind == K::kUnreadableXml;
    const bool binaryKind = f.kind != K::kUnitsOutOfRange && !xmlKind;
    if ((xml && binaryKind) || (!xml && xmlKind)) std::abort();
    hex += f.kind == K::kBadHex;
  }
  if (hex > qel::kMaxHexFindings + 1) std::abort();
  return 0;
}
