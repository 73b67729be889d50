#include "ZrCommonCounter.h"

#include <climits>

namespace ZRC {

ZrCommonCounter::ZrCommonCounter() { m_nCountPerSecond = 50; }

ZrCommonCounter::~ZrCommonCounter() = default;

int ZrCommonCounter::GetType() const { return 1; }

int ZrCommonCounter::GetCount(double dt)
{
    // Round the expected number of the step, halves up, and never answer less
    // than one. The sum is clamped before the conversion: a value at or above
    // INT_MAX (a huge rate or step) saturates, and a NaN or a value at or below
    // zero counts as nothing, which the minimum then raises to one.
    const double expected = static_cast<double>(m_nCountPerSecond) * dt + 0.5;
    int count = 0;
    if (expected >= static_cast<double>(INT_MAX))
        count = INT_MAX;
    else if (expected > 0.0)
        count = static_cast<int>(expected);
    return count > 0 ? count : 1;
}

unsigned char ZrCommonCounter::FromXML(VEXA::VexaString& xml)
{
    return ReadCounterDocument(xml, "CommonCounter", m_nCountPerSecond);
}

unsigned char ZrCommonCounter::ToXML(VEXA::VexaString& xml)
{
    return WriteCounterDocument(xml, "CommonCounter", m_nCountPerSecond);
}

unsigned char ZrCommonCounter::Copy(const ZrCommonCounter& other)
{
    if (&other == this)
        return 0;
    m_nCountPerSecond = other.m_nCountPerSecond;
    return 1;
}

} // namespace ZRC
