// End-to-end: where the tool finds an effect's images, and what it says when
// an effect cannot be drawn.
#include "ToolTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <string>

using namespace tooltest;

namespace {

std::string Tmp(const std::string& name) { return std::string(NBPS_BINARY_DIR) + "/tool-preview-" + name; }

// Runs the tool from the root folder; returns its exit status and sets err to its stderr.
int RunIn(const std::string& args, std::string& err)
{
    const Result r = RunTool(args + " >/dev/null", "/");
    err = r.err;
    return r.code;
}

// A copy of the bundled fire with one text replaced, written to name.
std::string FireWith(const std::string& name, const std::string& from, const std::string& to)
{
    const std::string path = Tmp(name);
    std::ofstream(path) << std::regex_replace(Slurp(std::string(NBPS_SOURCE_DIR) + "/effects/fire.par"),
                                              std::regex(from), to);
    return path;
}

TEST(ToolPreview, AnEffectFileFindsItsImagesFromAnyFolder)
{
    std::string err;
    const std::string byFile = Tmp("by-file.gif"), byName = Tmp("by-name.gif");
    ASSERT_EQ(RunIn(std::string("render ") + NBPS_SOURCE_DIR + "/effects/fire.par --frames 8 --size 80x60 -o " +
                           byFile, err), 0) << err;
    EXPECT_EQ(err.rfind("wrote ", 0), 0u) << err;   // and no other line: no finding, no image missing
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    ASSERT_EQ(RunIn("render fire --frames 8 --size 80x60 -o " + byName + " --resources " + NBPS_BINARY_DIR +
                           "/effects", err), 0) << err;
    EXPECT_EQ(Slurp(byFile), Slurp(byName));

    const std::string webp = Tmp("fire.webp");
    ASSERT_EQ(RunIn("render fire --frames 3 --size 80x60 -o " + webp, err), 0) << err;
    const std::string bytes = Slurp(webp);
    EXPECT_EQ(bytes.substr(0, 4) + bytes.substr(8, 4), "RIFFWEBP");
    EXPECT_NE(bytes.find("ANMF"), std::string::npos);
}

// render, info and simulate say first what check finds in the document, and
// which images cannot be drawn; neither changes the exit status, and --quiet
// silences both.
TEST(ToolPreview, RunsShowWhatCheckFindsAndImagesNotFound)
{
    const std::string par = FireWith("missing.par", "flame\\.png", "no-such-texture.png");
    const std::string check = Shell(std::string(NBPARTICLE_EXE) + " check " + par).second;
    ASSERT_NE(check.find(par + ":"), std::string::npos) << check;
    for (const char* command : {"render", "info", "simulate"}) {
        std::string err;
        const std::string extra = std::string(command) == "render" ? " --frames 4 -o " + Tmp("missing.gif") : "";
        EXPECT_EQ(RunIn(std::string(command) + " " + par + extra, err), 0) << err;
        EXPECT_EQ(err.rfind(check, 0), 0u) << err;
        EXPECT_NE(err.find("texture \"no-such-texture.png\" of system 0 not found"), std::string::npos) << err;
        EXPECT_EQ(RunIn(std::string(command) + " " + par + extra + " --quiet", err), 0) << err;
        EXPECT_EQ(err, "");
    }
}

TEST(ToolPreview, AnEffectWithNothingToDrawFails)
{
    const std::string par = FireWith("invisible.par", "<AlphaRange(Start|End)>[0-9.]*<", "<AlphaRange$1>0<");
    std::string err;
    EXPECT_EQ(RunIn("render " + par + " --frames 10 -o " + Tmp("invisible.gif"), err), 1);
    EXPECT_NE(err.find("nothing to draw"), std::string::npos) << err;
}

} // namespace
