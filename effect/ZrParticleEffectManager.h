#pragma once
#include "NbExport.h"
#include "VexaDict.h"
#include "VexaString.h"
#include "ZrMutex.h"
#include "ZrParticleEffect.h"

namespace ZRC {

// Gives the host effects by name and caches shared ones. The manager owns every
// cached effect; an effect obtained without sharing belongs to the caller.
class NBPS_API ZrParticleEffectManager {
public:
    ZrParticleEffectManager();
    ~ZrParticleEffectManager();
    ZrParticleEffectManager(const ZrParticleEffectManager&) = delete;
    ZrParticleEffectManager& operator=(const ZrParticleEffectManager&) = delete;

    ZrParticleEffect* GetParticleEffect(const VEXA::VexaString& name, unsigned char shared);
    void RemoveParticleEffect(ZrParticleEffect* effect);
    void Release();
    void Lock();
    void Unlock();
    static ZrParticleEffect* ParticleEffectFactory(ZrParticleEffectType type);

private:
    VEXA::VexaDict<VEXA::VexaString, ZrParticleEffect*, std::less<VEXA::VexaString>> m_cache;
    ZrMutex m_mutex;
};

} // namespace ZRC
