#include "ZrSingleShooter.h"

#include "ZrDocumentValues.h"
#include "ZrDocumentLayout.h"
#include "ZrMarkup.h"
#include "ZrParticle.h"

#include <cstdlib>

namespace ZRC {

ZrSingleShooter::ZrSingleShooter() : m_direction(1.0, 1.0, 1.0) {}

ZrSingleShooter::~ZrSingleShooter() = default;

int ZrSingleShooter::GetType() const { return 2; }

void ZrSingleShooter::Shoot(ZrParticle* particle, double /*dt*/)
{
    if (particle == nullptr)
        return;
    const float speed = DrawInRange(m_fSpeedStart, m_fSpeedEnd);
    particle->SetVelocity(m_direction * static_cast<double>(speed));
}

void ZrSingleShooter::SetDirection(ZrVector3d direction) { m_direction = direction; }

unsigned char ZrSingleShooter::FromXML(VEXA::VexaString& xml)
{
    ZrMarkup doc(xml);
    ZrDocumentLayout::Reader in(doc, ZrDocumentLayout::Find("Shooter", "SingleShooter"));
    if (!in.Enter())
        return 0;
    in.Read(m_fSpeedStart);
    in.Read(m_fSpeedEnd);
    in.Read(m_direction);
    return 1;
}

unsigned char ZrSingleShooter::ToXML(VEXA::VexaString& xml)
{
    ZrMarkup doc;
    doc.AddElem("Shooter", nullptr, 0, 0);
    doc.AddElem("ShooterType", "SingleShooter", 0, 1);
    ZrDocumentValues::AddNumber(doc, "SpeedRangeStart", m_fSpeedStart);
    ZrDocumentValues::AddNumber(doc, "SpeedRangeEnd", m_fSpeedEnd);
    ZrDocumentValues::AddVector(doc, "Direction", m_direction);
    xml = doc.m_strDocText;
    return 1;
}

unsigned char ZrSingleShooter::Copy(const ZrSingleShooter& other)
{
    if (&other == this)
        return 0;
    m_fSpeedStart = other.m_fSpeedStart;
    m_fSpeedEnd = other.m_fSpeedEnd;
    m_direction = other.m_direction;
    return 1;
}

} // namespace ZRC
