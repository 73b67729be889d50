#include "EmissionTestSupport.h"
#include "ZrBoxPlacer.h"
#include "ZrParticle.h"
#include "ZrPointPlacer.h"
#include "ZrPolygonPlacer.h"
#include "ZrRegionPlacer.h"
#include "ZrScrewPlacer.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

using namespace ZRC;
using namespace emission_test;

TEST(Placer, BoxDrawsEachComponentOverTheWholeRangeOrNothingWithoutABox)
{
    ZrBoxPlacer placer;
    placer.SetPosition(ZrVector3d(7, 8, 9));   // the placer's position is not where it places
    ExpectVector(placer.GetPosition(), 7, 8, 9);
    ZrParticle particle;
    particle.SetPosition(ZrVector3d(-1, 4, 5));
    EXPECT_EQ(CountDraws(5, [&] { placer.Place(&particle, 0.1); }), 0);
    ExpectVector(particle.GetCurPos(), -1, 4, 5);
    placer.SetBox(ZrBoundingBox(ZrVector3d(1, 0, -6), ZrVector3d(3, 4, 0)));
    for (unsigned seed : {99u, 7u}) {
        const std::vector<int> r = Draws(seed, 3);
        std::srand(seed);
        placer.Place(&particle, 0.0);
        // The draws are scaled by the generator's real maximum, x then y then z.
        ExpectVector(particle.GetCurPos(), 1.0 + 2.0 * r[0] / RAND_MAX, 4.0 * r[1] / RAND_MAX, -6.0 + 6.0 * r[2] / RAND_MAX, 1e-12);
        EXPECT_EQ(CountDraws(seed, [&] { placer.Place(&particle, 0.0); }), 3);
    }
}

TEST(Placer, PointRegionAndScrewPositions)
{
    ZrPointPlacer point;
    point.SetPosition(ZrVector3d(10, -5, 2.5));
    ZrParticle particle;
    EXPECT_EQ(CountDraws(11, [&] { point.Place(&particle, 0.5); }), 0);
    ExpectVector(particle.GetCurPos(), 10, -5, 2.5);

    // The disc: fraction of the radius in steps of 0.001 and the angle in whole
    // degrees, both single precision; two draws whatever the radius.
    ZrRegionPlacer region;
    EXPECT_EQ(region.GetRadius(), 0.1f);
    region.SetRadius(3.0f);
    region.SetPosition(ZrVector3d(10, 20, 30));
    for (unsigned seed : {1u, 2u, 42u, 1234u}) {
        const std::vector<int> r = Draws(seed, 2);
        const float d = static_cast<float>((r[0] % 1000) * 0.0010000000474974513);
        const float a = static_cast<float>((r[1] % 360) * 3.141592653589793 * 0.0055555556900799274);
        const double c = static_cast<float>(std::cos(static_cast<double>(a)));
        const double s = static_cast<float>(std::sin(static_cast<double>(a)));
        std::srand(seed);
        region.Place(&particle, 0.0);
        ExpectVector(particle.GetCurPos(), 10.0 + c * 3.0 * d, 20.0, 30.0 + s * 3.0 * d, 1e-12);
    }
    for (float radius : {0.0f, 1e-11f, -4.0f, 1.0f}) {
        region.SetRadius(radius);
        EXPECT_EQ(CountDraws(8, [&] { region.Place(&particle, 0.0); }), 2) << radius;
        if (radius < 1.0f)
            ExpectVector(particle.GetCurPos(), 10, 20, 30);
    }

    // The helix: a quarter turn a quarter second, 20 forward per second, radius 5.
    ZrScrewPlacer screw;
    screw.SetPosition(ZrVector3d(1, 2, 3));
    EXPECT_EQ(CountDraws(3, [&] { screw.Place(&particle, 0.25); }), 0);
    const float angle = static_cast<float>(360.0f * 0.25 * 3.141592502593994 / 180.0);
    ExpectVector(particle.GetCurPos(), 1.0 + 5.0f * static_cast<float>(std::cos(static_cast<double>(angle))), 7, 8);
}

// The clock wraps only past a positive round time and never turns non-finite.
TEST(Placer, ScrewClock)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double round, dt;
        int steps;
        double elapsed;
    } cases[] = {{10, 0.25, 40, 10.0}, {10, 0.25, 41, 0.25}, {10, 25, 1, 5},  {0, 1, 30, 30},
                 {-3, 1, 30, 30},      {nan, 1, 30, 30},     {10, -0.5, 1, -0.5}, {10, nan, 1, 0},
                 {10, std::numeric_limits<double>::infinity(), 1, 0}};
    for (const auto& c : cases) {
        ZrScrewPlacer placer; // a ten-second round by default
        if (c.round != 10)
            placer.SetRoundTime(c.round);
        ZrParticle particle;
        for (int i = 0; i < c.steps; ++i)
            placer.Place(&particle, c.dt);
        EXPECT_EQ(placer.GetElapsedTime(), c.elapsed) << c.round << " " << c.dt;
        EXPECT_EQ(particle.GetCurPos().y, 20 * c.elapsed);
    }
    // Far more rounds than an int holds still leave the clock within one round.
    ZrScrewPlacer placer;
    placer.SetRoundTime(1e-6);
    placer.Place(nullptr, 1e9);
    EXPECT_GE(placer.GetElapsedTime(), 0.0);
    EXPECT_LE(placer.GetElapsedTime(), 1e-6);
}

TEST(Placer, DocumentsCopiesAndClones)
{
    ZrBoxPlacer box;
    box.SetPosition(ZrVector3d(1, 1, 1));
    box.SetBox(ZrBoundingBox(ZrVector3d(-1, -1, -1), ZrVector3d(1, 1, 1)));
    ZrPointPlacer point;
    point.SetPosition(ZrVector3d(0.25, -98765.4321, 1e-7));
    ZrPolygonPlacer polygon;
    polygon.SetRegion(Ring({{0, 0}, {3, 4}}), VEXA::VexaPoint2D(1, 1));
    ZrRegionPlacer region;
    region.SetRadius(7.5f);
    ZrScrewPlacer screw;
    screw.SetRoundTime(4.5);
    screw.SetAngleSpeed(90.0f);
    screw.SetForwardSpeed(-2.0f);
    screw.SetRadius(0.1f);
    screw.Place(nullptr, 1.5);

    CheckFamily<ZrPlacer, MockPlacer, ZrBoxPlacer, ZrPointPlacer, ZrPolygonPlacer, ZrRegionPlacer, ZrScrewPlacer>({&box, &point, &polygon, &region, &screw});
    EXPECT_THAT(Xml(screw), testing::HasSubstr("<RoundTime>4.500000</RoundTime>\n\t<AngleSpeed>90.000000</AngleSpeed>\n"
                                               "\t<ForwordSpeed>-2.000000</ForwordSpeed>\n\t<Radius>0.100000</Radius>"));
    EXPECT_EQ(static_cast<ZrBoxPlacer*>(std::unique_ptr<ZrPlacer>(ZrPlacer::Clone(&box)).get())->GetBox().GetMin().x, -1.0);
    std::unique_ptr<ZrPlacer> screwCopy(ZrPlacer::Clone(&screw));
    EXPECT_EQ(static_cast<ZrScrewPlacer*>(screwCopy.get())->GetElapsedTime(), 1.5);
    EXPECT_EQ(MockPlacer().ZrPlacer::GetType(), 0);

    // The document keeps the clock and the box; out-of-order children are passed over.
    VEXA::VexaString shuffled("<Placer><Position><Position:Z>30</Position:Z><Position:X>10</Position:X></Position>"
                              "<Radius>7</Radius><RoundTime>2</RoundTime><AngleSpeed>3</AngleSpeed></Placer>");
    EXPECT_EQ(screw.FromXML(shuffled), 1);
    EXPECT_EQ(screw.GetElapsedTime(), 1.5);
    EXPECT_EQ(screw.GetRoundTime(), 2.0);
    EXPECT_EQ(screw.GetRadius(), 0.1f);
    ExpectVector(screw.GetPosition(), 10, 0, 0);
    VEXA::VexaString notXml("<Placer><Position>");
    EXPECT_EQ(box.FromXML(notXml), 0);
    EXPECT_FALSE(box.GetBox().IsNULL());
    EXPECT_EQ(box.Copy(box) + point.Copy(point) + region.Copy(region) + screw.Copy(screw) + polygon.Copy(polygon), 0);
}
