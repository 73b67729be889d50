#include "ZrParticle.h"
#include "ZrRadialShooter.h"
#include "ZrSingleShooter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

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

std::string Xml(ZrShooter& shooter)
{
    VEXA::VexaString xml;
    EXPECT_EQ(shooter.ToXML(xml), 1);
    return std::string(xml);
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

TEST(ShooterTest, RadialDrawsThetaPhiSpeedInOrder)
{
    ZrRadialShooter fresh; // theta 0..45, phi 0..360, speed 1..2
    ZrRadialShooter shooter;
    shooter.SetThetaRange(10.0f, 80.0f);
    shooter.SetPhiRange(30.0f, 300.0f);
    shooter.SetSpeedRange(0.5f, 4.5f);
    const float ranges[2][6] = {{0, 45, 0, 360, 1, 2}, {10, 80, 30, 300, 0.5f, 4.5f}};
    for (unsigned seed = 1; seed <= 16; ++seed) {
        const float* r = ranges[seed % 2];
        std::srand(seed);
        const int r1 = std::rand(), r2 = std::rand(), r3 = std::rand();
        const int next = std::rand();
        const float th = static_cast<float>(ExpectedDraw(r1, r[0], r[1]) * 0.017453292519943295);
        const float ph = static_cast<float>(ExpectedDraw(r2, r[2], r[3]) * 0.017453292519943295);
        const double speed = ExpectedDraw(r3, r[4], r[5]);
        std::srand(seed);
        const ZrVector3d v = ShootOnce(seed % 2 ? shooter : fresh);
        EXPECT_EQ(v.x, speed * std::sin(th) * std::cos(ph)) << seed;
        EXPECT_EQ(v.y, speed * std::cos(th)) << seed;
        EXPECT_EQ(v.z, speed * std::sin(th) * std::sin(ph)) << seed;
        EXPECT_EQ(std::rand(), next) << "exactly three draws per shot";
    }
    shooter.SetDirection(ZrVector3d(5, 0, 0)); // not a radial setting
    EXPECT_EQ(Xml(shooter).find("5.0"), std::string::npos);
}

TEST(ShooterTest, SpeedDrawsAreHundredStepsFromStartTowardEnd)
{
    struct Case {
        float start, end;
    } cases[] = {{1.0f, 2.0f}, {5.0f, 1.0f}, {3.0f, 3.0f}, {-2.0f, 6.0f}};
    for (const Case& c : cases) {
        ZrSingleShooter shooter;
        shooter.SetDirection(ZrVector3d(1, 0, 2));
        shooter.SetSpeedRange(c.start, c.end);
        for (unsigned seed = 1; seed <= 5; ++seed) {
            std::srand(seed);
            const double speed = ExpectedDraw(std::rand(), c.start, c.end);
            const int next = std::rand();
            std::srand(seed);
            const ZrVector3d v = ShootOnce(shooter);
            EXPECT_EQ(v.x, speed) << c.start << " " << c.end << " " << seed;
            EXPECT_EQ(v.y, 0.0);
            EXPECT_EQ(v.z, 2 * speed);
            EXPECT_EQ(std::rand(), next) << "one draw per shot";
        }
    }
    ZrSingleShooter fresh;
    fresh.SetSpeedRange(2.0f, 2.0f);
    const ZrVector3d d = ShootOnce(fresh);
    EXPECT_EQ(d.x, 2.0);
    EXPECT_EQ(d.y, 2.0);
    EXPECT_EQ(d.z, 2.0);
}

TEST(ShooterTest, DocumentsCopiesAndClones)
{
    ZrRadialShooter radial;
    radial.SetSpeedRange(2.5f, 7.25f);
    radial.SetThetaRange(12.5f, 33.0f);
    radial.SetPhiRange(-10.0f, 90.5f);
    ZrSingleShooter single;
    single.SetSpeedRange(0.5f, 0.75f);
    single.SetDirection(ZrVector3d(-1.5, 0.25, 8));
    EXPECT_NE(Xml(radial).find("<ShooterType>RadialShooter</ShooterType>"), std::string::npos);
    EXPECT_NE(Xml(radial).find("<ThetaRangeStart>12.500000</ThetaRangeStart>"), std::string::npos);

    ZrShooter* parts[] = {&radial, &single};
    for (ZrShooter* part : parts) {
        SCOPED_TRACE(part->GetType());
        const std::string text = Xml(*part);
        VEXA::VexaString xml(text.c_str());
        ZrRadialShooter radialBack;
        ZrSingleShooter singleBack;
        EXPECT_EQ(radialBack.FromXML(xml) + singleBack.FromXML(xml), 1) << "only its own class reads it";
        EXPECT_EQ(Xml(part == &radial ? static_cast<ZrShooter&>(radialBack) : singleBack), text);
        std::unique_ptr<ZrShooter> clone(ZrShooter::Clone(part));
        ASSERT_NE(clone, nullptr);
        EXPECT_EQ(clone->GetType(), part->GetType());
        EXPECT_EQ(Xml(*clone), text);
    }
    EXPECT_EQ(radial.Copy(radial), 0);
    EXPECT_EQ(single.Copy(single), 0);
    EXPECT_EQ(ZrShooter::Clone(nullptr), nullptr);
    FakeRadial fake;
    EXPECT_EQ(ZrShooter::Clone(&fake), nullptr);

    // Partial and out-of-order documents: named values are read, the rest kept.
    VEXA::VexaString text("<Shooter><SpeedRangeEnd>5</SpeedRangeEnd><SpeedRangeStart>3</SpeedRangeStart>"
                          "<PhiRangeEnd>abc</PhiRangeEnd></Shooter>");
    EXPECT_EQ(radial.FromXML(text), 1);
    float a, b;
    radial.GetSpeedRange(a, b);
    EXPECT_EQ(a, 3.0f);
    EXPECT_EQ(b, 7.25f);
    radial.GetPhiRange(a, b);
    EXPECT_EQ(b, 0.0f);
    VEXA::VexaString none("<Emitter><SpeedRangeStart>9</SpeedRangeStart></Emitter>");
    VEXA::VexaString lower("<Shooter><ShooterType>radialshooter</ShooterType><SpeedRangeStart>9</SpeedRangeStart></Shooter>");
    EXPECT_EQ(radial.FromXML(none), 0);
    EXPECT_EQ(radial.FromXML(lower), 0);
    radial.GetSpeedRange(a, b);
    EXPECT_EQ(a, 3.0f);
    VEXA::VexaString dir("<Shooter><ShooterType>SingleShooter</ShooterType><Direction><Direction:Y>-2</Direction:Y></Direction></Shooter>");
    EXPECT_EQ(single.FromXML(dir), 1);
    EXPECT_EQ(single.GetDirection().x, -1.5);
    EXPECT_EQ(single.GetDirection().y, -2.0);
    EXPECT_EQ(single.GetDirection().z, 8.0);
}
