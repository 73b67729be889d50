#pragma once
#include "NbExport.h"
#include <memory>
#include <vector>

namespace ZRC {

class ZrParticleEffect;

// Drives many effects per frame, on several threads where it can.
//
// Update(dt) and AfterRender(dt) call the same operation of every effect in
// the scene. Effects with a stream of their own (ZrParticleEffect::
// SetRandomSeed) are spread over a pool of threads; the particles they reach
// depend only on their seeds and the steps, never on the thread count or on
// how the effects were shared out. Effects that draw from the process-wide
// std::rand() run one after another on the calling thread, in the order they
// were added, so their draws keep that order; they run while the pool works
// on the others. With one thread, every effect runs on the calling thread in
// the order added.
//
// The pool (oneTBB) is made once, on the first update that needs it, and
// lives as long as the scene or until the thread count changes; no thread is
// started per frame. Its threads are shared with any other oneTBB work of the
// process.
//
// Threads. A scene is used by one thread at a time (the host's frame thread,
// say); its calls never overlap. Add, Remove and SetThreadCount go between
// frames, never from inside an effect's operation. During Update and
// AfterRender the effects of the scene, their systems and particles belong to
// the scene: the host touches none of them, nor calls std::rand() from another
// thread if it wants the shared effects to keep their order. Between the two
// calls the host may read (draw) the particles from any one thread at a time.
// An effect is in at most one scene and is not driven by anything else while
// it is in one.
//
// Ownership. The scene owns nothing: it holds pointers to effects the host
// keeps alive while they are in the scene. Remove an effect before deleting
// it; a removed effect is never touched again.
//
// Process-wide particle budget (ZrParticleSystem::SetMaxTotalParticleNum):
// systems growing on several threads share it safely, but when it runs out,
// which of them got the last slots depends on timing, so results are the same
// for every thread count only while it is not reached.
class NBPS_API ZrParticleScene {
public:
    ZrParticleScene();
    ~ZrParticleScene();
    ZrParticleScene(const ZrParticleScene&) = delete;
    ZrParticleScene& operator=(const ZrParticleScene&) = delete;

    // Appends the effect; a null pointer or an effect already in the scene is
    // ignored.
    void Add(ZrParticleEffect* effect);
    // Takes the effect out; the others keep their order. Not in the scene:
    // nothing happens.
    void Remove(ZrParticleEffect* effect);
    int GetEffectNum() const { return static_cast<int>(m_effects.size()); }
    // The effect at the index in the order added; null outside the list.
    ZrParticleEffect* GetEffect(int index) const;

    // ZrParticleEffect::Update and AfterRender of every effect (a step that is
    // not a finite number advances nothing, as for one effect).
    void Update(double dt);
    void AfterRender(double dt);
    // Update and then AfterRender of each effect in turn, so that each walks
    // its particles once while they are in the cache instead of twice, for
    // hosts that draw after the frame: AfterRender changes only velocities, so
    // the particles look as they did between Update and AfterRender. Effects
    // without a stream of their own take their turns on the calling thread in
    // the order added (their draws then follow that order: one effect's Update
    // and AfterRender, then the next effect's).
    void Frame(double dt);

    // The threads that work on a frame, the calling thread included. 0 (or
    // less) takes what the hardware offers the process; 1 runs everything on
    // the calling thread; more than oneTBB lets the process run at once
    // (normally the hardware's threads) takes that many. The default is 0.
    void SetThreadCount(int count);
    // The thread count in use.
    int GetThreadCount() const { return m_nThreads; }

private:
    struct Pool;
    typedef void (ZrParticleEffect::*Step)(double);
    // Each effect's first step, then its second (when not null).
    void Run(double dt, Step first, Step second);

    std::vector<ZrParticleEffect*> m_effects;
    // Per frame: the effects with their own stream and those without, kept
    // between frames so that a steady scene does not allocate.
    std::vector<ZrParticleEffect*> m_own;
    std::vector<ZrParticleEffect*> m_shared;
    int m_nThreads;
    std::unique_ptr<Pool> m_pool;
};

} // namespace ZRC
