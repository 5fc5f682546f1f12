// Reads arbitrary bytes as a spread-footing results file: every record the bytes complete is
// kept, and nothing the file announces is allocated before the bytes are there.
#include "archive/spread_footing_file.h"

#include <cstddef>
#include <cstdint>

#include "platform/cmemfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CMemFile file(data, static_cast<UINT>(size));
  SpreadFootResults results;
  try {
    CArchive ar(&file, CArchive::load);
    qel::LoadSpreadFootResults(ar, results, 64);
  } catch (const CArchiveException&) {
  } catch (const CFileException&) {
  }
  // Whatever was read writes back to the same bytes it came from.
  CMemFile out;
  {
    CArchive ar(&out, CArchive::store);
    qel::StoreSpreadFootResults(ar, results);
    ar.Close();
  }
  if (out.GetLength() > size) __builtin_trap();
  return 0;
}
