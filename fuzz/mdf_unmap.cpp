// Fuzz target for the master data reader's road after parsing: arbitrary bytes read as an XML
// archive and unmapped into an SMDF, and the same bytes taken as an old binary record image.
//
// Besides the sanitizers' checks: whatever a map holds, the record unmapped from it must map and
// unmap again to the very same bytes (unmap writes only whole fields, never padding, and takes
// nothing but the bytes it is given).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "mdf/map_xml.h"
#include "mdf/mdf_v1.h"
#include "mdf/smdf.h"

namespace {

void Prefill(SMDF& r) { std::memset(&r, 0xA5, sizeof r); }

void CheckStable(const SMDF& once) {
  ArchiverDataMap again;
  MapSMDF(once, again);
  SMDF twice;
  Prefill(twice);
  UnMapSMDF(again, twice);
  if (std::memcmp(&once, &twice, sizeof once) != 0) std::abort();
}

void Unmap(const ArchiverDataMap& map) {
  SMDF out;
  Prefill(out);
  UnMapSMDF(map, out);
  CheckStable(out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  IXMLDOMDocument doc;
  if (doc.loadXML(std::string_view(reinterpret_cast<const char*>(data), size))) {
    CMapXml xml;
    auto list = xml.XmlToMap(&doc);
    for (const ArchiverDataMap& map : *list) {
      Unmap(map);
      const ArchiverDataItem* mdf = qel::FindDataItem(map, "MDF");
      if (mdf != nullptr) Unmap(mdf->m_mapChildren);
    }
  }

  MasterDataV1 v1;
  std::memset(&v1, 0, sizeof v1);
  std::memcpy(&v1, data, size < sizeof v1 ? size : sizeof v1);
  ArchiverDataMap map;
  MapMasterDataV1(v1, map);
  Unmap(map);
  return 0;
}
