// The preview renderer: what it skips, how it blends and how it maps light.
#include "Renderer.h"
#include "ToneMap.h"

#include <NbParticleSystem600/NbParticleSystem600.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace ZRC;
using namespace nbparticle;

namespace {

// An effect with one system of the given type holding one particle per
// position, all of the given colour.
ZrParticleSystem* AddSystem(ZrParticleEffect& effect, ZrParticleSystem::ParticleSystemType type,
                            const ZrVector4d& colour, std::initializer_list<ZrVector3d> positions,
                            float size = 1.0f, float alpha = 1.0f)
{
    ZrParticleSystem* sys = new ZrParticleSystem();
    sys->SetParticleType(type);
    sys->SetParticleWidth(0.5f);
    sys->SetParticleHeight(0.5f);
    ZrParticle templ;
    templ.SetSizeRange(size, size);
    templ.SetAlphaRange(alpha, alpha);
    templ.SetColorRangeStart(colour);
    templ.SetColorRangeEnd(colour);
    templ.SetLifeTime(10000);
    for (const ZrVector3d& p : positions) {
        ZrParticle* particle = sys->CreateParticle(&templ);
        particle->SetPosition(p);
    }
    sys->UpdateParticleSystem(0.01);
    effect.AddParticleSystem(sys);
    return sys;
}

const unsigned char* Pixel(const Frame& f, int x, int y) { return &f.rgb[(size_t(y) * f.width + x) * 3]; }

TEST(Preview, ParticlesNotFiniteOrOutOfViewAreSkipped)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    ZrParticleEffect effect;
    AddSystem(effect, ZrParticleSystem::GLOW_PARTICLE, ZrVector4d(1, 1, 1, 1),
              {ZrVector3d(0, 0, 0), ZrVector3d(nan, 0, 0), ZrVector3d(0, inf, 0), ZrVector3d(0, 0, -inf),
               ZrVector3d(0, 50, 0)});
    // A system far too wide to be a number once scaled by its size.
    AddSystem(effect, ZrParticleSystem::GLOW_PARTICLE, ZrVector4d(1, 1, 1, 1), {ZrVector3d(0, 0, 0)}, 1e36f)
        ->SetParticleWidth(3e38f);
    TextureLibrary textures;
    Renderer renderer(Camera(40, 30, 0, 0), textures, "");
    Frame frame;
    EXPECT_EQ(renderer.Draw(effect, frame), 1);
    EXPECT_GT(Pixel(frame, 20, 15)[0], 150);
}

TEST(Preview, DarkParticlesBlendFarthestFirstWhateverTheirOrder)
{
    // Looking along -z: the red particle at z = 0.5 is nearer than the blue one
    // at z = -0.5, though its system comes first.
    for (bool redFirst : {true, false}) {
        ZrParticleEffect effect;
        const ZrVector4d red(1, 0, 0, 1), blue(0, 0, 1, 1);
        AddSystem(effect, ZrParticleSystem::DARK_PARTICLE, redFirst ? red : blue,
                  {ZrVector3d(0, 0, redFirst ? 0.5 : -0.5)});
        AddSystem(effect, ZrParticleSystem::DARK_PARTICLE, redFirst ? blue : red,
                  {ZrVector3d(0, 0, redFirst ? -0.5 : 0.5)});
        TextureLibrary textures;
        Camera camera(40, 30, 0, 0);
        camera.Frame(ZrVector3d(-1, -1, -1), ZrVector3d(1, 1, 1));
        Renderer renderer(camera, textures, "");
        Frame frame;
        ASSERT_EQ(renderer.Draw(effect, frame), 2);
        const unsigned char* centre = Pixel(frame, 20, 15);
        EXPECT_GT(centre[0], 2 * centre[2]) << redFirst;
    }
}

TEST(Preview, ToneMappingKeepsTheHueOfBrightLight)
{
    const float light[3] = {8.0f, 4.0f, 1.0f};
    unsigned char out[3];
    ToneMap::Apply(light, out);
    const float scale = ToneMap::Filmic(8.0f) / 8.0f;
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(out[k], ToneMap::ToDisplay(light[k] * scale) * 255.0f, 0.51f) << k;
    EXPECT_LT(out[2], 200);   // not clipped towards white
    EXPECT_NEAR(ToneMap::Filmic(1.0f), 2.54f / 3.16f, 1e-5f);
    EXPECT_FLOAT_EQ(ToneMap::Filmic(1e6f), 1.0f);
    const float broken[3] = {std::nanf(""), std::numeric_limits<float>::infinity(), 0.0f};
    ToneMap::Apply(broken, out);
    EXPECT_EQ(out[0] + out[1] + out[2], 0);
}

} // namespace
