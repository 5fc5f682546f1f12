// Section properties worked out from a line of dimensions, checked against values computed by
// hand from first principles (sum of b h^3 / 12 + A d^2 over the plates, the plastic neutral
// axis halving the area) and, where a published section has no fillets to account for, against
// the published table. Tolerances are relative, sized for single precision.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tables/section_table.h"

namespace {

using qel::SectionShape;

_MASTERTABLE Read(const std::string& line, SectionShape shape, bool metric = false) {
  _MASTERTABLE m{};
  EXPECT_TRUE(qel::ReadSectionLine(line.c_str(), shape, metric, m)) << line;
  return m;
}

// Relative agreement to `rel` (single precision carries about 7 digits).
#define EXPECT_CLOSE(actual, expected) \
  EXPECT_NEAR((actual), (expected), std::fabs(expected) * 2e-6 + 1e-7) << #actual
#define EXPECT_PUBLISHED(actual, expected, digits) \
  EXPECT_NEAR((actual), (expected), std::fabs(expected) * 0.5 * std::pow(10.0, 1 - (digits)))

TEST(SectionProperties, DoublySymmetricIShapeFromFourDimensions) {
  // d 10, tw 0.5, bf 8, tf 1: flanges 8 x 1, web 0.5 x 8 (h = 10 - 2).
  const _MASTERTABLE m = Read("TEST1 A 10 0.5 8 1", SectionShape::kIShape);
  EXPECT_STREQ(m.szName, "TEST1");
  EXPECT_EQ(m.cCode, 'A');
  EXPECT_EQ(m.cShape, 'W');
  EXPECT_CLOSE(m.fArea, 20.0f);        // 8 + 8 + 4
  EXPECT_CLOSE(m.fYBar, 5.0f);         // symmetric: d / 2
  EXPECT_CLOSE(m.fIx, 346.666667f);    // 2 (8/12 + 8 * 4.5^2) + 0.5 * 8^3 / 12
  EXPECT_CLOSE(m.fSxTop, 69.333333f);  // Ix / 5
  EXPECT_CLOSE(m.fSxBot, 69.333333f);
  EXPECT_CLOSE(m.fZx, 80.0f);       // 2 * 8 * 4.5 + 2 * (0.5 * 4) * 2
  EXPECT_CLOSE(m.fIy, 85.416667f);  // (2 * 1 * 8^3 + 8 * 0.5^3) / 12
  EXPECT_CLOSE(m.fSy, 21.354167f);  // Iy / 4
  EXPECT_CLOSE(m.fZy, 32.5f);       // (2 * 8^2 * 1 + 0.5^2 * 8) / 4
  EXPECT_CLOSE(m.fJ, 5.708333f);    // (2 * 8 * 1^3 + 9 * 0.5^3) / 3, 9 = d - tf
  EXPECT_CLOSE(m.fCw, 1729.6875f);  // Iy ho^2 / 4, ho = 9
  // rT: flange 8 x 1 plus a third of the 4-inch compression web, about the web's axis.
  EXPECT_CLOSE(m.fRtTop, 2.2191619f);  // sqrt((8^3/12 + 0.5^3 (4/3)/12) / (8 + 0.5 * 4/3))
  EXPECT_CLOSE(m.fRtBot, 2.2191619f);
  EXPECT_CLOSE(m.fAvWeb, 5.0f);           // d tw
  EXPECT_CLOSE(m.fAvFlange, 13.333333f);  // 5/6 of 16
  EXPECT_CLOSE(m.fWeight, 68.055556f);    // 20 in^2 of steel at 490 lb/ft^3
  // Defaults: bottom flange and k from the top flange; detailing from the design values.
  EXPECT_EQ(m.fBfBot, 8.0f);
  EXPECT_EQ(m.fTfBot, 1.0f);
  EXPECT_EQ(m.fKdesTop, 1.0f);
  EXPECT_EQ(m.fKdesBot, 1.0f);
  EXPECT_EQ(m.fDdet, 10.0f);
  EXPECT_EQ(m.fTwDet, 0.5f);
  EXPECT_EQ(m.fBfDetTop, 8.0f);
  EXPECT_EQ(m.fTfDetBot, 1.0f);
  EXPECT_EQ(m.fKdetTop, 1.0f);
  EXPECT_CLOSE(m.fK1Top, 0.25f);  // k - tf + tw / 2
  EXPECT_CLOSE(m.fK1Bot, 0.25f);
  EXPECT_CLOSE(m.fT, 8.0f);  // d - 2 k
  EXPECT_EQ(m.fXBar, 0.0f);
  EXPECT_EQ(m.fChanExtra, 0.0f);
}

TEST(SectionProperties, MonosymmetricIShape) {
  // d 12, tw 0.5, top flange 6 x 0.5, bottom flange 10 x 1; web h = 10.5.
  const _MASTERTABLE m = Read("MONO A 12 0.5 6 0.5 10 1", SectionShape::kIShape);
  EXPECT_CLOSE(m.fArea, 18.25f);  // 3 + 10 + 5.25
  // First moments about the bottom: (10 * 0.5 + 3 * 11.75 + 5.25 * 6.25) / 18.25.
  EXPECT_CLOSE(m.fYBar, 4.0034247f);
  EXPECT_CLOSE(m.fIx, 378.39562f);  // own moments plus A d^2 of the three plates about y-bar
  EXPECT_CLOSE(m.fSxTop, 47.319709f);
  EXPECT_CLOSE(m.fSxBot, 94.517982f);
  // The bottom flange (10 in^2) holds more than half the area: PNA at 9.125 / 10 = 0.9125.
  // Z = 10 * 0.9125^2 / 2 + 10 * 0.0875^2 / 2 + 5.25 * 5.3375 + 3 * 10.8375.
  EXPECT_CLOSE(m.fZx, 64.735938f);
  EXPECT_CLOSE(m.fIy, 92.442708f);  // (1 * 1000 + 0.5 * 216 + 10.5 * 0.125) / 12
  EXPECT_CLOSE(m.fSy, 18.488542f);  // 2 Iy / 10, the wider flange
  EXPECT_CLOSE(m.fZy, 30.15625f);   // (100 * 1 + 36 * 0.5 + 0.25 * 10.5) / 4
  EXPECT_CLOSE(m.fJ, 4.0520833f);   // (10 + 6 * 0.125 + 11.25 * 0.125) / 3
  // Unequal flanges: (tf1 + tf2) ho^2 b1^3 b2^3 / (b1^3 + b2^3) / 24 with ho = 11.25.
  EXPECT_CLOSE(m.fCw, 1405.0935f);
  EXPECT_CLOSE(m.fRtTop, 1.4574145f);  // hc = 12 - y-bar - 0.5
  EXPECT_CLOSE(m.fRtBot, 2.8172805f);  // hc = y-bar - 1
  EXPECT_EQ(m.fKdesTop, 0.5f);         // kdes top from tf top; kdes bottom from tf bottom
  EXPECT_EQ(m.fKdesBot, 1.0f);
}

TEST(SectionProperties, PublishedWShapeDimensions) {
  // The example of an I-shape given only d, tw, bf and tf (W8X10's dimensions): the area of the
  // three plates, 3.94 * 0.205 * 2 + (7.89 - 0.41) * 0.17 = 2.887, a little under the published
  // 2.96 in^2 that includes the fillets.
  const _MASTERTABLE m = Read("W8X10 A 7.89 0.17 3.94 0.205", SectionShape::kIShape);
  EXPECT_CLOSE(m.fArea, 2.887f);
  EXPECT_CLOSE(m.fYBar, 3.945f);
  EXPECT_NEAR(m.fArea, 2.96f, 2.96f * 0.03f);
  EXPECT_NEAR(m.fIx, 30.8f, 30.8f * 0.04f);  // published Ix 30.8 in^4
}

TEST(SectionProperties, GivenValuesAreKeptAndDefaultsCopyAcross) {
  // W14X22 as published (kdes, A, Ix, Sx, Zx, Iy, Sy, Zy, J, Cw), bottom Sx left out (0): it
  // takes the top value; k det top given, k det bottom left out: takes the top.
  const _MASTERTABLE m = Read(
      "W14X22 A 13.7 0.230 5.00 0.335 5.00 0.335 0.735 0 6.49 199 29.0 0 33.2 7.00 2.80 4.39 "
      "0.208 314 0 0 0 0 0 0 0 0 0 0.9 0",
      SectionShape::kIShape);
  EXPECT_EQ(m.fArea, 6.49f);
  EXPECT_EQ(m.fIx, 199.0f);
  EXPECT_EQ(m.fSxTop, 29.0f);
  EXPECT_EQ(m.fSxBot, 29.0f);
  EXPECT_EQ(m.fZx, 33.2f);
  EXPECT_EQ(m.fCw, 314.0f);
  EXPECT_EQ(m.fKdesBot, 0.735f);  // kdes top was read: bottom takes it
  EXPECT_EQ(m.fKdetTop, 0.9f);
  EXPECT_EQ(m.fKdetBot, 0.9f);
  EXPECT_CLOSE(m.fT, 13.7f - 1.8f);
  EXPECT_CLOSE(m.fWeight, 6.49f * 490 / 144);

  // 0.001 itself counts as not given for the area of an I-shape but is kept for a channel, and
  // kept for Zx either way.
  const _MASTERTABLE i = Read("I1 A 10 0.5 8 1 0 0 0 0 0.001 0 0 0 0.001", SectionShape::kIShape);
  EXPECT_CLOSE(i.fArea, 20.0f);
  EXPECT_EQ(i.fZx, 0.001f);
  const _MASTERTABLE c = Read("C1 A 10 0.25 3 0.5 0 0 0 0 0.001", SectionShape::kChannel);
  EXPECT_EQ(c.fArea, 0.001f);
}

TEST(SectionProperties, Channel) {
  // d 10, tw 0.25, flanges 3 x 0.5; web h = 9.
  const _MASTERTABLE m = Read("CH A 10 0.25 3 0.5", SectionShape::kChannel);
  EXPECT_EQ(m.cShape, 'C');
  EXPECT_CLOSE(m.fArea, 5.25f);   // 1.5 + 1.5 + 2.25
  EXPECT_CLOSE(m.fIx, 82.9375f);  // 2 (3 * 0.5^3 / 12 + 1.5 * 4.75^2) + 0.25 * 9^3 / 12
  EXPECT_CLOSE(m.fSxTop, 16.5875f);
  EXPECT_CLOSE(m.fZx, 19.3125f);  // 2 * 1.5 * 4.75 + 2 * (0.25 * 4.5) * 2.25
  // x-bar from the back of the web: (0.5 * 9 + 0.5 * 9 + 9 * 0.0625) / 2 / 5.25.
  EXPECT_CLOSE(m.fXBar, 0.91071429f);
  EXPECT_CLOSE(m.fIy, 4.6925223f);  // plates about x-bar by parallel axes
  EXPECT_CLOSE(m.fSy, 2.2459936f);  // Iy / (3 - x-bar)
  // PNA: the web band (rate 10 in^2/in) holds 2.5 up to x = 0.25, the flanges 0.125 more by
  // x = 0.375. Z = 9 * 0.25 * 0.25 + 2 * (0.5 * 0.375^2 / 2 + 0.5 * 2.625^2 / 2).
  EXPECT_CLOSE(m.fZy, 4.078125f);
  EXPECT_CLOSE(m.fJ, 0.2890625f);  // (2 * 0.5^3 * 2.875 + 0.25^3 * 9.5) / 3
  // Cw = b'^3 tf h'^2 (3 b' tf + 2 h' tw) / (6 b' tf + h' tw) / 12, b' = 2.875, h' = 9.5.
  EXPECT_CLOSE(m.fCw, 73.621532f);
  EXPECT_CLOSE(m.fAvWeb, 2.5f);
  EXPECT_CLOSE(m.fAvFlange, 2.5f);
  EXPECT_EQ(m.fRtTop, 0.0f);
  EXPECT_EQ(m.fDdet, 0.0f);

  // Unequal flanges: no closed form for Cw, 0.001 stands in; the twentieth value is kept.
  const _MASTERTABLE u =
      Read("CU A 10 0.25 3 0.5 4 0.5 0 0 0 0 0 0 0 0 0 0 0 0 0 1.25", SectionShape::kChannel);
  EXPECT_EQ(u.fCw, 0.001f);
  EXPECT_EQ(u.fChanExtra, 1.25f);
}

TEST(SectionProperties, RectangularTube) {
  // 8 x 4 outside, wall 0.25 (flanges default to the web thickness); hole 3.5 x 7.5.
  const _MASTERTABLE m = Read("TUBE A 8 0.25 4", SectionShape::kTube);
  EXPECT_EQ(m.cShape, 'T');
  EXPECT_CLOSE(m.fArea, 5.75f);     // 32 - 26.25
  EXPECT_CLOSE(m.fIx, 47.619792f);  // (4 * 8^3 - 3.5 * 7.5^3) / 12
  EXPECT_CLOSE(m.fSxTop, 11.904948f);
  EXPECT_CLOSE(m.fSxBot, 11.904948f);
  EXPECT_CLOSE(m.fZx, 14.78125f);   // (4 * 8^2 - 3.5 * 7.5^2) / 4
  EXPECT_CLOSE(m.fIy, 15.869792f);  // (8 * 4^3 - 7.5 * 3.5^3) / 12
  EXPECT_CLOSE(m.fSy, 7.934896f);
  EXPECT_CLOSE(m.fZy, 9.03125f);
  // Thin-walled closed section: 4 A0^2 t / perimeter on the mid-line, 3.75 x 7.75.
  EXPECT_CLOSE(m.fJ, 36.722996f);
  EXPECT_EQ(m.fTfTop, 0.25f);
  EXPECT_EQ(m.fBfBot, 4.0f);
  EXPECT_CLOSE(m.fAvWeb, 4.0f);
  EXPECT_CLOSE(m.fAvFlange, 2.0f);
}

TEST(SectionProperties, PipeAgainstPublishedStandardPipe) {
  // NPS 6 standard weight: OD 6.625, nominal wall 0.280 (ID 6.065). Published with that wall:
  // A 5.58 in^2, I 28.1 in^4, S 8.50 in^3 (three digits).
  const _MASTERTABLE m = Read("PIPE6STD A 6.625 0.280", SectionShape::kPipe);
  EXPECT_EQ(m.cShape, 'P');
  EXPECT_PUBLISHED(m.fArea, 5.58, 3);
  EXPECT_PUBLISHED(m.fIx, 28.1, 3);
  EXPECT_PUBLISHED(m.fSxTop, 8.50, 3);
  // By hand: pi/4 (6.625^2 - 6.065^2), pi/64 (6.625^4 - 6.065^4), (6.625^3 - 6.065^3) / 6.
  EXPECT_CLOSE(m.fArea, 5.5813535f);
  EXPECT_CLOSE(m.fIy, 28.142179f);
  EXPECT_CLOSE(m.fSy, 8.4957520f);
  EXPECT_CLOSE(m.fZx, 11.279844f);
  EXPECT_CLOSE(m.fJ, 56.284357f);  // 2 I
  EXPECT_EQ(m.fSxBot, 0.0f);
  EXPECT_EQ(m.fAvWeb, m.fArea);
}

TEST(SectionProperties, SingleAndDoubleAngles) {
  // L4X4X1/2: A = (4 + 4 - 0.5) 0.5 = 3.75, y-bar = (3.5 * 0.5^2 / 2 + 4^2 * 0.5 / 2) / 3.75.
  // Published (no fillet correction needed at three digits): A 3.75, y 1.18, Ix 5.56, Sx 1.97.
  const _MASTERTABLE a = Read("L4X4X1/2 A 4 4 0.5", SectionShape::kSingleAngle);
  EXPECT_EQ(a.cShape, 'A');
  EXPECT_CLOSE(a.fArea, 3.75f);
  EXPECT_CLOSE(a.fYBar, 1.1833333f);
  EXPECT_CLOSE(a.fIx, 5.5614583f);
  EXPECT_PUBLISHED(a.fIx, 5.56, 3);
  EXPECT_CLOSE(a.fSxTop, 1.9744822f);  // Ix / (4 - y-bar)
  EXPECT_PUBLISHED(a.fSxTop, 1.97, 3);
  // PNA in the horizontal leg (4 * 0.5 > 1.875) at 1.875 / 4; parts below, above, vertical leg.
  EXPECT_CLOSE(a.fZx, 3.5585938f);
  EXPECT_CLOSE(a.fJ, 0.3125f);       // 0.5^3 (3.75 + 3.75) / 3
  EXPECT_CLOSE(a.fCw, 0.36621094f);  // (3.75^3 + 3.75^3) 0.5^3 / 36
  EXPECT_EQ(a.fSxBot, 0.0f);
  EXPECT_CLOSE(a.fWeight, 12.760417f);

  // L6X4X1/2 (unequal legs): published A 4.75, y 1.99, x 0.987, Ix 17.4, Sx 4.33, Iy 6.27,
  // Sy 2.08.
  const _MASTERTABLE u = Read("L6X4X1/2 A 6 4 0.5", SectionShape::kSingleAngle);
  EXPECT_CLOSE(u.fArea, 4.75f);
  EXPECT_PUBLISHED(u.fYBar, 1.99, 3);
  EXPECT_PUBLISHED(u.fIx, 17.4, 3);
  EXPECT_PUBLISHED(u.fSxTop, 4.33, 3);
  EXPECT_PUBLISHED(u.fIy, 6.27, 3);
  EXPECT_PUBLISHED(u.fSy, 2.08, 3);
  // The vertical leg holds the PNA: 2.375 / 0.5 - 4 + 0.5 = 1.25 above the heel.
  EXPECT_CLOSE(u.fZx, 7.78125f);  // 2 * 1.0 + 0.5 * 0.75^2 / 2 + 0.5 * 4.75^2 / 2

  // The double angle keeps one angle's area and moments; its moduli are 2 I / (centroid
  // distance); the weight is twice one angle's.
  const _MASTERTABLE d = Read("L4X4X1/2 A 4 4 0.5", SectionShape::kDoubleAngle);
  EXPECT_EQ(d.cShape, 'L');
  EXPECT_CLOSE(d.fArea, 3.75f);
  EXPECT_CLOSE(d.fIx, 5.5614583f);
  EXPECT_CLOSE(d.fSxTop, 9.3996479f);  // 2 * 5.5614583 / 1.1833333
  EXPECT_CLOSE(d.fSy, 9.3996479f);
  EXPECT_CLOSE(d.fWeight, 25.520833f);
}

TEST(SectionProperties, Tee) {
  // d 6, stem tw 0.5, flange 6 x 1 (stem 5 long); y-bar from the stem's toe.
  const _MASTERTABLE m = Read("TEE1 A 6 0.5 6 1 1.2", SectionShape::kTee);
  EXPECT_EQ(m.cShape, 'E');
  EXPECT_CLOSE(m.fArea, 8.5f);        // 2.5 + 6
  EXPECT_CLOSE(m.fYBar, 4.6176471f);  // (5.5 * 6 + 2.5 * 2.5) / 8.5
  EXPECT_CLOSE(m.fIx, 21.590686f);
  EXPECT_CLOSE(m.fSxTop, 15.618794f);
  EXPECT_CLOSE(m.fSxBot, 4.6756900f);
  // PNA in the flange (6 >= 4.25) at 6 - 4.25 / 6; stem wholly below it.
  EXPECT_CLOSE(m.fZx, 8.7395833f);
  EXPECT_CLOSE(m.fIy, 18.052083f);  // (1 * 6^3 + 5 * 0.5^3) / 12
  EXPECT_CLOSE(m.fSy, 6.0173611f);
  EXPECT_CLOSE(m.fZy, 9.3125f);     // (0.25 * 5 + 36 * 1) / 4
  EXPECT_CLOSE(m.fJ, 2.2291667f);   // (5.5 * 0.125 + 1 * 6) / 3
  EXPECT_CLOSE(m.fCw, 2.0776910f);  // 5.5^3 0.5^3 / 36 + 1 * 6^3 / 144
  EXPECT_EQ(m.fKdesTop, 1.2f);
  EXPECT_CLOSE(m.fAvWeb, 3.0f);
  EXPECT_CLOSE(m.fAvFlange, 5.0f);
}

TEST(SectionProperties, Bars) {
  // Round bar: no code character; D = 2.
  const _MASTERTABLE r = Read("RB2 2", SectionShape::kRoundBar);
  EXPECT_EQ(r.cShape, 'R');
  EXPECT_EQ(r.cCode, 0);
  EXPECT_CLOSE(r.fArea, 3.1415927f);  // pi 2^2 / 4
  EXPECT_CLOSE(r.fIx, 0.78539816f);   // pi 2^4 / 64
  EXPECT_CLOSE(r.fSxBot, 0.78539816f);
  EXPECT_CLOSE(r.fZy, 1.3333333f);  // D^3 / 6
  EXPECT_EQ(r.fJ, 0.001f);

  // Flat bar 6 deep (strong axis) and 0.5 wide.
  const _MASTERTABLE f = Read("FB A 6 0.5", SectionShape::kFlatBar);
  EXPECT_EQ(f.cShape, 'B');
  EXPECT_CLOSE(f.fArea, 3.0f);
  EXPECT_CLOSE(f.fIx, 9.0f);  // 0.5 * 6^3 / 12
  EXPECT_CLOSE(f.fSxTop, 3.0f);
  EXPECT_CLOSE(f.fIy, 0.0625f);  // 6 * 0.5^3 / 12
  EXPECT_CLOSE(f.fSy, 0.25f);
  EXPECT_CLOSE(f.fZx, 4.5f);
  EXPECT_CLOSE(f.fZy, 0.375f);
  EXPECT_CLOSE(f.fAvWeb, 2.5f);
  EXPECT_EQ(f.fDepth, 6.0f);
  EXPECT_EQ(f.fTw, 0.5f);
}

TEST(SectionProperties, MetricLinesAreStoredInInches) {
  // 254 x 12.7 web, 203.2 x 25.4 flanges in mm is the 10 x 0.5 / 8 x 1 section in inches.
  const _MASTERTABLE m = Read("M1 A 254 12.7 203.2 25.4", SectionShape::kIShape, true);
  EXPECT_CLOSE(m.fDepth, 10.0f);
  EXPECT_CLOSE(m.fArea, 20.0f);
  EXPECT_CLOSE(m.fIx, 346.666667f);
  // A given Ix in cm^4 (100 in^4 = 4162.314 cm^4) and J in cm^4 convert; Cw in cm^6.
  const _MASTERTABLE g =
      Read("M2 A 254 12.7 203.2 25.4 0 0 0 0 0 4162.314 0 0 0 0 0 0 41.62314 268.53583",
           SectionShape::kIShape, true);
  EXPECT_CLOSE(g.fIx, 100.0f);
  EXPECT_CLOSE(g.fSxTop, 20.0f);  // the given Ix over c = 5 in
  EXPECT_CLOSE(g.fJ, 1.0f);
  EXPECT_CLOSE(g.fCw, 1.0f);
  // A pipe's area in cm^2.
  const _MASTERTABLE p = Read("P1 A 168.275 7.112 36.008", SectionShape::kPipe, true);
  EXPECT_CLOSE(p.fArea, 36.008f / 6.4515996f);
  EXPECT_CLOSE(p.fDepth, 6.625f);
}

TEST(SectionProperties, ShortLinesAreRefused) {
  _MASTERTABLE m{};
  EXPECT_FALSE(qel::ReadSectionLine("W8X10 A 7.89 0.17 3.94", SectionShape::kIShape, false, m));
  EXPECT_FALSE(qel::ReadSectionLine("W8X10 A", SectionShape::kIShape, false, m));
  EXPECT_FALSE(qel::ReadSectionLine("   ", SectionShape::kIShape, false, m));
  EXPECT_FALSE(qel::ReadSectionLine("RB", SectionShape::kRoundBar, false, m));
  EXPECT_FALSE(qel::ReadSectionLine("HSS A 4 0.25", SectionShape::kTube, false, m));
  // A number that does not scan ends the line there.
  EXPECT_FALSE(qel::ReadSectionLine("W8 A 7.89 x 3.94 0.2", SectionShape::kIShape, false, m));
  // Names keep their first 15 characters.
  ASSERT_TRUE(
      qel::ReadSectionLine("ABCDEFGHIJKLMNOPQRS A 4 4 0.5", SectionShape::kSingleAngle, false, m));
  EXPECT_STREQ(m.szName, "ABCDEFGHIJKLMNO");
}

}  // namespace
