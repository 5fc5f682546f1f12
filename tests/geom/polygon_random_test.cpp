// The three intersection engines against each other on seeded random simple polygons. Hostile
// inputs (degenerate, self-intersecting, infinite, beyond range): fuzz/polygons.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "geom/polygon_booleans.h"
#include "geom/polygon_lib.h"
#include "geom_test_util.h"

namespace {

using namespace geomtest;

// A simple polygon around (cx, cy): jittered angles, each within its own slice of the circle
// (so no gap reaches half a turn and the centre stays inside), with random radii give a
// star-shaped, generally concave polygon; equal radii a convex one. Counter-clockwise.
std::vector<P> RandomPolygon(std::mt19937& rng, int n, bool convex, double cx, double cy) {
  std::uniform_real_distribution<double> jitter(0.0, 0.4), radius(4.0, 20.0);
  double r0 = radius(rng);
  std::vector<P> out;
  for (int i = 0; i < n; ++i) {
    double a = 2 * M_PI * (i + jitter(rng)) / n;
    double r = convex ? r0 : radius(rng);
    out.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return out;
}

double Perimeter(const std::vector<P>& p) {
  double s = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const P& q = p[(i + 1) % p.size()];
    s += std::hypot(q.x - p[i].x, q.y - p[i].y);
  }
  return s;
}

// Every result vertex and edge midpoint lies inside or on both inputs (within `tol`).
bool InsideBoth(const P* pts, const IntPolygonsInfo& info, const std::vector<P>& a,
                const std::vector<P>& b, double tol) {
  for (int k = 0; pts && k < info.nPolygons; ++k) {
    const P* p = pts + info.iStart[k];
    int n = info.nPoints[k];
    for (int i = 0; i < n; ++i) {
      P m{(p[i].x + p[(i + 1) % n].x) / 2, (p[i].y + p[(i + 1) % n].y) / 2};
      for (const P* q : {&p[i], static_cast<const P*>(&m)}) {
        int ra = PGPointInPolygon(q, a.data(), static_cast<int>(a.size()), tol);
        int rb = PGPointInPolygon(q, b.data(), static_cast<int>(b.size()), tol);
        if ((ra != 1 && ra != 2) || (rb != 1 && rb != 2)) return false;
      }
    }
  }
  return true;
}

TEST(PolygonEnginesDifferential, RandomSimplePolygonsAgreeOnArea) {
  const int saved = GetPolygonWarnMode();
  SetPolygonWarnMode(qel::geom::kWarnSilent);
  std::mt19937 rng(20261205);
  std::uniform_real_distribution<double> offset(-15.0, 15.0);
  const int sizes[] = {3, 4, 6, 10, 24, 48};
  int cases = 0, compared = 0, ownFailed = 0, glu = 0;
  for (int round = 0; round < 400; ++round) {
    int nA = sizes[round % 6], nB = sizes[(round / 6) % 6];
    bool convexA = round % 3 == 0, convexB = round % 5 == 0;
    auto a = RandomPolygon(rng, nA, convexA, 0, 0);
    auto b = RandomPolygon(rng, nB, convexB, offset(rng), offset(rng));
    if (round % 2) std::reverse(b.begin(), b.end());  // both windings on input
    ++cases;
    SCOPED_TRACE(::testing::Message() << "round " << round);

    IntPolygonsInfo ci, oi, gi;
    int ct = 0, cr = 0, cf = 0, ot = 0, orl = 0, gt = 0, gr = 0;
    bool of = false;
    P* c = PolygonsIntersectClipper_Error(a.data(), nA, b.data(), nB, &ci, &ct, &cr, &cf);
    P* o = qel::geom::VertexLinkIntersect(a.data(), nA, b.data(), nB, &oi, &ot, &orl, &of);
    P* g = PolygonsIntersectGLU(a.data(), nA, b.data(), nB, &gi, &gt, &gr);
    ASSERT_EQ(cf, 0);
    double ca = ResultArea(c, ci);
    // Rounding to the clipper's 1e-4 grid moves each vertex by under 1e-4, so its area can be off
    // by about that times the perimeters.
    double perim = Perimeter(a) + Perimeter(b);
    EXPECT_LE(ca,
              std::min(std::fabs(MeasureArea(a.data(), nA)), std::fabs(MeasureArea(b.data(), nB))) +
                  1e-4 * perim);
    EXPECT_TRUE(InsideBoth(c, ci, a, b, 0.001));

    if (of) {
      ++ownFailed;
    } else {
      ++compared;
      double d = std::fabs(ResultArea(o, oi) - ca);
      EXPECT_LE(d, 1e-4 * perim) << "own " << ResultArea(o, oi) << " clipper " << ca;
      EXPECT_TRUE(InsideBoth(o, oi, a, b, 0.001));
      // The clipper recognises an input only when it runs the same way as its output
      // (counter-clockwise), so containment is compared for unreversed inputs.
      if ((orl == 3 || orl == 4) && round % 2 == 0) {
        EXPECT_TRUE(cr == orl || cr == 5) << cr << " vs " << orl;
      }
    }
    if (ci.nPolygons < 10 && (g || ca < 1e-3 * perim)) {
      ++glu;
      double d = std::fabs(ResultArea(g, gi) - ca);
      EXPECT_LE(d, 1e-4 * perim) << "glu " << ResultArea(g, gi) << " clipper " << ca;
      EXPECT_TRUE(InsideBoth(g, gi, a, b, 0.001));
    }
    std::free(c);
    std::free(o);
    std::free(g);
  }
  // The comparison must not be vacuous: most cases are compared.
  EXPECT_GE(compared, cases * 8 / 10) << "vertex-linking engine failed " << ownFailed << " times";
  EXPECT_GE(glu, cases * 8 / 10);
  SetPolygonWarnMode(saved);
}

TEST(PolygonEnginesDifferential, ThreadsIntersectAtOnce) {
  // Each thread has its own pool and mode: two threads running the vertex-linking engine over the
  // same inputs get the same areas as one thread alone.
  std::mt19937 rng(7);
  std::vector<std::vector<P>> as, bs;
  for (int i = 0; i < 40; ++i) {
    as.push_back(RandomPolygon(rng, 12, false, 0, 0));
    bs.push_back(RandomPolygon(rng, 9, i % 2, 3, -2));
  }
  auto run = [&](std::vector<double>& areas) {
    SetPolygonWarnMode(qel::geom::kWarnSilent);
    for (size_t i = 0; i < as.size(); ++i) {
      IntPolygonsInfo info;
      int t = 0, r = 0;
      bool f = false;
      P* o = qel::geom::VertexLinkIntersect(as[i].data(), 12, bs[i].data(), 9, &info, &t, &r, &f);
      areas.push_back(f ? -1.0 : ResultArea(o, info));
      std::free(o);
    }
  };
  std::vector<double> alone, first, second;
  run(alone);
  std::thread t1([&] { run(first); });
  std::thread t2([&] { run(second); });
  t1.join();
  t2.join();
  EXPECT_EQ(first, alone);
  EXPECT_EQ(second, alone);
}

}  // namespace
