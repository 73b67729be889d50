#pragma once
#include "NbExport.h"
#include "ZrVector3d.h"

namespace ZRC {

class NBPS_API ZrMathEngine {
public:
    // Cartesian point on a sphere of the given radius, from longitude and
    // latitude in radians: x = r cos(lat) cos(lon), y = r cos(lat) sin(lon),
    // z = r sin(lat) (earth-centred, z towards the north pole).
    static ZrVector3d SphericalToCartesian(double longitude, double latitude, double radius);
};

} // namespace ZRC
