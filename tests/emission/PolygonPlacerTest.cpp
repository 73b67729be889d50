#include "EmissionTestSupport.h"
#include "ZrMathEngine.h"
#include "ZrParticle.h"
#include "ZrPolygonPlacer.h"

#include <cmath>
#include <cstdlib>
#include <vector>

using namespace ZRC;
using namespace emission_test;
using VEXA::VexaPoint2D;

namespace {

const double kRad = 0.017453292519943295;
const double kEarth = 6378137.0;
const ZrVector3d kSentinel(-1.0, -2.0, -3.0);

// Latitude in degrees of a placed particle: its position plus the placer's
// reference point, on the sphere of the earth's radius.
double Latitude(ZrPolygonPlacer& placer, const ZrParticle& particle)
{
    return std::asin((particle.GetCurPos() + placer.GetPosition()).z / kEarth) / kRad;
}

float ScanX(int r, double lo, double hi) { return static_cast<float>(lo + (hi - lo) * (r / static_cast<double>(RAND_MAX))); }

} // namespace

TEST(PolygonPlacer, IntersectSegmentInSinglePrecision)
{
    const VexaPoint2D a0(0, -1), a1(0, 11);
    const double x = 0.1 * 1.0001;
    struct Case {
        VexaPoint2D a0, a1, b0, b1;
        unsigned char hit;
        float y;
    } cases[] = {
        // s = 1/12 rounded to single precision, so the crossing is not exactly 0.
        {a0, a1, {-5, 0}, {5, 0}, 1, static_cast<float>(-1.0 + 12.0 * static_cast<double>(static_cast<float>(1.0 / 12.0)))},
        // The determinant is rounded to single precision too.
        {{x, -1}, {x, 11}, {0, 0}, {10.37, 7.1}, 1, 0.0684735179f},
        {a0, a1, {0, 5}, {4, 9}, 1, 5.0f}, // ends belong to the segments
        {{0, 5}, {0, 11}, {-4, 5}, {4, 5}, 1, 5.0f},
        {a0, a1, {0, 2}, {0, 8}, 0, 0},    // collinear
        {a0, a1, {1, 0}, {5, 0}, 0, 0},    // t < 0
        {a0, a1, {-5, 0}, {-1, 0}, 0, 0},  // t > 1
        {a0, a1, {-5, 20}, {5, 20}, 0, 0}, // s > 1
        {a0, a1, {-5, -3}, {5, -3}, 0, 0}, // s < 0
        {a0, a1, {3, 3}, {3, 3}, 0, 0},    // no length
        {a0, a0, {-5, 0}, {5, 0}, 0, 0},
        {a0, a1, {NAN, 0}, {5, 0}, 0, 0},
    };
    ZrPolygonPlacer placer;
    for (const Case& c : cases) {
        float y = 99.0f;
        SCOPED_TRACE(c.b0.x);
        EXPECT_EQ(placer.IntersectSegment(c.a0, c.a1, c.b0, c.b1, &y), c.hit);
        EXPECT_EQ(y, c.hit ? c.y : 99.0f);
    }
}

TEST(PolygonPlacer, SetRegionSetsCornersAndCentre)
{
    ZrPolygonPlacer placer;
    const auto corners = [&] {
        return std::vector<double>{placer.GetMinCorner().x, placer.GetMinCorner().y, placer.GetMaxCorner().x, placer.GetMaxCorner().y};
    };
    placer.SetRegion(Ring({{3, -2}, {-1, 4}, {7, 1}}), VexaPoint2D(10, 20));
    EXPECT_EQ(placer.GetPoints().GetSize(), 3);
    EXPECT_EQ(corners(), (std::vector<double>{-1, -2, 7, 4}));
    const ZrVector3d centre = ZrMathEngine::SphericalToCartesian(10 * kRad, 20 * kRad, kEarth);
    ExpectVector(placer.GetPosition(), centre.x, centre.y, centre.z);
    // No points: the polygon is gone, the corners stay, the centre moves.
    placer.SetRegion(VEXA::VexaArray<VexaPoint2D>(), VexaPoint2D(0, 0));
    EXPECT_EQ(placer.GetPoints().GetSize(), 0);
    EXPECT_EQ(corners(), (std::vector<double>{-1, -2, 7, 4}));
    EXPECT_EQ(placer.GetPosition().x, kEarth);
    placer.SetRegion(Ring({{5, 6}}), VexaPoint2D(0, 0));
    EXPECT_EQ(corners(), (std::vector<double>{5, 6, 5, 6})) << "one point is both corners";
    // Its own points given back keep the polygon.
    placer.SetRegion(Ring({{1, 1}, {2, 2}}), VexaPoint2D(0, 0));
    placer.SetRegion(placer.GetPoints(), VexaPoint2D(0, 0));
    EXPECT_EQ(placer.GetPoints().GetSize(), 2);
    EXPECT_EQ(corners(), (std::vector<double>{1, 1, 2, 2}));
}

TEST(PolygonPlacer, ClosedSquareExactPointCopiesAndDocument)
{
    ZrPolygonPlacer placer;
    placer.SetRegion(Ring({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}), VexaPoint2D(5, 5));
    ZrPolygonPlacer copy;
    EXPECT_EQ(copy.Copy(placer), 1);
    EXPECT_EQ(copy.Copy(copy), 0);
    for (unsigned seed : {321u, 5u}) {
        const std::vector<int> r = Draws(seed, 2);
        const float X = ScanX(r[0], 0, 10);
        float lower = 0.0f, upper = 0.0f;
        ASSERT_EQ(placer.IntersectSegment(VexaPoint2D(X, -1), VexaPoint2D(X, 11), VexaPoint2D(0, 0), VexaPoint2D(10, 0), &lower), 1);
        ASSERT_EQ(placer.IntersectSegment(VexaPoint2D(X, -1), VexaPoint2D(X, 11), VexaPoint2D(10, 10), VexaPoint2D(0, 10), &upper), 1);
        const float Y = static_cast<float>(lower + std::fabs(lower - upper) * (r[1] / static_cast<double>(RAND_MAX)));
        ZrVector3d expected = ZrMathEngine::SphericalToCartesian(X * kRad, Y * kRad, kEarth);
        expected -= ZrMathEngine::SphericalToCartesian(5 * kRad, 5 * kRad, kEarth);
        for (ZrPolygonPlacer* p : {&placer, &copy}) {
            ZrParticle particle;
            std::srand(seed);
            p->Place(&particle, 0.0);
            ExpectVector(particle.GetCurPos(), expected.x, expected.y, expected.z);
        }
    }
    // Reading a document moves the reference point only.
    VEXA::VexaString moved("<Placer><PlacerType>PolygonPlacer</PlacerType><Position><Position:Y>2</Position:Y></Position></Placer>");
    EXPECT_EQ(placer.FromXML(moved), 1);
    EXPECT_EQ(placer.GetPosition().y, 2.0);
    EXPECT_EQ(placer.GetPoints().GetSize(), 5);
    EXPECT_EQ(placer.GetMaxCorner().x, 10.0);
}

// Draws per placement, and where the start points fall: one draw and no
// placement without an inside interval; unpaired and empty intervals dropped.
TEST(PolygonPlacer, ScanLineIntervals)
{
    struct Case {
        const char* name;
        VEXA::VexaArray<VexaPoint2D> ring;
        int draws;
        double latLo, latHi;
    } cases[] = {
        {"none", Ring({}), 1, 0, 0},
        {"point", Ring({{5, 5}}), 1, 0, 0},
        {"segment", Ring({{0, 0}, {10, 10}}), 1, 0, 0},
        {"thin", Ring({{0, 0}, {10, 0}, {10, 5e-7}, {0, 5e-7}}), 1, 0, 0},
        {"zigzag", Ring({{0, 0}, {10, 0}, {10, 3}, {0, 3}, {0, 6}, {10, 6}}), 2, 0, 3},
        {"thin then wide", Ring({{0, 0}, {10, 0}, {10, 5e-7}, {0, 5e-7}, {0, 5}, {10, 5}, {10, 8}, {0, 8}}), 2, 5, 8},
    };
    ZrParticle particle;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZrPolygonPlacer placer;
        placer.SetRegion(c.ring, VexaPoint2D(5, 5));
        for (unsigned seed = 1; seed <= 60; ++seed) {
            particle.SetPosition(kSentinel);
            ASSERT_EQ(CountDraws(seed, [&] { placer.Place(&particle, 0.0); }), c.draws) << seed;
            if (c.draws == 1) {
                ASSERT_EQ(particle.GetCurPos().x, kSentinel.x);
                continue;
            }
            ASSERT_NEAR(Latitude(placer, particle), (c.latLo + c.latHi) / 2, (c.latHi - c.latLo) / 2 + 1e-5) << seed;
        }
    }

    // A "C" open to the east: between x = 2 and 10 a scan line meets four edges,
    // and the second draw picks the southern or the northern interval.
    ZrPolygonPlacer placer;
    placer.SetRegion(Ring({{0, 0}, {10, 0}, {10, 3}, {2, 3}, {2, 7}, {10, 7}, {10, 10}, {0, 10}, {0, 0}}),
                     VexaPoint2D(5, 5));
    for (unsigned seed = 1; seed <= 300; ++seed) {
        const std::vector<int> r = Draws(seed, 3);
        if (ScanX(r[0], 0, 10) < 2.001f)
            continue;
        ASSERT_EQ(CountDraws(seed, [&] { placer.Place(&particle, 0.0); }), 3) << seed;
        const double lat = Latitude(placer, particle);
        const bool south = static_cast<float>(r[1] / static_cast<double>(RAND_MAX)) < 0.5f;
        ASSERT_NEAR(lat, south ? 1.5 : 8.5, 1.5 + 1e-6) << seed;
    }
}
