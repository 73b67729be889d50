// End-to-end tests of the nbparticle command-line tool.
#include "NbTestSupport.h"
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

// A .par file is packed under the name an effect is asked for by, and the
// container file itself serves as --resources; the bundled images stay found
// with a container that lacks them, so the effect renders as from the bundle.
TEST(NbParticleTool, PackedEffectsRenderFromTheContainerFile)
{
    const std::string sc = Tmp("pack.sc");
    Result r = RunTool("pack " + sc + " " + Effects() + "/fire.par " + Effects() + "/snow.par " + Effects() +
                       "/spark.png ramp=" + Effects() + "/fire_ramp.png");
    ASSERT_EQ(r.code, 0) << r.err;
    r = RunTool("list " + sc);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "fire\nsnow\nspark.png\nramp\n");
    EXPECT_NE(RunTool("pack " + Tmp("twice.sc") + " " + Effects() + "/fire.par fire=" + Effects() + "/snow.par").code, 0);

    const std::string own = Tmp("own.gif"), bundled = Tmp("bundled.gif");
    r = RunTool("render fire --frames 8 --size 80x60 -o " + own + " --resources " + sc);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("the preview takes the bundled"), std::string::npos) << r.err;
    ASSERT_EQ(RunTool("render fire --frames 8 --size 80x60 -o " + bundled + " --resources " + Resources()).code, 0);
    EXPECT_EQ(Slurp(own), Slurp(bundled));
}

TEST(NbParticleTool, InfoAndSimulateByName)
{
    Result r = RunTool("info fountain --resources " + Resources());
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.rfind("type        FountainEffect\nsystems     ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\nsystem 0\n  particles GLOW_PARTICLE"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  emitter   CommonEmitter\n    counter CommonCounter"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  influence AccelInfluence, direction (0, -1, 0)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("    life    1.6 s"), std::string::npos) << r.out;   // seconds, as in the document
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

    // At 60 frames a second the common counter's at-least-one rule shows.
    r = RunTool("simulate " + Effects() + "/fountain.par --frames 60 --fps 60 --quiet");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_GT(std::atoi(r.out.c_str() + r.out.find("live ") + 5), 850);
}

TEST(NbParticleTool, HelpAndOptionRanges)
{
    struct Case {
        const char* args;
        int code;
        const char* says;   // on stdout for help, else on stderr
    };
    const Case cases[] = {
        {"help", 0, "  render-all "},
        {"help render-all", 0, "--seed UINT:a whole number within 0..4294967295=1"},
        {"help simulate", 0, "--fps FLOAT:a number above 0 and at most 1000=30"},
        {"help explain", 0, "Usage: nbparticle explain"},
        {"help nosuch", 2, "no command nosuch"},
        {"render fire -o x.gif --frames 0", 2, "--frames: takes a whole number within 1..100000, not 0"},
        {"render-all -o x --fps 0", 2, "--fps: takes a number above 0 and at most 1000, not 0"},
        {"simulate fire --fps 1e9", 2, "--fps: takes a number above 0 and at most 1000, not 1e9"},
        {"render-all -o x --seed -1", 2, "--seed: takes a whole number within 0..4294967295, not -1"},
        {"render-all -o x --size 9000x10", 2, "--size: takes WxH with W and H within 1..8192, not 9000x10"},
        {"render fire -o x.gif --view 0,90", 2, "the elevation within -89..89, not 0,90"},
        {"info fire --resources /nonexistent", 2, "/nonexistent"},
    };
    for (const Case& c : cases) {
        const Result r = RunTool(c.args);
        EXPECT_EQ(r.code, c.code) << c.args << "\n" << r.err;
        EXPECT_NE((c.code == 0 ? r.out : r.err).find(c.says), std::string::npos) << c.args << "\n" << r.out << r.err;
    }
}

// What each writing command says it wrote: the file, what is in it and its
// size in bytes; nothing with --quiet, and progress only on a terminal.
TEST(NbParticleTool, WritingCommandsSayWhatTheyWrote)
{
    struct Case {
        std::string args, file, says;
    };
    const std::string gif = Tmp("said.gif"), png = Tmp("said.png"), csv = Tmp("said.csv"), sc = Tmp("said.sc");
    const std::string fire = "fire --resources " + Resources();
    const Case cases[] = {
        {"render " + fire + " --frames 12 --fps 24 --size 40x30 -o " + gif, gif,
         "12 frames at 24 fps (0.5 s of effect), 40x30, "},
        {"render " + fire + " --frames 6 --size 40x30 -o " + png, png, "contact sheet of 4x3 from 6 frames at 30 fps"},
        {"simulate " + fire + " --frames 5 --csv " + csv, csv, "5 frames at 30 fps, "},
        {"render-all -o " + Tmp("all") + " --frames 3 --fps 10 --size 32x24 --resources " + Resources(),
         Tmp("all") + "/fire.gif", "3 frames at 10 fps (0.3 s of effect), 32x24, "},
        {"pack " + sc + " " + Effects() + "/fire.par smoke=" + Effects() + "/smoke.par", sc, "2 entries (fire, smoke), "},
    };
    for (const Case& c : cases) {
        const Result r = RunTool(c.args);
        ASSERT_EQ(r.code, 0) << c.args << "\n" << r.err;
        const std::string says = "wrote " + c.file + ": " + c.says;
        EXPECT_EQ(r.err.rfind(says, 0), 0u) << r.err;
        EXPECT_NE(r.err.find(std::to_string(Slurp(c.file).size()) + " bytes"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\r'), std::string::npos);
        EXPECT_EQ(RunTool(c.args + " -q").err, "") << c.args;
    }
    const auto tty = Shell("script -qec '" + std::string(NBPARTICLE_EXE) + " render fire --frames 4 --size 40x30 -o " +
                           gif + "' /dev/null");
    EXPECT_NE(tty.second.find(": 100%\r"), std::string::npos) << tty.second;
}

// Telling why a container entry is not read costs no more than the read:
// the tool's peak memory does not grow with the entry's size.
TEST(NbParticleTool, ATooLargeEntryIsDiagnosedWithoutReadingIt)
{
    nbtest::TempDir dir;
    const std::string sc = dir.Folder();
    nbtest::WriteZip(sc + "particle/particle.sc", {{"big", std::string(64u << 20, ' '), false, ZIP_CM_BZIP2},
                          {"small", std::string(20000, ' '), false, ZIP_CM_BZIP2}});
    std::string err;
    long small = 0, big = 0;
    ASSERT_EQ(RunMeasured({"info", "small", "--resources", sc}, err, small), 1) << err;
    EXPECT_NE(err.find("entry too large: 20000 bytes, at most 10240"), std::string::npos) << err;
    ASSERT_EQ(RunMeasured({"info", "big", "--resources", sc + "particle/particle.sc"}, err, big), 1) << err;
    EXPECT_NE(err.find("entry too large: 67108864 bytes, at most 10240"), std::string::npos) << err;
    EXPECT_LT(big - small, 16 * 1024) << "KiB";
}

} // namespace
