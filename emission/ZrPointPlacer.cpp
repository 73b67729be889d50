#include "ZrPointPlacer.h"

#include "ZrParticle.h"

namespace ZRC {

ZrPointPlacer::ZrPointPlacer() = default;

ZrPointPlacer::~ZrPointPlacer() = default;

int ZrPointPlacer::GetType() const { return 2; }

void ZrPointPlacer::Place(ZrParticle* particle, double /*dt*/)
{
    if (particle != nullptr)
        particle->SetPosition(m_position);
}

ZrVector3d ZrPointPlacer::GetPosition() { return m_position; }

unsigned char ZrPointPlacer::FromXML(VEXA::VexaString& text)
{
    return ReadPlacerDocument(text, "PointPlacer", m_position, nullptr, 0);
}

unsigned char ZrPointPlacer::ToXML(VEXA::VexaString& text)
{
    return WritePlacerDocument(text, "PointPlacer", m_position, nullptr, 0);
}

void ZrPointPlacer::SetPosition(const ZrVector3d& position) { m_position = position; }

unsigned char ZrPointPlacer::Copy(const ZrPointPlacer& source)
{
    if (&source == this)
        return 0;
    m_position = source.m_position;
    return 1;
}

} // namespace ZRC
