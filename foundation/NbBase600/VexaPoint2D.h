#pragma once
#include "NbExport.h"

namespace VEXA {

// Plain 2D point of two doubles (x then y). No virtual operations.
class NBPS_API VexaPoint2D {
public:
    VexaPoint2D();
    VexaPoint2D(double x, double y);
    ~VexaPoint2D() = default;
    VexaPoint2D(const VexaPoint2D&) = default;
    VexaPoint2D& operator=(const VexaPoint2D&) = default;

    double x;
    double y;
};

NBPS_API VexaPoint2D operator+(const VexaPoint2D& a, const VexaPoint2D& b);
NBPS_API VexaPoint2D operator-(const VexaPoint2D& a, const VexaPoint2D& b);

} // namespace VEXA
