#pragma once
#include "NbExport.h"
#include "ZrVector3d.h"

namespace ZRC {

// Axis-aligned box with a null (empty) state. A null box keeps its minimum
// corner at +DBL_MAX and its maximum corner at -DBL_MAX, so that folding a first
// point in with MakeCeil/MakeFloor yields that point.
class NBPS_API ZrBoundingBox {
public:
    ZrBoundingBox();
    ZrBoundingBox(const ZrVector3d& minimum, const ZrVector3d& maximum);
    ZrBoundingBox(const ZrBoundingBox&) = default;
    virtual ~ZrBoundingBox() = default;
    ZrBoundingBox& operator=(const ZrBoundingBox&) = default;

    void SetNULL();
    unsigned char IsNULL() const;
    const ZrVector3d& GetMin() const { return m_min; }
    const ZrVector3d& GetMax() const { return m_max; }
    void SetMin(ZrVector3d minimum);
    void SetMax(ZrVector3d maximum);
    void SetExtents(const ZrVector3d& minimum, const ZrVector3d& maximum);
    // Grows this box to contain the other; a null operand changes nothing.
    void Merge(const ZrBoundingBox& other);

private:
    ZrVector3d m_min;
    ZrVector3d m_max;
    unsigned char m_null;
};

} // namespace ZRC
