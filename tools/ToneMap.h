#pragma once

namespace nbparticle {

// Conversions between display values and linear light, and the filmic curve
// that maps accumulated light to the display.
class ToneMap {
public:
    static float ToLinear(float display);
    static float ToDisplay(float linear);
    // The display byte of a linear value: ToDisplay(linear) * 255 rounded,
    // found in a table instead of by a power.
    static unsigned char ToDisplayByte(float linear);
    // Maps linear RGB (any non-negative values) to display bytes. The filmic
    // curve is applied to the brightest channel and the others are scaled with
    // it, so that light too bright for the display keeps its hue.
    static void Apply(const float linear[3], unsigned char out[3]);
    // The filmic curve: 0 at 0, rising steeply and approaching 1.
    static float Filmic(float x);
};

} // namespace nbparticle
