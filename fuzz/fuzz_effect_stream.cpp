// An effect read from an arbitrary stream: Load, then a short frame loop and
// the writers on whatever was read.
#include <NbParticleSystem600/NbParticleSystem600.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

using namespace ZRC;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    // A document may ask for any number of particles: the process-wide
    // budget, kept small here, must hold them.
    static const bool budget = (ZrParticleSystem::SetMaxTotalParticleNum(20000), true);
    (void)budget;
    ZrStream stream(data, static_cast<unsigned int>(size));
    ZrParticleEffect effect;
    effect.Load(stream);
    // Steps from tiny to huge: every particle the host reads stays finite.
    for (double dt : {0.01, 1e-6, 1e6}) {
        effect.Update(dt);
        effect.AfterRender(dt);
    }
    for (int i = 0; i < effect.GetParticleSystemNum(); ++i) {
        ZrParticleSystem* system = effect.GetParticleSystem(i);
        for (int p = 0; system && p < system->GetParticleNum(); ++p) {
            const ZrParticle* q = system->GetParticle(p);
            const ZrVector3d pos = q->GetCurPos();
            const ZrVector4d c = q->GetCurColor();
            if (!std::isfinite(pos.x + pos.y + pos.z) || !std::isfinite(q->GetCurSize()) ||
                !std::isfinite(q->GetCurAlpha()) || !std::isfinite(c.x + c.y + c.z + c.w))
                __builtin_trap();
        }
    }
    effect.ComputeBoundingBox();
    ZrStream out;
    effect.Save(out);
    ZrParticleEffect copy;
    copy.Make(&effect);
    return 0;
}
