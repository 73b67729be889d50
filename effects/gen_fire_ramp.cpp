// Writes the fire colour ramp: a 64x1 RGBA image running from white-yellow
// through orange and red to a dark, transparent end.
#include <stb_image_write.h>
#include <cmath>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_fire_ramp OUT.png\n");
        return 2;
    }
    const int n = 64;
    // Key colours (R, G, B, A) at evenly spaced stops.
    const float keys[5][4] = {{1.0f, 1.0f, 0.85f, 1.0f},
                              {1.0f, 0.85f, 0.3f, 1.0f},
                              {1.0f, 0.5f, 0.08f, 0.9f},
                              {0.75f, 0.12f, 0.02f, 0.6f},
                              {0.08f, 0.02f, 0.02f, 0.0f}};
    unsigned char pixels[n * 4];
    for (int i = 0; i < n; ++i) {
        const float t = static_cast<float>(i) / (n - 1) * 4.0f;
        int k = static_cast<int>(t);
        if (k > 3)
            k = 3;
        const float f = t - static_cast<float>(k);
        for (int c = 0; c < 4; ++c) {
            const float v = keys[k][c] * (1.0f - f) + keys[k + 1][c] * f;
            pixels[i * 4 + c] = static_cast<unsigned char>(std::lround(v * 255.0f));
        }
    }
    if (!stbi_write_png(argv[1], n, 1, 4, pixels, n * 4)) {
        std::fprintf(stderr, "gen_fire_ramp: %s: cannot write\n", argv[1]);
        return 1;
    }
    return 0;
}
