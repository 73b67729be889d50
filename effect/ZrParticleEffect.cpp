#include "ZrParticleEffect.h"

#include "ZrByteArray.h"
#include "ZrCommonCounter.h"
#include "ZrCommonEmitter.h"
#include "ZrDocumentLayout.h"
#include "ZrEmitter.h"
#include "ZrFile.h"
#include "ZrInfluence.h"
#include "ZrMarkup.h"
#include "ZrParticleResource.h"
#include "ZrParticleSystem.h"

#include <cmath>
#include <string>

namespace ZRC {

namespace {

const char* Root() { return ZrDocumentLayout::Effect().name; }

const char* TypeWord(ZrParticleEffectType type)
{
    switch (type) {
    case FireEffect: return "FireEffect";
    case SmokeEffect: return "SmokeEffect";
    case FountainEffect: return "FountainEffect";
    case ExplodeEffect: return "ExplodeEffect";
    case RainEffect: return "RainEffect";
    case SnowEffect: return "SnowEffect";
    default: return "";
    }
}

ZrParticleEffectType TypeFromWord(const VEXA::VexaString& word)
{
    static const ZrParticleEffectType kinds[] = {FireEffect, SmokeEffect, FountainEffect,
                                                 ExplodeEffect, RainEffect, SnowEffect};
    for (ZrParticleEffectType kind : kinds) {
        if (word.Compare(TypeWord(kind)) == 0)
            return kind;
    }
    return NoneEffect;
}

// Makes an effect's stream (or none: std::rand()) the calling thread's for
// the duration of one Update or AfterRender, then restores the one before.
class StreamInstalled {
public:
    explicit StreamInstalled(ZrRandomStream* stream) : m_previous(ZrRandomStream::Install(stream)) {}
    ~StreamInstalled() { ZrRandomStream::Install(m_previous); }
    StreamInstalled(const StreamInstalled&) = delete;
    StreamInstalled& operator=(const StreamInstalled&) = delete;

private:
    ZrRandomStream* m_previous;
};

} // namespace

ZrParticleEffect::ZrParticleEffect() : m_type(NoneEffect), m_nRef(0), m_bOwnRandom(0) {}

ZrParticleEffect::ZrParticleEffect(const ZrParticleEffect& other)
    : m_strEffectName(other.m_strEffectName),
      m_type(other.m_type),
      m_nRef(other.m_nRef),
      m_centerPos(other.m_centerPos),
      m_strResFileName(other.m_strResFileName),
      m_random(other.m_random),
      m_bOwnRandom(other.m_bOwnRandom)
{
    CopySystems(other);
}

ZrParticleEffect& ZrParticleEffect::operator=(const ZrParticleEffect& other)
{
    if (&other == this)
        return *this;
    DeleteSystems();
    m_strEffectName = other.m_strEffectName;
    m_type = other.m_type;
    m_nRef = other.m_nRef;
    m_centerPos = other.m_centerPos;
    m_strResFileName = other.m_strResFileName;
    m_random = other.m_random;
    m_bOwnRandom = other.m_bOwnRandom;
    CopySystems(other);
    return *this;
}

ZrParticleEffect::~ZrParticleEffect()
{
    Release();
}

void ZrParticleEffect::Initialize() {}

void ZrParticleEffect::Cull() {}

ZrParticleEffect* ZrParticleEffect::ParticleEffectFactory(ZrParticleEffectType type)
{
    ZrParticleEffect* effect = new ZrParticleEffect();
    effect->m_type = type;
    return effect;
}

void ZrParticleEffect::AddParticleSystem(ZrParticleSystem* system)
{
    if (system != nullptr)
        m_systems.push_back(system);
}

ZrParticleSystem* ZrParticleEffect::GetParticleSystem(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_systems.size()))
        return nullptr;
    return m_systems[static_cast<size_t>(index)];
}

void ZrParticleEffect::SetRandomSeed(unsigned int seed)
{
    m_random = ZrRandomStream(seed);
    m_bOwnRandom = 1;
}

void ZrParticleEffect::Update(double dt)
{
    // A step that is not a finite number advances nothing.
    if (!std::isfinite(dt))
        dt = 0.0;
    StreamInstalled random(m_bOwnRandom ? &m_random : nullptr);
    for (ZrParticleSystem* system : m_systems) {
        if (system == nullptr || !system->IsAlive())
            continue;
        if (ZrEmitter* emitter = system->GetEmitter())
            emitter->Emit(dt);
        system->UpdateParticleSystem(dt);
    }
}

void ZrParticleEffect::AfterRender(double dt)
{
    if (!std::isfinite(dt))
        dt = 0.0;
    StreamInstalled random(m_bOwnRandom ? &m_random : nullptr);
    for (ZrParticleSystem* system : m_systems) {
        if (system == nullptr)
            continue;
        for (int i = 0; i < system->GetInfluenceSize(); ++i) {
            if (ZrInfluence* influence = system->GetInfluence(i))
                influence->Apply(system, dt);
        }
    }
}

void ZrParticleEffect::Release()
{
    for (ZrParticleSystem*& system : m_systems) {
        delete system;
        system = nullptr;
    }
}

void ZrParticleEffect::DeleteSystems()
{
    Release();
    m_systems.clear();
}

ZrBoundingBox ZrParticleEffect::ComputeBoundingBox()
{
    ZrBoundingBox box;
    for (ZrParticleSystem* system : m_systems) {
        if (system != nullptr)
            box.Merge(system->GetBoundingBox());
    }
    box.SetMin(box.GetMin() + m_centerPos);
    box.SetMax(box.GetMax() + m_centerPos);
    return box;
}

int ZrParticleEffect::GetLiveParticleNum() const
{
    int live = 0;
    for (const ZrParticleSystem* system : m_systems) {
        if (system != nullptr)
            live += system->GetLiveParticleNum();
    }
    return live;
}

void ZrParticleEffect::SetSteadyEmission(bool steady)
{
    for (ZrParticleSystem* system : m_systems) {
        ZrEmitter* emitter = system != nullptr ? system->GetEmitter() : nullptr;
        ZrCommonEmitter* common =
            emitter != nullptr && emitter->GetType() == 1 ? dynamic_cast<ZrCommonEmitter*>(emitter) : nullptr;
        ZrCounter* counter = common != nullptr ? common->GetCounter() : nullptr;
        if (counter != nullptr && counter->GetType() == 1) {
            if (ZrCommonCounter* steadyCounter = dynamic_cast<ZrCommonCounter*>(counter))
                steadyCounter->SetSteadyEmission(steady);
        }
    }
}

// ---------------------------------------------------------------------------
// Documents and streams

unsigned char ZrParticleEffect::ReadSystems(ZrMarkup& doc)
{
    unsigned char result = 1;
    // The systems follow the effect type, where the cursor already stands.
    ZrDocumentLayout::Reader in(doc, ZrDocumentLayout::Effect());
    in.Skip();
    while (in.Find()) {
        VEXA::VexaString sub = doc.GetChildSubDoc();
        ZrParticleSystem* system = new ZrParticleSystem();
        if (system->FromXML(sub)) {
            m_systems.push_back(system);
        } else {
            delete system;
            result = 0;
        }
    }
    return result;
}

unsigned char ZrParticleEffect::WriteDocument(ZrMarkup& doc)
{
    doc.AddElem(Root(), nullptr, 0, 0);
    doc.AddElem("EffectType", TypeWord(m_type), 0, 1);
    unsigned char result = 1;
    VEXA::VexaString text;
    for (ZrParticleSystem* system : m_systems) {
        if (system == nullptr)
            continue;
        if (system->ToXML(text))
            doc.AddSubDoc(text, 0, 1);
        else
            result = 0;
    }
    return result;
}

unsigned char ZrParticleEffect::FromXML(const VEXA::VexaString& name)
{
    m_strResFileName = name;
    ZrMarkup doc;
    if (ZrFile::IsExist(name) && ZrFile::GetExt(name).CompareNoCase(".par") == 0) {
        if (!doc.Load(name))
            return 0;
    } else {
        ZrByteArray bytes;
        if (!ZrParticleResource::ReadEntry(name, ZrParticleResource::EffectCapacity, bytes))
            return 0;
        // Only the bytes decompression produced make the document.
        const std::string text(reinterpret_cast<const char*>(bytes.GetData()), static_cast<size_t>(bytes.GetSize()));
        doc.SetDoc(text.c_str());
    }
    if (!doc.FindElem(Root()))
        return 0;
    ZrDocumentLayout::Reader in(doc, ZrDocumentLayout::Effect());
    if (in.Find())
        m_type = TypeFromWord(doc.GetChildData());
    return ReadSystems(doc);
}

unsigned char ZrParticleEffect::ToXML(VEXA::VexaString& path)
{
    ZrMarkup doc;
    const unsigned char result = WriteDocument(doc);
    doc.Save(path);
    return result;
}

unsigned char ZrParticleEffect::Save(ZrStream& stream)
{
    ZrMarkup doc;
    const unsigned char result = WriteDocument(doc);
    VEXA::VexaString text = doc.m_strDocText;
    stream << text;
    return result;
}

unsigned char ZrParticleEffect::Load(ZrStream& stream)
{
    VEXA::VexaString text;
    stream >> text;
    ZrMarkup doc(text);
    if (!doc.FindElem(Root()))
        return 0;
    return ReadSystems(doc);
}

// ---------------------------------------------------------------------------
// Copies

unsigned char ZrParticleEffect::CopySystems(const ZrParticleEffect& other)
{
    for (const ZrParticleSystem* source : other.m_systems) {
        if (source == nullptr)
            continue;
        ZrParticleSystem* system = new ZrParticleSystem();
        if (!system->Copy(*source)) {
            delete system;
            return 0;
        }
        m_systems.push_back(system);
    }
    return 1;
}

unsigned char ZrParticleEffect::Make(const ZrParticleEffect* other)
{
    if (other == nullptr || other == this)
        return 0;
    m_strResFileName = other->m_strResFileName;
    m_nRef = other->m_nRef;
    m_centerPos = other->m_centerPos;
    m_strEffectName = other->m_strEffectName;
    m_type = other->m_type;
    m_random = other->m_random;
    m_bOwnRandom = other->m_bOwnRandom;
    return CopySystems(*other);
}

} // namespace ZRC
