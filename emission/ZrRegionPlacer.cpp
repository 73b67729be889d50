#include "ZrRegionPlacer.h"

#include "ZrParticle.h"
#include "ZrRandomStream.h"

#include <cmath>
#include <cstdlib>

namespace ZRC {

ZrRegionPlacer::ZrRegionPlacer() : m_fRadius(0.1f) {}

ZrRegionPlacer::~ZrRegionPlacer() = default;

int ZrRegionPlacer::GetType() const { return 4; }

void ZrRegionPlacer::Place(ZrParticle* particle, double /*dt*/)
{
    // Both numbers are drawn whatever the radius: the fraction of the radius in
    // steps of 0.001 and the direction in whole degrees. The step constants are
    // the single-precision values of 0.001 and 1/180.
    const int r1 = ZrRandomStream::Draw();
    const float d = static_cast<float>((r1 % 1000) * 0.0010000000474974513);
    const int r2 = ZrRandomStream::Draw();
    const float a = static_cast<float>((r2 % 360) * 3.141592653589793 * 0.0055555556900799274);

    ZrVector3d start = m_position;
    if (static_cast<double>(m_fRadius) > 1e-10) {
        const float s = static_cast<float>(std::sin(static_cast<double>(a)));
        const float c = static_cast<float>(std::cos(static_cast<double>(a)));
        const ZrVector3d unit(c, 0.0, s);
        start = m_position + unit * static_cast<double>(m_fRadius) * static_cast<double>(d);
    }
    if (particle != nullptr)
        particle->SetPosition(start);
}

ZrVector3d ZrRegionPlacer::GetPosition() { return m_position; }

unsigned char ZrRegionPlacer::FromXML(VEXA::VexaString& text)
{
    const DocField fields[] = {{"Radius", nullptr, &m_fRadius}};
    return ReadPlacerDocument(text, "RegionPlacer", m_position, fields, 1);
}

unsigned char ZrRegionPlacer::ToXML(VEXA::VexaString& text)
{
    const DocField fields[] = {{"Radius", nullptr, &m_fRadius}};
    return WritePlacerDocument(text, "RegionPlacer", m_position, fields, 1);
}

void ZrRegionPlacer::SetPosition(const ZrVector3d& position) { m_position = position; }

unsigned char ZrRegionPlacer::Copy(const ZrRegionPlacer& source)
{
    if (&source == this)
        return 0;
    m_position = source.m_position;
    m_fRadius = source.m_fRadius;
    return 1;
}

} // namespace ZRC
