#pragma once
#include "NbExport.h"

#include <cmath>

namespace ZRC {

// 3D vector of three public doubles; default is the zero vector.
class NBPS_API ZrVector3d {
public:
    ZrVector3d() : x(0.0), y(0.0), z(0.0) {}
    ZrVector3d(double ax, double ay, double az) : x(ax), y(ay), z(az) {}
    ZrVector3d(const ZrVector3d&) = default;
    virtual ~ZrVector3d() = default;
    ZrVector3d& operator=(const ZrVector3d&) = default;

    ZrVector3d operator+(const ZrVector3d& v) const { return ZrVector3d(x + v.x, y + v.y, z + v.z); }
    ZrVector3d operator-(const ZrVector3d& v) const { return ZrVector3d(x - v.x, y - v.y, z - v.z); }
    ZrVector3d operator-() const { return ZrVector3d(-x, -y, -z); }
    ZrVector3d operator*(double s) const { return ZrVector3d(x * s, y * s, z * s); }
    ZrVector3d& operator+=(const ZrVector3d& v) { x += v.x; y += v.y; z += v.z; return *this; }
    ZrVector3d& operator-=(const ZrVector3d& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
    ZrVector3d& operator*=(double s) { x *= s; y *= s; z *= s; return *this; }

    double Length() const { return std::sqrt(x * x + y * y + z * z); }
    // Keeps in each component the larger of the two values.
    void MakeFloor(const ZrVector3d& v)
    {
        if (v.x > x) x = v.x;
        if (v.y > y) y = v.y;
        if (v.z > z) z = v.z;
    }
    // Keeps in each component the smaller of the two values.
    void MakeCeil(const ZrVector3d& v)
    {
        if (v.x < x) x = v.x;
        if (v.y < y) y = v.y;
        if (v.z < z) z = v.z;
    }

    double x;
    double y;
    double z;
};

} // namespace ZRC
