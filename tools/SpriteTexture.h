#pragma once
#include <cstddef>
#include <memory>
#include <vector>

namespace nbparticle {

// A particle texture held as linear-light, premultiplied RGBA floats, sampled
// bilinearly with u, v in 0..1 (v down).
class SpriteTexture {
public:
    // From decoded pixels (R, G, B, A bytes, rows top to bottom); null when
    // there are none or the image is larger than 2048 x 2048 pixels.
    static std::unique_ptr<SpriteTexture> FromRGBA(const std::vector<unsigned char>& rgba, int width, int height);
    // The soft round sprite drawn for particles without a texture.
    static const SpriteTexture& Soft();

    // Premultiplied linear RGBA at (u, v).
    void Sample(double u, double v, float out[4]) const;
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    SpriteTexture(int width, int height) : m_width(width), m_height(height), m_texels(size_t(width) * height * 4) {}

    int m_width, m_height;
    std::vector<float> m_texels;
};

} // namespace nbparticle
