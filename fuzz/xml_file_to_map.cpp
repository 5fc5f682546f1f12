// Fuzz target for CMapXml::XmlFileToMap: arbitrary bytes as an archive file.
//
// Besides the sanitizers' checks, every map read is written back and read again, and must come
// back the same: the reader never yields a map the writer cannot express.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "mdf/map_xml.h"

namespace {

// Equal, given that a struct item without children reads back as a field item without bytes.
bool SameItem(const ArchiverDataItem& a, const ArchiverDataItem& b);

bool SameMap(const ArchiverDataMap& a, const ArchiverDataMap& b) {
  if (a.size() != b.size()) return false;
  for (auto ia = a.begin(), ib = b.begin(); ia != a.end(); ++ia, ++ib) {
    if (ia->first != ib->first || !SameItem(*ia->second, *ib->second)) return false;
  }
  return true;
}

bool SameItem(const ArchiverDataItem& a, const ArchiverDataItem& b) {
  const bool aLeaf = a.m_bLeaf != 0 || a.m_mapChildren.empty();
  const bool bLeaf = b.m_bLeaf != 0 || b.m_mapChildren.empty();
  if (aLeaf != bLeaf) return false;
  if (!aLeaf) return SameMap(a.m_mapChildren, b.m_mapChildren);
  const int na = a.m_bLeaf ? a.m_data.GetSize() : 0;
  const int nb = b.m_bLeaf ? b.m_data.GetSize() : 0;
  if (na != nb) return false;
  for (int i = 0; i < na; ++i)
    if (a.m_data.GetAt(i) != b.m_data.GetAt(i)) return false;
  return true;
}

const std::string& InputPath() {
  static const std::string path =
      (std::filesystem::temp_directory_path() /
       ("fuzz_xml_file_to_map." +
        std::to_string(std::hash<std::string>{}(std::filesystem::current_path().string())) +
        ".xml"))
          .string();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream out(InputPath(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  CMapXml xml;
  std::unique_ptr<ArchiverDataMapList> list = xml.XmlFileToMap(InputPath().c_str());
  if (!list) return 0;
  for (const ArchiverDataMap& map : *list) {
    for (const auto& [name, item] : map) {
      if (item->m_bLeaf != 0) continue;  // only struct items can be written under a name
      IXMLDOMDocument* doc = xml.MapToXml(item->m_mapChildren, name.c_str(), 17.3f);
      if (doc == nullptr) std::abort();
      IXMLDOMDocument again;
      if (!again.loadXML(doc->xml())) std::abort();
      std::unique_ptr<ArchiverDataMapList> back = xml.XmlToMap(&again);
      if (back->size() != 1 || back->front().size() != 1) std::abort();
      if (!SameItem(*item, *back->front().begin()->second)) std::abort();
    }
  }
  return 0;
}
