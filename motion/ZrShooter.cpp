#include "ZrShooter.h"

#include "ZrRadialShooter.h"
#include "ZrRandomStream.h"
#include "ZrSingleShooter.h"

#include <cmath>
#include <cstdlib>

namespace ZRC {

ZrShooter::ZrShooter() : m_fSpeedStart(1.0f), m_fSpeedEnd(2.0f) {}

ZrShooter::~ZrShooter() = default;

int ZrShooter::GetType() const { return 0; }

void ZrShooter::SetDirection(ZrVector3d /*direction*/) {}

float ZrShooter::DrawInRange(float start, float end)
{
    const int r = ZrRandomStream::Draw() % 100;
    const float span = end - start;
    // Ends of opposite sign near the float limits overflow the single-precision
    // span; the draw then takes the span in double, which stays within the range.
    if (!std::isfinite(span))
        return static_cast<float>(r * static_cast<double>(0.01f) * (static_cast<double>(end) - start) + start);
    return static_cast<float>(r * static_cast<double>(0.01f) * span + start);
}

ZrShooter* ZrShooter::Clone(const ZrShooter* src)
{
    if (src == nullptr)
        return nullptr;
    switch (src->GetType()) {
    case 1: {
        // The type code alone does not prove the class; check it before copying.
        const ZrRadialShooter* radial = dynamic_cast<const ZrRadialShooter*>(src);
        if (radial == nullptr)
            return nullptr;
        ZrRadialShooter* copy = new ZrRadialShooter();
        copy->Copy(*radial);
        return copy;
    }
    case 2: {
        const ZrSingleShooter* single = dynamic_cast<const ZrSingleShooter*>(src);
        if (single == nullptr)
            return nullptr;
        ZrSingleShooter* copy = new ZrSingleShooter();
        copy->Copy(*single);
        return copy;
    }
    default:
        return nullptr;
    }
}

} // namespace ZRC
