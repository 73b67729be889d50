// An effect read from an arbitrary stream: Load, then a short frame loop and
// the writers on whatever was read, every getter asked after each step.
#include "FuzzGetters.h"

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
    fuzz::TouchEffect(effect);
    // Steps from tiny to huge: every number the host reads stays finite.
    for (double dt : {0.01, 1e-6, 1e6}) {
        effect.Update(dt);
        effect.AfterRender(dt);
        fuzz::TouchEffect(effect);
    }
    effect.ComputeBoundingBox();
    ZrStream out;
    effect.Save(out);
    ZrParticleEffect copy;
    copy.Make(&effect);
    return 0;
}
