#include "ZrParticleEffectManager.h"

#include <mutex>
#include <vector>

namespace ZRC {

ZrParticleEffectManager::ZrParticleEffectManager() : m_mutex(0) {}

ZrParticleEffectManager::~ZrParticleEffectManager()
{
    Release();
}

ZrParticleEffect* ZrParticleEffectManager::GetParticleEffect(const VEXA::VexaString& name, unsigned char shared)
{
    if (shared) {
        std::lock_guard<ZrMutex> lock(m_mutex);
        ZrParticleEffect* cached = nullptr;
        if (m_cache.Lookup(name, cached) && cached != nullptr)
            return cached;
    }

    // Read without holding the mutex, so that other names are served meanwhile.
    ZrParticleEffect* effect = new ZrParticleEffect();
    if (!effect->FromXML(name)) {
        delete effect;
        return nullptr;
    }
    if (!shared)
        return effect;

    std::lock_guard<ZrMutex> lock(m_mutex);
    ZrParticleEffect*& slot = m_cache[name];
    if (slot != nullptr) {
        // Another request read the same name meanwhile and cached its effect
        // first: every shared caller gets that one, and this copy goes.
        delete effect;
        return slot;
    }
    slot = effect;
    return effect;
}

void ZrParticleEffectManager::RemoveParticleEffect(ZrParticleEffect* effect)
{
    if (effect == nullptr)
        return;
    ZrParticleEffect* doomed = nullptr;
    {
        std::lock_guard<ZrMutex> lock(m_mutex);
        // Find the pointer first: one that is not cached (perhaps already
        // removed and freed by another thread) is never read through.
        auto pos = m_cache.GetStartPosition();
        while (!m_cache.IsEOF(pos)) {
            VEXA::VexaString key;
            ZrParticleEffect* value = nullptr;
            m_cache.GetNextAssoc(pos, key, value);
            if (value == effect) {
                if (value->GetRef() > 0)
                    return;
                m_cache.RemoveKey(key);
                doomed = value;
                break;
            }
        }
        // Deleted while still holding the lock, so that a holder of the lock
        // never sees an entry of an effect being destroyed.
        delete doomed;
    }
}

void ZrParticleEffectManager::Release()
{
    std::lock_guard<ZrMutex> lock(m_mutex);
    auto pos = m_cache.GetStartPosition();
    while (!m_cache.IsEOF(pos)) {
        VEXA::VexaString key;
        ZrParticleEffect* value = nullptr;
        m_cache.GetNextAssoc(pos, key, value);
        delete value;
    }
    m_cache.RemoveAll();
}

void ZrParticleEffectManager::Lock()
{
    m_mutex.lock();
}

void ZrParticleEffectManager::Unlock()
{
    m_mutex.unlock();
}

ZrParticleEffect* ZrParticleEffectManager::ParticleEffectFactory(ZrParticleEffectType type)
{
    return ZrParticleEffect::ParticleEffectFactory(type);
}

} // namespace ZRC
