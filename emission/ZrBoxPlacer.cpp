#include "ZrBoxPlacer.h"

#include "ZrParticle.h"
#include "ZrRandomStream.h"

#include <cstdlib>

namespace ZRC {

ZrBoxPlacer::ZrBoxPlacer() { m_box.SetNULL(); }

ZrBoxPlacer::~ZrBoxPlacer() = default;

int ZrBoxPlacer::GetType() const { return 1; }

void ZrBoxPlacer::Place(ZrParticle* particle, double /*dt*/)
{
    if (particle == nullptr || m_box.IsNULL())
        return;
    const ZrVector3d lo = m_box.GetMin();
    const ZrVector3d hi = m_box.GetMax();
    // One draw per component, x then y then z, each uniform over [lo, hi].
    const double x = lo.x + (hi.x - lo.x) * ZrRandomStream::Draw() / static_cast<double>(RAND_MAX);
    const double y = lo.y + (hi.y - lo.y) * ZrRandomStream::Draw() / static_cast<double>(RAND_MAX);
    const double z = lo.z + (hi.z - lo.z) * ZrRandomStream::Draw() / static_cast<double>(RAND_MAX);
    particle->SetPosition(ZrVector3d(x, y, z));
}

ZrVector3d ZrBoxPlacer::GetPosition() { return m_position; }

unsigned char ZrBoxPlacer::FromXML(VEXA::VexaString& text)
{
    return ReadPlacerDocument(text, "BoxPlacer", m_position, nullptr, 0);
}

unsigned char ZrBoxPlacer::ToXML(VEXA::VexaString& text)
{
    return WritePlacerDocument(text, "BoxPlacer", m_position, nullptr, 0);
}

unsigned char ZrBoxPlacer::Copy(const ZrBoxPlacer& source)
{
    if (&source == this)
        return 0;
    m_position = source.m_position;
    m_box = source.m_box;
    return 1;
}

void ZrBoxPlacer::SetPosition(const ZrVector3d& position) { m_position = position; }

} // namespace ZRC
