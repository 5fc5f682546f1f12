// The master data archive road for one full SMDF: map + XML text on the way out, parse + unmap
// on the way in, measured beside a bare pugixml parse of the same document bytes (the floor:
// the reader cannot be faster than parsing the text once).
//
// "parse + unmap" is qel::UnMapXmlToSMDF, the direct walk from the parsed document into the
// record; "parse + maps + unmap" is the road through archive maps (XmlToMap, then UnMapSMDF),
// kept for comparison. BM_ParseUnmapOverBareParse alternates all three in the same iterations and
// reports ratio = (parse + unmap) / bare parse and ratio_maps = (parse + maps + unmap) / bare
// parse. The goal is a ratio within 2. BM_UnmapOnly shows the share of the record's own unmap in
// the map road.
#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <pugixml.hpp>
#include <string>

#include "mdf/map_xml.h"
#include "mdf/smdf.h"
#include "mdf/smdf_xml.h"

namespace {

SMDF FullRecord() {
  SMDF r;
  auto* p = reinterpret_cast<unsigned char*>(&r);
  for (std::size_t i = 0; i < sizeof r; ++i) p[i] = static_cast<unsigned char>((i * 13 + 5) % 256);
  return r;
}

const SMDF& Record() {
  static const SMDF rec = FullRecord();
  return rec;
}

std::string WriteDocument(const SMDF& rec) {
  ArchiverDataMap map;
  MapSMDF(rec, map);
  CMapXml xml;
  IXMLDOMDocument* doc = xml.MapToXml(map, "MDF", 17.3f);
  return doc != nullptr ? doc->xml() : std::string();
}

const std::string& Document() {
  static const std::string text = WriteDocument(Record());
  return text;
}

// Parses the text and unmaps it straight into `out`; false if the document was not an archive.
bool ParseAndUnmapDirect(const std::string& text, SMDF& out) {
  return qel::UnMapXmlToSMDF(text.data(), text.size(), out) == qel::SmdfXmlStatus::kOk;
}

// The same through archive maps; false if the document was not an archive.
bool ParseAndUnmap(const std::string& text, SMDF& out) {
  IXMLDOMDocument doc;
  if (!doc.loadXML(text)) return false;
  CMapXml xml;
  auto list = xml.XmlToMap(&doc);
  if (list->size() != 1) return false;
  const ArchiverDataItem* mdf = qel::FindDataItem((*list)[0], "MDF");
  if (mdf == nullptr) return false;
  UnMapSMDF(mdf->m_mapChildren, out);
  return true;
}

bool BareParse(const std::string& text) {
  pugi::xml_document doc;
  return static_cast<bool>(doc.load_buffer(text.data(), text.size()));
}

void BM_MapAndWrite(benchmark::State& state) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string text = WriteDocument(Record());
    bytes += text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  state.counters["doc_bytes"] = static_cast<double>(Document().size());
}
BENCHMARK(BM_MapAndWrite);

void BM_BarePugixmlParse(benchmark::State& state) {
  const std::string& text = Document();
  for (auto _ : state) benchmark::DoNotOptimize(BareParse(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_BarePugixmlParse);

void BM_ParseAndUnmap(benchmark::State& state) {
  const std::string& text = Document();
  SMDF out;
  std::memset(&out, 0, sizeof out);
  for (auto _ : state) {
    if (!ParseAndUnmap(text, out)) state.SkipWithError("document did not read back");
    benchmark::DoNotOptimize(&out);
  }
  if (std::memcmp(out.ModelID, Record().ModelID, sizeof out.ModelID) != 0)
    state.SkipWithError("record did not come back");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseAndUnmap);

// The archive reader's parse alone (a copy of the text, the parse and the document checks): the
// part of "parse + unmap" that is not the walk.
void BM_LoadOnly(benchmark::State& state) {
  const std::string& text = Document();
  for (auto _ : state) {
    IXMLDOMDocument doc;
    benchmark::DoNotOptimize(doc.loadXML(text));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_LoadOnly);

void BM_ParseAndUnmapDirect(benchmark::State& state) {
  const std::string& text = Document();
  SMDF out;
  std::memset(&out, 0, sizeof out);
  for (auto _ : state) {
    if (!ParseAndUnmapDirect(text, out)) state.SkipWithError("document did not read back");
    benchmark::DoNotOptimize(&out);
  }
  if (std::memcmp(out.ModelID, Record().ModelID, sizeof out.ModelID) != 0)
    state.SkipWithError("record did not come back");
  // The direct walk must not have handed the document to the maps.
  SMDF probe;
  if (qel::UnMapXmlToSMDFDirect(text.data(), text.size(), probe) != qel::SmdfXmlStatus::kOk)
    state.SkipWithError("the writer's document did not take the direct walk");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseAndUnmapDirect);

// Unmap alone, from a map already read back from the document: the share of the reader that is
// the record's own.
void BM_UnmapOnly(benchmark::State& state) {
  IXMLDOMDocument doc;
  if (!doc.loadXML(Document())) {
    state.SkipWithError("document did not parse");
    return;
  }
  CMapXml xml;
  auto list = xml.XmlToMap(&doc);
  const ArchiverDataItem* mdf = list->size() == 1 ? qel::FindDataItem((*list)[0], "MDF") : nullptr;
  if (mdf == nullptr) {
    state.SkipWithError("no MDF item");
    return;
  }
  SMDF out;
  std::memset(&out, 0, sizeof out);
  for (auto _ : state) {
    UnMapSMDF(mdf->m_mapChildren, out);
    benchmark::DoNotOptimize(&out);
  }
}
BENCHMARK(BM_UnmapOnly);

// Processor time (std::clock) rather than wall time: the two halves interleave in one loop, and
// on a shared machine wall time would mostly measure the neighbours.
void BM_ParseUnmapOverBareParse(benchmark::State& state) {
  const std::string& text = Document();
  SMDF out;
  std::memset(&out, 0, sizeof out);
  std::clock_t direct = 0, maps = 0, bare = 0;
  for (auto _ : state) {
    const std::clock_t t0 = std::clock();
    for (int i = 0; i < 8; ++i) benchmark::DoNotOptimize(BareParse(text));
    const std::clock_t t1 = std::clock();
    for (int i = 0; i < 8; ++i) benchmark::DoNotOptimize(ParseAndUnmapDirect(text, out));
    const std::clock_t t2 = std::clock();
    for (int i = 0; i < 8; ++i) benchmark::DoNotOptimize(ParseAndUnmap(text, out));
    const std::clock_t t3 = std::clock();
    bare += t1 - t0;
    direct += t2 - t1;
    maps += t3 - t2;
  }
  const auto over = [&](std::clock_t t) {
    return bare > 0 ? static_cast<double>(t) / static_cast<double>(bare) : 0.0;
  };
  state.counters["ratio"] = over(direct);
  state.counters["ratio_maps"] = over(maps);
}
BENCHMARK(BM_ParseUnmapOverBareParse);

}  // namespace
