// One function per shape, each reading top to bottom like a hand calculation: the numbers of the
// line, the defaults, then each property from the plates. Notation follows the steel manuals:
// d depth, tw web, bf/tf flange width/thickness, h = d - tf top - tf bottom the clear web,
// y-bar measured from the bottom fibre, PNA the plastic neutral axis (the line halving the area).
#include "tables/section_properties.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iterator>

namespace qel {
namespace {

// ---------------------------------------------------------------------------------------------
// Reading the numbers.

constexpr float kNotGiven = 0.001f;
// Most numbers count as not given below 0.001 ...
bool Missing(float v) { return v < kNotGiven; }
// ... a few also at exactly 0.001.
bool MissingOrMin(float v) { return v <= kNotGiven; }

float Pick(float given, float computed) { return Missing(given) ? computed : given; }
float PickOrMin(float given, float computed) { return MissingOrMin(given) ? computed : given; }

// Metric input: mm, cm^2, cm^3, cm^4, cm^6 per inch-pound unit.
enum Unit : unsigned char { L, A2, S3, I4, C6 };
constexpr float kPerInchPound[] = {25.4f, 6.4515996f, 16.387062f, 41.62314f, 268.53583f};

template <std::size_t N>
void ToInchPound(SectionRow& row, const Unit (&units)[N]) {
  static_assert(N <= kMaxSectionValues);
  for (std::size_t i = 0; i < N; ++i) row.v[i] /= kPerInchPound[units[i]];
}

constexpr float kPi = 3.1415927f;
constexpr float kFiveSixths = 5.0f / 6.0f;

float Cube(float x) { return x * x * x; }
float Square(float x) { return x * x; }

// ---------------------------------------------------------------------------------------------
// Plastic moduli of shapes built from rectangles.

// A rectangle spanning [lo, hi] along the axis of interest, `width` across it.
struct Strip {
  float lo, hi, width;
};

// Sum of |area x lever arm| about the line at `axis`: the plastic modulus when the line halves
// the area.
float PlasticModulus(std::initializer_list<Strip> strips, float axis) {
  float z = 0;
  for (const Strip& s : strips) {
    // c: the axis, or the strip's edge nearer to it when the axis lies outside the strip.
    const float c = std::min(std::max(axis, s.lo), s.hi);
    const float below = c - s.lo, above = s.hi - c;
    // The parts on each side taken about c, then the whole strip carried from c to the axis.
    z += s.width * (below * below + above * above) / 2 +
         s.width * (s.hi - s.lo) * std::fabs(axis - c);
  }
  return z;
}

// Where the area measured from the low end reaches `half` (strips may overlap along the axis);
// the far end when the strips hold less. Not a number when a strip's ends are not finite.
float HalvingLine(std::initializer_list<Strip> strips, float half) {
  float ends[8];
  int n = 0;
  for (const Strip& s : strips) {
    if (n + 2 > 8 || !std::isfinite(s.lo) || !std::isfinite(s.hi)) return NAN;
    ends[n++] = s.lo;
    ends[n++] = s.hi;
  }
  std::sort(ends, ends + n);
  float area = 0;  // area below ends[i]
  for (int i = 0; i + 1 < n; ++i) {
    float rate = 0;  // width of the section between ends[i] and ends[i + 1]
    for (const Strip& s : strips)
      if (s.lo <= ends[i] && s.hi >= ends[i + 1]) rate += s.width;
    const float next = area + rate * (ends[i + 1] - ends[i]);
    if (next >= half && rate > 0) return ends[i] + (half - area) / rate;
    area = next;
  }
  return n ? ends[n - 1] : 0;
}

// ---------------------------------------------------------------------------------------------
// I-shapes and channels: two flanges and a web, as flat plates.

struct FlangedPlates {
  float d, tw, bfTop, tfTop, bfBot, tfBot;

  float h() const { return d - tfTop - tfBot; }
  bool Symmetric() const {
    return std::fabs(bfTop - bfBot) < 0.01f && std::fabs(tfTop - tfBot) < 0.01f;
  }
  float Area() const { return bfTop * tfTop + bfBot * tfBot + h() * tw; }
  // Centroid above the bottom fibre, by first moments of the three plates.
  float YBar(float A) const {
    if (Symmetric()) return d / 2;
    return (bfBot * tfBot * tfBot / 2 + bfTop * tfTop * (d - tfTop / 2) +
            h() * tw * (tfBot + h() / 2)) /
           A;
  }
  // Strong-axis second moment about the centroid: own moments plus parallel axes.
  float Ix(float yBar) const {
    return bfTop * Cube(tfTop) / 12 + bfTop * tfTop * Square(d - tfTop / 2 - yBar) +
           bfBot * Cube(tfBot) / 12 + bfBot * tfBot * Square(tfBot / 2 - yBar) +
           tw * Cube(h()) / 12 + h() * tw * Square(tfBot + h() / 2 - yBar);
  }
  // PNA height: in the bottom flange, in the top flange, else in the web.
  float PlasticAxis(float A) const {
    if (Symmetric()) return d / 2;
    if (bfBot * tfBot >= A / 2) return (A / 2) / bfBot;
    if (bfTop * tfTop >= A / 2) return d - (A / 2) / bfTop;
    return tfBot + (A / 2 - bfBot * tfBot) / tw;
  }
  // The plate dimensions as the table keeps them, with the fillet depths of both flanges.
  void StoreDimensions(float kdesTop, float kdesBot, _MASTERTABLE& m) const {
    m.fDepth = d;
    m.fTw = tw;
    m.fBfTop = bfTop;
    m.fTfTop = tfTop;
    m.fBfBot = bfBot;
    m.fTfBot = tfBot;
    m.fKdesTop = kdesTop;
    m.fKdesBot = kdesBot;
  }
  float Zx(float A) const {
    return PlasticModulus({{0, tfBot, bfBot}, {tfBot, d - tfTop, tw}, {d - tfTop, d, bfTop}},
                          PlasticAxis(A));
  }
  float FlangeArea() const { return bfTop * tfTop + bfBot * tfBot; }
};

// ---------------------------------------------------------------------------------------------
// I-shape ('W').

namespace ishape {
// clang-format off
enum : int {
    d, tw, bfTop, tfTop, bfBot, tfBot, kdesTop, kdesBot, A, Ix, SxTop, SxBot, Zx, Iy, Sy, Zy, J,
    Cw, rTTop, rTBot, Aweb, dDet, twDet, bfDetTop, bfDetBot, tfDetTop, tfDetBot, kDetTop,
    kDetBot, k1Top, k1Bot, T, count
};
// Units of the numbers of a metric line.
constexpr Unit kUnits[] = {
    L, L, L, L, L, L, L, L, A2, I4, S3, S3, S3, I4, S3, S3, I4, C6, L, L, A2, L, L, L, L, L, L,
    L, L, L, L, L
};
// clang-format on
static_assert(std::size(kUnits) == count);
}  // namespace ishape

// rT: radius of gyration about the web axis of one flange plus a third of the compression web
// (hc the web height from the centroid to that flange).
float RadiusOfGyrationT(float tw, float hc, float bf, float tf) {
  return std::sqrt((Cube(tw) * hc / 3 / 12 + tf * Cube(bf) / 12) / (hc / 3 * tw + tf * bf));
}

void CompleteIShape(SectionRow& row, bool metric, _MASTERTABLE& m) {
  using namespace ishape;
  float* v = row.v;
  if (Missing(v[bfBot])) v[bfBot] = v[bfTop];
  if (Missing(v[tfBot])) v[tfBot] = v[tfTop];
  const bool kdesTopGiven = !Missing(v[kdesTop]);
  if (!kdesTopGiven) v[kdesTop] = v[tfTop];
  if (Missing(v[kdesBot])) v[kdesBot] = kdesTopGiven ? v[kdesTop] : v[tfBot];
  if (MissingOrMin(v[SxBot])) v[SxBot] = v[SxTop];
  // Detailing: a missing bottom value takes the top one; a missing pair the design values.
  const int pairs[][2] = {
      {bfDetTop, bfDetBot}, {tfDetTop, tfDetBot}, {kDetTop, kDetBot}, {k1Top, k1Bot}};
  for (const auto& p : pairs)
    if (Missing(v[p[1]]) && !Missing(v[p[0]])) v[p[1]] = v[p[0]];
  if (MissingOrMin(v[dDet])) v[dDet] = v[d];
  if (MissingOrMin(v[twDet])) v[twDet] = v[tw];
  const int fromDesign[][4] = {{bfDetTop, bfDetBot, bfTop, bfBot},
                               {tfDetTop, tfDetBot, tfTop, tfBot},
                               {kDetTop, kDetBot, kdesTop, kdesBot}};
  for (const auto& p : fromDesign)
    if (Missing(v[p[0]]) && Missing(v[p[1]])) {
      v[p[0]] = v[p[2]];
      v[p[1]] = v[p[3]];
    }
  if (metric) ToInchPound(row, kUnits);

  const FlangedPlates p{v[d], v[tw], v[bfTop], v[tfTop], v[bfBot], v[tfBot]};
  const float area = PickOrMin(v[A], p.Area());
  const float yBar = p.YBar(area);
  const float ix = PickOrMin(v[Ix], p.Ix(yBar));
  const float iy = PickOrMin(
      v[Iy], (v[tfBot] * Cube(v[bfBot]) + v[tfTop] * Cube(v[bfTop]) + p.h() * Cube(v[tw])) / 12);
  const float ho = v[d] - v[tfTop] / 2 - v[tfBot] / 2;  // distance between flange centroids
  const bool equalFlanges =
      std::fabs(v[tfTop] - v[tfBot]) < 0.001f && std::fabs(v[bfTop] - v[bfBot]) < 0.001f;
  const float cw = equalFlanges ? Square(ho) * iy / 4
                                : (v[tfTop] + v[tfBot]) * Square(ho) * Cube(v[bfTop]) *
                                      Cube(v[bfBot]) / (Cube(v[bfTop]) + Cube(v[bfBot])) / 24;

  p.StoreDimensions(v[kdesTop], v[kdesBot], m);
  m.fArea = area;
  m.fYBar = yBar;
  m.fIx = ix;
  m.fSxTop = PickOrMin(v[SxTop], ix / (v[d] - yBar));
  m.fSxBot = PickOrMin(v[SxBot], ix / yBar);
  m.fZx = Pick(v[Zx], p.Zx(area));
  m.fRtTop =
      PickOrMin(v[rTTop], RadiusOfGyrationT(v[tw], v[d] - yBar - v[tfTop], v[bfTop], v[tfTop]));
  m.fRtBot = PickOrMin(v[rTBot], RadiusOfGyrationT(v[tw], yBar - v[tfBot], v[bfBot], v[tfBot]));
  m.fIy = iy;
  m.fSy = Pick(v[Sy], 2 * iy / std::max(v[bfTop], v[bfBot]));
  m.fZy =
      Pick(v[Zy],
           (Square(v[bfBot]) * v[tfBot] + Square(v[bfTop]) * v[tfTop] + Square(v[tw]) * p.h()) / 4);
  m.fJ = Pick(v[J], (v[bfBot] * Cube(v[tfBot]) + v[bfTop] * Cube(v[tfTop]) + ho * Cube(v[tw])) / 3);
  m.fCw = Pick(v[Cw], cw);
  m.fAvWeb = Pick(v[Aweb], v[d] * v[tw]);
  m.fAvFlange = kFiveSixths * p.FlangeArea();

  m.fDdet = v[dDet];
  m.fTwDet = v[twDet];
  m.fBfDetTop = v[bfDetTop];
  m.fBfDetBot = v[bfDetBot];
  m.fTfDetTop = v[tfDetTop];
  m.fTfDetBot = v[tfDetBot];
  m.fKdetTop = v[kDetTop];
  m.fKdetBot = v[kDetBot];
  if (Missing(v[k1Top]) && Missing(v[k1Bot])) {
    v[k1Top] = v[kDetTop] - v[tfDetTop] + v[tw] / 2;
    v[k1Bot] = v[kDetBot] - v[tfDetBot] + v[tw] / 2;
  }
  m.fK1Top = v[k1Top];
  m.fK1Bot = v[k1Bot];
  m.fT = Pick(v[T], v[dDet] - v[kDetTop] - v[kDetBot]);
}

// ---------------------------------------------------------------------------------------------
// Channel ('C'): the strong axis as the I-shape; the weak axis from the back of the web.

namespace channel {
// clang-format off
enum : int {
    d, tw, bfTop, tfTop, bfBot, tfBot, kdesTop, kdesBot, A, Ix, SxTop, SxBot, Zx, Iy, Sy, Zy, J,
    Cw, xBar, extra, count
};
// Units of the numbers of a metric line.
constexpr Unit kUnits[] = {
    L, L, L, L, L, L, L, L, A2, I4, S3, S3, S3, I4, S3, S3, I4, C6, L, L
};
// clang-format on
static_assert(std::size(kUnits) == count);
}  // namespace channel

void CompleteChannel(SectionRow& row, bool metric, _MASTERTABLE& m) {
  using namespace channel;
  float* v = row.v;
  if (Missing(v[bfBot])) v[bfBot] = v[bfTop];
  if (Missing(v[tfBot])) v[tfBot] = v[tfTop];
  const bool kdesTopGiven = !Missing(v[kdesTop]);
  if (!kdesTopGiven) v[kdesTop] = v[tfTop];
  if (Missing(v[kdesBot])) v[kdesBot] = kdesTopGiven ? v[kdesTop] : v[tfBot];
  if (Missing(v[SxBot])) v[SxBot] = v[SxTop];
  if (metric) ToInchPound(row, kUnits);

  const FlangedPlates p{v[d], v[tw], v[bfTop], v[tfTop], v[bfBot], v[tfBot]};
  const float h = p.h();
  const float area = Pick(v[A], p.Area());
  const float yBar = p.YBar(area);
  const float ix = Pick(v[Ix], p.Ix(yBar));
  // Weak axis, x measured from the back of the web; each flange spans the full width bf.
  const float x = Pick(
      v[xBar],
      (v[tfBot] * Square(v[bfBot]) + v[tfTop] * Square(v[bfTop]) + h * Square(v[tw])) / 2 / area);
  const float iy = Pick(
      v[Iy], v[tfTop] * Cube(v[bfTop]) / 12 + v[bfTop] * v[tfTop] * Square(v[bfTop] / 2 - x) +
                 v[tfBot] * Cube(v[bfBot]) / 12 + v[bfBot] * v[tfBot] * Square(v[bfBot] / 2 - x) +
                 h * Cube(v[tw]) / 12 + h * v[tw] * Square(v[tw] / 2 - x));
  const std::initializer_list<Strip> alongX = {
      {0, v[tw], h}, {0, v[bfTop], v[tfTop]}, {0, v[bfBot], v[tfBot]}};
  float cw = 0.001f;
  if (p.Symmetric()) {
    const float b = v[bfTop] - v[tw] / 2;  // flange width to the web's mid-plane
    const float hp = v[d] - v[tfTop];      // distance between flange mid-planes
    const float tf = v[tfTop];
    cw = Cube(b) * tf * Square(hp) * (3 * b * tf + 2 * hp * v[tw]) / (6 * b * tf + hp * v[tw]) / 12;
  }

  p.StoreDimensions(v[kdesTop], v[kdesBot], m);
  m.fArea = area;
  m.fYBar = yBar;
  m.fIx = ix;
  m.fSxTop = Pick(v[SxTop], ix / (v[d] - yBar));
  m.fSxBot = Pick(v[SxBot], ix / yBar);
  m.fZx = Pick(v[Zx], p.Zx(area));
  m.fXBar = x;
  m.fIy = iy;
  m.fSy = Pick(v[Sy], iy / (std::max(v[bfTop], v[bfBot]) - x));
  m.fZy = Pick(v[Zy], PlasticModulus(alongX, HalvingLine(alongX, area / 2)));
  m.fJ = Pick(v[J],
              (Cube(v[tfTop]) * (v[bfTop] - v[tw] / 2) + Cube(v[tfBot]) * (v[bfBot] - v[tw] / 2) +
               Cube(v[tw]) * (v[d] - (v[tfTop] + v[tfBot]) / 2)) /
                  3);
  m.fCw = Pick(v[Cw], cw);
  m.fChanExtra = v[extra];
  m.fAvWeb = v[d] * v[tw];
  m.fAvFlange = kFiveSixths * p.FlangeArea();
}

// ---------------------------------------------------------------------------------------------
// Rectangular tube ('T'): outer H x B less the hole.

namespace tube {
// clang-format off
enum : int {
    H, tWeb, B, tFlange, A, Ix, Sx, Zx, Iy, Sy, Zy, J, count
};
// Units of the numbers of a metric line.
constexpr Unit kUnits[] = {
    L, L, L, L, A2, I4, S3, S3, I4, S3, S3, I4
};
// clang-format on
static_assert(std::size(kUnits) == count);
}  // namespace tube

void CompleteTube(SectionRow& row, bool metric, _MASTERTABLE& m) {
  using namespace tube;
  float* v = row.v;
  if (Missing(v[B])) v[B] = v[H];
  if (Missing(v[tFlange])) v[tFlange] = v[tWeb];
  if (metric) ToInchPound(row, kUnits);

  const float hi = v[H] - 2 * v[tFlange];  // inside height
  const float bi = v[B] - 2 * v[tWeb];     // inside width
  const float ix = Pick(v[Ix], (v[B] * Cube(v[H]) - bi * Cube(hi)) / 12);
  const float iy = Pick(v[Iy], (v[H] * Cube(v[B]) - hi * Cube(bi)) / 12);
  // Bredt's thin-walled torsion constant on the mid-line perimeter.
  const float bm = v[B] - v[tWeb], hm = v[H] - v[tFlange];

  m.fDepth = v[H];
  m.fTw = v[tWeb];
  m.fBfTop = m.fBfBot = v[B];
  m.fTfTop = m.fTfBot = v[tFlange];
  m.fArea = Pick(v[A], v[B] * v[H] - bi * hi);
  m.fIx = ix;
  m.fSxTop = m.fSxBot = Pick(v[Sx], 2 * ix / v[H]);
  m.fZx = Pick(v[Zx], (v[B] * Square(v[H]) - bi * Square(hi)) / 4);
  m.fIy = iy;
  m.fSy = Pick(v[Sy], 2 * iy / v[B]);
  m.fZy = Pick(v[Zy], (v[H] * Square(v[B]) - hi * Square(bi)) / 4);
  m.fJ = Pick(v[J], Square(bm) * Square(hm) * (v[tFlange] + v[tWeb]) / (hm + bm));
  m.fAvWeb = 2 * v[H] * v[tWeb];
  m.fAvFlange = 2 * v[B] * v[tFlange];
}

// ---------------------------------------------------------------------------------------------
// Pipe ('P'): annulus of outside diameter OD and wall t.

namespace pipe {
// clang-format off
enum : int {
    OD, t, A, I, S, Z, count
};
// Units of the numbers of a metric line.
constexpr Unit kUnits[] = {
    L, L, A2, I4, S3, S3
};
// clang-format on
static_assert(std::size(kUnits) == count);
}  // namespace pipe

void CompletePipe(SectionRow& row, bool metric, _MASTERTABLE& m) {
  using namespace pipe;
  float* v = row.v;
  if (metric) ToInchPound(row, kUnits);

  const float id = v[OD] - 2 * v[t];
  const float area = Pick(v[A], kPi / 4 * (Square(v[OD]) - Square(id)));
  const float i = Pick(v[I], kPi / 64 * (Square(Square(v[OD])) - Square(Square(id))));
  const float s = Pick(v[S], 2 * i / v[OD]);
  const float z = Pick(v[Z], (Cube(v[OD]) - Cube(id)) / 6);

  m.fDepth = v[OD];
  m.fTw = v[t];
  m.fArea = area;
  m.fIx = m.fIy = i;
  m.fSxTop = m.fSy = s;
  m.fZx = m.fZy = z;
  m.fJ = 2 * i;
  m.fAvWeb = m.fAvFlange = area;
}

// ---------------------------------------------------------------------------------------------
// Angles ('A' single, 'L' double): a vertical leg d x t and a horizontal leg b x t meeting at
// the heel; y-bar from the back of the horizontal leg, x-bar from the back of the vertical leg.
// A double angle keeps one angle's area, second moments, J and Cw.

namespace angle {
// clang-format off
enum : int {
    d, b, t, A, Ix, Sx, Zx, Iy, Sy, Zy, J, Cw, count
};
// Units of the numbers of a metric line.
constexpr Unit kUnits[] = {
    L, L, L, A2, I4, S3, S3, I4, S3, S3, I4, C6
};
// clang-format on
static_assert(std::size(kUnits) == count);
}  // namespace angle

void CompleteAngle(SectionRow& row, bool metric, bool twoAngles, _MASTERTABLE& m) {
  using namespace angle;
  float* v = row.v;
  if (Missing(v[b])) v[b] = v[d];
  if (metric) ToInchPound(row, kUnits);

  const float dd = v[d], bb = v[b], tt = v[t];
  const float area = Pick(v[A], (dd + bb - tt) * tt);
  const float yBar = ((bb - tt) * tt * tt / 2 + dd * dd * tt / 2) / area;
  const float xBar = ((dd - tt) * tt * tt / 2 + bb * bb * tt / 2) / area;
  const float ix =
      Pick(v[Ix], (tt * Cube(dd) + (bb - tt) * Cube(tt)) / 12 + tt * dd * Square(dd / 2 - yBar) +
                      (bb - tt) * tt * Square(tt / 2 - yBar));
  const float iy =
      Pick(v[Iy], (tt * Cube(bb) + (dd - tt) * Cube(tt)) / 12 + tt * bb * Square(bb / 2 - xBar) +
                      (dd - tt) * tt * Square(tt / 2 - xBar));
  // PNA: in the leg lying across the axis while that leg holds half the area.
  const float pnaY = tt * bb > area / 2 ? (area / 2) / bb : (area / 2) / tt - bb + tt;
  const float pnaX = tt * dd > area / 2 ? (area / 2) / dd : (area / 2) / tt - dd + tt;

  m.fDepth = dd;
  m.fTw = m.fTfTop = tt;
  m.fBfTop = bb;
  m.fArea = area;
  m.fYBar = yBar;
  m.fIx = ix;
  m.fSxTop = Pick(v[Sx], twoAngles ? 2 * ix / yBar : ix / (dd - yBar));
  m.fZx = Pick(v[Zx], PlasticModulus({{0, tt, bb}, {tt, dd, tt}}, pnaY));
  m.fIy = iy;
  m.fSy = Pick(v[Sy], twoAngles ? 2 * iy / xBar : iy / (bb - xBar));
  m.fZy = Pick(v[Zy], PlasticModulus({{0, tt, dd}, {tt, bb, tt}}, pnaX));
  m.fJ = Pick(v[J], Cube(tt) * ((dd - tt / 2) + (bb - tt / 2)) / 3);
  m.fCw = Pick(v[Cw], (Cube(bb - tt / 2) + Cube(dd - tt / 2)) * Cube(tt) / 36);
  m.fAvWeb = tt * dd;
  m.fAvFlange = tt * bb;
}

// ---------------------------------------------------------------------------------------------
// Tee ('E'): a flange bf x tf on a stem tw; y-bar from the toe of the stem.

namespace tee {
// clang-format off
enum : int {
    d, tw, bf, tf, kdes, A, Ix, SxTop, SxBot, Zx, Iy, Sy, Zy, J, Cw, count
};
// Units of the numbers of a metric line.
constexpr Unit kUnits[] = {
    L, L, L, L, L, A2, I4, S3, S3, S3, I4, S3, S3, I4, C6
};
// clang-format on
static_assert(std::size(kUnits) == count);
}  // namespace tee

void CompleteTee(SectionRow& row, bool metric, _MASTERTABLE& m) {
  using namespace tee;
  float* v = row.v;
  if (metric) ToInchPound(row, kUnits);

  const float stem = v[d] - v[tf];
  const float area = PickOrMin(v[A], stem * v[tw] + v[tf] * v[bf]);
  const float yBar = ((v[d] - v[tf] / 2) * v[tf] * v[bf] + Square(stem) * v[tw] / 2) / area;
  const float ix =
      PickOrMin(v[Ix], v[tf] * v[bf] * Square(v[d] - yBar - v[tf] / 2) + v[bf] * Cube(v[tf]) / 12 +
                           v[tw] * Cube(stem) / 12 + stem * v[tw] * Square(stem / 2 - yBar));
  const float iy = PickOrMin(v[Iy], (v[tf] * Cube(v[bf]) + stem * Cube(v[tw])) / 12);
  const float pna = v[tf] * v[bf] >= area / 2 ? v[d] - (area / 2) / v[bf] : (area / 2) / v[tw];

  m.fDepth = v[d];
  m.fTw = v[tw];
  m.fBfTop = v[bf];
  m.fTfTop = v[tf];
  m.fKdesTop = v[kdes];
  m.fArea = area;
  m.fYBar = yBar;
  m.fIx = ix;
  m.fSxTop = PickOrMin(v[SxTop], ix / (v[d] - yBar));
  m.fSxBot = PickOrMin(v[SxBot], ix / yBar);
  m.fZx = Pick(v[Zx], PlasticModulus({{0, stem, v[tw]}, {stem, v[d], v[bf]}}, pna));
  m.fIy = iy;
  m.fSy = Pick(v[Sy], 2 * iy / v[bf]);
  m.fZy = Pick(v[Zy], (Square(v[tw]) * stem + Square(v[bf]) * v[tf]) / 4);
  m.fJ = Pick(v[J], ((v[d] - v[tf] / 2) * Cube(v[tw]) + Cube(v[tf]) * v[bf]) / 3);
  m.fCw = Pick(v[Cw], Cube(v[d] - v[tf] / 2) * Cube(v[tw]) / 36 + Cube(v[tf]) * Cube(v[bf]) / 144);
  m.fAvWeb = v[tw] * v[d];
  m.fAvFlange = kFiveSixths * v[tf] * v[bf];
}

// ---------------------------------------------------------------------------------------------
// Round bar ('R') of diameter D; flat bar ('B') d deep (strong axis) and b wide.

namespace roundbar {
// clang-format off
enum : int {
    D, A, count
};
// Units of the numbers of a metric line.
constexpr Unit kUnits[] = {
    L, A2
};
// clang-format on
static_assert(std::size(kUnits) == count);
}  // namespace roundbar

void CompleteRoundBar(SectionRow& row, bool metric, _MASTERTABLE& m) {
  using namespace roundbar;
  float* v = row.v;
  if (metric) ToInchPound(row, kUnits);

  const float i = kPi * Square(Square(v[D])) / 64;
  const float s = i / (v[D] / 2);
  m.fDepth = v[D];
  m.fArea = Pick(v[A], 0.7853982f * Square(v[D]));
  m.fIx = m.fIy = i;
  m.fSxTop = m.fSxBot = m.fSy = s;
  m.fZx = m.fZy = Cube(v[D]) / 6;
  m.fJ = 0.001f;
  m.fAvWeb = m.fAvFlange = m.fArea;
}

namespace flatbar {
// clang-format off
enum : int {
    d, b, A, count
};
// Units of the numbers of a metric line.
constexpr Unit kUnits[] = {
    L, L, A2
};
// clang-format on
static_assert(std::size(kUnits) == count);
}  // namespace flatbar

void CompleteFlatBar(SectionRow& row, bool metric, _MASTERTABLE& m) {
  using namespace flatbar;
  float* v = row.v;
  if (metric) ToInchPound(row, kUnits);

  m.fDepth = m.fTfTop = v[d];
  m.fTw = m.fBfTop = v[b];
  m.fArea = Pick(v[A], v[d] * v[b]);
  m.fIx = v[b] * Cube(v[d]) / 12;
  m.fSxTop = m.fSxBot = m.fIx / (v[d] / 2);
  m.fIy = v[d] * Cube(v[b]) / 12;
  m.fSy = m.fIy / (v[b] / 2);
  m.fZx = Square(v[d]) * v[b] / 4;
  m.fZy = v[d] * Square(v[b]) / 4;
  m.fJ = 0.001f;
  m.fAvWeb = m.fAvFlange = kFiveSixths * m.fArea;
}

constexpr SectionShapeInfo kShapes[] = {
    {'W', ishape::count, 6, true}, {'C', channel::count, 6, true},   {'T', tube::count, 5, true},
    {'P', pipe::count, 4, true},   {'A', angle::count, 5, true},     {'L', angle::count, 5, true},
    {'E', tee::count, 6, true},    {'R', roundbar::count, 2, false}, {'B', flatbar::count, 4, true},
};

}  // namespace

const SectionShapeInfo& ShapeInfo(SectionShape shape) { return kShapes[static_cast<int>(shape)]; }

void CompleteSection(SectionShape shape, SectionRow& row, bool metric, _MASTERTABLE& out) {
  switch (shape) {
    case SectionShape::kIShape:
      CompleteIShape(row, metric, out);
      break;
    case SectionShape::kChannel:
      CompleteChannel(row, metric, out);
      break;
    case SectionShape::kTube:
      CompleteTube(row, metric, out);
      break;
    case SectionShape::kPipe:
      CompletePipe(row, metric, out);
      break;
    case SectionShape::kSingleAngle:
    case SectionShape::kDoubleAngle:
      CompleteAngle(row, metric, shape == SectionShape::kDoubleAngle, out);
      break;
    case SectionShape::kTee:
      CompleteTee(row, metric, out);
      break;
    case SectionShape::kRoundBar:
      CompleteRoundBar(row, metric, out);
      break;
    case SectionShape::kFlatBar:
      CompleteFlatBar(row, metric, out);
      break;
  }
  out.cShape = ShapeInfo(shape).code;
  out.fWeight = out.fArea * 490 / 144;
  if (shape == SectionShape::kDoubleAngle) out.fWeight *= 2;
}

}  // namespace qel
