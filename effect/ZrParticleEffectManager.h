#pragma once
#include "NbExport.h"
#include "VexaDict.h"
#include "VexaString.h"
#include "ZrMutex.h"
#include "ZrParticleEffect.h"

namespace ZRC {

// Gives the host effects by name and caches shared ones. The manager owns every
// cached effect; an effect obtained without sharing belongs to the caller.
//
// Sharing between threads. The manager's lock is re-entrant for the thread
// that holds it, so a host can make several calls one step:
//   Lock(); e = GetParticleEffect(name, 1); if (e) e->AddRef(); Unlock();
//   ... use e ...
//   Lock(); e->DecRef(); RemoveParticleEffect(e); Unlock();
// Reference counts are changed only while holding the lock. Removal deletes an
// effect only when its count is 0 and it is still cached, so an effect taken
// by this protocol is never freed while a holder uses it, and a pointer that
// another thread already removed is recognised as no longer cached and left
// alone (RemoveParticleEffect never reads through a pointer it does not find
// in the cache).
class NBPS_API ZrParticleEffectManager {
public:
    ZrParticleEffectManager();
    ~ZrParticleEffectManager();
    ZrParticleEffectManager(const ZrParticleEffectManager&) = delete;
    ZrParticleEffectManager& operator=(const ZrParticleEffectManager&) = delete;

    // The effect read from name (a ".par" file or a container entry), or null.
    // With shared non-zero the cached effect for exactly that name is returned
    // when there is one; otherwise the effect read is cached under the name.
    // When two threads read the same uncached name at once, the first to
    // insert wins: the other deletes its own copy and returns the cached one,
    // so every shared caller of a name gets one effect. Without sharing the
    // cache is not touched and the caller owns the effect.
    ZrParticleEffect* GetParticleEffect(const VEXA::VexaString& name, unsigned char shared);
    // Drops a cached effect: the entry holding this very pointer (whatever
    // name it was requested under) is removed and the effect deleted, unless
    // its reference count is above 0, in which case it stays cached and
    // untouched. An effect that is not in the cache (one obtained without
    // sharing) is left alone and stays the caller's. Null is ignored. After a
    // removal the pointer must not be used again.
    void RemoveParticleEffect(ZrParticleEffect* effect);
    // Deletes every cached effect and empties the cache.
    void Release();
    // Take and release the manager's lock (re-entrant, see above); every other
    // operation of the manager may be called while holding it.
    void Lock();
    void Unlock();
    static ZrParticleEffect* ParticleEffectFactory(ZrParticleEffectType type);

private:
    VEXA::VexaDict<VEXA::VexaString, ZrParticleEffect*, std::less<VEXA::VexaString>> m_cache;
    ZrMutex m_mutex;
};

} // namespace ZRC
