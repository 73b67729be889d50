#pragma once

namespace ZRC {
class ZrParticleEffect;
}

namespace nbparticle {

// What `nbparticle info` prints: the effect's kind, then per system its
// attributes, its emitter's parts and its influences.
class EffectInfo {
public:
    static void Print(ZRC::ZrParticleEffect& effect);
};

} // namespace nbparticle
