#include "ZrRandomWind.h"

#include "ZrDocumentValues.h"
#include "ZrDocumentLayout.h"
#include "ZrDragLaw.h"
#include "ZrMarkup.h"
#include "ZrParticle.h"
#include "ZrParticleSystem.h"
#include "ZrRandomStream.h"

#include <cmath>
#include <cstdlib>

namespace ZRC {

namespace {

// One of 1000 evenly spaced values from start up to start + 0.999 * (end - start).
float DrawInRange(float start, float end)
{
    const int r = ZrRandomStream::Draw() % 1000;
    const float span = end - start;
    // A span beyond the float range is taken in double (see ZrShooter::DrawInRange).
    if (!std::isfinite(span))
        return static_cast<float>(r * 0.0010000000474974513 * (static_cast<double>(end) - start) + start);
    return static_cast<float>(r * 0.0010000000474974513 * span + start);
}



} // namespace

ZrRandomWind::ZrRandomWind()
    : m_windVelocity(1.0, 0.0, 0.0), m_fSpeedStart(1.0f), m_fSpeedEnd(1.0f), m_fThetaStart(0.0f),
      m_fThetaEnd(180.0f), m_fPhiStart(0.0f), m_fPhiEnd(360.0f), m_fViscosity(1.8e-5f),
      m_fDensity(1.2929f), m_dPowerTime(0.5)
{
}

ZrRandomWind::~ZrRandomWind() = default;

int ZrRandomWind::GetType() const { return 3; }

void ZrRandomWind::RandomizeWind()
{
    const float speed = DrawInRange(m_fSpeedStart, m_fSpeedEnd);
    float theta = DrawInRange(m_fThetaStart, m_fThetaEnd);
    float phi = DrawInRange(m_fPhiStart, m_fPhiEnd);
    theta = static_cast<float>(theta * 0.017453291681077746);
    phi = static_cast<float>(phi * 0.017453291681077746);
    const float sinTheta = std::sin(theta);
    const float cosTheta = std::cos(theta);
    const float sinPhi = std::sin(phi);
    const float cosPhi = std::cos(phi);
    const double s = speed;
    m_windVelocity = ZrVector3d(s * sinTheta * cosPhi, s * cosTheta, s * sinTheta * sinPhi);
}

void ZrRandomWind::Apply(ZrParticleSystem* system, double dt)
{
    if (system == nullptr || system->GetParticleNum() <= 0)
        return;
    // A gust is drawn whenever there are particles, enabled or not.
    RandomizeWind();
    if (!m_bEnabled)
        return;
    ZrParticle* const particles = system->GetParticle(0);
    const int n = system->GetParticleNum();
    const ZrDragLaw drag(m_fViscosity, m_fDensity, particles[0].GetRadius());
    const ZrVector3d wind = m_windVelocity;
    const double powerTime = m_dPowerTime;
    for (int i = 0; i < n; ++i) {
        ZrParticle& p = particles[i];
        if (!p.IsAlive())
            continue;
        double perSecond = 0.0;
        ZrVector3d accel = drag.Acceleration(p, wind, perSecond);
        // A young particle feels the gust grow in over the power time.
        const double age = p.GetAge();
        double gust = 1.0;
        if (age > 0.000001 && age < powerTime) {
            gust = age / powerTime;
            accel = accel * gust;
        }
        if (ZrDragLaw::Stable(perSecond * gust * dt))
            p.AddVelocity(accel * dt);
        else
            p.SetVelocity(wind);
    }
}

unsigned char ZrRandomWind::FromXML(VEXA::VexaString& xml)
{
    ZrMarkup doc(xml);
    ZrDocumentLayout::Reader in(doc, ZrDocumentLayout::Find("Influence", "RandomWind"));
    if (!in.Enter())
        return 0;
    in.Read(m_fSpeedStart);
    in.Read(m_fSpeedEnd);
    in.Read(m_fThetaStart);
    in.Read(m_fThetaEnd);
    in.Read(m_fPhiStart);
    in.Read(m_fPhiEnd);
    in.Read(m_fViscosity);
    in.Read(m_fDensity);
    in.Read(m_dPowerTime);
    return 1;
}

unsigned char ZrRandomWind::ToXML(VEXA::VexaString& xml)
{
    ZrMarkup doc;
    doc.AddElem("Influence", nullptr, 0, 0);
    doc.AddElem("InfluenceType", "RandomWind", 0, 1);
    ZrDocumentValues::AddNumber(doc, "SpeedStart", m_fSpeedStart);
    ZrDocumentValues::AddNumber(doc, "SpeedEnd", m_fSpeedEnd);
    ZrDocumentValues::AddNumber(doc, "ThetaStart", m_fThetaStart);
    ZrDocumentValues::AddNumber(doc, "ThetaEnd", m_fThetaEnd);
    ZrDocumentValues::AddNumber(doc, "PhiStart", m_fPhiStart);
    ZrDocumentValues::AddNumber(doc, "PhiEnd", m_fPhiEnd);
    ZrDocumentValues::AddNumber(doc, "VisCosity", m_fViscosity);
    ZrDocumentValues::AddNumber(doc, "Density", m_fDensity);
    ZrDocumentValues::AddNumber(doc, "PowerTime", m_dPowerTime);
    xml = doc.m_strDocText;
    return 1;
}

unsigned char ZrRandomWind::Copy(const ZrRandomWind& other)
{
    if (&other == this)
        return 0;
    m_bEnabled = other.m_bEnabled;
    m_windVelocity = other.m_windVelocity;
    m_fSpeedStart = other.m_fSpeedStart;
    m_fSpeedEnd = other.m_fSpeedEnd;
    m_fThetaStart = other.m_fThetaStart;
    m_fThetaEnd = other.m_fThetaEnd;
    m_fPhiStart = other.m_fPhiStart;
    m_fPhiEnd = other.m_fPhiEnd;
    m_fViscosity = other.m_fViscosity;
    m_fDensity = other.m_fDensity;
    m_dPowerTime = other.m_dPowerTime;
    return 1;
}

} // namespace ZRC
