#include "ZrVector3d.h"

#include <cmath>

namespace ZRC {

double ZrVector3d::Length() const { return std::sqrt(x * x + y * y + z * z); }

void ZrVector3d::MakeFloor(const ZrVector3d& v)
{
    if (v.x > x) x = v.x;
    if (v.y > y) y = v.y;
    if (v.z > z) z = v.z;
}

void ZrVector3d::MakeCeil(const ZrVector3d& v)
{
    if (v.x < x) x = v.x;
    if (v.y < y) y = v.y;
    if (v.z < z) z = v.z;
}

} // namespace ZRC
