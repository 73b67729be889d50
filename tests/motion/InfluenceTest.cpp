#include "ZrAccelInfluence.h"
#include "ZrParticle.h"
#include "ZrParticleSystem.h"
#include "ZrRandomWind.h"
#include "ZrWindInfluence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

using namespace ZRC;

namespace {

// A system whose pool holds count live particles made from the default template.
void Fill(ZrParticleSystem& system, int count)
{
    ZrParticle templ;
    for (int i = 0; i < count; ++i)
        ASSERT_NE(system.CreateParticle(&templ), nullptr);
    ASSERT_EQ(system.GetParticleNum(), count);
}

void Kill(ZrParticle* p)
{
    p->SetMustDie(1);
    p->UpdateParticle(0.0);
    ASSERT_EQ(p->IsAlive(), 0);
}

// An influence that claims the wind type code without being one.
class FakeWind : public ZrInfluence {
public:
    void Apply(ZrParticleSystem*, double) override {}
    unsigned char FromXML(VEXA::VexaString&) override { return 0; }
    unsigned char ToXML(VEXA::VexaString&) override { return 0; }
    int GetType() const override { return 2; }
};

} // namespace

TEST(AccelInfluenceTest, AcceleratesLiveParticlesOnly)
{
    ZrParticleSystem system;
    Fill(system, 3);
    system.GetParticle(1)->SetVelocity(ZrVector3d(1, 2, 3));
    Kill(system.GetParticle(1));
    ZrAccelInfluence gravity;
    EXPECT_EQ(gravity.GetType(), 1);
    gravity.Apply(&system, 0.5); // a fresh influence does nothing
    EXPECT_EQ(system.GetParticle(0)->GetVelocity().y, 0.0);
    gravity.SetAccelDirection(ZrVector3d(0, -1, 0));
    gravity.SetAccelSize(9.8f);
    gravity.Apply(&system, 0.5);
    EXPECT_NEAR(system.GetParticle(0)->GetVelocity().y, -4.9, 1e-6);
    EXPECT_EQ(system.GetParticle(0)->GetVelocity().x, 0.0);
    EXPECT_NEAR(system.GetParticle(2)->GetVelocity().y, -4.9, 1e-6);
    const ZrVector3d dead = system.GetParticle(1)->GetVelocity();
    EXPECT_EQ(dead.x, 1.0);
    EXPECT_EQ(dead.y, 2.0);
    EXPECT_EQ(dead.z, 3.0);

    gravity.SetEnabled(0);
    gravity.Apply(&system, 0.5);
    EXPECT_NEAR(system.GetParticle(0)->GetVelocity().y, -4.9, 1e-6);
    gravity.Apply(nullptr, 0.5); // no system: nothing to do
}

TEST(AccelInfluenceTest, DirectionLengthScalesAndInfluencesAdd)
{
    ZrParticleSystem system;
    Fill(system, 1);
    ZrAccelInfluence a, b;
    a.SetAccelDirection(ZrVector3d(0, -2, 0));
    a.SetAccelSize(1.0f);
    b.SetAccelDirection(ZrVector3d(0, -1, 0));
    b.SetAccelSize(2.0f);
    a.Apply(&system, 0.3);
    const double afterA = system.GetParticle(0)->GetVelocity().y;
    system.GetParticle(0)->SetVelocity(ZrVector3d());
    b.Apply(&system, 0.3);
    EXPECT_EQ(system.GetParticle(0)->GetVelocity().y, afterA);
    a.Apply(&system, 0.3);
    EXPECT_EQ(system.GetParticle(0)->GetVelocity().y, afterA * 2);
}

TEST(AccelInfluenceTest, DocumentCopyAndClone)
{
    ZrAccelInfluence accel;
    accel.SetAccelDirection(ZrVector3d(0.5, -1, 2));
    accel.SetAccelSize(3.25f);
    VEXA::VexaString xml;
    EXPECT_EQ(accel.ToXML(xml), 1);
    EXPECT_NE(std::string(xml).find("<InfluenceType>AccelInfluence</InfluenceType>"), std::string::npos);
    ZrAccelInfluence back;
    EXPECT_EQ(back.FromXML(xml), 1);
    ZrVector3d d;
    float s = 0;
    back.GetAccelDirection(d);
    back.GetAccelSize(s);
    EXPECT_EQ(d.x, 0.5);
    EXPECT_EQ(d.y, -1.0);
    EXPECT_EQ(d.z, 2.0);
    EXPECT_EQ(s, 3.25f);

    VEXA::VexaString wind("<Influence><InfluenceType>WindInfluence</InfluenceType><Accel><AccelSize>7</AccelSize></Accel></Influence>");
    EXPECT_EQ(back.FromXML(wind), 0);
    back.GetAccelSize(s);
    EXPECT_EQ(s, 3.25f);
    VEXA::VexaString bare("<Influence><InfluenceType>AccelInfluence</InfluenceType></Influence>");
    EXPECT_EQ(back.FromXML(bare), 1);
    back.GetAccelSize(s);
    EXPECT_EQ(s, 3.25f);
    VEXA::VexaString other("<Accel><AccelSize>7</AccelSize></Accel>");
    EXPECT_EQ(back.FromXML(other), 0);

    accel.SetEnabled(0);
    EXPECT_EQ(accel.Copy(accel), 0);
    std::unique_ptr<ZrInfluence> clone(ZrInfluence::Clone(&accel));
    auto* c = dynamic_cast<ZrAccelInfluence*>(clone.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->IsEnabled(), 0);
    c->GetAccelDirection(d);
    c->GetAccelSize(s);
    EXPECT_EQ(d.z, 2.0);
    EXPECT_EQ(s, 3.25f);
    EXPECT_EQ(ZrInfluence::Clone(nullptr), nullptr);
    FakeWind fake;
    EXPECT_EQ(ZrInfluence::Clone(&fake), nullptr);
}

TEST(WindInfluenceTest, DragOfAParticleAtRest)
{
    ZrWindInfluence wind;
    EXPECT_EQ(wind.GetType(), 2);
    ZrParticleSystem system;
    Fill(system, 1);
    wind.Apply(&system, 0.1);
    ZrVector3d v = system.GetParticle(0)->GetVelocity();
    EXPECT_NEAR(v.x, 0.10213, 5e-6);
    EXPECT_EQ(v.y, 0.0);
    EXPECT_EQ(v.z, 0.0);

    system.GetParticle(0)->SetVelocity(ZrVector3d());
    wind.SetWindVelocity(ZrVector3d(2, 0, 0));
    wind.Apply(&system, 0.1);
    EXPECT_NEAR(system.GetParticle(0)->GetVelocity().x, 0.40842, 5e-6);

    // The angle and speed fields do not steer the wind.
    system.GetParticle(0)->SetVelocity(ZrVector3d());
    wind.SetWindVelocity(ZrVector3d(1, 0, 0));
    wind.SetSpeed(5.0f);
    wind.SetTheta(0.0f);
    wind.SetPhi(90.0f);
    wind.Apply(&system, 0.1);
    v = system.GetParticle(0)->GetVelocity();
    EXPECT_NEAR(v.x, 0.10213, 5e-6);
    EXPECT_EQ(v.y, 0.0);
}

TEST(WindInfluenceTest, UsesEachParticlesInverseMass)
{
    ZrWindInfluence wind;
    ZrParticleSystem system;
    Fill(system, 2);
    system.GetParticle(1)->SetMass(0.2f); // inverse mass 5
    wind.Apply(&system, 0.1);
    EXPECT_NEAR(system.GetParticle(1)->GetVelocity().x, system.GetParticle(0)->GetVelocity().x / 2, 1e-12);
}

TEST(WindInfluenceTest, RadiusComesFromTheFirstParticle)
{
    ZrWindInfluence wind;
    ZrParticleSystem system;
    Fill(system, 3);
    system.GetParticle(0)->SetRadius(0.0f);
    system.GetParticle(2)->SetVelocity(ZrVector3d(-3, 1, 0));
    wind.Apply(&system, 0.1);
    EXPECT_EQ(system.GetParticle(1)->GetVelocity().x, 0.0);
    EXPECT_EQ(system.GetParticle(2)->GetVelocity().x, -3.0);

    ZrParticleSystem second;
    Fill(second, 2);
    Kill(second.GetParticle(0));
    second.GetParticle(1)->SetRadius(0.0f);
    wind.Apply(&second, 0.1);
    EXPECT_EQ(second.GetParticle(0)->GetVelocity().x, 0.0);
    EXPECT_NEAR(second.GetParticle(1)->GetVelocity().x, 0.10213, 5e-6);
}

TEST(WindInfluenceTest, MovingWithTheWindOrDisabledChangesNothing)
{
    ZrWindInfluence wind;
    wind.SetWindVelocity(ZrVector3d(0.5, -1, 2));
    ZrParticleSystem system;
    Fill(system, 1);
    system.GetParticle(0)->SetVelocity(ZrVector3d(0.5, -1, 2));
    wind.Apply(&system, 0.1);
    ZrVector3d v = system.GetParticle(0)->GetVelocity();
    EXPECT_EQ(v.x, 0.5);
    EXPECT_EQ(v.y, -1.0);
    EXPECT_EQ(v.z, 2.0);

    system.GetParticle(0)->SetVelocity(ZrVector3d());
    wind.SetEnabled(0);
    wind.Apply(&system, 0.1);
    v = system.GetParticle(0)->GetVelocity();
    EXPECT_EQ(v.x, 0.0);
    EXPECT_EQ(v.z, 0.0);

    ZrParticleSystem empty;
    wind.SetEnabled(1);
    wind.Apply(&empty, 0.1);
    wind.Apply(nullptr, 0.1);
}

TEST(WindInfluenceTest, DocumentAndClone)
{
    ZrWindInfluence wind;
    wind.SetWindVelocity(ZrVector3d(3, -2, 0.5));
    wind.SetSpeed(4);
    wind.SetTheta(30);
    wind.SetPhi(60);
    wind.SetViscosity(0.25f);
    wind.SetDensity(2.5f);
    VEXA::VexaString xml;
    EXPECT_EQ(wind.ToXML(xml), 1);
    ZrWindInfluence back;
    EXPECT_EQ(back.FromXML(xml), 1);
    EXPECT_EQ(back.GetWindVelocity().x, 3.0);
    EXPECT_EQ(back.GetWindVelocity().y, -2.0);
    EXPECT_EQ(back.GetWindVelocity().z, 0.5);
    EXPECT_EQ(back.GetSpeed(), 4.0f);
    EXPECT_EQ(back.GetTheta(), 30.0f);
    EXPECT_EQ(back.GetPhi(), 60.0f);
    EXPECT_EQ(back.GetViscosity(), 0.25f);
    EXPECT_EQ(back.GetDensity(), 2.5f);

    ZrWindInfluence fresh;
    EXPECT_EQ(fresh.GetTheta(), 90.0f);
    VEXA::VexaString viscous;
    EXPECT_EQ(fresh.ToXML(viscous), 1);
    EXPECT_NE(std::string(viscous).find("<VisCosity>0.000018</VisCosity>"), std::string::npos);
    ZrWindInfluence again;
    again.SetViscosity(1.0f);
    EXPECT_EQ(again.FromXML(viscous), 1);
    EXPECT_EQ(again.GetViscosity(), 1.8e-5f);

    ZrRandomWind gusts;
    EXPECT_EQ(gusts.FromXML(xml), 0);
    EXPECT_EQ(gusts.GetViscosity(), 1.8e-5f);

    wind.SetEnabled(0);
    std::unique_ptr<ZrInfluence> clone(ZrInfluence::Clone(&wind));
    auto* c = dynamic_cast<ZrWindInfluence*>(clone.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->IsEnabled(), 0);
    EXPECT_EQ(c->GetWindVelocity().y, -2.0);
    EXPECT_EQ(c->GetDensity(), 2.5f);
    EXPECT_EQ(c->GetPhi(), 60.0f);
}

TEST(RandomWindTest, GustDrawsSpeedThetaPhiInOrder)
{
    ZrRandomWind gusts;
    EXPECT_EQ(gusts.GetType(), 3);
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
    const ZrVector3d w = gusts.GetWindVelocity();
    EXPECT_EQ(w.x, s * std::sin(th) * std::cos(ph));
    EXPECT_EQ(w.y, s * std::cos(th));
    EXPECT_EQ(w.z, s * std::sin(th) * std::sin(ph));
    EXPECT_GT(system.GetParticle(0)->GetVelocity().Length(), 0.0);
}

TEST(RandomWindTest, NoParticlesNoGust)
{
    ZrRandomWind gusts;
    gusts.SetWindVelocity(ZrVector3d(3, 4, 5));
    ZrParticleSystem empty;
    std::srand(5);
    const int expected = std::rand();
    std::srand(5);
    gusts.Apply(&empty, 0.1);
    EXPECT_EQ(std::rand(), expected);
    EXPECT_EQ(gusts.GetWindVelocity().x, 3.0);
    EXPECT_EQ(gusts.GetWindVelocity().z, 5.0);
}

TEST(RandomWindTest, StillAirSlowsParticles)
{
    ZrRandomWind gusts;
    gusts.SetSpeedRange(0.0f, 0.0f);
    ZrParticleSystem system;
    Fill(system, 1);
    system.GetParticle(0)->SetVelocity(ZrVector3d(0, 0, 2));
    double previous = 2.0;
    for (int i = 0; i < 5; ++i) {
        gusts.Apply(&system, 0.1);
        const ZrVector3d v = system.GetParticle(0)->GetVelocity();
        EXPECT_GT(v.z, 0.0);
        EXPECT_LT(v.z, previous);
        EXPECT_EQ(v.x, 0.0);
        previous = v.z;
    }
}

TEST(RandomWindTest, ForceGrowsInOverThePowerTime)
{
    ZrRandomWind gusts;
    gusts.SetThetaRange(90.0f, 90.0f);
    gusts.SetPhiRange(0.0f, 0.0f);
    ZrParticleSystem system;
    Fill(system, 4);
    system.GetParticle(1)->UpdateParticle(0.25);
    system.GetParticle(2)->UpdateParticle(0.5);
    system.GetParticle(3)->UpdateParticle(0.125);
    for (int i = 0; i < 4; ++i)
        system.GetParticle(i)->SetVelocity(ZrVector3d());
    ASSERT_EQ(system.GetParticle(1)->GetAge(), 0.25f);
    gusts.Apply(&system, 0.1);
    const double full = system.GetParticle(0)->GetVelocity().x;
    EXPECT_NEAR(full, 0.10213, 5e-6); // the same drag law as the steady wind
    EXPECT_NEAR(system.GetParticle(1)->GetVelocity().x, full * 0.5, 1e-12);
    EXPECT_EQ(system.GetParticle(2)->GetVelocity().x, full);
    EXPECT_NEAR(system.GetParticle(3)->GetVelocity().x, full * 0.25, 1e-12);

    // No power time: everyone feels the full force.
    gusts.SetPowerTime(0.0);
    for (int i = 0; i < 4; ++i)
        system.GetParticle(i)->SetVelocity(ZrVector3d());
    gusts.Apply(&system, 0.1);
    EXPECT_EQ(system.GetParticle(1)->GetVelocity().x, full);
    EXPECT_EQ(system.GetParticle(3)->GetVelocity().x, full);
}

TEST(RandomWindTest, DocumentCopyAndClone)
{
    ZrRandomWind gusts;
    gusts.SetSpeedRange(0.5f, 2.5f);
    gusts.SetThetaRange(10, 20);
    gusts.SetPhiRange(30, 40);
    gusts.SetViscosity(0.125f);
    gusts.SetDensity(1.5f);
    gusts.SetPowerTime(0.75);
    gusts.SetWindVelocity(ZrVector3d(9, 9, 9));
    VEXA::VexaString xml;
    EXPECT_EQ(gusts.ToXML(xml), 1);
    EXPECT_EQ(std::string(xml).find("9.000000"), std::string::npos); // the gust is not stored
    ZrRandomWind back;
    EXPECT_EQ(back.FromXML(xml), 1);
    float a, b;
    back.GetSpeedRange(a, b);
    EXPECT_EQ(a, 0.5f);
    EXPECT_EQ(b, 2.5f);
    back.GetThetaRange(a, b);
    EXPECT_EQ(a, 10.0f);
    EXPECT_EQ(b, 20.0f);
    back.GetPhiRange(a, b);
    EXPECT_EQ(a, 30.0f);
    EXPECT_EQ(b, 40.0f);
    EXPECT_EQ(back.GetViscosity(), 0.125f);
    EXPECT_EQ(back.GetDensity(), 1.5f);
    EXPECT_EQ(back.GetPowerTime(), 0.75);
    EXPECT_EQ(back.GetWindVelocity().x, 1.0);

    ZrWindInfluence wind;
    EXPECT_EQ(wind.FromXML(xml), 0);

    EXPECT_EQ(gusts.Copy(gusts), 0);
    std::unique_ptr<ZrInfluence> clone(ZrInfluence::Clone(&gusts));
    auto* c = dynamic_cast<ZrRandomWind*>(clone.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetWindVelocity().y, 9.0);
    EXPECT_EQ(c->GetPowerTime(), 0.75);
    c->GetPhiRange(a, b);
    EXPECT_EQ(b, 40.0f);
    EXPECT_EQ(c->IsEnabled(), gusts.IsEnabled());
}
