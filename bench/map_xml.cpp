// The XML archive reader and writer against a bare pugixml parse of the same bytes.
//
// The map is shaped like a master data record: about a thousand fields of 4 to 160 bytes, a few
// nested records two levels deep. The floor is BM_BarePugixmlParse; the ratio counter on
// BM_ReadMaps is its processor time over the floor's, measured in the same run. BM_LoadOnly and
// BM_WalkOnly split the reader into its parse and its map building.
#include "mdf/map_xml.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <pugixml.hpp>
#include <string>

namespace {

std::string Name(const char* prefix, int i) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%s%d", prefix, i);
  return buffer;
}

ArchiverDataMap BuildRecordLikeMap() {
  ArchiverDataMap map;
  BYTE bytes[160];
  for (int i = 0; i < 160; ++i) bytes[i] = static_cast<BYTE>(i * 37 + 11);
  for (int i = 0; i < 1000; ++i) {
    const std::size_t size = (i % 10 == 0) ? 160 : (i % 3 == 0 ? 8 : 4);
    MapDataItem(map, Name("Field", i * 7919 % 1000).c_str(), bytes, size);
  }
  for (int r = 0; r < 12; ++r) {
    ArchiverDataMap& rec = qel::MapStructItem(map, Name("Record", r).c_str());
    for (int i = 0; i < 10; ++i) MapDataItem(rec, Name("m", i).c_str(), bytes, 8);
    ArchiverDataMap& inner = qel::MapStructItem(rec, "Inner");
    for (int i = 0; i < 5; ++i) MapDataItem(inner, Name("n", i).c_str(), bytes, 4);
  }
  return map;
}

const std::string& DocumentText() {
  static const std::string text = [] {
    CMapXml xml;
    return xml.MapToXml(BuildRecordLikeMap(), "MDF", 17.3f)->xml();
  }();
  return text;
}

// Processor time rather than wall time: the ratio must not depend on what else the machine runs.
double CpuNsSince(std::clock_t start) {
  return static_cast<double>(std::clock() - start) * 1e9 / CLOCKS_PER_SEC;
}

double g_floorNs = 0;

void BM_BarePugixmlParse(benchmark::State& state) {
  const std::string& text = DocumentText();
  const std::clock_t start = std::clock();
  for (auto _ : state) {
    pugi::xml_document doc;
    benchmark::DoNotOptimize(doc.load_buffer(text.data(), text.size()));
  }
  g_floorNs = CpuNsSince(start) / static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_BarePugixmlParse);

void BM_ReadMaps(benchmark::State& state) {
  const std::string& text = DocumentText();
  CMapXml xml;
  const std::clock_t start = std::clock();
  for (auto _ : state) {
    IXMLDOMDocument doc;
    doc.loadXML(std::string_view(text));
    auto list = xml.XmlToMap(&doc);
    benchmark::DoNotOptimize(list->size());
  }
  const double ns = CpuNsSince(start) / static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  if (g_floorNs > 0) state.counters["x_bare_parse"] = ns / g_floorNs;
}
BENCHMARK(BM_ReadMaps);

void BM_WriteMaps(benchmark::State& state) {
  const ArchiverDataMap map = BuildRecordLikeMap();
  CMapXml xml;
  for (auto _ : state) {
    std::string text = xml.MapToXml(map, "MDF", 17.3f)->xml();
    benchmark::DoNotOptimize(text.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * DocumentText().size()));
}
BENCHMARK(BM_WriteMaps);

void BM_LoadOnly(benchmark::State& state) {
  const std::string& text = DocumentText();
  for (auto _ : state) {
    IXMLDOMDocument doc;
    benchmark::DoNotOptimize(doc.loadXML(std::string_view(text)));
  }
}
BENCHMARK(BM_LoadOnly);
void BM_WalkOnly(benchmark::State& state) {
  const std::string& text = DocumentText();
  IXMLDOMDocument doc;
  doc.loadXML(std::string_view(text));
  CMapXml xml;
  for (auto _ : state) {
    auto list = xml.XmlToMap(&doc);
    benchmark::DoNotOptimize(list->size());
  }
}
BENCHMARK(BM_WalkOnly);
}  // namespace
