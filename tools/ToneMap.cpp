#include "ToneMap.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace nbparticle {
namespace {

// The display bytes as a search among 255 thresholds: byte b is where the
// rounded power first reaches b, found over the bit patterns of the floats
// in 0..1 (whose order is that of their values), so that the table gives
// exactly the rounded power. A first guess comes from the top bits of the
// value (its exponent and seven bits of its fraction).
class DisplayBytes {
public:
    DisplayBytes()
    {
        for (int b = 1; b <= 255; ++b) {
            uint32_t lo = 0, hi = kOne;
            while (lo < hi) {
                const uint32_t mid = lo + (hi - lo) / 2;
                if (Rounded(FromBits(mid)) >= b)
                    hi = mid;
                else
                    lo = mid + 1;
            }
            m_threshold[b] = FromBits(lo);
        }
        m_threshold[0] = 0.0f;
        m_threshold[256] = std::numeric_limits<float>::infinity();
        int b = 0;
        for (uint32_t i = 0; i <= (kOne >> 16); ++i) {
            while (m_threshold[b + 1] <= FromBits(i << 16))
                ++b;
            m_guess[i] = static_cast<unsigned char>(b);
        }
    }

    unsigned char operator()(float linear) const
    {
        const float x = std::clamp(linear, 0.0f, 1.0f);
        uint32_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        int b = m_guess[bits >> 16];
        while (x >= m_threshold[b + 1])
            ++b;
        return static_cast<unsigned char>(b);
    }

private:
    static const uint32_t kOne = 0x3F800000;   // the bits of 1.0f

    static float FromBits(uint32_t bits)
    {
        float x;
        std::memcpy(&x, &bits, sizeof x);
        return x;
    }
    static int Rounded(float x) { return static_cast<int>(std::lround(ToneMap::ToDisplay(x) * 255.0f)); }

    float m_threshold[257];
    unsigned char m_guess[(kOne >> 16) + 1];
};

} // namespace

float ToneMap::ToLinear(float display)
{
    return std::pow(std::clamp(display, 0.0f, 1.0f), 2.2f);
}

float ToneMap::ToDisplay(float linear)
{
    return std::pow(std::clamp(linear, 0.0f, 1.0f), 1.0f / 2.2f);
}

float ToneMap::Filmic(float x)
{
    x = std::max(0.0f, x);
    return std::min(1.0f, x * (2.51f * x + 0.03f) / (x * (2.43f * x + 0.59f) + 0.14f));
}

unsigned char ToneMap::ToDisplayByte(float linear)
{
    static const DisplayBytes table;
    return table(linear);
}

void ToneMap::Apply(const float linear[3], unsigned char out[3])
{
    float c[3];
    for (int k = 0; k < 3; ++k)
        c[k] = std::isfinite(linear[k]) ? std::min(std::max(0.0f, linear[k]), 1e6f) : 0.0f;
    const float peak = std::max(c[0], std::max(c[1], c[2]));
    const float scale = peak > 1e-6f ? Filmic(peak) / peak : 0.0f;
    for (int k = 0; k < 3; ++k)
        out[k] = ToDisplayByte(c[k] * scale);
}

} // namespace nbparticle
