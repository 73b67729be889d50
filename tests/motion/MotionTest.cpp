#include "../emission/EmissionTestSupport.h"
#include "ZrAccelInfluence.h"
#include "ZrParticle.h"
#include "ZrParticleSystem.h"
#include "ZrRadialShooter.h"
#include "ZrRandomWind.h"
#include "ZrSingleShooter.h"
#include "ZrVectorUnit.h"
#include "ZrWindInfluence.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace ZRC;
using namespace emission_test;

namespace {

void Fill(ZrParticleSystem& system, int count)
{
    ZrParticle templ;
    for (int i = 0; i < count; ++i)
        ASSERT_NE(system.CreateParticle(&templ), nullptr);
}

double Vx(ZrParticleSystem& system, int i) { return system.GetParticle(i)->GetVelocity().x; }

class MockInfluence : public ZrInfluence {
public:
    MOCK_METHOD(int, GetType, (), (const, override));
    MOCK_METHOD(void, Apply, (ZrParticleSystem*, double), (override));
    MOCK_METHOD(unsigned char, FromXML, (VEXA::VexaString&), (override));
    MOCK_METHOD(unsigned char, ToXML, (VEXA::VexaString&), (override));
};

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

void ExpectWritten(const std::string& text, const std::vector<const char*>& values)
{
    for (const char* value : values)
        EXPECT_NE(text.find(std::string(">") + value + "<"), std::string::npos) << value;
}

} // namespace

TEST(InfluenceTest, DocumentsCopiesAndClones)
{
    ZrAccelInfluence accel;
    ZrVector3d direction(1, 1, 1);
    float size = 1.0f;
    accel.GetAccelDirection(direction);
    accel.GetAccelSize(size);
    EXPECT_EQ(direction.Length() + size, 0.0) << "a new acceleration pushes nothing";
    accel.SetAccelDirection(ZrVector3d(0.5, -1, 2));
    accel.SetAccelSize(3.25f);
    accel.SetEnabled(0);
    ExpectWritten(Xml(accel), {"0.500000", "-1.000000", "2.000000", "3.250000"});

    ZrWindInfluence wind;
    EXPECT_THAT(Xml(wind), testing::ContainsRegex("<Speed>1.000000</Speed>\\s*<Theta>90.000000</Theta>.*<VisCosity>0.000018<"));
    wind.SetWindVelocity(ZrVector3d(3, -2, 0.5));
    wind.SetSpeed(4);
    wind.SetTheta(30);
    wind.SetPhi(60);
    wind.SetViscosity(0.25f);
    wind.SetDensity(2.5f);
    wind.SetEnabled(0);
    ExpectWritten(Xml(wind), {"3.000000", "-2.000000", "0.500000", "4.000000", "30.000000", "60.000000", "0.250000", "2.500000"});

    ZrRandomWind gusts;
    EXPECT_EQ(gusts.GetWindVelocity().x, 1.0);
    EXPECT_THAT(Xml(gusts), testing::ContainsRegex("<SpeedStart>1.000000</SpeedStart>\\s*<SpeedEnd>1.000000<"));
    gusts.SetSpeedRange(0.5f, 2.5f);
    gusts.SetThetaRange(10, 20);
    gusts.SetPhiRange(30, 40);
    gusts.SetViscosity(0.125f);
    gusts.SetDensity(1.5f);
    gusts.SetPowerTime(0.75);
    gusts.SetWindVelocity(ZrVector3d(9, 9, 9));
    gusts.SetEnabled(0);
    ExpectWritten(Xml(gusts), {"0.500000", "2.500000", "10.000000", "20.000000", "30.000000", "40.000000", "0.125000", "1.500000", "0.750000"});
    EXPECT_EQ(Xml(gusts).find("9.000000"), std::string::npos) << "the gust is not stored";

    CheckFamily<ZrInfluence, MockInfluence, ZrAccelInfluence, ZrWindInfluence, ZrRandomWind>({&accel, &wind, &gusts});
    for (ZrInfluence* source : std::vector<ZrInfluence*>{&accel, &wind, &gusts})
        EXPECT_EQ(std::unique_ptr<ZrInfluence>(ZrInfluence::Clone(source))->IsEnabled(), 0) << "clones keep the switch";
    EXPECT_EQ(accel.Copy(accel) + wind.Copy(wind) + gusts.Copy(gusts), 0);
    EXPECT_EQ(MockInfluence().ZrInfluence::GetType(), 0);
}

// No system or an empty one: nothing is drawn. Dead particles and disabled influences are left alone.
TEST(InfluenceTest, ReachOnlyLiveParticlesOfEnabledInfluences)
{
    ZrAccelInfluence gravity;
    gravity.SetAccelDirection(ZrVector3d(0, -2, 0));
    gravity.SetAccelSize(4.9f);
    ZrWindInfluence wind;
    ZrRandomWind gusts;
    for (ZrInfluence* influence : std::vector<ZrInfluence*>{&gravity, &wind, &gusts}) {
        SCOPED_TRACE(influence->GetType());
        ZrParticleSystem system, empty;
        // A dead slot at each place of a group of four, where a loop takes four at a time.
        const std::vector<int> dead{1, 6, 11, 12};
        Fill(system, 16);
        for (int i : dead) {
            system.GetParticle(i)->SetMustDie(1);
            system.GetParticle(i)->UpdateParticle(0.0);
        }
        std::srand(5);
        const int next = std::rand();
        std::srand(5);
        influence->Apply(nullptr, 0.5);
        influence->Apply(&empty, 0.5);
        EXPECT_EQ(std::rand(), next);
        influence->Apply(&system, 0.5);
        EXPECT_GT(system.GetParticle(0)->GetVelocity().Length(), 0.0);
        for (int i = 1; i < 16; ++i) {
            if (std::find(dead.begin(), dead.end(), i) != dead.end()) {
                EXPECT_EQ(system.GetParticle(i)->GetVelocity().Length(), 0.0) << "dead particles keep their velocity: " << i;
            } else if (influence != &gusts) {
                EXPECT_EQ(system.GetParticle(i)->GetVelocity().y, system.GetParticle(0)->GetVelocity().y) << i;
            }
        }
        if (influence == &gravity) {
            EXPECT_NEAR(system.GetParticle(0)->GetVelocity().y, -4.9, 1e-6);
        }
        influence->SetEnabled(0);
        system.GetParticle(0)->SetVelocity(ZrVector3d());
        influence->Apply(&system, 0.5);
        EXPECT_EQ(system.GetParticle(0)->GetVelocity().Length(), 0.0);
    }
}

// Drag toward the wind: (wind - v) * pi r^2 * (|v - wind| * 0.2 pi density + 6 pi viscosity) / mass.
TEST(InfluenceTest, SteadyWindDrag)
{
    struct Case {
        ZrVector3d wind, velocity;
        float viscosity, density, mass;
        bool noArea;
        double expectedX;
    } cases[] = {
        {ZrVector3d(1, 0, 0), ZrVector3d(), 1.8e-5f, 1.2929f, 0.0f, false, 0.10213},
        {ZrVector3d(2, 0, 0), ZrVector3d(), 1.8e-5f, 1.2929f, 0.0f, false, 0.40842},
        {ZrVector3d(1, 0, 0), ZrVector3d(), 0.5f, 0.0f, 0.0f, false, 1.18435},
        {ZrVector3d(1, 0, 0), ZrVector3d(), 1.8e-5f, 1.2929f, 0.2f, false, 0.10213 / 2},
        {ZrVector3d(1, 0, 0), ZrVector3d(-3, 0, 0), 1.8e-5f, 1.2929f, 0.0f, false, -3.0 + 1.6335},
        {ZrVector3d(1, 0, 0), ZrVector3d(), 1.8e-5f, 1.2929f, 0.0f, true, 0.0},
        {ZrVector3d(0.5, -1, 2), ZrVector3d(0.5, -1, 2), 1.8e-5f, 1.2929f, 0.0f, false, 0.5},
        {ZrVector3d(1, 0, 0), ZrVector3d(), 1.8e-5f, 1.2929f, 1e-6f, false, 1.0},   // too stiff: meets the wind
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedX);
        ZrWindInfluence wind;
        wind.SetWindVelocity(c.wind);
        wind.SetViscosity(c.viscosity);
        wind.SetDensity(c.density);
        wind.SetTheta(0.0f); // the angle and speed fields do not steer the wind
        wind.SetSpeed(5.0f);
        ZrParticleSystem system;
        Fill(system, 5); // four neighbours dragged side by side where the loop goes wide, and one more
        if (c.noArea)
            system.GetParticle(0)->SetRadius(0.0f); // the cross-section comes from the first particle
        if (c.mass > 0)
            system.GetParticle(1)->SetMass(c.mass);
        system.GetParticle(1)->SetVelocity(c.velocity);
        wind.Apply(&system, 0.1);
        EXPECT_NEAR(Vx(system, 1), c.expectedX, 5e-5);
        ZrParticleSystem lone;   // the second particle alone takes the one-particle path: the same result
        Fill(lone, 1);
        *lone.GetParticle(0) = *system.GetParticle(1);
        lone.GetParticle(0)->SetRadius(system.GetParticle(0)->GetRadius());
        lone.GetParticle(0)->SetVelocity(c.velocity);
        wind.Apply(&lone, 0.1);
        EXPECT_EQ(Vx(lone, 0), Vx(system, 1));
        EXPECT_EQ(system.GetParticle(1)->GetVelocity().y, c.velocity.y);
    }
}

// The plain-loop runs of these tests really take the plain loops.
TEST(VectorUnitTest, PlainLoopsVariableKeepsThePlainForm)
{
    if (std::getenv("NBPS_PLAIN_LOOPS") == nullptr)
        GTEST_SKIP() << "only in the plain-loop run";
    EXPECT_FALSE(ZrVectorUnit::Wide());
}

TEST(InfluenceTest, GustDrawsSpeedThetaPhiInOrderAndGrowsInOverThePowerTime)
{
    ZrRandomWind gusts;
    gusts.SetSpeedRange(1.0f, 3.0f);
    gusts.SetThetaRange(20.0f, 70.0f);
    gusts.SetPhiRange(100.0f, 200.0f);
    ZrParticleSystem system;
    Fill(system, 1);
    std::srand(42);
    const int r1 = std::rand(), r2 = std::rand(), r3 = std::rand();
    const double s = static_cast<float>(r1 % 1000 * 0.0010000000474974513 * 2.0f + 1.0f);
    const float th = static_cast<float>(static_cast<float>(r2 % 1000 * 0.0010000000474974513 * 50.0f + 20.0f) * 0.017453291681077746);
    const float ph = static_cast<float>(static_cast<float>(r3 % 1000 * 0.0010000000474974513 * 100.0f + 100.0f) * 0.017453291681077746);
    std::srand(42);
    gusts.Apply(&system, 0.1);
    ExpectVector(gusts.GetWindVelocity(), s * std::sin(th) * std::cos(ph), s * std::cos(th), s * std::sin(th) * std::sin(ph));

    gusts.SetSpeedRange(1.0f, 1.0f);
    gusts.SetThetaRange(90.0f, 90.0f);
    gusts.SetPhiRange(0.0f, 0.0f);
    ZrParticleSystem aged;
    Fill(aged, 4);
    const double ages[] = {0.0, 0.25, 0.5, 0.125};
    const double share[] = {1.0, 0.5, 1.0, 0.25};
    for (double powerTime : {0.5, 0.0}) {
        gusts.SetPowerTime(powerTime);
        for (int i = 0; i < 4; ++i) {
            aged.GetParticle(i)->SetVelocity(ZrVector3d());
            if (powerTime > 0)
                aged.GetParticle(i)->UpdateParticle(ages[i]);
        }
        gusts.Apply(&aged, 0.1);
        EXPECT_NEAR(Vx(aged, 0), 0.10213, 5e-6); // the same drag law as the steady wind
        for (int i = 1; i < 4; ++i)
            EXPECT_NEAR(Vx(aged, i), Vx(aged, 0) * (powerTime > 0 ? share[i] : 1.0), 1e-12) << i;
    }
}

// Radial: theta, phi, speed drawn in that order; single: one speed draw along its direction.
TEST(ShooterTest, DrawsAreHundredStepsFromStartTowardEnd)
{
    ZrRadialShooter fresh; // theta 0..45, phi 0..360, speed 1..2
    ZrRadialShooter radial;
    radial.SetThetaRange(10.0f, 80.0f);
    radial.SetPhiRange(30.0f, 300.0f);
    radial.SetSpeedRange(0.5f, 4.5f);
    ZrSingleShooter single;
    single.SetDirection(ZrVector3d(1, 0, 2));
    const float ranges[2][6] = {{0, 45, 0, 360, 1, 2}, {10, 80, 30, 300, 0.5f, 4.5f}};
    const float speeds[][2] = {{1.0f, 2.0f}, {5.0f, 1.0f}, {3.0f, 3.0f}, {-2.0f, 6.0f}};
    for (unsigned seed = 1; seed <= 16; ++seed) {
        const float* r = ranges[seed % 2];
        std::srand(seed);
        const int r1 = std::rand(), r2 = std::rand(), r3 = std::rand(), next = std::rand();
        const float th = static_cast<float>(ExpectedDraw(r1, r[0], r[1]) * 0.017453292519943295);
        const float ph = static_cast<float>(ExpectedDraw(r2, r[2], r[3]) * 0.017453292519943295);
        const double speed = ExpectedDraw(r3, r[4], r[5]);
        std::srand(seed);
        const ZrVector3d v = ShootOnce(seed % 2 ? radial : fresh);
        SCOPED_TRACE(seed);
        ExpectVector(v, speed * std::sin(th) * std::cos(ph), speed * std::cos(th), speed * std::sin(th) * std::sin(ph));
        EXPECT_EQ(std::rand(), next) << "exactly three draws per shot";

        single.SetSpeedRange(speeds[seed % 4][0], speeds[seed % 4][1]);
        std::srand(seed);
        const ZrVector3d w = ShootOnce(single);
        EXPECT_EQ(w.x, ExpectedDraw(r1, speeds[seed % 4][0], speeds[seed % 4][1])) << seed;
        EXPECT_EQ(w.z, 2 * w.x) << seed;
        EXPECT_EQ(std::rand(), r2) << "one draw per shot";
    }
    ZrSingleShooter aimed; // along (1, 1, 1)
    aimed.SetSpeedRange(2.0f, 2.0f);
    EXPECT_EQ(ShootOnce(aimed).x, 2.0);
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

    ExpectWritten(Xml(radial), {"2.500000", "7.250000", "12.500000", "33.000000", "-10.000000", "90.500000"});
    ExpectWritten(Xml(single), {"0.500000", "0.750000", "-1.500000", "0.250000", "8.000000"});
    CheckFamily<ZrShooter, MockShooter, ZrRadialShooter, ZrSingleShooter>({&radial, &single});
    EXPECT_EQ(radial.Copy(radial) + single.Copy(single), 0);

    // Partial and out-of-order documents: named values are read, the rest kept.
    VEXA::VexaString text("<Shooter><SpeedRangeEnd>5</SpeedRangeEnd><SpeedRangeStart>3</SpeedRangeStart></Shooter>");
    EXPECT_EQ(radial.FromXML(text), 1);
    float a, b;
    radial.GetSpeedRange(a, b);
    EXPECT_EQ(a, 3.0f);
    EXPECT_EQ(b, 7.25f) << "read in the writer's order: an end before its start is passed over";
    VEXA::VexaString lower("<Shooter><ShooterType>radialshooter</ShooterType><SpeedRangeStart>9</SpeedRangeStart></Shooter>");
    EXPECT_EQ(radial.FromXML(lower), 0);
    VEXA::VexaString dir("<Shooter><ShooterType>SingleShooter</ShooterType><Direction><Direction:Y>-2</Direction:Y></Direction></Shooter>");
    EXPECT_EQ(single.FromXML(dir), 1);
    EXPECT_EQ(single.GetDirection().y, -2.0);
    EXPECT_EQ(single.GetDirection().z, 8.0);
}
