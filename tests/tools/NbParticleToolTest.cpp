// End-to-end tests of the nbparticle command-line tool.
#include "ToolTestSupport.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstdio>
#include <fstream>
#include <string>

using namespace tooltest;

namespace {

std::string Effects() { return std::string(NBPS_SOURCE_DIR) + "/effects"; }
std::string Resources() { return std::string(NBPS_BINARY_DIR) + "/effects"; }
std::string Tmp(const std::string& name) { return std::string(NBPS_BINARY_DIR) + "/tool-test-" + name; }

int Lines(const std::string& s)
{
    int n = 0;
    for (char c : s)
        n += c == '\n';
    return n;
}

TEST(NbParticleTool, RendersGifAndContactSheet)
{
    const std::string gif = Tmp("fire.gif"), png = Tmp("fire.png");
    std::remove(gif.c_str());
    std::remove(png.c_str());
    Result r = RunTool("render " + Effects() + "/fire.par -o " + gif + " --frames 12 --size 64x48 --resources " + Resources());
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string g = Slurp(gif);
    ASSERT_GT(g.size(), 6u);
    EXPECT_EQ(g.substr(0, 6), "GIF89a");
    EXPECT_NE(g.find("NETSCAPE2.0"), std::string::npos);

    r = RunTool("render " + Effects() + "/explode.par -o " + png + " --frames 24 --size 64x48");
    ASSERT_EQ(r.code, 0) << r.err;
    int w = 0, h = 0, c = 0;
    unsigned char* px = stbi_load(png.c_str(), &w, &h, &c, 3);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(w, 64 * 4);
    EXPECT_EQ(h, 48 * 3);
    // The explosion is brighter than the dark background somewhere.
    int bright = 0;
    for (int i = 0; i < w * h; ++i)
        bright += (px[i * 3] > 120 || px[i * 3 + 1] > 120) ? 1 : 0;
    stbi_image_free(px);
    EXPECT_GT(bright, 20);
}

TEST(NbParticleTool, FailuresPrintOneLineAndExitNonZero)
{
    Result r = RunTool("render /nonexistent/none.par -o " + Tmp("x.gif"));
    EXPECT_NE(r.code, 0);
    EXPECT_EQ(Lines(r.err), 1) << r.err;
    EXPECT_EQ(r.err.rfind("nbparticle: ", 0), 0u) << r.err;

    r = RunTool("list /nonexistent/none.sc");
    EXPECT_NE(r.code, 0);
    EXPECT_EQ(Lines(r.err), 1) << r.err;

    r = RunTool("pack " + Tmp("bad.sc") + " missing=/nonexistent/file");
    EXPECT_NE(r.code, 0);
    EXPECT_EQ(Lines(r.err), 1) << r.err;

    r = RunTool("render " + Effects() + "/fire.par -o " + Tmp("x.bmp") + " --frames 2");
    EXPECT_NE(r.code, 0);
    EXPECT_EQ(Lines(r.err), 1) << r.err;
}

TEST(NbParticleTool, PackAndListRoundTrip)
{
    const std::string sc = Tmp("pack.sc");
    Result r = RunTool("pack " + sc + " fire=" + Effects() + "/fire.par " + Effects() + "/snow.par");
    ASSERT_EQ(r.code, 0) << r.err;
    r = RunTool("list " + sc);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "fire\nsnow.par\n");
}

TEST(NbParticleTool, InfoAndSimulateByName)
{
    Result r = RunTool("info fountain --resources " + Resources());
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.rfind("type        FountainEffect\nsystems     ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\nsystem 0\n  particles GLOW_PARTICLE"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  emitter   CommonEmitter\n    counter CommonCounter"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  influence AccelInfluence, direction (0, -1, 0)"), std::string::npos) << r.out;
    // A life time beyond the milliseconds an int holds.
    const std::string fire = Slurp(Effects() + "/fire.par"), huge = Tmp("huge.par");
    std::ofstream(huge) << fire.substr(0, fire.find("<LifeTime>") + 10) + "1e38" + fire.substr(fire.find("</LifeTime>"));
    r = RunTool("info " + huge);
    EXPECT_NE(r.out.find("    life    at least 2147483.647 s (GetLifeTime 2147483647 ms, its largest value)"), std::string::npos) << r.out;

    const std::string csv = Tmp("sim.csv");
    r = RunTool("simulate " + Effects() + "/fountain.par --frames 30 --csv " + csv);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("frames 30"), std::string::npos);
    int live = -1;
    const size_t at = r.out.find("live ");
    ASSERT_NE(at, std::string::npos);
    live = std::atoi(r.out.c_str() + at + 5);
    // About a second of emission at 1100 particles per second, none dead yet.
    EXPECT_GT(live, 850);
    EXPECT_LT(live, 1400);
    EXPECT_EQ(Lines(Slurp(csv)), 31);
}

} // namespace
