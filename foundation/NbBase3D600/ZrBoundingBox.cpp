#include "ZrBoundingBox.h"

#include <cfloat>

namespace ZRC {

ZrBoundingBox::ZrBoundingBox() { SetNULL(); }

ZrBoundingBox::ZrBoundingBox(const ZrVector3d& minimum, const ZrVector3d& maximum)
    : m_min(minimum), m_max(maximum), m_null(0)
{
}

void ZrBoundingBox::SetNULL()
{
    m_min = ZrVector3d(DBL_MAX, DBL_MAX, DBL_MAX);
    m_max = ZrVector3d(-DBL_MAX, -DBL_MAX, -DBL_MAX);
    m_null = 1;
}

unsigned char ZrBoundingBox::IsNULL() const { return m_null; }

void ZrBoundingBox::SetMin(ZrVector3d minimum)
{
    m_min = minimum;
    m_null = 0;
}

void ZrBoundingBox::SetMax(ZrVector3d maximum)
{
    m_max = maximum;
    m_null = 0;
}

void ZrBoundingBox::SetExtents(const ZrVector3d& minimum, const ZrVector3d& maximum)
{
    m_min = minimum;
    m_max = maximum;
    m_null = 0;
}

void ZrBoundingBox::Merge(const ZrBoundingBox& other)
{
    if (other.m_null)
        return;
    if (m_null) {
        *this = other;
        return;
    }
    m_min.MakeCeil(other.m_min);
    m_max.MakeFloor(other.m_max);
}

} // namespace ZRC
