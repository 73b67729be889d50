#pragma once
#include "NbExport.h"

namespace ZRC {

// Four doubles; as a colour R, G, B, A, nominally 0 to 1. Default all zero.
class NBPS_API ZrVector4d {
public:
    ZrVector4d() : x(0.0), y(0.0), z(0.0), w(0.0) {}
    ZrVector4d(double r, double g, double b, double a) : x(r), y(g), z(b), w(a) {}
    ZrVector4d(const ZrVector4d&) = default;
    ZrVector4d& operator=(const ZrVector4d&) = default;

    ZrVector4d operator+(const ZrVector4d& v) const { return ZrVector4d(x + v.x, y + v.y, z + v.z, w + v.w); }
    ZrVector4d operator-(const ZrVector4d& v) const { return ZrVector4d(x - v.x, y - v.y, z - v.z, w - v.w); }
    ZrVector4d operator*(double s) const { return ZrVector4d(x * s, y * s, z * s, w * s); }

    double x; // R
    double y; // G
    double z; // B
    double w; // A
};

} // namespace ZRC
