#include "ZrCommonCounter.h"

#include <climits>
#include <cmath>

namespace ZRC {

ZrCommonCounter::ZrCommonCounter() : m_bSteady(false), m_dCarry(0.0) { m_nCountPerSecond = 50; }

ZrCommonCounter::~ZrCommonCounter() = default;

int ZrCommonCounter::GetType() const { return 1; }

int ZrCommonCounter::GetCount(double dt)
{
    if (m_bSteady) {
        // A step that is not a positive finite length adds nothing.
        if (m_nCountPerSecond <= 0) {
            m_dCarry = 0.0;
            return 0;
        }
        if (!(dt > 0.0) || !std::isfinite(dt))
            return 0;
        const double due = m_dCarry + static_cast<double>(m_nCountPerSecond) * dt;
        const double whole = std::floor(due + 0.5);
        if (!(whole < static_cast<double>(INT_MAX))) {
            m_dCarry = 0.0;
            return INT_MAX;
        }
        m_dCarry = due - whole;
        return static_cast<int>(whole);
    }
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
    m_bSteady = other.m_bSteady;
    m_dCarry = other.m_dCarry;
    return 1;
}

void ZrCommonCounter::SetSteadyEmission(bool steady)
{
    m_bSteady = steady;
    m_dCarry = 0.0;
}

} // namespace ZRC
