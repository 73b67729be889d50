#include "ToneMap.h"

#include <algorithm>
#include <cmath>

namespace nbparticle {

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

void ToneMap::Apply(const float linear[3], unsigned char out[3])
{
    float c[3];
    for (int k = 0; k < 3; ++k)
        c[k] = std::isfinite(linear[k]) ? std::min(std::max(0.0f, linear[k]), 1e6f) : 0.0f;
    const float peak = std::max(c[0], std::max(c[1], c[2]));
    const float scale = peak > 1e-6f ? Filmic(peak) / peak : 0.0f;
    for (int k = 0; k < 3; ++k)
        out[k] = static_cast<unsigned char>(std::lround(ToDisplay(c[k] * scale) * 255.0f));
}

} // namespace nbparticle
