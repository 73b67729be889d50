// The disc (region) and helix (screw) placers.
#include "EmissionTestSupport.h"
#include "ZrMarkup.h"
#include "ZrParticle.h"
#include "ZrRegionPlacer.h"
#include "ZrScrewPlacer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

using namespace ZRC;
using emission_test::CountDraws;
using emission_test::Draws;
using emission_test::FindSeed;

namespace {

std::vector<std::string> ChildNames(const VEXA::VexaString& text)
{
    std::vector<std::string> names;
    ZrMarkup doc(text);
    if (!doc.FindElem("Placer"))
        return names;
    while (doc.FindChildElem(nullptr))
        names.push_back(doc.GetChildTagName().GetString());
    return names;
}

std::string ChildText(const VEXA::VexaString& text, const char* name)
{
    ZrMarkup doc(text);
    if (!doc.FindElem("Placer") || !doc.FindChildElem(name))
        return "<missing>";
    return doc.GetChildData().GetString();
}

} // namespace

TEST(RegionPlacer, DefaultsPlaceOnASmallDiscAtTheOrigin)
{
    ZrRegionPlacer placer;
    EXPECT_EQ(placer.GetType(), 4);
    EXPECT_EQ(placer.GetRadius(), 0.1f);
    ZrParticle particle;
    std::srand(17);
    for (int i = 0; i < 500; ++i) {
        placer.Place(&particle, 0.3);
        const ZrVector3d p = particle.GetCurPos();
        ASSERT_EQ(p.y, 0.0);
        ASSERT_LE(std::sqrt(p.x * p.x + p.z * p.z), 0.1 + 1e-7);
    }
}

TEST(RegionPlacer, HalfRadiusAtNinetyDegrees)
{
    const unsigned seed =
        FindSeed(2, [](const std::vector<int>& r) { return r[0] % 1000 == 500 && r[1] % 360 == 90; });
    ASSERT_NE(seed, 0u);
    ZrRegionPlacer placer;
    placer.SetRadius(2.0f);
    ZrParticle particle;
    std::srand(seed);
    placer.Place(&particle, 0.0);
    const ZrVector3d p = particle.GetCurPos();
    EXPECT_NEAR(p.x, 0.0, 1e-6);
    EXPECT_EQ(p.y, 0.0);
    EXPECT_NEAR(p.z, 1.0, 1e-6);
}

TEST(RegionPlacer, FollowsTheSinglePrecisionSteps)
{
    // The distance fraction and the angle are single-precision values, and so
    // are the sine and cosine; the rest is double precision.
    ZrRegionPlacer placer;
    placer.SetRadius(3.0f);
    placer.SetPosition(ZrVector3d(10, 20, 30));
    ZrParticle particle;
    for (unsigned seed : {1u, 2u, 42u, 1234u}) {
        const std::vector<int> r = Draws(seed, 2);
        const float d = static_cast<float>((r[0] % 1000) * 0.0010000000474974513);
        const float a = static_cast<float>((r[1] % 360) * 3.141592653589793 * 0.0055555556900799274);
        const double c = static_cast<float>(std::cos(static_cast<double>(a)));
        const double s = static_cast<float>(std::sin(static_cast<double>(a)));
        std::srand(seed);
        placer.Place(&particle, 0.0);
        const ZrVector3d p = particle.GetCurPos();
        EXPECT_DOUBLE_EQ(p.x, 10.0 + c * 3.0 * d) << seed;
        EXPECT_EQ(p.y, 20.0);
        EXPECT_DOUBLE_EQ(p.z, 30.0 + s * 3.0 * d) << seed;
    }
}

TEST(RegionPlacer, TinyOrNegativeRadiusPlacesAtTheCentreAfterTwoDraws)
{
    ZrRegionPlacer placer;
    placer.SetPosition(ZrVector3d(1, 2, 3));
    ZrParticle particle;
    for (float radius : {0.0f, 1e-11f, -4.0f}) {
        placer.SetRadius(radius);
        EXPECT_EQ(CountDraws(8, [&] { placer.Place(&particle, 0.0); }), 2) << radius;
        const ZrVector3d p = particle.GetCurPos();
        EXPECT_EQ(p.x, 1.0);
        EXPECT_EQ(p.y, 2.0);
        EXPECT_EQ(p.z, 3.0);
    }
    placer.SetRadius(1.0f);
    EXPECT_EQ(CountDraws(8, [&] { placer.Place(&particle, 0.0); }), 2);
}

TEST(RegionPlacer, DocumentOrderAndTags)
{
    ZrRegionPlacer placer;
    VEXA::VexaString text("<Placer><PlacerType>RegionPlacer</PlacerType><Position><Position:X>1</Position:X>"
                          "<Position:Y>2</Position:Y><Position:Z>3</Position:Z></Position><Radius>3.5</Radius></Placer>");
    EXPECT_EQ(placer.FromXML(text), 1);
    EXPECT_EQ(placer.GetRadius(), 3.5f);
    EXPECT_EQ(placer.GetPosition().z, 3.0);

    VEXA::VexaString point("<Placer><PlacerType>PointPlacer</PlacerType><Radius>9</Radius></Placer>");
    EXPECT_EQ(placer.FromXML(point), 0);
    EXPECT_EQ(placer.GetRadius(), 3.5f);

    // "Radius" is looked for after "Position".
    VEXA::VexaString early("<Placer><Radius>9</Radius><Position><Position:X>5</Position:X></Position></Placer>");
    EXPECT_EQ(placer.FromXML(early), 1);
    EXPECT_EQ(placer.GetRadius(), 3.5f);
    EXPECT_EQ(placer.GetPosition().x, 5.0);
    // Without "Position" it is found anywhere after the type.
    VEXA::VexaString noPosition("<Placer><Radius>0.3</Radius></Placer>");
    EXPECT_EQ(placer.FromXML(noPosition), 1);
    EXPECT_EQ(placer.GetRadius(), 0.3f); // rounded to single precision
}

TEST(RegionPlacer, RoundTripAndCopy)
{
    ZrRegionPlacer placer;
    placer.SetPosition(ZrVector3d(-1.5, 0.25, 8));
    placer.SetRadius(0.1f);
    VEXA::VexaString text;
    ASSERT_EQ(placer.ToXML(text), 1);
    EXPECT_EQ(ChildNames(text), (std::vector<std::string>{"PlacerType", "Position", "Radius"}));
    EXPECT_EQ(ChildText(text, "Radius"), "0.100000");
    ZrRegionPlacer read;
    read.SetRadius(5.0f);
    EXPECT_EQ(read.FromXML(text), 1);
    EXPECT_EQ(read.GetRadius(), 0.1f);
    EXPECT_EQ(read.GetPosition().x, -1.5);
    EXPECT_EQ(read.GetPosition().z, 8.0);

    ZrRegionPlacer copy;
    EXPECT_EQ(copy.Copy(placer), 1);
    EXPECT_EQ(copy.GetRadius(), 0.1f);
    EXPECT_EQ(copy.GetPosition().y, 0.25);
    EXPECT_EQ(copy.Copy(copy), 0);
}

TEST(ScrewPlacer, QuarterSecondIsAQuarterTurn)
{
    ZrScrewPlacer placer;
    EXPECT_EQ(placer.GetType(), 5);
    EXPECT_EQ(placer.GetRoundTime(), 10.0);
    EXPECT_EQ(placer.GetAngleSpeed(), 360.0f);
    EXPECT_EQ(placer.GetForwardSpeed(), 20.0f);
    EXPECT_EQ(placer.GetRadius(), 5.0f);
    ZrParticle particle;
    EXPECT_EQ(CountDraws(3, [&] { placer.Place(&particle, 0.25); }), 0);
    EXPECT_EQ(placer.GetElapsedTime(), 0.25);
    const ZrVector3d p = particle.GetCurPos();
    // 90 degrees in single precision: the cosine is a few ten-millionths.
    EXPECT_NE(p.x, 0.0);
    EXPECT_NEAR(p.x, 0.0, 1e-6);
    EXPECT_EQ(p.y, 5.0);
    EXPECT_EQ(p.z, 5.0);
    const float angle = static_cast<float>(360.0f * 0.25 * 3.141592502593994 / 180.0);
    EXPECT_DOUBLE_EQ(p.x, static_cast<double>(5.0f * static_cast<float>(std::cos(static_cast<double>(angle)))));
}

TEST(ScrewPlacer, WrapsOnlyPastTheRoundTime)
{
    ZrScrewPlacer placer;
    placer.SetPosition(ZrVector3d(1, 2, 3));
    ZrParticle particle;
    for (int i = 0; i < 40; ++i)
        placer.Place(&particle, 0.25);
    EXPECT_EQ(placer.GetElapsedTime(), 10.0);
    EXPECT_EQ(particle.GetCurPos().y, 202.0);
    EXPECT_NEAR(particle.GetCurPos().x, 6.0, 1e-4); // ten whole turns
    placer.Place(&particle, 0.25);
    EXPECT_EQ(placer.GetElapsedTime(), 0.25);
    EXPECT_EQ(particle.GetCurPos().y, 7.0);

    ZrScrewPlacer big;
    big.Place(&particle, 25.0);
    EXPECT_EQ(big.GetElapsedTime(), 5.0);
    EXPECT_EQ(particle.GetCurPos().y, 100.0);
}

TEST(ScrewPlacer, NoAngleSpeedGivesALineAtTheRadius)
{
    ZrScrewPlacer placer;
    VEXA::VexaString text("<Placer><PlacerType>ScrewPlacer</PlacerType><Position><Position:X>1</Position:X>"
                          "</Position><AngleSpeed>0</AngleSpeed></Placer>");
    ASSERT_EQ(placer.FromXML(text), 1);
    ZrParticle particle;
    for (int i = 1; i <= 4; ++i) {
        placer.Place(&particle, 0.5);
        const ZrVector3d p = particle.GetCurPos();
        EXPECT_EQ(p.x, 6.0);
        EXPECT_EQ(p.y, 20.0 * 0.5 * i);
        EXPECT_EQ(p.z, 0.0);
    }
}

TEST(ScrewPlacer, NonPositiveRoundTimeRunsOn)
{
    for (double round : {0.0, -3.0, std::numeric_limits<double>::quiet_NaN()}) {
        ZrScrewPlacer placer;
        placer.SetRoundTime(round);
        ZrParticle particle;
        for (int i = 0; i < 30; ++i)
            placer.Place(&particle, 1.0);
        EXPECT_EQ(placer.GetElapsedTime(), 30.0) << round;
        EXPECT_EQ(particle.GetCurPos().y, 600.0) << round;
        EXPECT_TRUE(std::isfinite(particle.GetCurPos().x));
    }
}

TEST(ScrewPlacer, NonFiniteStepsDoNotPoisonTheClock)
{
    ZrScrewPlacer placer;
    ZrParticle particle;
    placer.Place(&particle, std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isfinite(placer.GetElapsedTime()));
    placer.Place(&particle, std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(std::isfinite(placer.GetElapsedTime()));
    placer.Place(&particle, 0.25);
    EXPECT_TRUE(std::isfinite(particle.GetCurPos().x));
    EXPECT_TRUE(std::isfinite(particle.GetCurPos().y));
    // Far more rounds than an int holds still leave the clock within one round.
    ZrScrewPlacer far;
    far.SetRoundTime(1e-6);
    far.Place(&particle, 1e9);
    EXPECT_GE(far.GetElapsedTime(), 0.0);
    EXPECT_LE(far.GetElapsedTime(), 1e-6);
}

TEST(ScrewPlacer, ClockAdvancesPerParticle)
{
    ZrScrewPlacer placer;
    ZrParticle particle;
    for (int i = 0; i < 5; ++i)
        placer.Place(&particle, 0.1);
    EXPECT_NEAR(placer.GetElapsedTime(), 0.5, 1e-12);
    placer.Place(&particle, -0.2); // a negative step turns the clock back
    EXPECT_NEAR(placer.GetElapsedTime(), 0.3, 1e-12);
}

TEST(ScrewPlacer, DocumentLeavesTheClockAlone)
{
    ZrScrewPlacer placer;
    placer.SetPosition(ZrVector3d(1, 2, 3));
    placer.SetRoundTime(4.5);
    placer.SetAngleSpeed(90.0f);
    placer.SetForwardSpeed(-2.0f);
    placer.SetRadius(0.1f);
    ZrParticle particle;
    placer.Place(&particle, 3.5);
    VEXA::VexaString text;
    ASSERT_EQ(placer.ToXML(text), 1);
    EXPECT_EQ(ChildNames(text), (std::vector<std::string>{"PlacerType", "Position", "RoundTime", "AngleSpeed",
                                                          "ForwordSpeed", "Radius"}));
    EXPECT_EQ(ChildText(text, "PlacerType"), "ScrewPlacer");
    EXPECT_EQ(ChildText(text, "RoundTime"), "4.500000");
    EXPECT_EQ(ChildText(text, "ForwordSpeed"), "-2.000000");
    EXPECT_EQ(ChildText(text, "Radius"), "0.100000");

    ZrScrewPlacer read;
    read.Place(&particle, 1.25);
    EXPECT_EQ(read.FromXML(text), 1);
    EXPECT_EQ(read.GetElapsedTime(), 1.25);
    EXPECT_EQ(read.GetRoundTime(), 4.5);
    EXPECT_EQ(read.GetAngleSpeed(), 90.0f);
    EXPECT_EQ(read.GetForwardSpeed(), -2.0f);
    EXPECT_EQ(read.GetRadius(), 0.1f);
    EXPECT_EQ(read.GetPosition().y, 2.0);
    EXPECT_EQ(placer.FromXML(text), 1);
    EXPECT_EQ(placer.GetElapsedTime(), 3.5);

    VEXA::VexaString region("<Placer><PlacerType>RegionPlacer</PlacerType><RoundTime>1</RoundTime></Placer>");
    EXPECT_EQ(read.FromXML(region), 0);
    EXPECT_EQ(read.GetRoundTime(), 4.5);
    // The specific elements are looked for in the written order.
    VEXA::VexaString shuffled("<Placer><Radius>7</Radius><RoundTime>2</RoundTime><AngleSpeed>3</AngleSpeed></Placer>");
    EXPECT_EQ(read.FromXML(shuffled), 1);
    EXPECT_EQ(read.GetRoundTime(), 2.0);
    EXPECT_EQ(read.GetAngleSpeed(), 3.0f);
    EXPECT_EQ(read.GetRadius(), 0.1f);
}

TEST(ScrewPlacer, CopyContinuesTheHelix)
{
    ZrScrewPlacer placer;
    placer.SetRadius(2.0f);
    ZrParticle a, b;
    placer.Place(&a, 0.7);
    ZrScrewPlacer copy;
    EXPECT_EQ(copy.Copy(placer), 1);
    EXPECT_EQ(copy.GetElapsedTime(), 0.7);
    EXPECT_EQ(copy.GetRadius(), 2.0f);
    placer.Place(&a, 0.3);
    copy.Place(&b, 0.3);
    EXPECT_EQ(a.GetCurPos().x, b.GetCurPos().x);
    EXPECT_EQ(a.GetCurPos().y, b.GetCurPos().y);
    EXPECT_EQ(a.GetCurPos().z, b.GetCurPos().z);
    EXPECT_EQ(copy.Copy(copy), 0);
}
