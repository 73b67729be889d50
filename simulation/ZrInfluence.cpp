#include "ZrInfluence.h"

#include <cfloat>

namespace ZRC {

ZrInfluence::ZrInfluence() : m_bEnabled(1) {}

ZrInfluence::~ZrInfluence() {}

int ZrInfluence::GetType() const { return 0; }

float ZrInfluence::DragCoefficient(double value)
{
    if (!(value > 0.0))
        return 0.0f;
    return value < static_cast<double>(FLT_MAX) ? static_cast<float>(value) : FLT_MAX;
}

} // namespace ZRC
