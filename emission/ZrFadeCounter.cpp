#include "ZrFadeCounter.h"

namespace ZRC {

ZrFadeCounter::ZrFadeCounter() : m_bFired(0) { m_nCountPerSecond = 50; }

ZrFadeCounter::~ZrFadeCounter() = default;

int ZrFadeCounter::GetType() const { return 2; }

int ZrFadeCounter::GetCount(double /*dt*/)
{
    if (m_bFired)
        return 0;
    m_bFired = 1;
    return m_nCountPerSecond;
}

unsigned char ZrFadeCounter::FromXML(VEXA::VexaString& xml)
{
    if (!ReadCounterDocument(xml, "FadeCounter", m_nCountPerSecond))
        return 0;
    // The fired state is not part of the document: a counter read from one is armed.
    m_bFired = 0;
    return 1;
}

unsigned char ZrFadeCounter::ToXML(VEXA::VexaString& xml)
{
    return WriteCounterDocument(xml, "FadeCounter", m_nCountPerSecond);
}

unsigned char ZrFadeCounter::Reset()
{
    m_bFired = 0;
    return 1;
}

unsigned char ZrFadeCounter::Copy(const ZrFadeCounter& other)
{
    if (&other == this)
        return 0;
    m_nCountPerSecond = other.m_nCountPerSecond;
    m_bFired = other.m_bFired;
    return 1;
}

} // namespace ZRC
