// Point-in-polygon and segment-crossing costs, and how they grow with the vertex count.
//
// IsPointInPolygon2 (one pass of the even-odd rule, no tolerance) is the floor: it touches each
// edge once with a handful of flops. IsPointInPolygon sorts the vertex directions to choose its
// ray and relates the ray to every edge with the tolerant segment functions, so its ratio to the
// floor is the price of tolerance and vertex handling.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "geom/polygon_tests.h"
#include "geom/primitives.h"

namespace {

// A simple star-shaped polygon with n vertices around the origin, radius 50..100.
std::vector<_POINT2D> StarPolygon(int n) {
  std::mt19937 rng(1234);
  std::uniform_real_distribution<double> r(50, 100);
  std::vector<_POINT2D> pts(n);
  for (int i = 0; i < n; ++i) {
    const double a = 2 * M_PI * i / n;
    const double rad = r(rng);
    pts[i] = {rad * std::cos(a), rad * std::sin(a)};
  }
  return pts;
}

std::vector<_POINT2D> QueryPoints() {
  std::mt19937 rng(99);
  std::uniform_real_distribution<double> c(-110, 110);
  std::vector<_POINT2D> q(256);
  for (auto& p : q) p = {c(rng), c(rng)};
  return q;
}

void BM_IsPointInPolygon(benchmark::State& state) {
  const auto poly = StarPolygon(static_cast<int>(state.range(0)));
  const auto queries = QueryPoints();
  size_t i = 0;
  int edge = 0;
  for (auto _ : state) {
    const _POINT2D& p = queries[i++ & 255];
    benchmark::DoNotOptimize(
        IsPointInPolygon(static_cast<int>(poly.size()), poly.data(), &p, 0.001, &edge));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_IsPointInPolygon)->Arg(10)->Arg(100)->Arg(10000)->Complexity();

void BM_IsPointInPolygon2(benchmark::State& state) {
  const auto poly = StarPolygon(static_cast<int>(state.range(0)));
  const auto queries = QueryPoints();
  size_t i = 0;
  for (auto _ : state) {
    const _POINT2D& p = queries[i++ & 255];
    benchmark::DoNotOptimize(IsPointInPolygon2(static_cast<int>(poly.size()), poly.data(), &p));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_IsPointInPolygon2)->Arg(10)->Arg(100)->Arg(10000)->Complexity();

void BM_DoSgmtsCross(benchmark::State& state) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> c(-100, 100);
  std::vector<_LINE2D> segs(512);
  for (auto& s : segs) s = {{c(rng), c(rng)}, {c(rng), c(rng)}};
  size_t i = 0;
  _POINT2D out;
  for (auto _ : state) {
    const _LINE2D& a = segs[i & 511];
    const _LINE2D& b = segs[(i * 7 + 3) & 511];
    ++i;
    benchmark::DoNotOptimize(DoSgmtsCross(&a, &b, 0.001, 0, &out));
  }
}
BENCHMARK(BM_DoSgmtsCross);

}  // namespace
