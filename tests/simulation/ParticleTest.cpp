#include "ZrParticle.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace ZRC;

TEST(Particle, OneSecondLifeInQuarterSteps)
{
    ZrParticle p;
    p.SetLifeTime(1000);
    p.SetVelocity(ZrVector3d(1.0, 0.0, 0.0));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(p.UpdateParticle(0.25), 1) << i;
    EXPECT_FLOAT_EQ(p.GetCurSize(), 1.0f);
    EXPECT_FLOAT_EQ(p.GetCurAlpha(), 0.0f);
    EXPECT_DOUBLE_EQ(p.GetCurPos().x, 1.25);
    EXPECT_EQ(p.UpdateParticle(0.25), 0);
    EXPECT_EQ(p.IsAlive(), 0);
    EXPECT_FLOAT_EQ(p.GetAge(), 1.5f);
    EXPECT_DOUBLE_EQ(p.GetCurPos().x, 1.25);
}

TEST(Particle, MustDieDoesNotAge)
{
    ZrParticle p;
    p.SetMustDie(1);
    EXPECT_EQ(p.UpdateParticle(0.5), 0);
    EXPECT_FLOAT_EQ(p.GetAge(), 0.0f);
}

TEST(Particle, ImmortalDrawsOnce)
{
    ZrParticle p;
    p.SetLifeTime(0);
    p.SetSizeRange(0.0f, 10.0f);
    srand(7);
    const int r1 = rand() % 100;
    rand();
    const int r3 = rand() % 100;
    srand(7);
    EXPECT_EQ(p.UpdateParticle(0.5), 1);
    EXPECT_FLOAT_EQ(p.GetCurSize(), static_cast<float>(10.0f * r1 * static_cast<double>(0.01f)));
    EXPECT_NEAR(p.GetCurColor().x, 1.0 - r3 * static_cast<double>(0.01f), 1e-12);
    const float size = p.GetCurSize();
    EXPECT_EQ(p.UpdateParticle(0.1), 1);
    EXPECT_FLOAT_EQ(p.GetCurSize(), size);
}

TEST(Particle, LifeTimeAndMass)
{
    ZrParticle p;
    EXPECT_EQ(p.GetLifeTime(), 2000);
    p.SetLifeTime(100);
    EXPECT_EQ(p.GetLifeTime(), 100);
    p.SetMass(0.0f);
    EXPECT_FLOAT_EQ(p.GetInvMass(), 10.0f);
    p.SetMass(0.5f);
    EXPECT_FLOAT_EQ(p.GetInvMass(), 2.0f);
}

TEST(Particle, ColourRampBlendAndGuards)
{
    ZrImageData img;
    ASSERT_EQ(img.Allocate(3, 1, 32), 1);
    for (int i = 0; i < 12; ++i)
        img.m_pData[i] = static_cast<unsigned char>(i < 4 ? 0 : (i < 8 ? 100 : 200));
    ZrParticle p;
    p.SetLifeTime(1000);
    p.SetColorImageData(&img);
    p.UpdateParticle(0.75); // sampled with the age after the step
    EXPECT_NEAR(p.GetCurColor().x, 150.0 * static_cast<double>(1.0f / 255.0f), 1e-9);

    img.m_nDepth = 24;
    ZrParticle q;
    q.SetColorImageData(&img);
    q.UpdateParticle(0.1);
    EXPECT_DOUBLE_EQ(q.GetCurColor().x, 0.0);
    img.m_nDepth = 32;
    img.m_nWidth = 0;
    ZrParticle r;
    r.SetColorImageData(&img);
    r.UpdateParticle(0.1);
    EXPECT_DOUBLE_EQ(r.GetCurColor().x, 0.0);
    img.m_nWidth = 3;
}

TEST(Particle, TemplateDocument)
{
    ZrParticle p;
    VEXA::VexaString text;
    EXPECT_EQ(p.ToXML(text), 1);
    EXPECT_NE(std::string(text).find("<LifeTime>2.000000</LifeTime>"), std::string::npos);
    EXPECT_NE(std::string(text).find("<Radius>0.200000</Radius>"), std::string::npos);
    VEXA::VexaString only("<ParticleTemple><Radius>0.5</Radius></ParticleTemple>");
    ZrParticle q;
    EXPECT_EQ(q.FromXML(only), 1);
    EXPECT_FLOAT_EQ(q.GetRadius(), 0.5f);
    EXPECT_EQ(q.GetLifeTime(), 2000);
    VEXA::VexaString other("<Other/>");
    EXPECT_EQ(q.FromXML(other), 0);
}
