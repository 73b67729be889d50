#include "ZrAccelInfluence.h"

#include "ZrDocumentValues.h"
#include "ZrDocumentLayout.h"
#include "ZrMarkup.h"
#include "ZrParticle.h"
#include "ZrParticleSystem.h"
#include "ZrRandomWind.h"
#include "ZrWindInfluence.h"

#include <cstdlib>

namespace ZRC {

ZrInfluence* ZrInfluence::Clone(const ZrInfluence* src)
{
    if (src == nullptr)
        return nullptr;
    switch (src->GetType()) {
    case 1: {
        // The type code alone does not prove the class; check it before copying.
        const ZrAccelInfluence* accel = dynamic_cast<const ZrAccelInfluence*>(src);
        if (accel == nullptr)
            return nullptr;
        ZrAccelInfluence* copy = new ZrAccelInfluence();
        copy->Copy(*accel);
        return copy;
    }
    case 2: {
        const ZrWindInfluence* wind = dynamic_cast<const ZrWindInfluence*>(src);
        if (wind == nullptr)
            return nullptr;
        ZrWindInfluence* copy = new ZrWindInfluence();
        copy->Copy(*wind);
        return copy;
    }
    case 3: {
        const ZrRandomWind* gusts = dynamic_cast<const ZrRandomWind*>(src);
        if (gusts == nullptr)
            return nullptr;
        ZrRandomWind* copy = new ZrRandomWind();
        copy->Copy(*gusts);
        return copy;
    }
    default:
        return nullptr;
    }
}

ZrAccelInfluence::ZrAccelInfluence() : m_direction(0.0, 0.0, 0.0), m_fSize(0.0f) {}

ZrAccelInfluence::~ZrAccelInfluence() = default;

int ZrAccelInfluence::GetType() const { return 1; }

void ZrAccelInfluence::Apply(ZrParticleSystem* system, double dt)
{
    if (system == nullptr || system->GetParticleNum() <= 0 || !m_bEnabled)
        return;
    // Every live particle gains the same (direction x size) x dt; the pool is
    // one contiguous array, walked from its last slot: the update has just
    // walked it forwards, so its last slots are still in cache, and the wind
    // after this walks it forwards again from slots touched last here.
    const ZrVector3d delta = (m_direction * static_cast<double>(m_fSize)) * dt;
    ZrParticle* const particles = system->GetParticle(0);
    const int n = system->GetParticleNum();
    for (int i = n - 1; i >= 0; --i) {
#if defined(__GNUC__)
        // Out of cache the hardware does not run far enough ahead on its own;
        // ask for the flags and velocity of a slot further on (a hint).
        if (i >= 48)
            __builtin_prefetch(&particles[i - 48].m_bAlive, 1);
#endif
        if (particles[i].IsAlive())
            particles[i].AddVelocity(delta);
    }
}

unsigned char ZrAccelInfluence::FromXML(VEXA::VexaString& xml)
{
    ZrMarkup doc(xml);
    ZrDocumentLayout::Reader in(doc, ZrDocumentLayout::Find("Influence", "AccelInfluence"));
    if (!in.Enter())
        return 0;
    if (in.Find()) {
        doc.IntoElem();
        ZrDocumentLayout::Reader accel(doc, *ZrDocumentLayout::Variant(in.Last(), nullptr));
        accel.Read(m_direction);
        accel.Read(m_fSize);
        doc.OutOfElem();
    }
    return 1;
}

unsigned char ZrAccelInfluence::ToXML(VEXA::VexaString& xml)
{
    ZrMarkup doc;
    doc.AddElem("Influence", nullptr, 0, 0);
    doc.AddElem("InfluenceType", "AccelInfluence", 0, 1);
    doc.AddElem("Accel", nullptr, 0, 1);
    doc.IntoElem();
    ZrDocumentValues::AddComponents(doc, "AccelDirection", m_direction);
    ZrDocumentValues::AddNumber(doc, "AccelSize", static_cast<double>(m_fSize));
    doc.OutOfElem();
    xml = doc.m_strDocText;
    return 1;
}

unsigned char ZrAccelInfluence::Copy(const ZrAccelInfluence& other)
{
    if (&other == this)
        return 0;
    m_bEnabled = other.m_bEnabled;
    m_direction = other.m_direction;
    m_fSize = other.m_fSize;
    return 1;
}

} // namespace ZRC
