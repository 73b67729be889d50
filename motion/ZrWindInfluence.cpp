#include "ZrWindInfluence.h"

#include "ZrDocumentValues.h"
#include "ZrDocumentLayout.h"
#include "ZrMarkup.h"
#include "ZrParticle.h"
#include "ZrParticleSystem.h"

#include <cstdlib>

namespace ZRC {

ZrWindInfluence::ZrWindInfluence()
    : m_windVelocity(1.0, 0.0, 0.0), m_fSpeed(1.0f), m_fTheta(90.0f), m_fPhi(0.0f),
      m_fViscosity(1.8e-5f), m_fDensity(1.2929f)
{
}

ZrWindInfluence::~ZrWindInfluence() = default;

int ZrWindInfluence::GetType() const { return 2; }

void ZrWindInfluence::Apply(ZrParticleSystem* system, double dt)
{
    if (system == nullptr)
        return;
    const int n = system->GetParticleNum();
    if (n <= 0)
        return;
    ZrParticle* first = system->GetParticle(0);
    if (first == nullptr)
        return;
    const double pi = 3.141592502593994;
    // Stokes drag (6 pi mu r) plus a quadratic term in the relative speed; the
    // cross-section comes from the first particle of the pool.
    const float linear = DragCoefficient(m_fViscosity * 18.849555015563965);
    const float quadratic = DragCoefficient(m_fDensity * 0.6283185005187989);
    const float r0 = first->GetRadius();
    const float area = DragCoefficient(r0 * (r0 * pi));
    for (int i = 0; i < n; ++i) {
        ZrParticle* p = system->GetParticle(i);
        if (p == nullptr || !p->IsAlive() || !m_bEnabled)
            continue;
        const ZrVector3d relative = p->GetVelocity() - m_windVelocity;
        const ZrVector3d drag = (-relative) * static_cast<double>(area);
        const double factor = relative.Length() * quadratic + linear;
        const ZrVector3d force = drag * factor;
        const ZrVector3d accel = force * static_cast<double>(p->GetInvMass());
        // A step that would throw the particle past the wind by more than it
        // lags behind would grow without bound: it meets the wind instead.
        const double k = static_cast<double>(area) * factor * static_cast<double>(p->GetInvMass()) * dt;
        if (k >= 0.0 && k <= 2.0)
            p->AddVelocity(accel * dt);
        else
            p->SetVelocity(m_windVelocity);
    }
}

unsigned char ZrWindInfluence::FromXML(VEXA::VexaString& xml)
{
    ZrMarkup doc(xml);
    ZrDocumentLayout::Reader in(doc, ZrDocumentLayout::Find("Influence", "WindInfluence"));
    if (!in.Enter())
        return 0;
    in.Read(m_windVelocity);
    in.Read(m_fSpeed);
    in.Read(m_fTheta);
    in.Read(m_fPhi);
    in.Read(m_fViscosity);
    in.Read(m_fDensity);
    return 1;
}

unsigned char ZrWindInfluence::ToXML(VEXA::VexaString& xml)
{
    ZrMarkup doc;
    doc.AddElem("Influence", nullptr, 0, 0);
    doc.AddElem("InfluenceType", "WindInfluence", 0, 1);
    ZrDocumentValues::AddVector(doc, "WindVelocity", m_windVelocity);
    ZrDocumentValues::AddNumber(doc, "Speed", m_fSpeed);
    ZrDocumentValues::AddNumber(doc, "Theta", m_fTheta);
    ZrDocumentValues::AddNumber(doc, "Phi", m_fPhi);
    ZrDocumentValues::AddNumber(doc, "VisCosity", m_fViscosity);
    ZrDocumentValues::AddNumber(doc, "Density", m_fDensity);
    xml = doc.m_strDocText;
    return 1;
}

unsigned char ZrWindInfluence::Copy(const ZrWindInfluence& other)
{
    if (&other == this)
        return 0;
    m_bEnabled = other.m_bEnabled;
    m_windVelocity = other.m_windVelocity;
    m_fSpeed = other.m_fSpeed;
    m_fTheta = other.m_fTheta;
    m_fPhi = other.m_fPhi;
    m_fViscosity = other.m_fViscosity;
    m_fDensity = other.m_fDensity;
    return 1;
}

} // namespace ZRC
