#include "ZrMathEngine.h"

#include <cmath>

namespace ZRC {

ZrVector3d ZrMathEngine::SphericalToCartesian(double longitude, double latitude, double radius)
{
    const double c = std::cos(latitude);
    return ZrVector3d(radius * c * std::cos(longitude), radius * c * std::sin(longitude), radius * std::sin(latitude));
}

} // namespace ZRC
