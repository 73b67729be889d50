// A scene of a thousand small effects (the six bundled effects, repeated)
// against the same six effects loaded once each, with every system's emission
// rate scaled by the number of its copies in the scene, so that both hold about
// the same particles in total. Both run one Update and one AfterRender per
// effect per frame at 60 frames per second, from their steady state.
//
// Then scenes of 100 and 1,000 bundled effects, each with a stream of its own,
// driven by ZrParticleScene on 1, 2, 4 and 8 threads (as many as the machine
// has), each beside the same loop as above over the same effects and a plain
// pass of as many threads over the same pools: what the memory allows.
#include <NbParticleSystem600/NbParticleSystem600.h>

#include <benchmark/benchmark.h>
#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/task_arena.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
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
            live += effect->GetLiveParticleNum();
        return live;
    }
    void Add(const char* name, int rateScale, unsigned int seed = 0)
    {
        std::unique_ptr<ZrParticleEffect> effect(new ZrParticleEffect);
        ok = ok && effect->FromXML(name) && effect->GetParticleSystemNum() > 0;
        if (seed != 0)
            effect->SetRandomSeed(seed);
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

// Runs a new scene for ten seconds, longer than any bundled particle lives.
void Settle(Scene& scene)
{
    for (int frame = 0; frame < 600; ++frame)
        scene.Frame();
}

// Built once per kind: the effects are read from the packed container.
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
        Settle(*scene);
    }
    return *scene;
}

// `count` bundled effects, each seeded with its place in the scene.
Scene& GetSeededScene(int count)
{
    static std::map<int, std::unique_ptr<Scene>> scenes;
    std::unique_ptr<Scene>& scene = scenes[count];
    if (!scene) {
        ZrCommon3D::ms_strSceneResFoloderPath = NBPS_BINARY_DIR "/effects/";
        scene.reset(new Scene);
        for (int k = 0; k < count; ++k)
            scene->Add(kNames[k % kKinds], 1, static_cast<unsigned int>(k + 1));
        Settle(*scene);
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

namespace {

// The step of the plain pass: small enough to leave the scene as it is.
constexpr double kTinyStep = 1e-6;

// Frames a second of every one-thread repetition, per benchmark and scene,
// measured in this run (the one-thread run is registered first, so all its
// repetitions run first).
std::map<std::string, std::vector<double>>& OneThreadFps()
{
    static std::map<std::string, std::vector<double>> fps;
    return fps;
}

// The median of the one-thread repetitions so far: on a shared machine a
// speed-up over it is steadier than one over whichever repetition came last.
double OneThreadMedian(const std::string& key)
{
    std::vector<double> values = OneThreadFps()[key];
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 != 0 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// Runs frames for the benchmark's time and reports frames a second and the
// speed-up over the same benchmark on one thread (the median of its
// repetitions).
template <class Frame>
void Measure(benchmark::State& state, const std::string& key, Scene& scene, int threads, Frame frame)
{
    if (!scene.ok) {
        state.SkipWithError("bundled effects missing from the container");
        return;
    }
    const int live = scene.Live();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        frame();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double fps = seconds > 0.0 ? static_cast<double>(state.iterations()) / seconds : 0.0;
    if (threads == 1)
        OneThreadFps()[key].push_back(fps);
    const double one = OneThreadMedian(key);
    state.counters["threads"] = threads;
    state.counters["live"] = live;
    state.counters["fps"] = fps;
    state.counters["speedup"] = one > 0.0 ? fps / one : 0.0;
}

// Today's loop on the calling thread: one Update and one AfterRender per
// effect, in order (range(1) 0); or, as a host that draws between the two
// must, Update over every effect, then AfterRender over every effect (1).
void BM_Loop(benchmark::State& state)
{
    Scene& scene = GetSeededScene(static_cast<int>(state.range(0)));
    const bool twoPasses = state.range(1) != 0;
    state.SetLabel(twoPasses ? "two passes" : "one pass");
    Measure(state, "loop" + std::to_string(state.range(0)) + (twoPasses ? "b" : "a"), scene, 1, [&] {
        if (!twoPasses) {
            scene.Frame();
            return;
        }
        for (const auto& effect : scene.effects)
            effect->Update(kStep);
        for (const auto& effect : scene.effects)
            effect->AfterRender(kStep);
    });
}

// The scene object on range(1) threads: Update over every effect, then
// AfterRender (range(2) 0), as a host that draws between them calls it; or
// Frame, both steps of each effect in turn (1).
void BM_SceneThreads(benchmark::State& state)
{
    Scene& scene = GetSeededScene(static_cast<int>(state.range(0)));
    const int threads = static_cast<int>(state.range(1));
    const bool inTurn = state.range(2) != 0;
    state.SetLabel(inTurn ? "Frame" : "Update, AfterRender");
    ZrParticleScene driver;
    driver.SetThreadCount(threads);
    for (const auto& effect : scene.effects)
        driver.Add(effect.get());
    Measure(state, "scene" + std::to_string(state.range(0)) + (inTurn ? "b" : "a"), scene, threads, [&] {
        if (inTurn) {
            driver.Frame(kStep);
            return;
        }
        driver.Update(kStep);
        driver.AfterRender(kStep);
    });
}

// Each live particle's position and velocity read and the moved position
// written back, shared out over range(1) threads as the scene shares out its
// effects.
void BM_PlainThreads(benchmark::State& state)
{
    Scene& scene = GetSeededScene(static_cast<int>(state.range(0)));
    const int threads = static_cast<int>(state.range(1));
    tbb::task_arena arena(threads);
    auto pass = [&](ZrParticleEffect& effect) {
        for (int s = 0; s < effect.GetParticleSystemNum(); ++s) {
            ZrParticleSystem* system = effect.GetParticleSystem(s);
            for (int i = 0; system != nullptr && i < system->GetParticleNum(); ++i) {
                ZrParticle* p = system->GetParticle(i);
                if (p->IsAlive())
                    p->SetPosition(p->GetCurPos() + p->GetVelocity() * kTinyStep);
            }
        }
    };
    Measure(state, "plain" + std::to_string(state.range(0)), scene, threads, [&] {
        if (threads == 1) {
            for (const auto& effect : scene.effects)
                pass(*effect);
        } else {
            arena.execute([&] {
                tbb::parallel_for(tbb::blocked_range<size_t>(0, scene.effects.size()),
                                  [&](const tbb::blocked_range<size_t>& r) {
                                      for (size_t i = r.begin(); i != r.end(); ++i)
                                          pass(*scene.effects[i]);
                                  });
            });
        }
        benchmark::ClobberMemory();
    });
}

// The cost of one draw: rand() itself, the library's draw with no stream
// installed (which calls rand()), and with one.
void BM_Draw(benchmark::State& state)
{
    ZrRandomStream stream(1);
    ZrRandomStream::Install(state.range(0) == 2 ? &stream : nullptr);
    for (auto _ : state) {
        int r = state.range(0) == 0 ? std::rand() : ZrRandomStream::Draw();
        benchmark::DoNotOptimize(r);
    }
    ZrRandomStream::Install(nullptr);
    state.SetLabel(state.range(0) == 0 ? "rand()" : state.range(0) == 1 ? "Draw, no stream" : "Draw, own stream");
}
BENCHMARK(BM_Draw)->Arg(0)->Arg(1)->Arg(2);

// On a shared machine other work only ever slows a run down: the fastest of
// several repetitions is the closest to the machine's own figure.
double Fastest(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

// 1, 2, 4 and 8 threads, as far as the machine has them; `modes` more
// arguments 0 .. modes - 1 after the thread count.
void ThreadCounts(benchmark::internal::Benchmark* b, int effects, int modes)
{
    b->ComputeStatistics("min", Fastest);
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    for (int mode = 0; mode < modes; ++mode)
        for (int threads = 1; threads <= 8 && threads <= cores; threads *= 2)
            b->Args(modes > 1 ? std::vector<int64_t>{effects, threads, mode} : std::vector<int64_t>{effects, threads});
}

void Scene100(benchmark::internal::Benchmark* b) { ThreadCounts(b, 100, 2); }
void Plain100(benchmark::internal::Benchmark* b) { ThreadCounts(b, 100, 1); }
void Scene1000(benchmark::internal::Benchmark* b) { ThreadCounts(b, 1000, 2); }
void Plain1000(benchmark::internal::Benchmark* b) { ThreadCounts(b, 1000, 1); }

BENCHMARK(BM_Loop)->Args({100, 0})->Args({100, 1})->ComputeStatistics("min", Fastest)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SceneThreads)->Apply(Scene100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainThreads)->Apply(Plain100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Loop)->Args({1000, 0})->Args({1000, 1})->ComputeStatistics("min", Fastest)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SceneThreads)->Apply(Scene1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainThreads)->Apply(Plain1000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
