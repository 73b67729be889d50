#include "VexaPoint2D.h"

namespace VEXA {

VexaPoint2D::VexaPoint2D() : x(0.0), y(0.0) {}
VexaPoint2D::VexaPoint2D(double ax, double ay) : x(ax), y(ay) {}

VexaPoint2D operator+(const VexaPoint2D& a, const VexaPoint2D& b) { return VexaPoint2D(a.x + b.x, a.y + b.y); }
VexaPoint2D operator-(const VexaPoint2D& a, const VexaPoint2D& b) { return VexaPoint2D(a.x - b.x, a.y - b.y); }

} // namespace VEXA
