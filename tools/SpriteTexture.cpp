#include "SpriteTexture.h"
#include "ToneMap.h"

#include <stb_image.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace nbparticle {

std::unique_ptr<SpriteTexture> SpriteTexture::Decode(const unsigned char* bytes, size_t size)
{
    if (!bytes || size == 0 || size > size_t(INT_MAX))
        return nullptr;
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(bytes, static_cast<int>(size), &w, &h, &channels) || w <= 0 || h <= 0 || w > 2048 ||
        h > 2048)
        return nullptr;
    unsigned char* pixels = stbi_load_from_memory(bytes, static_cast<int>(size), &w, &h, &channels, 4);
    if (!pixels)
        return nullptr;
    std::unique_ptr<SpriteTexture> tex(new SpriteTexture(w, h));
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        const float a = pixels[i * 4 + 3] / 255.0f;
        for (int c = 0; c < 3; ++c)
            tex->m_texels[i * 4 + c] = ToneMap::ToLinear(pixels[i * 4 + c] / 255.0f) * a;
        tex->m_texels[i * 4 + 3] = a;
    }
    stbi_image_free(pixels);
    return tex;
}

const SpriteTexture& SpriteTexture::Soft()
{
    static const SpriteTexture soft = [] {
        const int n = 32;
        SpriteTexture tex(n, n);
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const double dx = (x + 0.5) / n * 2.0 - 1.0, dy = (y + 0.5) / n * 2.0 - 1.0;
                const double r2 = std::min(1.0, dx * dx + dy * dy);
                const float a = static_cast<float>((1.0 - r2) * (1.0 - r2));
                float* t = &tex.m_texels[(size_t(y) * n + x) * 4];
                t[0] = t[1] = t[2] = t[3] = a;
            }
        }
        return tex;
    }();
    return soft;
}

} // namespace nbparticle
