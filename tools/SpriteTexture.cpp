#include "SpriteTexture.h"
#include "ToneMap.h"

#include <algorithm>
#include <cmath>

namespace nbparticle {

std::unique_ptr<SpriteTexture> SpriteTexture::FromRGBA(const std::vector<unsigned char>& rgba, int w, int h)
{
    if (w <= 0 || h <= 0 || w > 2048 || h > 2048 || rgba.size() < size_t(w) * h * 4)
        return nullptr;
    std::unique_ptr<SpriteTexture> tex(new SpriteTexture(w, h));
    const unsigned char* pixels = rgba.data();
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        const float a = pixels[i * 4 + 3] / 255.0f;
        for (int c = 0; c < 3; ++c)
            tex->m_texels[i * 4 + c] = ToneMap::ToLinear(pixels[i * 4 + c] / 255.0f) * a;
        tex->m_texels[i * 4 + 3] = a;
    }
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
