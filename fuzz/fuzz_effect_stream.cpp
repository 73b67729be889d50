// An effect read from an arbitrary stream: Load, then a short frame loop and
// the writers on whatever was read.
#include <NbParticleSystem600/NbParticleSystem600.h>

#include <cstddef>
#include <cstdint>

using namespace ZRC;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    ZrStream stream(data, static_cast<unsigned int>(size));
    ZrParticleEffect effect;
    effect.Load(stream);
    // A document may ask for any number of particles per step; memory for
    // them is the host's budget, not a fault, so keep the run small.
    for (int i = 0; i < effect.GetParticleSystemNum(); ++i)
        if (ZrParticleSystem* system = effect.GetParticleSystem(i))
            if (system->GetCountPerSecond() > 10000 || system->GetCountPerSecond() < 0)
                system->SetCountPerSecond(10000);
    for (int frame = 0; frame < 3; ++frame) {
        effect.Update(0.01);
        effect.AfterRender(0.01);
    }
    effect.ComputeBoundingBox();
    ZrStream out;
    effect.Save(out);
    ZrParticleEffect copy;
    copy.Make(&effect);
    return 0;
}
