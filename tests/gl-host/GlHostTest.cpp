// The GL host (examples/gl-host, built against the installed package by the
// install test) draws every bundled effect as the preview does, at the same
// seed, view and size, the preview without its sky and ground.
//
// Both follow the same billboard batch, camera and light model; they differ in
// arithmetic only: the GPU adds light in half floats, reads colours as bytes
// and its powers are approximations, each worth at most a level of the
// display; and a pixel whose centre lies on a quad's edge is covered by the
// GPU's rule, not the preview's, which can move it by a few levels more (on
// Mesa's rasteriser: 1 level at most, but for one edge pixel 9 levels in one
// frame of the fountain). So where light falls: at most 1 pixel in 500 may
// differ by more than 6 levels in a channel; and its colour: the mean of each
// channel over the frame must agree within half a level. A wrong camera,
// blend, order, texture or power moves thousands of pixels, or the means by a
// level or more (light to the power 2.0 instead of 2.2 moves the smoke's by 2.5
// and a GLOW run blended as DARK the explosion's by 3.7).
#include "FrameLoop.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

using namespace nbparticle;

namespace {

struct Case {
    const char* effect;
    int frames;
    int width, height;
    double azimuth, elevation;
    unsigned seed;
};

class GlHost : public ::testing::TestWithParam<Case> {};

TEST_P(GlHost, DrawsAsThePreviewDoes)
{
    const Case c = GetParam();
    const std::string out = std::string(NBPS_BINARY_DIR) + "/gl-host-" + c.effect + "-" + std::to_string(c.seed) + ".png";
    char args[256];
    std::snprintf(args, sizeof args, " %s -o %s --frames %d --size %dx%d --view %g,%g --seed %u", c.effect, out.c_str(),
                  c.frames, c.width, c.height, c.azimuth, c.elevation, c.seed);
    const int status = std::system((std::string(NBPS_GL_HOST_EXE) + args).c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << NBPS_GL_HOST_EXE << args;

    PreviewSettings settings;
    settings.frames = c.frames;
    settings.width = c.width;
    settings.height = c.height;
    settings.azimuth = c.azimuth;
    settings.elevation = c.elevation;
    settings.seed = c.seed;
    settings.scenery = false;
    EffectLoader loader(std::string(NBPS_BINARY_DIR) + "/effects");
    FrameLoop loop(loader, c.effect, settings);
    Frame last;
    ASSERT_EQ(loop.Run([&](int, const Frame& frame) {
        last = frame;
        return true;
    }), FrameLoop::Done);

    int w = 0, h = 0, n = 0;
    unsigned char* gl = stbi_load(out.c_str(), &w, &h, &n, 3);
    ASSERT_NE(gl, nullptr) << out;
    ASSERT_EQ(std::vector<int>({w, h}), std::vector<int>({c.width, c.height}));
    int off = 0;
    double mean[2][3] = {};
    for (int i = 0; i < w * h; ++i) {
        int d = 0;
        for (int k = 0; k < 3; ++k) {
            const int a = gl[i * 3 + k], b = last.rgb[size_t(i) * 3 + k];
            d = std::max(d, std::abs(a - b));
            mean[0][k] += a / double(w * h);
            mean[1][k] += b / double(w * h);
        }
        off += d > 6;
    }
    stbi_image_free(gl);
    EXPECT_LE(off, w * h / 500) << "pixels more than 6 levels from the preview's";
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(mean[0][k], mean[1][k], 0.5) << "mean of channel " << k;
}

INSTANTIATE_TEST_SUITE_P(Bundled, GlHost,
                         ::testing::Values(Case{"fire", 45, 160, 120, 35, 25, 1}, Case{"smoke", 45, 160, 120, 35, 25, 1},
                                           Case{"fountain", 45, 160, 120, 35, 25, 1},
                                           Case{"explode", 45, 160, 120, 35, 25, 1}, Case{"rain", 45, 160, 120, 35, 25, 1},
                                           Case{"snow", 45, 160, 120, 35, 25, 1},
                                           Case{"explode", 20, 200, 100, 120, 5, 7}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.effect) + "_seed" + std::to_string(info.param.seed);
                         });

} // namespace
