// Billboard batches: which particles are drawn and with what, draw states and
// textures, sorting for an eye. The suite also runs on the plain loops.
#include "NbTestSupport.h"
#include "ZrBillboardBatch.h"
#include "ZrParticleEffect.h"
#include "ZrParticleSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace ZRC;
using VEXA::VexaString;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
// The size at which a system 4 high (3 wide) makes a half height of 1e12.
const float kLimit = static_cast<float>(1e12 / 2.0);

struct Look {
    ZrVector3d position;
    ZrVector4d color = ZrVector4d(1, 1, 1, 1);
    float alpha = 1.0f, size = 1.0f;
};

// A system of particles that have been updated once (0.01 s, no motion) and
// then given the look; a particle with mustDie set dies in that update.
ZrParticleSystem* MakeSystem(ZrParticleSystem::ParticleSystemType type, const std::vector<Look>& looks,
                             const std::vector<bool>& dies = {})
{
    ZrParticleSystem* s = new ZrParticleSystem;
    s->SetParticleType(type);
    s->SetParticleWidth(3.0f);
    s->SetParticleHeight(4.0f);
    for (size_t i = 0; i < looks.size(); ++i) {
        ZrParticle templ;
        templ.SetLifeTime(100000);
        templ.SetSizeRange(looks[i].size, looks[i].size);
        templ.SetAlphaRange(looks[i].alpha, looks[i].alpha);
        templ.SetColorRangeStart(looks[i].color);
        templ.SetColorRangeEnd(looks[i].color);
        ZrParticle* p = s->CreateParticle(&templ);
        p->SetPosition(looks[i].position);
        p->SetMustDie(i < dies.size() && dies[i]);
    }
    s->UpdateParticleSystem(0.01);
    return s;
}

std::vector<float> Centers(const ZrBillboardBatch& b)
{
    return std::vector<float>(b.GetCenters(), b.GetCenters() + b.GetBillboardNum() * 3);
}

std::vector<int> Runs(const ZrBillboardBatch& b)
{
    std::vector<int> out;
    for (int r = 0; r < b.GetRunNum(); ++r)
        out.insert(out.end(), {b.GetRun(r).first, b.GetRun(r).count, b.GetRun(r).state});
    return out;
}

} // namespace

// Who is drawn, and the exact values: centres from doubles relative to the
// origin, half sizes as magnitudes, colour clamped (not a number as 0), alpha
// at most 1 times the colour's alpha, bytes rounded.
TEST(BillboardBatch, DrawsTheLiveParticlesByOneRule)
{
    ZrParticleSystem* s = MakeSystem(
        ZrParticleSystem::GLOW_PARTICLE,
        {{ZrVector3d(0.5, -1.0, 2.0), ZrVector4d(0.2, 0.5, 1.0, 1.0), 1.0f, 0.5f},
         {ZrVector3d(1, 1, 1), ZrVector4d(1, 1, 1, 1), 1.0f, 1.0f},                 // dies
         {ZrVector3d(1, 1, 1), ZrVector4d(1, 1, 1, 1), 0.0f, 1.0f},                 // invisible
         {ZrVector3d(1, 1, 1), ZrVector4d(1, 1, 1, 1), -0.5f, 1.0f},                // invisible
         {ZrVector3d(kNaN, 0, 0), ZrVector4d(1, 1, 1, 1), 1.0f, 1.0f},              // nowhere
         {ZrVector3d(0, 2e12, 0), ZrVector4d(1, 1, 1, 1), 1.0f, 1.0f},              // too far
         {ZrVector3d(0, 0, 0), ZrVector4d(1, 1, 1, 1), 1.0f, 1e12f},                // too large
         {ZrVector3d(0, 0, 0), ZrVector4d(1, 1, 1, 1), 1.0f, kLimit},               // just too large
         {ZrVector3d(3, 0, -3), ZrVector4d(kNaN, 7.0, -2.0, 0.5), 3.0f, -2.0f}},
        {false, true});
    ZrParticleEffect effect;
    effect.AddParticleSystem(s);
    effect.SetCenterPos(ZrVector3d(5e6 + 0.25, -3e6, 0.0));
    ZrBillboardBatch batch;
    batch.Fill(effect, ZrVector3d(5e6, -3e6 + 1.0, 0.0));
    ASSERT_EQ(batch.GetBillboardNum(), 2);
    // In single precision 5e6 + 0.75 is 5e6 + 1: the difference is taken first.
    EXPECT_EQ(Centers(batch), (std::vector<float>{0.75f, -2.0f, 2.0f, 3.25f, -1.0f, -3.0f}));
    EXPECT_EQ(std::vector<float>(batch.GetHalfSizes(), batch.GetHalfSizes() + 4),
              (std::vector<float>{0.75f, 1.0f, 3.0f, 4.0f}));
    EXPECT_EQ(std::vector<float>(batch.GetColorFloats(), batch.GetColorFloats() + 8),
              (std::vector<float>{0.2f, 0.5f, 1.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.5f}));
    EXPECT_EQ(std::vector<int>(batch.GetColorBytes(), batch.GetColorBytes() + 8),
              (std::vector<int>{51, 128, 255, 255, 0, 255, 0, 128}));
    ASSERT_EQ(batch.GetStateNum(), 1);
    EXPECT_EQ(batch.GetState(0).billboardNum, 2);
    EXPECT_EQ(Runs(batch), (std::vector<int>{0, 2, 0}));

    // A system alone: positions as they stand. Then nothing is alive any more,
    // or the system is switched off: an empty batch with its state.
    batch.Fill(*s, ZrVector3d(0.5, 0.0, 0.0));
    EXPECT_EQ(Centers(batch), (std::vector<float>{0.0f, -1.0f, 2.0f, 2.5f, 0.0f, -3.0f}));
    s->SetAvlive(0);
    batch.Fill(effect, ZrVector3d());
    EXPECT_EQ(batch.GetBillboardNum() + batch.GetRunNum(), 0);
    EXPECT_EQ(batch.GetStateNum(), 1);
    s->SetAvlive(1);
    for (int i = 0; i < s->GetParticleNum(); ++i)
        s->GetParticle(i)->SetMustDie(1);
    s->UpdateParticleSystem(0.01);
    batch.Fill(*s, ZrVector3d());
    EXPECT_EQ(batch.GetBillboardNum() + batch.GetRunNum(), 0);
}

// GLOW adds, DARK is blended and sorted; an effect batch sorted for an eye
// interleaves its systems where their particles do; ties keep the fill order.
TEST(BillboardBatch, SortsBackToFrontWhereADarkSystemHasParticles)
{
    ZrParticleEffect effect;
    const ZrVector4d red(1, 0, 0, 1), blue(0, 0, 1, 0.5);
    effect.AddParticleSystem(
        MakeSystem(ZrParticleSystem::GLOW_PARTICLE, {{ZrVector3d(0, 0, -4), red}, {ZrVector3d(0, 0, 1), red}}));
    effect.AddParticleSystem(MakeSystem(
        ZrParticleSystem::DARK_PARTICLE,
        {{ZrVector3d(0, 0, -2), blue}, {ZrVector3d(0, 0, -6), blue}, {ZrVector3d(0, 0, 3), blue, 1.0f, std::nextafter(kLimit, 0.0f)}}));
    ZrBillboardBatch batch;
    batch.Fill(effect, ZrVector3d(0, 0, 1));
    ASSERT_EQ(batch.GetStateNum(), 2);
    EXPECT_EQ(batch.GetState(0).blend, ZrBillboardBatch::BLEND_ADD);
    EXPECT_FALSE(batch.GetState(0).needsSorting);
    EXPECT_EQ(batch.GetState(1).blend, ZrBillboardBatch::BLEND_OVER);
    EXPECT_TRUE(batch.GetState(1).needsSorting);
    EXPECT_EQ(batch.GetState(1).systemIndex, 1);
    EXPECT_EQ(Runs(batch), (std::vector<int>{0, 2, 0, 2, 3, 1}));
    EXPECT_EQ(std::vector<int>(batch.GetColorBytes(), batch.GetColorBytes() + 20),
              (std::vector<int>{255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 255, 128, 0, 0, 255, 128, 0, 0, 255, 128}));
    EXPECT_EQ(batch.GetColorFloats()[19], 0.5f);
    EXPECT_GT(batch.GetHalfSizes()[9], 9e11f) << "a size just below the limit is drawn";

    // The eye on the +z axis; z relative to the origin (z = 1).
    batch.SortBackToFront(ZrVector3d(0, 0, 11));
    EXPECT_EQ(Centers(batch), (std::vector<float>{0, 0, -7, 0, 0, -5, 0, 0, -3, 0, 0, 0, 0, 0, 2}));
    EXPECT_EQ(Runs(batch), (std::vector<int>{0, 1, 1, 1, 1, 0, 2, 1, 1, 3, 1, 0, 4, 1, 1}));
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(batch.GetColorBytes()[k * 4] + batch.GetColorFloats()[k * 4 + 2], k % 2 ? 255.0f : 1.0f) << k;

    // By depth along a view direction rather than distance: seen along -x from
    // far away, the points differ only across the view, so the order is the
    // fill's; by distance from a near eye off the axis it is not.
    batch.Fill(effect, ZrVector3d(0, 0, 1));
    batch.SortBackToFront(ZrVector3d(50, 0, 0), ZrVector3d(-1, 0, 0));
    EXPECT_EQ(Centers(batch), (std::vector<float>{0, 0, -5, 0, 0, 0, 0, 0, -3, 0, 0, -7, 0, 0, 2}));
    batch.SortBackToFront(ZrVector3d(1, 0, 0.5));
    EXPECT_EQ(Centers(batch), (std::vector<float>{0, 0, -7, 0, 0, -5, 0, 0, -3, 0, 0, 2, 0, 0, 0}));
    // Not a finite eye: left as it is; a GLOW effect alone: never sorted.
    batch.SortBackToFront(ZrVector3d(kNaN, 0, 0));
    EXPECT_EQ(Centers(batch), (std::vector<float>{0, 0, -7, 0, 0, -5, 0, 0, -3, 0, 0, 2, 0, 0, 0}));
    std::unique_ptr<ZrParticleSystem> glow(
        MakeSystem(ZrParticleSystem::GLOW_PARTICLE, {{ZrVector3d(0, 0, 5)}, {ZrVector3d(0, 0, -5)}}));
    batch.Fill(*glow, ZrVector3d());
    batch.SortBackToFront(ZrVector3d(0, 0, 10));
    EXPECT_EQ(Centers(batch), (std::vector<float>{0, 0, 5, 0, 0, -5}));
    effect.Release();
    batch.Fill(effect, ZrVector3d());
    EXPECT_EQ(batch.GetStateNum() + batch.GetBillboardNum(), 0);
}

class BillboardTextures : public ::testing::Test {
protected:
    nbtest::SceneFolder m_scene;
    const nbtest::TempDir& m_dir = m_scene.Dir();
};

// A relative path is looked up next to the effect's document, then as given,
// then in the container; what is found nowhere is reported by name and the
// system is drawn all the same. One batch serves effects from two folders.
TEST_F(BillboardTextures, ResolvedOncePerDocumentAndPath)
{
    const std::string red = nbtest::PngBytes(1, 1, {255, 10, 20, 255});
    const std::string blue = nbtest::PngBytes(2, 1, {1, 2, 255, 255, 3, 4, 200, 128});
    m_dir.Write("a/spark.png", red);
    m_dir.Write("b/spark.png", blue);
    m_scene.Container({{"packed.png", blue, false}});
    const std::string doc =
        "<QuenmarParticleEffect><EffectType>FireEffect</EffectType>"
        "<ParticleSystem><TexturePath>spark.png</TexturePath></ParticleSystem>"
        "<ParticleSystem><TexturePath>packed.png</TexturePath></ParticleSystem>"
        "<ParticleSystem><TexturePath>nowhere.png</TexturePath></ParticleSystem>"
        "<ParticleSystem><TexturePath></TexturePath></ParticleSystem></QuenmarParticleEffect>";
    ZrParticleEffect a, b;
    ASSERT_EQ(a.FromXML(m_dir.Write("a/fx.par", doc).c_str()), 1);
    ASSERT_EQ(b.FromXML(m_dir.Write("b/fx.par", doc).c_str()), 1);
    a.GetParticleSystem(2)->CreateParticle(nullptr);
    a.Update(0.1);

    ZrBillboardBatch batch;
    batch.Fill(a, ZrVector3d());
    ASSERT_EQ(batch.GetStateNum(), 4);
    const ZrBillboardTexture* spark = batch.GetState(0).texture;
    EXPECT_EQ(spark->GetSource(), ZrBillboardTexture::TEXTURE_FILE);
    EXPECT_EQ(std::string(spark->GetFilePath()), m_dir / "a/spark.png");
    const ZrBillboardTexture* packed = batch.GetState(1).texture;
    EXPECT_EQ(packed->GetSource(), ZrBillboardTexture::TEXTURE_ENTRY);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(packed->GetEntryBytes().GetData()),
                          static_cast<size_t>(packed->GetEntryBytes().GetSize())),
              blue);
    EXPECT_EQ(batch.GetState(2).texture->GetSource(), ZrBillboardTexture::TEXTURE_MISSING);
    EXPECT_EQ(std::string(batch.GetState(2).texture->GetName()), "nowhere.png");
    EXPECT_EQ(batch.GetState(2).billboardNum, 1) << "drawn untextured";
    EXPECT_EQ(batch.GetState(3).texture->GetSource(), ZrBillboardTexture::TEXTURE_NONE);

    batch.Fill(b, ZrVector3d());
    EXPECT_EQ(std::string(batch.GetState(0).texture->GetFilePath()), m_dir / "b/spark.png");
    batch.Fill(a, ZrVector3d());
    EXPECT_EQ(batch.GetState(0).texture, spark) << "resolved once, kept";
    batch.SetDocumentFolder((m_dir / "b").c_str());
    batch.Fill(a, ZrVector3d());
    EXPECT_EQ(std::string(batch.GetState(0).texture->GetFilePath()), m_dir / "b/spark.png");
    a.GetParticleSystem(0)->SetTexturePath("packed.png");
    batch.Fill(a, ZrVector3d());
    EXPECT_EQ(batch.GetState(0).texture->GetSource(), ZrBillboardTexture::TEXTURE_ENTRY);

    // Decoding gives R, G, B, A in that order, from a file and from an entry.
    std::vector<unsigned char> pixels;
    int w = 0, h = 0;
    ASSERT_EQ(spark->Decode(pixels, w, h), 1);
    EXPECT_EQ(pixels, (std::vector<unsigned char>{255, 10, 20, 255}));
    ASSERT_EQ(packed->Decode(pixels, w, h), 1);
    EXPECT_EQ(std::vector<int>({w, h}), std::vector<int>({2, 1}));
    EXPECT_EQ(pixels, (std::vector<unsigned char>{1, 2, 255, 255, 3, 4, 200, 128}));
    EXPECT_EQ(batch.GetState(2).texture->Decode(pixels, w, h), 0);
    ZrBillboardTexture broken;
    m_dir.Write("bad.png", "not a picture");
    broken.Resolve((m_dir / "bad.png").c_str(), "");
    EXPECT_EQ(broken.GetSource(), ZrBillboardTexture::TEXTURE_FILE);
    EXPECT_EQ(broken.Decode(pixels, w, h), 0);
    EXPECT_EQ(std::vector<int>({w, h}), std::vector<int>({2, 1})) << "outputs unchanged";
}
