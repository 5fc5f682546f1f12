// Time per intersection of two polygons for each engine, at 4, 32 and 256 vertices per polygon,
// beside the clipping library called directly on the same input (already in its integer form):
// the floor for the clipping wrapper's overhead.
#include <benchmark/benchmark.h>

#include <clipper.hpp>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "geom/polygon_booleans.h"
#include "geom/polygon_lib.h"

namespace {

// Two overlapping star-shaped polygons of n vertices (concave, radii 8..12), fixed per size.
struct Pair {
  std::vector<_POINT2D> a, b;
};

Pair MakePair(int n) {
  std::mt19937 rng(1000 + n);
  std::uniform_real_distribution<double> jitter(0.0, 0.4), radius(8.0, 12.0);
  Pair p;
  for (int i = 0; i < n; ++i) {
    double t = 2 * M_PI * (i + jitter(rng)) / n;
    double r = radius(rng);
    p.a.push_back({r * std::cos(t), r * std::sin(t)});
    t = 2 * M_PI * (i + jitter(rng)) / n;
    r = radius(rng);
    p.b.push_back({6 + r * std::cos(t), 3 + r * std::sin(t)});
  }
  return p;
}

void BM_VertexLinking(benchmark::State& state) {
  Pair p = MakePair(static_cast<int>(state.range(0)));
  SetPolygonWarnMode(qel::geom::kWarnSilent);
  int n = static_cast<int>(p.a.size());
  long failures = 0;
  for (auto _ : state) {
    IntPolygonsInfo info;
    int total = 0, relation = 0;
    bool failed = false;
    _POINT2D* r = qel::geom::VertexLinkIntersect(p.a.data(), n, p.b.data(), n, &info, &total,
                                                 &relation, &failed);
    failures += failed;
    benchmark::DoNotOptimize(r);
    std::free(r);
  }
  state.counters["failed"] = static_cast<double>(failures);
}

void BM_ClipperWrapper(benchmark::State& state) {
  Pair p = MakePair(static_cast<int>(state.range(0)));
  int n = static_cast<int>(p.a.size());
  for (auto _ : state) {
    IntPolygonsInfo info;
    int total = 0, relation = 0;
    _POINT2D* r = PolygonsIntersectClipper(p.a.data(), n, p.b.data(), n, &info, &total, &relation);
    benchmark::DoNotOptimize(r);
    std::free(r);
  }
}

void BM_Tessellation(benchmark::State& state) {
  Pair p = MakePair(static_cast<int>(state.range(0)));
  int n = static_cast<int>(p.a.size());
  for (auto _ : state) {
    IntPolygonsInfo info;
    int total = 0, relation = 0;
    _POINT2D* r = PolygonsIntersectGLU(p.a.data(), n, p.b.data(), n, &info, &total, &relation);
    benchmark::DoNotOptimize(r);
    std::free(r);
  }
}

// The floor: the clipping library alone, on integer paths prepared outside the loop.
void BM_ClipperDirect(benchmark::State& state) {
  Pair p = MakePair(static_cast<int>(state.range(0)));
  ClipperLib::Path a, b;
  for (const auto& q : p.a)
    a.emplace_back(std::llround(q.x * qel::geom::kClipperScale),
                   std::llround(q.y * qel::geom::kClipperScale));
  for (const auto& q : p.b)
    b.emplace_back(std::llround(q.x * qel::geom::kClipperScale),
                   std::llround(q.y * qel::geom::kClipperScale));
  for (auto _ : state) {
    ClipperLib::Clipper c;
    c.AddPath(a, ClipperLib::ptSubject, true);
    c.AddPath(b, ClipperLib::ptClip, true);
    ClipperLib::Paths solution;
    c.Execute(ClipperLib::ctIntersection, solution, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
    benchmark::DoNotOptimize(solution.data());
  }
}

}  // namespace

BENCHMARK(BM_ClipperDirect)->Arg(4)->Arg(32)->Arg(256);
BENCHMARK(BM_ClipperWrapper)->Arg(4)->Arg(32)->Arg(256);
BENCHMARK(BM_VertexLinking)->Arg(4)->Arg(32)->Arg(256);
BENCHMARK(BM_Tessellation)->Arg(4)->Arg(32)->Arg(256);
