// A scene of a thousand small effects (the six bundled effects, repeated)
// against the same six effects loaded once each, with every system's emission
// rate scaled by the number of its copies in the scene, so that both hold about
// the same particles in total. Both run one Update and one AfterRender per
// effect per frame at 60 frames per second, from their steady state.
#include <NbParticleSystem600/NbParticleSystem600.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace ZRC;

namespace {

const char* const kNames[] = {"fire", "smoke", "fountain", "explode", "rain", "snow"};
constexpr int kKinds = 6;
constexpr int kSceneEffects = 1000;
constexpr double kStep = 1.0 / 60.0;

struct Scene {
    std::vector<std::unique_ptr<ZrParticleEffect>> effects;
    bool ok = true;

    void Frame()
    {
        for (const auto& effect : effects) {
            effect->Update(kStep);
            effect->AfterRender(kStep);
        }
    }
    int Live() const
    {
        int live = 0;
        for (const auto& effect : effects)
            for (int s = 0; s < effect->GetParticleSystemNum(); ++s)
                if (ZrParticleSystem* system = effect->GetParticleSystem(s))
                    for (int i = 0; i < system->GetParticleNum(); ++i)
                        live += system->GetParticle(i)->IsAlive();
        return live;
    }
    void Add(const char* name, int rateScale)
    {
        std::unique_ptr<ZrParticleEffect> effect(new ZrParticleEffect);
        ok = ok && effect->FromXML(name) && effect->GetParticleSystemNum() > 0;
        for (int s = 0; rateScale > 1 && s < effect->GetParticleSystemNum(); ++s) {
            ZrParticleSystem* system = effect->GetParticleSystem(s);
            auto* emitter = system ? dynamic_cast<ZrCommonEmitter*>(system->GetEmitter()) : nullptr;
            if (emitter == nullptr || emitter->GetCounter() == nullptr)
                continue;
            // A steady counter emits a whole number per frame: scale what one
            // copy really emits, not its nominal rate. A burst scales as is.
            int rate = system->GetCountPerSecond();
            if (emitter->GetCounter()->GetType() == 1)
                rate = emitter->GetCounter()->GetCount(kStep) * 60;
            system->SetCountPerSecond(rate * rateScale);
        }
        effects.push_back(std::move(effect));
    }
};

// Built once per kind: the effects are read from the packed container and run
// for ten seconds, longer than any bundled particle lives.
Scene& GetScene(bool many)
{
    static std::unique_ptr<Scene> scenes[2];
    std::unique_ptr<Scene>& scene = scenes[many ? 1 : 0];
    if (!scene) {
        ZrCommon3D::ms_strSceneResFoloderPath = NBPS_BINARY_DIR "/effects/";
        scene.reset(new Scene);
        if (many) {
            for (int k = 0; k < kSceneEffects; ++k)
                scene->Add(kNames[k % kKinds], 1);
        } else {
            for (int n = 0; n < kKinds; ++n)
                scene->Add(kNames[n], (kSceneEffects - n + kKinds - 1) / kKinds);
        }
        for (int frame = 0; frame < 600; ++frame)
            scene->Frame();
    }
    return *scene;
}

void BM_Scene(benchmark::State& state)
{
    Scene& scene = GetScene(state.range(0) != 0);
    if (!scene.ok) {
        state.SkipWithError("bundled effects missing from the container");
        return;
    }
    const int live = scene.Live();
    for (auto _ : state)
        scene.Frame();
    state.SetLabel(state.range(0) != 0 ? "1000 effects" : "6 effects, rates scaled");
    state.counters["effects"] = static_cast<double>(scene.effects.size());
    state.counters["live"] = live;
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["per_particle"] = benchmark::Counter(static_cast<double>(state.iterations()) * live,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Scene)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// What a host does next with the scene of a thousand effects: one billboard
// batch filled for each effect in turn (one batch serving them all), and, with
// the argument 1, sorted for an eye as well. Compare per_particle with BM_Scene's.
// With the argument 2 each effect is filled between its Update and its
// AfterRender, as a host's frame does, while its particles are still in the
// cache: the difference from BM_Scene/1 is what filling adds to a frame.
void BM_SceneFill(benchmark::State& state)
{
    Scene& scene = GetScene(true);
    if (!scene.ok) {
        state.SkipWithError("bundled effects missing from the container");
        return;
    }
    const bool sort = state.range(0) == 1, inFrame = state.range(0) == 2;
    ZrBillboardBatch batch;
    long long drawn = 0;
    for (const auto& effect : scene.effects) {
        batch.Fill(*effect, ZrVector3d());
        drawn += batch.GetBillboardNum();
    }
    const ZrVector3d eye(20.0, 8.0, 20.0);
    for (auto _ : state) {
        for (const auto& effect : scene.effects) {
            if (inFrame)
                effect->Update(kStep);
            batch.Fill(*effect, ZrVector3d());
            if (sort)
                batch.SortBackToFront(eye);
            if (inFrame)
                effect->AfterRender(kStep);
        }
        benchmark::ClobberMemory();
    }
    state.SetLabel(inFrame ? "1000 effects, a frame with the fill" : sort ? "1000 effects, filled and sorted"
                                                                          : "1000 effects, filled");
    state.counters["live"] = scene.Live();
    state.counters["drawn"] = static_cast<double>(drawn);
    state.counters["per_particle"] = benchmark::Counter(static_cast<double>(state.iterations()) * scene.Live(),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SceneFill)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace
