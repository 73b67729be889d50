#include "ZrSingleShooter.h"

#include "ZrMarkup.h"
#include "ZrParticle.h"

#include <cstdlib>

namespace ZRC {

namespace {

// One of 100 evenly spaced values from start up to start + 0.99 * (end - start).
float DrawInRange(float start, float end)
{
    const int r = std::rand() % 100;
    const float span = end - start;
    return static_cast<float>(r * static_cast<double>(0.01f) * span + start);
}

void AddNumber(ZrMarkup& doc, const char* name, double value)
{
    VEXA::VexaString text;
    text.Format("%f", value);
    doc.AddElem(name, text, 0, 1);
}

} // namespace

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
    if (!doc.FindElem("Shooter"))
        return 0;
    if (doc.FindChildElem("ShooterType") && doc.GetChildData().Compare("SingleShooter") != 0)
        return 0;
    if (doc.FindChildElem("SpeedRangeStart"))
        m_fSpeedStart = static_cast<float>(std::atof(doc.GetChildData()));
    if (doc.FindChildElem("SpeedRangeEnd"))
        m_fSpeedEnd = static_cast<float>(std::atof(doc.GetChildData()));
    if (doc.FindChildElem("Direction")) {
        doc.IntoElem();
        if (doc.FindChildElem("Direction:X"))
            m_direction.x = std::atof(doc.GetChildData());
        if (doc.FindChildElem("Direction:Y"))
            m_direction.y = std::atof(doc.GetChildData());
        if (doc.FindChildElem("Direction:Z"))
            m_direction.z = std::atof(doc.GetChildData());
        doc.OutOfElem();
    }
    return 1;
}

unsigned char ZrSingleShooter::ToXML(VEXA::VexaString& xml)
{
    ZrMarkup doc;
    doc.AddElem("Shooter", nullptr, 0, 0);
    doc.AddElem("ShooterType", "SingleShooter", 0, 1);
    AddNumber(doc, "SpeedRangeStart", m_fSpeedStart);
    AddNumber(doc, "SpeedRangeEnd", m_fSpeedEnd);
    doc.AddElem("Direction", nullptr, 0, 1);
    doc.IntoElem();
    AddNumber(doc, "Direction:X", m_direction.x);
    AddNumber(doc, "Direction:Y", m_direction.y);
    AddNumber(doc, "Direction:Z", m_direction.z);
    doc.OutOfElem();
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
