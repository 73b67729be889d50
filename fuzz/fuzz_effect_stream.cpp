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
    int live = 0;
    for (int i = 0; i < effect.GetParticleSystemNum(); ++i) {
        ZrParticleSystem* system = effect.GetParticleSystem(i);
        for (int p = 0; system && p < system->GetParticleNum(); ++p)
            live += system->GetParticle(p)->IsAlive();
    }
    // What a GPU is handed: finite, within the stated ranges, in the runs.
    ZrBillboardBatch batch;
    batch.Fill(effect, ZrVector3d(1e6, -2.0, 0.5));
    batch.SortBackToFront(ZrVector3d(1e6, 30.0, 40.0));
    const int n = batch.GetBillboardNum();
    int inRuns = 0;
    for (int r = 0; r < batch.GetRunNum(); ++r)
        inRuns += batch.GetRun(r).count;
    for (int k = 0; k < n; ++k) {
        const float* c = batch.GetCenters() + k * 3;
        const float* h = batch.GetHalfSizes() + k * 2;
        const float* rgba = batch.GetColorFloats() + k * 4;
        if (!std::isfinite(c[0] + c[1] + c[2] + h[0] + h[1]) || !(h[0] >= 0.0f && h[1] >= 0.0f) ||
            !(rgba[0] >= 0.0f && rgba[1] >= 0.0f && rgba[2] >= 0.0f && rgba[3] >= 0.0f) ||
            !(rgba[0] <= 1.0f && rgba[1] <= 1.0f && rgba[2] <= 1.0f && rgba[3] <= 1.0f))
            __builtin_trap();
    }
    if (inRuns != n || effect.GetLiveParticleNum() != live || live < n)
        __builtin_trap();
    effect.ComputeBoundingBox();
    ZrStream out;
    effect.Save(out);
    ZrParticleEffect copy;
    copy.Make(&effect);
    return 0;
}
