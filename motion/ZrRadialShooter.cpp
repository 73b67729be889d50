#include "ZrRadialShooter.h"

#include "ZrDocumentValues.h"
#include "ZrDocumentLayout.h"
#include "ZrMarkup.h"
#include "ZrParticle.h"

#include <cmath>
#include <cstdlib>

namespace ZRC {

ZrRadialShooter::ZrRadialShooter()
    : m_fThetaStart(0.0f), m_fThetaEnd(45.0f), m_fPhiStart(0.0f), m_fPhiEnd(360.0f)
{
}

ZrRadialShooter::~ZrRadialShooter() = default;

int ZrRadialShooter::GetType() const { return 1; }

void ZrRadialShooter::Shoot(ZrParticle* particle, double /*dt*/)
{
    if (particle == nullptr)
        return;
    float theta = DrawInRange(m_fThetaStart, m_fThetaEnd);
    float phi = DrawInRange(m_fPhiStart, m_fPhiEnd);
    const float speed = DrawInRange(m_fSpeedStart, m_fSpeedEnd);
    theta = static_cast<float>(theta * 0.017453292519943295);
    phi = static_cast<float>(phi * 0.017453292519943295);
    const float sinTheta = static_cast<float>(std::sin(theta));
    const float cosTheta = static_cast<float>(std::cos(theta));
    const float sinPhi = static_cast<float>(std::sin(phi));
    const float cosPhi = static_cast<float>(std::cos(phi));
    const double s = speed;
    particle->SetVelocity(ZrVector3d(s * sinTheta * cosPhi, s * cosTheta, s * sinTheta * sinPhi));
}

unsigned char ZrRadialShooter::FromXML(VEXA::VexaString& xml)
{
    ZrMarkup doc(xml);
    ZrDocumentLayout::Reader in(doc, ZrDocumentLayout::Find("Shooter", "RadialShooter"));
    if (!in.Enter())
        return 0;
    in.Read(m_fSpeedStart);
    in.Read(m_fSpeedEnd);
    in.Read(m_fThetaStart);
    in.Read(m_fThetaEnd);
    in.Read(m_fPhiStart);
    in.Read(m_fPhiEnd);
    return 1;
}

unsigned char ZrRadialShooter::ToXML(VEXA::VexaString& xml)
{
    ZrMarkup doc;
    doc.AddElem("Shooter", nullptr, 0, 0);
    doc.AddElem("ShooterType", "RadialShooter", 0, 1);
    ZrDocumentValues::AddNumber(doc, "SpeedRangeStart", m_fSpeedStart);
    ZrDocumentValues::AddNumber(doc, "SpeedRangeEnd", m_fSpeedEnd);
    ZrDocumentValues::AddNumber(doc, "ThetaRangeStart", m_fThetaStart);
    ZrDocumentValues::AddNumber(doc, "ThetaRangeEnd", m_fThetaEnd);
    ZrDocumentValues::AddNumber(doc, "PhiRangeStart", m_fPhiStart);
    ZrDocumentValues::AddNumber(doc, "PhiRangeEnd", m_fPhiEnd);
    xml = doc.m_strDocText;
    return 1;
}

unsigned char ZrRadialShooter::Copy(const ZrRadialShooter& other)
{
    if (&other == this)
        return 0;
    m_fSpeedStart = other.m_fSpeedStart;
    m_fSpeedEnd = other.m_fSpeedEnd;
    m_fThetaStart = other.m_fThetaStart;
    m_fThetaEnd = other.m_fThetaEnd;
    m_fPhiStart = other.m_fPhiStart;
    m_fPhiEnd = other.m_fPhiEnd;
    return 1;
}

} // namespace ZRC
