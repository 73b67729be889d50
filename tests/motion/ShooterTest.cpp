#include "ZrParticle.h"
#include "ZrRadialShooter.h"
#include "ZrSingleShooter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

using namespace ZRC;

namespace {

// The value a shooter draw gives for the random number r in the range start..end.
float ExpectedDraw(int r, float start, float end)
{
    return static_cast<float>((r % 100) * static_cast<double>(0.01f) * static_cast<float>(end - start) + start);
}

ZrVector3d ShootOnce(ZrShooter& shooter)
{
    ZrParticle particle;
    shooter.Shoot(&particle, 0.016);
    return particle.GetVelocity();
}

// A shooter that claims the radial type code without being one.
class FakeRadial : public ZrShooter {
public:
    int GetType() const override { return 1; }
    void Shoot(ZrParticle*, double) override {}
    unsigned char FromXML(VEXA::VexaString&) override { return 0; }
    unsigned char ToXML(VEXA::VexaString&) override { return 0; }
};

} // namespace

TEST(ShooterTest, InitialValuesAndTypes)
{
    ZrRadialShooter radial;
    ZrSingleShooter single;
    EXPECT_EQ(radial.GetType(), 1);
    EXPECT_EQ(single.GetType(), 2);
    float a = 0, b = 0;
    radial.GetSpeedRange(a, b);
    EXPECT_EQ(a, 1.0f);
    EXPECT_EQ(b, 2.0f);
    radial.GetThetaRange(a, b);
    EXPECT_EQ(a, 0.0f);
    EXPECT_EQ(b, 45.0f);
    radial.GetPhiRange(a, b);
    EXPECT_EQ(a, 0.0f);
    EXPECT_EQ(b, 360.0f);
    const ZrVector3d d = single.GetDirection();
    EXPECT_EQ(d.x, 1.0);
    EXPECT_EQ(d.y, 1.0);
    EXPECT_EQ(d.z, 1.0);
}

TEST(ShooterTest, RadialDrawsThetaPhiSpeedInOrder)
{
    ZrRadialShooter shooter;
    shooter.SetThetaRange(10.0f, 80.0f);
    shooter.SetPhiRange(30.0f, 300.0f);
    shooter.SetSpeedRange(0.5f, 4.5f);
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::srand(seed);
        const int r1 = std::rand(), r2 = std::rand(), r3 = std::rand();
        const int next = std::rand();
        const float th = static_cast<float>(ExpectedDraw(r1, 10.0f, 80.0f) * 0.017453292519943295);
        const float ph = static_cast<float>(ExpectedDraw(r2, 30.0f, 300.0f) * 0.017453292519943295);
        const double speed = ExpectedDraw(r3, 0.5f, 4.5f);
        const float st = std::sin(th), ct = std::cos(th), sp = std::sin(ph), cp = std::cos(ph);
        std::srand(seed);
        const ZrVector3d v = ShootOnce(shooter);
        EXPECT_EQ(v.x, speed * st * cp) << seed;
        EXPECT_EQ(v.y, speed * ct) << seed;
        EXPECT_EQ(v.z, speed * st * sp) << seed;
        EXPECT_EQ(std::rand(), next) << "exactly three draws per shot";
    }
}

TEST(ShooterTest, SpeedsAreHundredStepsBelowTheEnd)
{
    ZrRadialShooter shooter;
    shooter.SetThetaRange(0.0f, 0.0f);
    std::srand(12345);
    bool sawLow = false;
    for (int i = 0; i < 2000; ++i) {
        const double speed = ShootOnce(shooter).y;
        EXPECT_GE(speed, 1.0);
        EXPECT_LT(speed, 2.0);
        const double hundredths = speed * 100.0;
        EXPECT_NEAR(hundredths, std::round(hundredths), 1e-4);
        sawLow = sawLow || speed == 1.0;
    }
    EXPECT_TRUE(sawLow);

    shooter.SetSpeedRange(3.0f, 3.0f);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(ShootOnce(shooter).y, 3.0);
}

TEST(ShooterTest, ReversedRangeRunsDownward)
{
    ZrSingleShooter shooter;
    shooter.SetDirection(ZrVector3d(1, 0, 0));
    shooter.SetSpeedRange(5.0f, 1.0f);
    std::srand(99);
    for (int i = 0; i < 200; ++i) {
        const double s = ShootOnce(shooter).x;
        EXPECT_LE(s, 5.0);
        EXPECT_GT(s, 1.0);
    }
}

TEST(ShooterTest, RadialAxes)
{
    ZrRadialShooter shooter;
    shooter.SetThetaRange(0.0f, 0.0f);
    std::srand(3);
    for (int i = 0; i < 20; ++i) {
        const ZrVector3d v = ShootOnce(shooter);
        EXPECT_EQ(v.x, 0.0);
        EXPECT_EQ(v.z, 0.0);
        EXPECT_GE(v.y, 1.0);
    }
    shooter.SetThetaRange(90.0f, 90.0f);
    shooter.SetPhiRange(0.0f, 0.0f);
    shooter.SetSpeedRange(2.0f, 2.0f);
    const ZrVector3d v = ShootOnce(shooter);
    EXPECT_EQ(v.x, 2.0);
    EXPECT_NEAR(v.y, 0.0, 1e-6);
    EXPECT_NE(v.y, 0.0); // single-precision residue of cos 90 degrees
    EXPECT_EQ(v.z, 0.0);
    shooter.SetPhiRange(90.0f, 90.0f);
    const ZrVector3d w = ShootOnce(shooter);
    EXPECT_NEAR(w.x, 0.0, 1e-6);
    EXPECT_EQ(w.z, 2.0);
}

TEST(ShooterTest, SingleShooterScalesTheDirection)
{
    ZrSingleShooter shooter;
    shooter.SetSpeedRange(1.0f, 1.0f);
    shooter.SetDirection(ZrVector3d(0, 0, 2));
    ZrVector3d v = ShootOnce(shooter);
    EXPECT_EQ(v.x, 0.0);
    EXPECT_EQ(v.y, 0.0);
    EXPECT_EQ(v.z, 2.0);

    ZrSingleShooter diagonal;
    std::srand(77);
    const double speed = ExpectedDraw(std::rand(), 1.0f, 2.0f);
    const int next = std::rand();
    std::srand(77);
    v = ShootOnce(diagonal);
    EXPECT_EQ(v.x, speed);
    EXPECT_NEAR(v.Length(), speed * std::sqrt(3.0), 1e-12);
    EXPECT_EQ(std::rand(), next) << "one draw per shot";
}

TEST(ShooterTest, SetDirectionOnlyForSingle)
{
    ZrRadialShooter radial;
    radial.SetThetaRange(0.0f, 0.0f);
    radial.SetSpeedRange(1.0f, 1.0f);
    radial.SetDirection(ZrVector3d(5, 0, 0));
    const ZrVector3d v = ShootOnce(radial);
    EXPECT_EQ(v.x, 0.0);
    EXPECT_EQ(v.y, 1.0);

    ZrSingleShooter single;
    ZrShooter& base = single;
    base.SetDirection(ZrVector3d(3, 4, 0));
    EXPECT_EQ(single.GetDirection().x, 3.0);
    EXPECT_EQ(single.GetDirection().y, 4.0);
    EXPECT_EQ(single.GetDirection().z, 0.0);
}

TEST(ShooterTest, DocumentsRoundTrip)
{
    ZrRadialShooter radial;
    radial.SetSpeedRange(2.5f, 7.25f);
    radial.SetThetaRange(12.5f, 33.0f);
    radial.SetPhiRange(-10.0f, 90.5f);
    VEXA::VexaString xml;
    EXPECT_EQ(radial.ToXML(xml), 1);
    EXPECT_NE(std::string(xml).find("<ShooterType>RadialShooter</ShooterType>"), std::string::npos);
    EXPECT_NE(std::string(xml).find("<ThetaRangeStart>12.500000</ThetaRangeStart>"), std::string::npos);
    ZrRadialShooter radialBack;
    EXPECT_EQ(radialBack.FromXML(xml), 1);
    float a, b;
    radialBack.GetSpeedRange(a, b);
    EXPECT_EQ(a, 2.5f);
    EXPECT_EQ(b, 7.25f);
    radialBack.GetThetaRange(a, b);
    EXPECT_EQ(a, 12.5f);
    EXPECT_EQ(b, 33.0f);
    radialBack.GetPhiRange(a, b);
    EXPECT_EQ(a, -10.0f);
    EXPECT_EQ(b, 90.5f);

    // The other class's element is refused with nothing changed.
    ZrSingleShooter single;
    EXPECT_EQ(single.FromXML(xml), 0);
    single.GetSpeedRange(a, b);
    EXPECT_EQ(a, 1.0f);

    single.SetSpeedRange(0.5f, 0.75f);
    single.SetDirection(ZrVector3d(-1.5, 0.25, 8));
    EXPECT_EQ(single.ToXML(xml), 1);
    EXPECT_EQ(radialBack.FromXML(xml), 0);
    radialBack.GetSpeedRange(a, b);
    EXPECT_EQ(a, 2.5f);
    ZrSingleShooter singleBack;
    EXPECT_EQ(singleBack.FromXML(xml), 1);
    singleBack.GetSpeedRange(a, b);
    EXPECT_EQ(a, 0.5f);
    EXPECT_EQ(b, 0.75f);
    EXPECT_EQ(singleBack.GetDirection().x, -1.5);
    EXPECT_EQ(singleBack.GetDirection().y, 0.25);
    EXPECT_EQ(singleBack.GetDirection().z, 8.0);
}

TEST(ShooterTest, ReadingPartialAndOutOfOrderDocuments)
{
    ZrRadialShooter radial;
    VEXA::VexaString text("<Shooter><SpeedRangeEnd>5</SpeedRangeEnd><SpeedRangeStart>3</SpeedRangeStart>"
                          "<PhiRangeEnd>abc</PhiRangeEnd></Shooter>");
    EXPECT_EQ(radial.FromXML(text), 1);
    float a, b;
    radial.GetSpeedRange(a, b);
    EXPECT_EQ(a, 3.0f);
    EXPECT_EQ(b, 2.0f);
    radial.GetPhiRange(a, b);
    EXPECT_EQ(b, 0.0f);

    VEXA::VexaString none("<Emitter><SpeedRangeStart>9</SpeedRangeStart></Emitter>");
    EXPECT_EQ(radial.FromXML(none), 0);
    VEXA::VexaString lower("<Shooter><ShooterType>radialshooter</ShooterType><SpeedRangeStart>9</SpeedRangeStart></Shooter>");
    EXPECT_EQ(radial.FromXML(lower), 0);
    radial.GetSpeedRange(a, b);
    EXPECT_EQ(a, 3.0f);

    ZrSingleShooter single;
    VEXA::VexaString dir("<Shooter><ShooterType>SingleShooter</ShooterType><Direction><Direction:Y>-2</Direction:Y></Direction></Shooter>");
    EXPECT_EQ(single.FromXML(dir), 1);
    EXPECT_EQ(single.GetDirection().x, 1.0);
    EXPECT_EQ(single.GetDirection().y, -2.0);
    EXPECT_EQ(single.GetDirection().z, 1.0);
}

TEST(ShooterTest, CopyAndClone)
{
    ZrRadialShooter radial;
    radial.SetSpeedRange(4, 6);
    radial.SetThetaRange(1, 2);
    radial.SetPhiRange(3, 4);
    EXPECT_EQ(radial.Copy(radial), 0);
    std::unique_ptr<ZrShooter> c(ZrShooter::Clone(&radial));
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->GetType(), 1);
    auto* rc = dynamic_cast<ZrRadialShooter*>(c.get());
    ASSERT_NE(rc, nullptr);
    float a, b;
    rc->GetSpeedRange(a, b);
    EXPECT_EQ(a, 4.0f);
    EXPECT_EQ(b, 6.0f);
    rc->GetThetaRange(a, b);
    EXPECT_EQ(a, 1.0f);
    EXPECT_EQ(b, 2.0f);
    rc->GetPhiRange(a, b);
    EXPECT_EQ(a, 3.0f);
    EXPECT_EQ(b, 4.0f);

    ZrSingleShooter single;
    single.SetDirection(ZrVector3d(7, 8, 9));
    single.SetSpeedRange(0.25f, 0.5f);
    std::unique_ptr<ZrShooter> s(ZrShooter::Clone(&single));
    auto* sc = dynamic_cast<ZrSingleShooter*>(s.get());
    ASSERT_NE(sc, nullptr);
    EXPECT_EQ(sc->GetDirection().y, 8.0);
    sc->GetSpeedRange(a, b);
    EXPECT_EQ(a, 0.25f);
    EXPECT_EQ(b, 0.5f);

    EXPECT_EQ(ZrShooter::Clone(nullptr), nullptr);
    FakeRadial fake;
    EXPECT_EQ(ZrShooter::Clone(&fake), nullptr);
}
