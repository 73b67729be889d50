#include "../emission/EmissionTestSupport.h"
#include "ZrParticle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace ZRC;
using emission_test::Xml;

namespace {

void Ramp(ZrImageData& img, std::initializer_list<unsigned char> bytes)
{
    ASSERT_EQ(img.Allocate(static_cast<int>(bytes.size() / 4), 1, 32), 1);
    int i = 0;
    for (unsigned char b : bytes)
        img.m_pData[i++] = b;
}

// What a copy carries over besides the document (the current colour is not copied).
std::vector<double> State(const ZrParticle& p)
{
    const ZrVector3d pos = p.GetCurPos(), v = p.GetVelocity();
    return {p.GetRadius(), p.GetInvMass(), pos.x, pos.y, pos.z, v.x, v.y, v.z, p.GetAge(), p.GetCurSize(), p.GetCurAlpha()};
}

} // namespace

TEST(Particle, LifeSizeAlphaAndColourFollowTheAgeBeforeTheStep)
{
    ZrParticle p;
    p.SetLifeTime(1000);
    p.SetVelocity(ZrVector3d(1.0, 0.0, 0.0));
    p.SetSizeRange(2.0f, 4.0f);
    EXPECT_EQ(p.UpdateParticle(0.5), 1); // t = 0: the start values
    const ZrVector4d white = p.GetCurColor();
    EXPECT_EQ(white.x + white.y + white.z + white.w, 4.0);
    EXPECT_EQ(p.UpdateParticle(0.25), 1); // t = 0.5
    EXPECT_FLOAT_EQ(p.GetCurSize(), 3.0f);
    EXPECT_FLOAT_EQ(p.GetCurAlpha(), 0.5f);
    EXPECT_DOUBLE_EQ(p.GetCurColor().x, 0.5);
    EXPECT_DOUBLE_EQ(p.GetCurColor().w, 1.0);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(p.UpdateParticle(0.25), 1) << i;
    EXPECT_FLOAT_EQ(p.GetCurAlpha(), 0.0f);
    EXPECT_DOUBLE_EQ(p.GetCurPos().x, 1.25);
    EXPECT_EQ(p.UpdateParticle(0.25), 0);
    EXPECT_EQ(p.IsAlive(), 0);
    EXPECT_FLOAT_EQ(p.GetAge(), 1.5f);
    EXPECT_DOUBLE_EQ(p.GetCurPos().x, 1.25);

    ZrParticle doomed;
    doomed.SetMustDie(1);
    EXPECT_EQ(doomed.UpdateParticle(0.5), 0);
    EXPECT_FLOAT_EQ(doomed.GetAge(), 0.0f);
    doomed.SetMass(0.0f); // ignored: the inverse mass stays finite
    EXPECT_FLOAT_EQ(doomed.GetInvMass(), 10.0f);
}

TEST(Particle, ImmortalDrawsSizeAlphaColourOnce)
{
    ZrImageData img;
    Ramp(img, {0, 0, 0, 0, 255, 51, 102, 255});
    for (bool withImage : {false, true}) {
        ZrParticle p;
        p.SetLifeTime(0);
        p.SetSizeRange(0.0f, 10.0f);
        if (withImage)
            p.SetColorImageData(&img);
        std::srand(7);
        const int r1 = std::rand() % 100, r2 = std::rand() % 100, r3 = std::rand() % 100;
        const int next = std::rand();
        std::srand(7);
        EXPECT_EQ(p.UpdateParticle(0.5), 1);
        EXPECT_FLOAT_EQ(p.GetCurSize(), static_cast<float>(10.0f * r1 * static_cast<double>(0.01f)));
        EXPECT_FLOAT_EQ(p.GetCurAlpha(), static_cast<float>(1.0 - r2 * static_cast<double>(0.01f)));
        // Age over a zero life time: the ramp's last pixel; without a ramp a third draw.
        EXPECT_NEAR(p.GetCurColor().x, withImage ? 1.0 : 1.0 - r3 * static_cast<double>(0.01f), 1e-6);
        EXPECT_EQ(std::rand() == next, !withImage);
        const float size = p.GetCurSize();
        EXPECT_EQ(p.UpdateParticle(0.1), 1);
        EXPECT_FLOAT_EQ(p.GetCurSize(), size);
        EXPECT_FLOAT_EQ(p.GetAge(), 0.6f);
    }
}

TEST(Particle, ColourRampBlendsNeighboursAndGuardsBadImages)
{
    ZrImageData img;
    Ramp(img, {0, 0, 0, 0, 100, 100, 100, 100, 200, 200, 200, 255});
    const struct {
        double age;
        double value, alpha;
    } cases[] = {{0.0, 0, 0}, {0.25, 50, 50}, {0.5, 100, 100}, {0.75, 150, 177.5}, {1.0, 200, 255}};
    for (const auto& c : cases) {
        ZrParticle p;
        p.SetLifeTime(1000);
        p.SetColorImageData(&img);
        p.UpdateParticle(c.age); // sampled with the age after the step
        EXPECT_NEAR(p.GetCurColor().x, c.value * static_cast<double>(1.0f / 255.0f), 1e-9) << c.age;
        EXPECT_NEAR(p.GetCurColor().w, c.alpha * static_cast<double>(1.0f / 255.0f), 1e-9) << c.age;
    }
    for (int bad = 0; bad < 2; ++bad) {
        img.m_nDepth = bad == 0 ? 24 : 32;
        img.m_nWidth = bad == 0 ? 3 : 0;
        ZrParticle p;
        p.SetColorImageData(&img);
        p.UpdateParticle(0.1);
        EXPECT_DOUBLE_EQ(p.GetCurColor().x, 0.0);
    }
    img.m_nWidth = 3;
}

TEST(Particle, CopiesCarryEveryFieldAndTheImage)
{
    ZrImageData img;
    Ramp(img, {10, 20, 30, 40});
    ZrParticle source;
    source.SetSizeRange(3.0f, 5.0f);
    source.SetAlphaRange(0.25f, 0.75f);
    source.SetColorRangeStart(ZrVector4d(0.1, 0.2, 0.3, 0.4));
    source.SetColorRangeEnd(ZrVector4d(0.5, 0.6, 0.7, 0.8));
    source.SetLifeTime(4000);
    source.SetRadius(0.5f);
    source.SetMass(0.25f);
    source.SetPosition(ZrVector3d(1, 2, 3));
    source.SetVelocity(ZrVector3d(4, 5, 6));
    source.SetColorImageData(&img);
    source.UpdateParticle(1.0);
    ZrParticle built(source);
    ZrParticle assigned;
    assigned = source;
    for (ZrParticle* p : {&built, &assigned}) {
        EXPECT_EQ(Xml(*p), Xml(source));
        EXPECT_EQ(State(*p), State(source));
        EXPECT_EQ(p->GetColorImageData(), &img);
        p->UpdateParticle(1.0);
        EXPECT_NEAR(p->GetCurColor().y, 20.0 / 255, 1e-6);
    }
}

TEST(Particle, TemplateDocument)
{
    ZrParticle p;
    EXPECT_THAT(Xml(p), testing::ContainsRegex("<LifeTime>2.000000</LifeTime>.*<Radius>0.200000</Radius>"));
    VEXA::VexaString only("<ParticleTemple><Radius>0.5</Radius><LifeTime>3</LifeTime></ParticleTemple>"), other("<Other/>");
    EXPECT_EQ(p.FromXML(only), 1);
    EXPECT_EQ(p.FromXML(other), 0);
    EXPECT_EQ(p.GetLifeTime(), 3000);
    EXPECT_FLOAT_EQ(p.GetRadius(), 0.2f) << "read in the writer's order: a radius before the life time is passed over";
}
