// Influences applied to pools of one thousand to one million live particles,
// against a plain pass that reads and writes every velocity of the same pool.
#include <NbParticleSystem600/NbParticleSystem600.h>

#include <benchmark/benchmark.h>

#include <memory>

using namespace ZRC;

namespace {

// One pool of the requested size; only the latest size is kept.
ZrParticleSystem& Pool(const benchmark::State& state)
{
    static std::unique_ptr<ZrParticleSystem> system;
    static int built = -1;
    const int count = static_cast<int>(state.range(0));
    if (built != count) {
        system.reset();
        system.reset(new ZrParticleSystem);
        ZrParticle templ;
        for (int i = 0; i < count; ++i) {
            ZrParticle* p = system->CreateParticle(&templ);
            if (p != nullptr)
                p->SetVelocity(ZrVector3d(0.001 * (i % 100), 0.5, -0.25));
        }
        built = count;
    }
    return *system;
}

void BM_PlainVelocityPass(benchmark::State& state)
{
    ZrParticleSystem& system = Pool(state);
    const ZrVector3d delta(1e-9, 0.0, 0.0);
    for (auto _ : state) {
        const int n = system.GetParticleNum();
        for (int i = 0; i < n; ++i) {
            ZrParticle* p = system.GetParticle(i);
            if (p->IsAlive())
                p->SetVelocity(p->GetVelocity() + delta);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * system.GetParticleNum());
}
BENCHMARK(BM_PlainVelocityPass)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_AccelInfluence(benchmark::State& state)
{
    ZrParticleSystem& system = Pool(state);
    ZrAccelInfluence accel;
    accel.SetAccelDirection(ZrVector3d(0, -1, 0));
    accel.SetAccelSize(9.8f);
    for (auto _ : state) {
        accel.Apply(&system, 1e-6);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * system.GetParticleNum());
}
BENCHMARK(BM_AccelInfluence)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_WindInfluence(benchmark::State& state)
{
    ZrParticleSystem& system = Pool(state);
    ZrWindInfluence wind;
    wind.SetWindVelocity(ZrVector3d(2, 0, 1));
    for (auto _ : state) {
        wind.Apply(&system, 0.016);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * system.GetParticleNum());
}
BENCHMARK(BM_WindInfluence)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_RandomWind(benchmark::State& state)
{
    ZrParticleSystem& system = Pool(state);
    ZrRandomWind gusts;
    gusts.SetSpeedRange(0.5f, 3.0f);
    for (auto _ : state) {
        gusts.Apply(&system, 0.016);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * system.GetParticleNum());
}
BENCHMARK(BM_RandomWind)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

} // namespace
