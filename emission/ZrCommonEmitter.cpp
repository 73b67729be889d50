#include "ZrCommonEmitter.h"

#include "ZrBoxPlacer.h"
#include "ZrCommonCounter.h"
#include "ZrDocumentLayout.h"
#include "ZrFadeCounter.h"
#include "ZrMarkup.h"
#include "ZrParticleSystem.h"
#include "ZrPointPlacer.h"
#include "ZrPolygonPlacer.h"
#include "ZrRadialShooter.h"
#include "ZrRegionPlacer.h"
#include "ZrScrewPlacer.h"
#include "ZrShooter.h"
#include "ZrSingleShooter.h"

namespace ZRC {

namespace {

ZrCounter* MakeCounter(const VEXA::VexaString& type)
{
    if (type.Compare("CommonCounter") == 0)
        return new ZrCommonCounter();
    if (type.Compare("FadeCounter") == 0)
        return new ZrFadeCounter();
    return nullptr;
}

ZrPlacer* MakePlacer(const VEXA::VexaString& type)
{
    if (type.Compare("PointPlacer") == 0)
        return new ZrPointPlacer();
    if (type.Compare("RegionPlacer") == 0)
        return new ZrRegionPlacer();
    if (type.Compare("BoxPlacer") == 0)
        return new ZrBoxPlacer();
    if (type.Compare("ScrewPlacer") == 0)
        return new ZrScrewPlacer();
    if (type.Compare("PolygonPlacer") == 0)
        return new ZrPolygonPlacer();
    return nullptr;
}

ZrShooter* MakeShooter(const VEXA::VexaString& type)
{
    if (type.Compare("RadialShooter") == 0)
        return new ZrRadialShooter();
    if (type.Compare("SingleShooter") == 0)
        return new ZrSingleShooter();
    return nullptr;
}

// Reads one strategy child of the emitter element: when the child is found,
// its type element names a known class and that class is created, the new
// object reads the child's markup (its own result is not looked at) and
// replaces the one in slot. The cursor ends on the child in every case.
template <class T, class Factory>
void ReadStrategy(ZrMarkup& doc, ZrDocumentLayout::Reader& in, Factory make, T*& slot)
{
    if (!in.Find())
        return;
    doc.IntoElem();
    T* created = nullptr;
    // Every class of the family names itself in the same first child.
    if (doc.FindChildElem(in.Last().variants[0]->children[0].name))
        created = make(doc.GetChildData());
    if (created != nullptr) {
        VEXA::VexaString sub = doc.GetSubDoc();
        created->FromXML(sub);
        delete slot;
        slot = created;
    }
    doc.OutOfElem();
}

// Adds the element that part writes of itself; 0 when it fails to write.
template <class T>
unsigned char WritePart(ZrMarkup& doc, T& part)
{
    VEXA::VexaString text;
    if (!part.ToXML(text))
        return 0;
    doc.AddSubDoc(text, 0, 1);
    return 1;
}

} // namespace

ZrCommonEmitter::ZrCommonEmitter() : m_pCounter(nullptr), m_pPlacer(nullptr), m_pShooter(nullptr) {}

ZrCommonEmitter::~ZrCommonEmitter()
{
    delete m_pCounter;
    delete m_pPlacer;
    delete m_pShooter;
}

int ZrCommonEmitter::GetType() const { return 1; }

void ZrCommonEmitter::Emit(double dt)
{
    ZrParticleSystem* system = m_pParticleSystem;
    if (system == nullptr || m_pCounter == nullptr || m_pPlacer == nullptr || m_pShooter == nullptr)
        return;
    // The counter is asked only for a running system, so that a one-shot
    // counter keeps its burst while the system is dead or frozen.
    if (!system->IsAlive() || system->IsFrozen())
        return;
    const int count = m_pCounter->GetCount(dt);
    for (int i = 0; i < count; ++i) {
        ZrParticle* particle = system->CreateParticle(&m_particleTemplate);
        // No slot is freed during an emission: once the pool is at its budget
        // every later request of this step would be refused as well.
        if (particle == nullptr)
            break;
        m_pPlacer->Place(particle, dt);
        m_pShooter->Shoot(particle, dt);
    }
}

unsigned char ZrCommonEmitter::FromXML(VEXA::VexaString& xml)
{
    ZrMarkup doc(xml);
    ZrDocumentLayout::Reader in(doc, ZrDocumentLayout::Find("Emitter", "CommonEmitter"));
    if (!in.Enter())
        return 0;

    ReadStrategy<ZrCounter>(doc, in, MakeCounter, m_pCounter);
    ReadStrategy<ZrPlacer>(doc, in, MakePlacer, m_pPlacer);
    ReadStrategy<ZrShooter>(doc, in, MakeShooter, m_pShooter);

    if (in.Find()) {
        doc.IntoElem();
        VEXA::VexaString sub = doc.GetSubDoc();
        m_particleTemplate.FromXML(sub);
        doc.OutOfElem();
    }
    return 1;
}

unsigned char ZrCommonEmitter::ToXML(VEXA::VexaString& xml)
{
    ZrMarkup doc;
    doc.AddElem("Emitter", nullptr, 0, 0);
    doc.AddElem("EmitterType", "CommonEmitter", 0, 1);
    unsigned char result = 1;
    if (m_pCounter != nullptr && !WritePart(doc, *m_pCounter))
        result = 0;
    if (m_pPlacer != nullptr && !WritePart(doc, *m_pPlacer))
        result = 0;
    if (m_pShooter != nullptr && !WritePart(doc, *m_pShooter))
        result = 0;
    if (!WritePart(doc, m_particleTemplate))
        result = 0;
    xml = doc.m_strDocText;
    return result;
}

unsigned char ZrCommonEmitter::Copy(const ZrCommonEmitter& other)
{
    if (&other == this)
        return 0;
    m_particleTemplate = other.m_particleTemplate;
    // A part the other emitter lacks leaves this emitter's own in place.
    if (other.m_pCounter != nullptr) {
        ZrCounter* counter = ZrCounter::Clone(other.m_pCounter);
        delete m_pCounter;
        m_pCounter = counter;
    }
    if (other.m_pPlacer != nullptr) {
        ZrPlacer* placer = ZrPlacer::Clone(other.m_pPlacer);
        delete m_pPlacer;
        m_pPlacer = placer;
    }
    if (other.m_pShooter != nullptr) {
        ZrShooter* shooter = ZrShooter::Clone(other.m_pShooter);
        delete m_pShooter;
        m_pShooter = shooter;
    }
    return 1;
}

ZrEmitter* ZrEmitter::Clone(const ZrEmitter* src)
{
    if (src == nullptr || src->GetType() != 1)
        return nullptr;
    const ZrCommonEmitter* common = dynamic_cast<const ZrCommonEmitter*>(src);
    if (common == nullptr)
        return nullptr;
    ZrCommonEmitter* copy = new ZrCommonEmitter();
    copy->Copy(*common);
    return copy;
}

} // namespace ZRC
