#pragma once
#include "NbExport.h"
#include "VexaString.h"
#include "ZrBoundingBox.h"
#include "ZrRandomStream.h"
#include "ZrStream.h"
#include "ZrVector3d.h"
#include <vector>

namespace ZRC {

class ZrParticleSystem;
class ZrMarkup;

// Fixed to int so that any value the factory is given is a valid value of
// the type (the factory does not check it).
enum ZrParticleEffectType : int {
    NoneEffect = 0,
    FireEffect = 1,
    SmokeEffect = 2,
    FountainEffect = 3,
    ExplodeEffect = 4,
    RainEffect = 5,
    SnowEffect = 6
};

// A named, typed group of particle systems sharing one centre. Owns its systems.
class NBPS_API ZrParticleEffect {
public:
    ZrParticleEffect();
    // Copies the effect's own members and duplicates its particle systems.
    ZrParticleEffect(const ZrParticleEffect& other);
    // Disposes of this effect's systems, then copies as the copy constructor does.
    ZrParticleEffect& operator=(const ZrParticleEffect& other);
    virtual ~ZrParticleEffect();

    virtual void Initialize();
    // Update and AfterRender take a step that is not a finite number as 0.
    virtual void Update(double dt);
    virtual void Cull();
    virtual void AfterRender(double dt);
    virtual void Release();
    // Reads a ".par" file or an entry of the resource container.
    virtual unsigned char FromXML(const VEXA::VexaString& name);
    // Writes this effect's document to the file path.
    virtual unsigned char ToXML(VEXA::VexaString& path);

    static ZrParticleEffect* ParticleEffectFactory(ZrParticleEffectType type);

    void AddParticleSystem(ZrParticleSystem* system);
    int GetParticleSystemNum() const { return static_cast<int>(m_systems.size()); }
    // The entry at the index (null after Release or outside the list).
    ZrParticleSystem* GetParticleSystem(int index) const;
    ZrBoundingBox ComputeBoundingBox();
    // The particles alive now in all systems (ZrParticleSystem::GetLiveParticleNum).
    int GetLiveParticleNum() const;
    // Switches steady emission on or off for the common counters of the
    // systems the effect holds now (ZrCommonCounter::SetSteadyEmission), so
    // that "NumPerSecond" is the rate at any frame rate. Off by default, which
    // keeps the documents' look: there every step makes at least one particle,
    // so a rate of 8 gives 30 particles a second at 30 frames a second and 60
    // at 60. Systems added later keep their own counters' setting.
    void SetSteadyEmission(bool steady);
    unsigned char Make(const ZrParticleEffect* other);

    void SetCenterPos(const ZrVector3d& pos) { m_centerPos = pos; }
    ZrVector3d GetCenterPos() const { return m_centerPos; }
    void SetEffectName(const VEXA::VexaString& name) { m_strEffectName = name; }
    VEXA::VexaString GetEffectName() const { return m_strEffectName; }
    void SetParticleEffectResFileName(const VEXA::VexaString& name) { m_strResFileName = name; }
    VEXA::VexaString GetParticleEffectResFileName() const { return m_strResFileName; }
    ZrParticleEffectType GetType() const { return m_type; }

    // Random numbers. By default the effect draws from the process-wide
    // std::rand(), in the order its systems ask, as every effect always did.
    // SetRandomSeed gives it a stream of its own (see ZrRandomStream), seeded
    // with `seed`, from which Update and AfterRender then draw on whatever
    // thread runs them: the effect's particles then depend only on the seed and
    // the steps, not on other effects or threads. Seeding again restarts the
    // stream. Copies (Make, the copy constructor, assignment) take the other's
    // stream in its current state, or its lack of one; documents and binary
    // streams do not carry it.
    void SetRandomSeed(unsigned int seed);
    unsigned char HasRandomStream() const { return m_bOwnRandom; }

    void AddRef() { ++m_nRef; }
    void DecRef() { --m_nRef; }
    int GetRef() const { return m_nRef; }

    unsigned char Save(ZrStream& stream);
    unsigned char Load(ZrStream& stream);

private:
    // Reads the systems, the centre and the resource file name without copies.
    friend class ZrBillboardBatch;

    unsigned char ReadSystems(ZrMarkup& doc);
    unsigned char WriteDocument(ZrMarkup& doc);
    unsigned char CopySystems(const ZrParticleEffect& other);
    void DeleteSystems();

    std::vector<ZrParticleSystem*> m_systems;
    VEXA::VexaString m_strEffectName;
    ZrParticleEffectType m_type;
    int m_nRef;
    ZrVector3d m_centerPos;
    VEXA::VexaString m_strResFileName;
    ZrRandomStream m_random;
    unsigned char m_bOwnRandom;
};

} // namespace ZRC
