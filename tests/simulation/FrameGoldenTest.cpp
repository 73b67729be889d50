// 300 frames of a fixed effect at a fixed seed, compared bit for bit with a
// recorded fixture: every particle's position, velocity, age, size, alpha and
// colour, and each system's box. NBPS_RECORD_FRAMES=1 rewrites the fixture.
#include <NbParticleSystem600/NbParticleSystem600.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

using namespace ZRC;

namespace {

const std::string kDir = std::string(NBPS_SOURCE_DIR) + "/tests/simulation/golden/";

std::string State(ZrParticleSystem& system)
{
    std::string out;
    auto put = [&out](const char* head, std::initializer_list<double> values) {
        char buf[32];
        out += head;
        for (double v : values)
            out.append(buf, static_cast<size_t>(std::snprintf(buf, sizeof buf, " %a", v)));
        out += '\n';
    };
    for (int i = 0; i < system.GetParticleNum(); ++i) {
        const ZrParticle& p = *system.GetParticle(i);
        const ZrVector3d x = p.GetCurPos(), v = p.GetVelocity();
        const ZrVector4d c = p.GetCurColor();
        put(p.IsAlive() ? "+" : "-", {x.x, x.y, x.z, v.x, v.y, v.z, p.GetAge(), p.GetCurSize(), p.GetCurAlpha(), c.x, c.y, c.z, c.w});
    }
    const ZrVector3d lo = system.GetBoundingBox().GetMin(), hi = system.GetBoundingBox().GetMax();
    put("box", {lo.x, lo.y, lo.z, hi.x, hi.y, hi.z});
    return out;
}

TEST(FrameGolden, ThreeHundredFramesMatchTheRecording)
{
    std::srand(20261207);
    ZrParticleEffect effect;
    ASSERT_TRUE(effect.FromXML((kDir + "frames.par").c_str()));
    ASSERT_EQ(effect.GetParticleSystemNum(), 5);
    effect.GetParticleSystem(0)->SetColorImagePath((kDir + "ramp.png").c_str());
    ASSERT_NE(effect.GetParticleSystem(0)->GetColorImage(), nullptr);
    auto* box = dynamic_cast<ZrBoxPlacer*>(static_cast<ZrCommonEmitter*>(effect.GetParticleSystem(1)->GetEmitter())->GetPlacer());
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
        for (int s = 0; s < 5; ++s) { // FNV-1a of the state
            unsigned long long h = 1469598103934665603ull;
            for (unsigned char ch : State(*effect.GetParticleSystem(s)))
                h = (h ^ ch) * 1099511628211ull;
            text.append(line, static_cast<size_t>(std::snprintf(line, sizeof line, "frame %d system %d %016llx\n", frame, s, h)));
        }
    }
    for (int s = 0; s < 5; ++s)
        text += "system " + std::to_string(s) + "\n" + State(*effect.GetParticleSystem(s));

    if (std::getenv("NBPS_RECORD_FRAMES") != nullptr)
        std::ofstream(kDir + "frames.expected", std::ios::binary) << text;
    std::ifstream in(kDir + "frames.expected", std::ios::binary);
    const std::string want{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto diff = std::mismatch(text.begin(), text.end(), want.begin(), want.end());
    EXPECT_TRUE(diff.first == text.end() && diff.second == want.end())
        << "differs from the fixture at line " << 1 + std::count(text.begin(), diff.first, '\n');
}

} // namespace
