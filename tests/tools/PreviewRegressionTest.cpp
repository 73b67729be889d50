// Renders each bundled effect at a fixed seed and compares frames with the
// reference images in tests/tools/reference (NBPS_UPDATE_REFERENCES=1 writes
// them instead).
#include "FrameLoop.h"

#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cstdlib>
#include <string>

using namespace nbparticle;

namespace {

class PreviewRegression : public ::testing::TestWithParam<const char*> {};

TEST_P(PreviewRegression, MatchesTheReferenceFrames)
{
    const int w = 160, h = 120, shots[3] = {10, 25, 44};
    PreviewSettings settings;
    settings.frames = 45;
    settings.width = w;
    settings.height = h;
    // Three frames side by side.
    std::vector<unsigned char> strip(size_t(w) * 3 * h * 3);
    EffectLoader loader(std::string(NBPS_BINARY_DIR) + "/effects");
    FrameLoop loop(loader, GetParam(), settings);
    ASSERT_EQ(loop.Run([&](int f, const Frame& frame) {
        for (int s = 0; s < 3; ++s)
            for (int y = 0; f == shots[s] && y < h; ++y)
                std::copy_n(&frame.rgb[size_t(y) * w * 3], w * 3, &strip[(size_t(y) * w * 3 + s * w) * 3]);
        return true;
    }), FrameLoop::Done);

    const std::string ref = std::string(NBPS_SOURCE_DIR) + "/tests/tools/reference/" + GetParam() + ".png";
    if (std::getenv("NBPS_UPDATE_REFERENCES")) {
        ASSERT_TRUE(stbi_write_png(ref.c_str(), w * 3, h, 3, strip.data(), w * 9));
        return;
    }
    int rw = 0, rh = 0, rc = 0;
    unsigned char* expected = stbi_load(ref.c_str(), &rw, &rh, &rc, 3);
    ASSERT_NE(expected, nullptr) << ref;
    ASSERT_EQ(rw * rh, w * 3 * h);
    // Compilers may move a value by a level or two; a wrong camera, blend or
    // texture moves many pixels far.
    int far = 0;
    for (size_t i = 0; i < strip.size(); i += 3) {
        int d = 0;
        for (int k = 0; k < 3; ++k)
            d = std::max(d, std::abs(int(strip[i + k]) - int(expected[i + k])));
        far += d > 24;
    }
    stbi_image_free(expected);
    EXPECT_LE(far, w * 3 * h / 400) << "pixels far from the reference";
}

INSTANTIATE_TEST_SUITE_P(Bundled, PreviewRegression,
                         ::testing::Values("fire", "smoke", "fountain", "explode", "rain", "snow"));

} // namespace
