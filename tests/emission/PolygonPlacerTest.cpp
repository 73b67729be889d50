// The geographic polygon placer: scan-line choice of start points, edge
// crossings, and its document and copy.
#include "EmissionTestSupport.h"
#include "ZrMarkup.h"
#include "ZrMathEngine.h"
#include "ZrParticle.h"
#include "ZrPolygonPlacer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using namespace ZRC;
using VEXA::VexaPoint2D;
using emission_test::CountDraws;
using emission_test::Draws;
using emission_test::FindSeed;

namespace {

const double kRad = 0.017453292519943295;
const double kEarth = 6378137.0;
const ZrVector3d kSentinel(-1.0, -2.0, -3.0);

VEXA::VexaArray<VexaPoint2D> Ring(const std::vector<std::pair<double, double>>& points)
{
    VEXA::VexaArray<VexaPoint2D> ring;
    for (const auto& p : points)
        ring.Add(VexaPoint2D(p.first, p.second));
    return ring;
}

struct GeoPoint {
    double lon;
    double lat;
};

// Longitude and latitude in degrees of a placed particle: its position plus
// the placer's reference point, on the sphere of the earth's radius.
GeoPoint Geo(ZrPolygonPlacer& placer, const ZrParticle& particle)
{
    const ZrVector3d p = particle.GetCurPos() + placer.GetPosition();
    return {std::atan2(p.y, p.x) / kRad, std::asin(p.z / kEarth) / kRad};
}

bool Untouched(const ZrParticle& particle)
{
    const ZrVector3d p = particle.GetCurPos();
    return p.x == kSentinel.x && p.y == kSentinel.y && p.z == kSentinel.z;
}

// The scan line's longitude for a first draw r over the x range lo..hi.
float ScanX(int r, double lo, double hi) { return static_cast<float>(lo + (hi - lo) * (r / static_cast<double>(RAND_MAX))); }

} // namespace

TEST(PolygonIntersect, CrossingsFollowTheSinglePrecisionParameter)
{
    ZrPolygonPlacer placer;
    float y = 99.0f;
    EXPECT_EQ(placer.IntersectSegment(VexaPoint2D(0, -1), VexaPoint2D(0, 11), VexaPoint2D(-5, 0), VexaPoint2D(5, 0), &y),
              1);
    // s = 1/12 rounded to single precision, so the crossing is not exactly 0.
    const float expected = static_cast<float>(-1.0 + 12.0 * static_cast<double>(static_cast<float>(1.0 / 12.0)));
    EXPECT_EQ(y, expected);
    EXPECT_NE(y, 0.0f);
    EXPECT_NEAR(y, 3e-8, 1e-8);
}

TEST(PolygonIntersect, DeterminantIsRoundedToSinglePrecision)
{
    // Here the determinant is not a single-precision number; its rounding moves
    // the crossing by about a dozen units in the last place.
    ZrPolygonPlacer placer;
    const double x = 0.1 * 1.0001;
    float y = 0.0f;
    ASSERT_EQ(placer.IntersectSegment(VexaPoint2D(x, -1), VexaPoint2D(x, 11), VexaPoint2D(0, 0),
                                      VexaPoint2D(10.0 + 0.37, 7.0 + 0.1), &y),
              1);
    EXPECT_EQ(y, 0.0684735179f);
}

TEST(PolygonIntersect, RejectsParallelShortAndMissingSegments)
{
    ZrPolygonPlacer placer;
    const VexaPoint2D a0(0, -1), a1(0, 11);
    float y = 99.0f;
    EXPECT_EQ(placer.IntersectSegment(a0, a1, VexaPoint2D(0, 2), VexaPoint2D(0, 8), &y), 0); // collinear
    EXPECT_EQ(placer.IntersectSegment(a0, a1, VexaPoint2D(1, 0), VexaPoint2D(5, 0), &y), 0); // t < 0
    EXPECT_EQ(placer.IntersectSegment(a0, a1, VexaPoint2D(-5, 0), VexaPoint2D(-1, 0), &y), 0); // t > 1
    EXPECT_EQ(placer.IntersectSegment(a0, a1, VexaPoint2D(-5, 20), VexaPoint2D(5, 20), &y), 0); // s > 1
    EXPECT_EQ(placer.IntersectSegment(a0, a1, VexaPoint2D(-5, -3), VexaPoint2D(5, -3), &y), 0); // s < 0
    EXPECT_EQ(placer.IntersectSegment(a0, a1, VexaPoint2D(3, 3), VexaPoint2D(3, 3), &y), 0);   // no length
    EXPECT_EQ(placer.IntersectSegment(a0, a1, VexaPoint2D(1, 0), VexaPoint2D(1, 5), &y), 0);   // parallel
    EXPECT_EQ(placer.IntersectSegment(a0, a0, VexaPoint2D(-5, 0), VexaPoint2D(5, 0), &y), 0);
    EXPECT_EQ(placer.IntersectSegment(a0, a1, VexaPoint2D(NAN, 0), VexaPoint2D(5, 0), &y), 0);
    EXPECT_EQ(y, 99.0f);
}

TEST(PolygonIntersect, EndsBelongToTheSegments)
{
    ZrPolygonPlacer placer;
    float y = 0.0f;
    EXPECT_EQ(placer.IntersectSegment(VexaPoint2D(0, -1), VexaPoint2D(0, 11), VexaPoint2D(0, 5), VexaPoint2D(4, 9), &y), 1);
    EXPECT_NEAR(y, 5.0f, 1e-6);
    EXPECT_EQ(placer.IntersectSegment(VexaPoint2D(0, 5), VexaPoint2D(0, 11), VexaPoint2D(-4, 5), VexaPoint2D(4, 5), &y), 1);
    EXPECT_EQ(y, 5.0f);
}

TEST(PolygonPlacer, SetRegionSetsCornersAndCentre)
{
    ZrPolygonPlacer placer;
    EXPECT_EQ(placer.GetType(), 3);
    placer.SetRegion(Ring({{3, -2}, {-1, 4}, {7, 1}}), VexaPoint2D(10, 20));
    EXPECT_EQ(placer.GetPoints().GetSize(), 3);
    EXPECT_EQ(placer.GetMinCorner().x, -1.0);
    EXPECT_EQ(placer.GetMinCorner().y, -2.0);
    EXPECT_EQ(placer.GetMaxCorner().x, 7.0);
    EXPECT_EQ(placer.GetMaxCorner().y, 4.0);
    const ZrVector3d centre = ZrMathEngine::SphericalToCartesian(10 * kRad, 20 * kRad, kEarth);
    EXPECT_EQ(placer.GetPosition().x, centre.x);
    EXPECT_EQ(placer.GetPosition().y, centre.y);
    EXPECT_EQ(placer.GetPosition().z, centre.z);

    // No points: the polygon is gone, the corners stay, the centre moves.
    placer.SetRegion(VEXA::VexaArray<VexaPoint2D>(), VexaPoint2D(0, 0));
    EXPECT_EQ(placer.GetPoints().GetSize(), 0);
    EXPECT_EQ(placer.GetMaxCorner().x, 7.0);
    EXPECT_EQ(placer.GetPosition().x, kEarth);
    EXPECT_NEAR(placer.GetPosition().z, 0.0, 1e-9);

    // Its own points given back keep the polygon.
    placer.SetRegion(Ring({{1, 1}, {2, 2}}), VexaPoint2D(0, 0));
    placer.SetRegion(placer.GetPoints(), VexaPoint2D(0, 0));
    EXPECT_EQ(placer.GetPoints().GetSize(), 2);
    EXPECT_EQ(placer.GetMinCorner().x, 1.0);
}

TEST(PolygonPlacer, WithoutAnEdgeNothingIsPlaced)
{
    ZrPolygonPlacer placer;
    ZrParticle particle;
    particle.SetPosition(kSentinel);
    EXPECT_EQ(CountDraws(4, [&] { placer.Place(&particle, 0.1); }), 1);
    EXPECT_TRUE(Untouched(particle));
    for (const auto& points : {Ring({{5, 5}}), Ring({{0, 0}, {10, 10}})}) {
        placer.SetRegion(points, VexaPoint2D(0, 0));
        for (unsigned seed = 1; seed < 50; ++seed) {
            ASSERT_EQ(CountDraws(seed, [&] { placer.Place(&particle, 0.1); }), 1);
            ASSERT_TRUE(Untouched(particle));
        }
    }
}

TEST(PolygonPlacer, ClosedSquareExactPoint)
{
    ZrPolygonPlacer placer;
    placer.SetRegion(Ring({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}), VexaPoint2D(5, 5));
    const unsigned seed = 321;
    const std::vector<int> r = Draws(seed, 2);
    const float X = ScanX(r[0], 0, 10);
    float lower = 0.0f, upper = 0.0f;
    ASSERT_EQ(placer.IntersectSegment(VexaPoint2D(X, -1), VexaPoint2D(X, 11), VexaPoint2D(0, 0), VexaPoint2D(10, 0), &lower), 1);
    ASSERT_EQ(placer.IntersectSegment(VexaPoint2D(X, -1), VexaPoint2D(X, 11), VexaPoint2D(10, 10), VexaPoint2D(0, 10), &upper), 1);
    const float width = std::fabs(lower - upper);
    const float Y = static_cast<float>(lower + width * (r[1] / static_cast<double>(RAND_MAX)));
    ZrVector3d expected = ZrMathEngine::SphericalToCartesian(X * kRad, Y * kRad, kEarth);
    expected -= ZrMathEngine::SphericalToCartesian(5 * kRad, 5 * kRad, kEarth);

    ZrParticle particle;
    std::srand(seed);
    placer.Place(&particle, 0.0);
    EXPECT_EQ(particle.GetCurPos().x, expected.x);
    EXPECT_EQ(particle.GetCurPos().y, expected.y);
    EXPECT_EQ(particle.GetCurPos().z, expected.z);
}

TEST(PolygonPlacer, ClosedSquareCoversTheSquare)
{
    ZrPolygonPlacer placer;
    placer.SetRegion(Ring({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}), VexaPoint2D(5, 5));
    ZrParticle particle;
    double maxLon = 0.0, maxLat = 0.0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        particle.SetPosition(kSentinel);
        ASSERT_EQ(CountDraws(seed, [&] { placer.Place(&particle, 0.0); }), 2) << seed;
        ASSERT_FALSE(Untouched(particle));
        const GeoPoint g = Geo(placer, particle);
        ASSERT_GE(g.lon, -1e-6);
        ASSERT_LE(g.lon, 10 + 1e-6);
        ASSERT_GE(g.lat, -1e-6);
        ASSERT_LE(g.lat, 10 + 1e-6);
        maxLon = std::max(maxLon, g.lon);
        maxLat = std::max(maxLat, g.lat);
    }
    EXPECT_GT(maxLon, 9.0);
    EXPECT_GT(maxLat, 9.0);
}

TEST(PolygonPlacer, OpenTriangleHasNoClosingEdge)
{
    ZrPolygonPlacer placer;
    placer.SetRegion(Ring({{0, 0}, {10, 0}, {5, 10}}), VexaPoint2D(5, 5));
    ZrParticle particle;
    int placed = 0, missed = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        const float X = ScanX(Draws(seed, 1)[0], 0, 10);
        if (std::fabs(X - 5.0f) < 1e-3f)
            continue;
        particle.SetPosition(kSentinel);
        const int draws = CountDraws(seed, [&] { placer.Place(&particle, 0.0); });
        if (X < 5.0f) {
            // Only the bottom edge is crossed.
            ASSERT_EQ(draws, 1) << seed;
            ASSERT_TRUE(Untouched(particle));
            ++missed;
        } else {
            ASSERT_EQ(draws, 2) << seed;
            const GeoPoint g = Geo(placer, particle);
            ASSERT_NEAR(g.lon, X, 1e-5);
            ASSERT_GE(g.lat, -1e-6);
            ASSERT_LE(g.lat, 2.0 * (10.0 - X) + 1e-5);
            ++placed;
        }
    }
    EXPECT_GT(placed, 100);
    EXPECT_GT(missed, 100);
}

TEST(PolygonPlacer, ConcaveScanLinesGiveTwoEquallyLikelyIntervals)
{
    // A "C" open to the east: between x = 2 and 10 a scan line meets four edges.
    ZrPolygonPlacer placer;
    placer.SetRegion(Ring({{0, 0}, {10, 0}, {10, 3}, {2, 3}, {2, 7}, {10, 7}, {10, 10}, {0, 10}, {0, 0}}),
                     VexaPoint2D(5, 5));
    ZrParticle particle;
    int low = 0, high = 0, west = 0;
    for (unsigned seed = 1; seed <= 600; ++seed) {
        const std::vector<int> r = Draws(seed, 3);
        const float X = ScanX(r[0], 0, 10);
        if (std::fabs(X - 2.0f) < 1e-3f)
            continue;
        particle.SetPosition(kSentinel);
        const int draws = CountDraws(seed, [&] { placer.Place(&particle, 0.0); });
        const GeoPoint g = Geo(placer, particle);
        if (X < 2.0f) {
            ASSERT_EQ(draws, 2) << seed;
            ASSERT_GE(g.lat, -1e-6);
            ASSERT_LE(g.lat, 10 + 1e-6);
            ++west;
            continue;
        }
        ASSERT_EQ(draws, 3) << seed;
        // The second draw picks the interval: the lower half of its range the
        // southern one, the upper half the northern one.
        const float u = static_cast<float>(r[1] / static_cast<double>(RAND_MAX));
        if (u < 0.5f) {
            ASSERT_GE(g.lat, -1e-6) << seed;
            ASSERT_LE(g.lat, 3 + 1e-6) << seed;
            ++low;
        } else {
            ASSERT_GE(g.lat, 7 - 1e-6) << seed;
            ASSERT_LE(g.lat, 10 + 1e-6) << seed;
            ++high;
        }
    }
    EXPECT_GT(west, 60);
    EXPECT_GT(low, 150);
    EXPECT_GT(high, 150);
}

TEST(PolygonPlacer, UnpairedAndEqualCrossingsAreDropped)
{
    ZrParticle particle;
    // An open zigzag: three crossings; the last has no partner.
    ZrPolygonPlacer zigzag;
    zigzag.SetRegion(Ring({{0, 0}, {10, 0}, {10, 3}, {0, 3}, {0, 6}, {10, 6}}), VexaPoint2D(5, 5));
    for (unsigned seed = 1; seed <= 100; ++seed) {
        particle.SetPosition(kSentinel);
        ASSERT_EQ(CountDraws(seed, [&] { zigzag.Place(&particle, 0.0); }), 2);
        const GeoPoint g = Geo(zigzag, particle);
        ASSERT_GE(g.lat, -1e-6);
        ASSERT_LE(g.lat, 3 + 1e-6);
    }

    // Two edges closer than the equality tolerance make an empty interval.
    ZrPolygonPlacer thin;
    thin.SetRegion(Ring({{0, 0}, {10, 0}, {10, 5e-7}, {0, 5e-7}}), VexaPoint2D(5, 5));
    for (unsigned seed = 1; seed <= 50; ++seed) {
        particle.SetPosition(kSentinel);
        ASSERT_EQ(CountDraws(seed, [&] { thin.Place(&particle, 0.0); }), 1);
        ASSERT_TRUE(Untouched(particle));
    }
    // With a real interval after it, that one is the only candidate.
    ZrPolygonPlacer both;
    both.SetRegion(Ring({{0, 0}, {10, 0}, {10, 5e-7}, {0, 5e-7}, {0, 5}, {10, 5}, {10, 8}, {0, 8}}),
                   VexaPoint2D(5, 5));
    for (unsigned seed = 1; seed <= 100; ++seed) {
        particle.SetPosition(kSentinel);
        ASSERT_EQ(CountDraws(seed, [&] { both.Place(&particle, 0.0); }), 2);
        const GeoPoint g = Geo(both, particle);
        ASSERT_GE(g.lat, 5 - 1e-5);
        ASSERT_LE(g.lat, 8 + 1e-5);
    }
}

TEST(PolygonPlacer, DocumentHoldsOnlyThePosition)
{
    ZrPolygonPlacer placer;
    placer.SetRegion(Ring({{0, 0}, {10, 0}, {10, 10}, {0, 0}}), VexaPoint2D(0, 0));
    VEXA::VexaString text;
    ASSERT_EQ(placer.ToXML(text), 1);
    ZrMarkup doc(text);
    ASSERT_TRUE(doc.FindElem("Placer"));
    std::vector<std::string> names;
    while (doc.FindChildElem(nullptr))
        names.push_back(doc.GetChildTagName().GetString());
    EXPECT_EQ(names, (std::vector<std::string>{"PlacerType", "Position"}));
    ZrMarkup typeDoc(text);
    typeDoc.FindElem("Placer");
    typeDoc.FindChildElem("PlacerType");
    EXPECT_STREQ(typeDoc.GetChildData(), "PolygonPlacer");

    ZrPolygonPlacer fresh;
    EXPECT_EQ(fresh.FromXML(text), 1);
    EXPECT_NEAR(fresh.GetPosition().x, kEarth, 1e-6);
    EXPECT_EQ(fresh.GetPoints().GetSize(), 0);

    // Reading after SetRegion moves the reference point only.
    VEXA::VexaString moved("<Placer><PlacerType>PolygonPlacer</PlacerType><Position><Position:X>1</Position:X>"
                           "<Position:Y>2</Position:Y><Position:Z>3</Position:Z></Position></Placer>");
    EXPECT_EQ(placer.FromXML(moved), 1);
    EXPECT_EQ(placer.GetPosition().y, 2.0);
    EXPECT_EQ(placer.GetPoints().GetSize(), 4);
    EXPECT_EQ(placer.GetMaxCorner().x, 10.0);
    VEXA::VexaString box("<Placer><PlacerType>BoxPlacer</PlacerType></Placer>");
    EXPECT_EQ(placer.FromXML(box), 0);
}

TEST(PolygonPlacer, CopyCarriesThePolygon)
{
    ZrPolygonPlacer source;
    source.SetRegion(Ring({{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}}), VexaPoint2D(2, 2));
    ZrPolygonPlacer copy;
    EXPECT_EQ(copy.Copy(source), 1);
    EXPECT_EQ(copy.GetPoints().GetSize(), 5);
    EXPECT_EQ(copy.GetMaxCorner().y, 4.0);
    EXPECT_EQ(copy.GetPosition().z, source.GetPosition().z);
    ZrParticle a, b;
    std::srand(77);
    source.Place(&a, 0.0);
    std::srand(77);
    copy.Place(&b, 0.0);
    EXPECT_EQ(a.GetCurPos().x, b.GetCurPos().x);
    EXPECT_EQ(a.GetCurPos().z, b.GetCurPos().z);
    EXPECT_EQ(copy.Copy(copy), 0);
    EXPECT_EQ(copy.GetPoints().GetSize(), 5);
}
