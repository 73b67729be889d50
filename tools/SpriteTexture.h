#pragma once
#include <algorithm>
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
    void Sample(double u, double v, float out[4]) const { Sample(ColumnTap(u), RowTap(v), out); }

    // Sample in two halves, for drawing many pixels of a quad: the texels
    // and weight along one axis for a u (or a v), each found once for a
    // column (or a row) of pixels.
    struct Tap {
        size_t first, second;   // offsets of the two texels (columns: in floats; rows: in floats too)
        float weight;           // of the second
    };
    Tap ColumnTap(double u) const
    {
        const double fx = std::clamp(u * m_width - 0.5, 0.0, m_width - 1.0);
        const int x0 = static_cast<int>(fx), x1 = std::min(x0 + 1, m_width - 1);
        return {size_t(x0) * 4, size_t(x1) * 4, static_cast<float>(fx - x0)};
    }
    Tap RowTap(double v) const
    {
        const double fy = std::clamp(v * m_height - 0.5, 0.0, m_height - 1.0);
        const int y0 = static_cast<int>(fy), y1 = std::min(y0 + 1, m_height - 1);
        return {size_t(y0) * m_width * 4, size_t(y1) * m_width * 4, static_cast<float>(fy - y0)};
    }
    void Sample(const Tap& column, const Tap& row, float out[4]) const
    {
        const float tx = column.weight, ty = row.weight;
        const float* a = &m_texels[row.first + column.first];
        const float* b = &m_texels[row.first + column.second];
        const float* c = &m_texels[row.second + column.first];
        const float* d = &m_texels[row.second + column.second];
        for (int k = 0; k < 4; ++k)
            out[k] = (a[k] * (1 - tx) + b[k] * tx) * (1 - ty) + (c[k] * (1 - tx) + d[k] * tx) * ty;
    }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    SpriteTexture(int width, int height) : m_width(width), m_height(height), m_texels(size_t(width) * height * 4) {}

    int m_width, m_height;
    std::vector<float> m_texels;
};

} // namespace nbparticle
