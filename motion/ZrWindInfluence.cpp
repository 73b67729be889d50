#include "ZrWindInfluence.h"

#include "ZrDocumentValues.h"
#include "ZrDocumentLayout.h"
#include "ZrDragLaw.h"
#include "ZrMarkup.h"
#include "ZrParticle.h"
#include "ZrParticleSystem.h"
#include "ZrVectorUnit.h"

#include <cstdlib>

namespace ZRC {

ZrWindInfluence::ZrWindInfluence()
    : m_windVelocity(1.0, 0.0, 0.0), m_fSpeed(1.0f), m_fTheta(90.0f), m_fPhi(0.0f),
      m_fViscosity(1.8e-5f), m_fDensity(1.2929f)
{
}

ZrWindInfluence::~ZrWindInfluence() = default;

int ZrWindInfluence::GetType() const { return 2; }

namespace {

// One live particle dragged over dt: the stable step, or the wind itself.
void DragOne(const ZrDragLaw& drag, ZrParticle& p, const ZrVector3d& wind, double dt)
{
    double perSecond = 0.0;
    const ZrVector3d accel = drag.Acceleration(p, wind, perSecond);
    if (ZrDragLaw::Stable(perSecond * dt))
        p.AddVelocity(accel * dt);
    else
        p.SetVelocity(wind);
}

#if defined(NBPS_WIDE_UNIT)
// The pool dragged four live particles at a time on the 256-bit unit.
__attribute__((target("avx2"))) void DragWide(const ZrDragLaw& drag, ZrParticle* particles, int n,
                                             const ZrVector3d& wind, double dt)
{
    // Four neighbouring slots at a time when all four are live, which is the
    // common case; otherwise one by one. (Asking for slots further on ahead of
    // time made no pool faster here.)
    const ZrDragLaw::Lanes lanes = drag.Spread(wind, dt);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        ZrParticle* const q = particles + i;
        if (ZrDragLaw::DragQuad(lanes, q))
            continue;
        for (int j = 0; j < 4; ++j)
            if (q[j].IsAlive())
                DragOne(drag, q[j], wind, dt);
    }
    for (; i < n; ++i)
        if (particles[i].IsAlive())
            DragOne(drag, particles[i], wind, dt);
}
#endif

} // namespace

void ZrWindInfluence::Apply(ZrParticleSystem* system, double dt)
{
    if (system == nullptr || system->GetParticleNum() <= 0 || !m_bEnabled)
        return;
    // The pool is one contiguous array: walk it from its first slot, which
    // also gives the radius of the cross-section.
    ZrParticle* const particles = system->GetParticle(0);
    const int n = system->GetParticleNum();
    const ZrDragLaw drag(m_fViscosity, m_fDensity, particles[0].GetRadius());
    const ZrVector3d wind = m_windVelocity;
#if defined(NBPS_WIDE_UNIT)
    if (ZrVectorUnit::Wide()) {
        DragWide(drag, particles, n, wind, dt);
        return;
    }
#endif
    // Live particles are dragged two at a time where the hardware allows;
    // each particle's result is the same either way.
#if defined(__SSE2__) || defined(_M_X64)
    ZrParticle* waiting = nullptr;
#endif
    for (int i = 0; i < n; ++i) {
        // Out of cache the drag is slow enough per particle that the hardware
        // does not run far enough ahead; ask for a particle further on.
        ZrDragLaw::Prefetch(particles[i + 64 < n ? i + 64 : i]);
        ZrParticle& p = particles[i];
        if (!p.IsAlive())
            continue;
#if defined(__SSE2__) || defined(_M_X64)
        if (waiting == nullptr) {
            waiting = &p;
            continue;
        }
        drag.DragPair(*waiting, p, wind, dt);
        waiting = nullptr;
#else
        DragOne(drag, p, wind, dt);
#endif
    }
#if defined(__SSE2__) || defined(_M_X64)
    if (waiting != nullptr)
        DragOne(drag, *waiting, wind, dt);
#endif
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
