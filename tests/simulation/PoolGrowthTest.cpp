#include <NbParticleSystem600/NbParticleSystem600.h>
#include <gtest/gtest.h>

using namespace ZRC;

// An immortal particle draws its look once; growing the pool moves it and
// must not lose its colour.
TEST(PoolGrowth, MovedParticlesKeepTheirColour)
{
    ZrParticleSystem system;
    ZrParticle templ;
    templ.SetLifeTime(0);
    system.CreateParticle(&templ);
    system.UpdateParticleSystem(0.1);
    const ZrVector4d before = system.GetParticle(0)->GetCurColor();
    ASSERT_EQ(before.w, 1.0);
    for (int i = 0; i < 100; ++i)
        system.CreateParticle(&templ);
    const ZrVector4d after = system.GetParticle(0)->GetCurColor();
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);
    EXPECT_EQ(after.z, before.z);
    EXPECT_EQ(after.w, before.w);
}
