// Fuzz target for qel::UnMapXmlToSMDF: the direct walk from archive text into an SMDF must give
// the same status and the same record as the road through archive maps, for any bytes.
//
// The first byte picks the input: even, the bytes are the whole text; odd, they edit a document
// our writer made for a full record (four bytes of position, one of length to cut, the rest
// spliced in), which keeps most inputs deep inside real archives.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mdf/map_xml.h"
#include "mdf/smdf.h"
#include "mdf/smdf_xml.h"

namespace {

const std::string& WrittenDocument() {
  static const std::string text = [] {
    SMDF r;
    auto* p = reinterpret_cast<unsigned char*>(&r);
    for (std::size_t i = 0; i < sizeof r; ++i) p[i] = static_cast<unsigned char>(i * 29 + 3);
    ArchiverDataMap map;
    MapSMDF(r, map);
    CMapXml xml;
    IXMLDOMDocument* doc = xml.MapToXml(map, "MDF", 17.3f);
    return doc != nullptr ? doc->xml() : std::string();
  }();
  return text;
}

std::string Input(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || (data[0] & 1) == 0 || size < 6)
    return std::string(reinterpret_cast<const char*>(data), size);
  std::string text = WrittenDocument();
  std::uint32_t at;
  std::memcpy(&at, data + 1, 4);
  const std::size_t pos = at % (text.size() + 1);
  const std::size_t cut = data[5] % 16;
  text.replace(pos, cut, reinterpret_cast<const char*>(data + 6), size - 6);
  return text;
}

void Prepare(const BYTE* units, std::size_t size, SMDF& mdf) {
  std::memset(&mdf.NumStories, units == nullptr ? 0x5A : static_cast<int>(size), 4);
  if (size != 0) std::memcpy(&mdf.NumFlrTypes, units, size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = Input(data, size);
  SMDF start;
  std::memset(&start, 0xA5, sizeof start);
  SMDF direct = start, maps = start, full = start;
  const qel::SmdfXmlStatus d = qel::UnMapXmlToSMDFDirect(text.data(), text.size(), direct, Prepare);
  const qel::SmdfXmlStatus m =
      qel::UnMapXmlToSMDFThroughMaps(text.data(), text.size(), maps, Prepare);
  const qel::SmdfXmlStatus f = qel::UnMapXmlToSMDF(text.data(), text.size(), full, Prepare);
  if (f != m || std::memcmp(&full, &maps, sizeof full) != 0) std::abort();
  if (d == qel::SmdfXmlStatus::kNeedsMaps) {
    if (std::memcmp(&direct, &start, sizeof start) != 0) std::abort();
  } else if (d != m || std::memcmp(&direct, &maps, sizeof direct) != 0) {
    std::abort();
  }
  if (m != qel::SmdfXmlStatus::kOk && std::memcmp(&maps, &start, sizeof start) != 0) std::abort();
  return 0;
}
