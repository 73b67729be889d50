// 300 frames of a fixed effect at a fixed seed, compared bit for bit with a
// recorded fixture: every particle's position, velocity, age, size, alpha and
// colour, and each system's box. NBPS_RECORD_FRAMES=1 rewrites the fixture.
#include <NbParticleSystem600/NbParticleSystem600.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

using namespace ZRC;

namespace {

const std::string kDir = std::string(NBPS_SOURCE_DIR) + "/tests/simulation/golden/";

std::string State(ZrParticleSystem& system)
{
    std::string out;
    char buf[40];
    auto put = [&](double v) { std::snprintf(buf, sizeof buf, " %a", v); out += buf; };
    auto put3 = [&](const ZrVector3d& v) { put(v.x); put(v.y); put(v.z); };
    for (int i = 0; i < system.GetParticleNum(); ++i) {
        ZrParticle* p = system.GetParticle(i);
        out += p->IsAlive() ? "+" : "-";
        put3(p->GetCurPos());
        put3(p->GetVelocity());
        put(p->GetAge()); put(p->GetCurSize()); put(p->GetCurAlpha());
        const ZrVector4d c = p->GetCurColor();
        put(c.x); put(c.y); put(c.z); put(c.w);
        out += '\n';
    }
    out += "box";
    put3(system.GetBoundingBox().GetMin());
    put3(system.GetBoundingBox().GetMax());
    return out + '\n';
}

unsigned long long Fnv(const std::string& s)
{
    unsigned long long h = 1469598103934665603ull;
    for (unsigned char c : s)
        h = (h ^ c) * 1099511628211ull;
    return h;
}

TEST(FrameGolden, ThreeHundredFramesMatchTheRecording)
{
    std::srand(20261207);
    ZrParticleEffect effect;
    ASSERT_TRUE(effect.FromXML((kDir + "frames.par").c_str()));
    ASSERT_EQ(effect.GetParticleSystemNum(), 5);
    effect.GetParticleSystem(0)->SetColorImagePath((kDir + "ramp.png").c_str());
    ASSERT_NE(effect.GetParticleSystem(0)->GetColorImage(), nullptr);
    auto* box = dynamic_cast<ZrBoxPlacer*>(
        dynamic_cast<ZrCommonEmitter*>(effect.GetParticleSystem(1)->GetEmitter())->GetPlacer());
    ASSERT_NE(box, nullptr);
    box->SetBox(ZrBoundingBox(ZrVector3d(-1, 0, -0.5), ZrVector3d(2, 0.5, 1.5)));
    VEXA::VexaArray<VEXA::VexaPoint2D> ring; // a U open to the north: two inside runs
    for (auto [x, y] : {std::pair{116.30, 39.90}, {116.34, 39.90}, {116.34, 39.96}, {116.33, 39.96},
                        {116.33, 39.92}, {116.31, 39.92}, {116.31, 39.96}, {116.30, 39.96}, {116.30, 39.90}})
        ring.Add(VEXA::VexaPoint2D(x, y));
    effect.GetParticleSystem(4)->SetRegion(ring, VEXA::VexaPoint2D(116.32, 39.93));

    std::string text;
    char line[64];
    for (int frame = 0; frame < 300; ++frame) {
        effect.Update(1.0 / 30.0);
        effect.AfterRender(1.0 / 30.0);
        for (int s = 0; s < 5; ++s) {
            std::snprintf(line, sizeof line, "frame %d system %d %016llx\n", frame, s,
                          Fnv(State(*effect.GetParticleSystem(s))));
            text += line;
        }
    }
    for (int s = 0; s < 5; ++s)
        text += "system " + std::to_string(s) + "\n" + State(*effect.GetParticleSystem(s));

    const std::string fixture = kDir + "frames.expected";
    if (std::getenv("NBPS_RECORD_FRAMES") != nullptr)
        std::ofstream(fixture, std::ios::binary) << text;
    std::ifstream in(fixture, std::ios::binary);
    ASSERT_TRUE(in) << fixture;
    std::istringstream got(text);
    std::string want, have;
    for (int n = 1; std::getline(in, want); ++n) {
        ASSERT_TRUE(std::getline(got, have)) << "output ends before fixture line " << n;
        ASSERT_EQ(have, want) << "fixture line " << n;
    }
    EXPECT_FALSE(std::getline(got, have)) << "output longer than the fixture";
}

} // namespace
