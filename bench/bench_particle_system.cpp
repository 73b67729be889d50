// The particle system's update against a plain pass over the same pool, and
// the heap allocations of a system (or a bundled effect) in its steady state,
// where as many particles die per frame as are born.
//
// Global operator new and delete are replaced in this executable so that every
// allocation, the library's included, goes through one counter.
#include <NbParticleSystem600/NbParticleSystem600.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

using namespace ZRC;
using VEXA::VexaString;

namespace {
std::atomic<std::int64_t> g_allocations{0};
std::atomic<std::int64_t> g_frees{0};

void* CountedAlloc(std::size_t size, std::size_t alignment)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (size == 0)
        size = 1;
    for (;;) {
        void* p = nullptr;
        if (alignment <= alignof(std::max_align_t))
            p = std::malloc(size);
        else if (posix_memalign(&p, alignment, size) != 0)
            p = nullptr;
        if (p != nullptr)
            return p;
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr)
            throw std::bad_alloc();
        handler();
    }
}

void* CountedAllocNoThrow(std::size_t size, std::size_t alignment) noexcept
{
    try {
        return CountedAlloc(size, alignment);
    } catch (...) {
        return nullptr;
    }
}

void CountedFree(void* p) noexcept
{
    if (p == nullptr)
        return;
    g_frees.fetch_add(1, std::memory_order_relaxed);
    std::free(p);
}

std::int64_t Allocations() { return g_allocations.load(std::memory_order_relaxed); }
std::int64_t Frees() { return g_frees.load(std::memory_order_relaxed); }
} // namespace

void* operator new(std::size_t size) { return CountedAlloc(size, 0); }
void* operator new[](std::size_t size) { return CountedAlloc(size, 0); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocNoThrow(size, 0); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocNoThrow(size, 0); }
void* operator new(std::size_t size, std::align_val_t al) { return CountedAlloc(size, static_cast<std::size_t>(al)); }
void* operator new[](std::size_t size, std::align_val_t al) { return CountedAlloc(size, static_cast<std::size_t>(al)); }
void* operator new(std::size_t size, std::align_val_t al, const std::nothrow_t&) noexcept
{
    return CountedAllocNoThrow(size, static_cast<std::size_t>(al));
}
void* operator new[](std::size_t size, std::align_val_t al, const std::nothrow_t&) noexcept
{
    return CountedAllocNoThrow(size, static_cast<std::size_t>(al));
}
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { CountedFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { CountedFree(p); }
void operator delete(void* p, std::align_val_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::align_val_t) noexcept { CountedFree(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { CountedFree(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { CountedFree(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { CountedFree(p); }

namespace {

// A step so small that the particles of the update benchmarks outlive any run.
constexpr double kTinyStep = 1e-6;

// One pool of live, long-lived particles of the requested size, shared by the
// update and the plain pass of that size; only the latest size is kept.
ZrParticleSystem& Pool(int count)
{
    static std::unique_ptr<ZrParticleSystem> system;
    static int built = -1;
    if (built != count) {
        system.reset();
        system.reset(new ZrParticleSystem);
        ZrParticle templ;
        templ.SetLifeTime(1000000000); // about eleven days
        templ.SetSizeRange(0.5f, 2.0f);
        templ.SetAlphaRange(1.0f, 0.0f);
        for (int i = 0; i < count; ++i) {
            ZrParticle* p = system->CreateParticle(&templ);
            p->SetPosition(ZrVector3d(0.01 * (i % 1000), 0.0, -0.01 * (i % 700)));
            p->SetVelocity(ZrVector3d(0.001 * (i % 100), 0.5, -0.25));
        }
        built = count;
    }
    return *system;
}

void BM_UpdateParticleSystem(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    ZrParticleSystem& system = Pool(count);
    for (auto _ : state) {
        system.UpdateParticleSystem(kTinyStep);
        benchmark::ClobberMemory();
    }
    if (system.GetFreeParticleNum() != 0)
        state.SkipWithError("particles died during the run");
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["particle_bytes"] = sizeof(ZrParticle);
}

// The reference: each live particle's position and velocity read and the
// moved position written back, through the same accessors the hosts use.
void BM_PlainPass(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    ZrParticleSystem& system = Pool(count);
    for (auto _ : state) {
        const int n = system.GetParticleNum();
        for (int i = 0; i < n; ++i) {
            ZrParticle* p = system.GetParticle(i);
            if (p->IsAlive())
                p->SetPosition(p->GetCurPos() + p->GetVelocity() * kTinyStep);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["particle_bytes"] = sizeof(ZrParticle);
}

// Filling a billboard batch from the same pool, as a host does before drawing
// it: one pass that reads what the update wrote.
void BM_FillBillboards(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    ZrParticleSystem& system = Pool(count);
    system.UpdateParticleSystem(kTinyStep); // every particle has an age, so every one is drawn
    ZrBillboardBatch batch;
    batch.Fill(system, ZrVector3d());
    if (batch.GetBillboardNum() != count) {
        state.SkipWithError("not every particle was drawn");
        return;
    }
    const std::int64_t allocations = Allocations();
    for (auto _ : state) {
        batch.Fill(system, ZrVector3d());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["allocs"] = static_cast<double>(Allocations() - allocations);
}

// The bundled fountain (two systems under gravity and wind) with its emission
// rates scaled to hold about the given number of live particles at 60 frames
// a second, run into its steady state; kept for the frame and the fill of that size.
ZrParticleEffect* Fountain(int live)
{
    static std::unique_ptr<ZrParticleEffect> effect;
    static int built = -1;
    if (built != live) {
        effect.reset(new ZrParticleEffect);
        const std::string path = std::string(NBPS_SOURCE_DIR) + "/effects/fountain.par";
        if (!effect->FromXML(path.c_str()) || effect->GetParticleSystemNum() != 2)
            return nullptr;
        // The document's fountain holds about 1,650 particles at these rates.
        for (int s = 0; s < 2; ++s) {
            ZrParticleSystem* system = effect->GetParticleSystem(s);
            system->SetCountPerSecond(static_cast<int>(system->GetCountPerSecond() * (live / 1650.0)));
        }
        for (int frame = 0; frame < 600; ++frame) {
            effect->Update(1.0 / 60.0);
            effect->AfterRender(1.0 / 60.0);
        }
        built = live;
    }
    return effect.get();
}

// A host's frame of that fountain: Update, then AfterRender; with the second
// argument 1, the batch filled between them, as a host draws.
void BM_FountainFrame(benchmark::State& state)
{
    ZrParticleEffect* effect = Fountain(static_cast<int>(state.range(0)));
    if (effect == nullptr) {
        state.SkipWithError("bundled fountain missing");
        return;
    }
    const int live = effect->GetLiveParticleNum();
    ZrBillboardBatch batch;
    const bool fill = state.range(1) != 0;
    for (auto _ : state) {
        effect->Update(1.0 / 60.0);
        if (fill)
            batch.Fill(*effect, ZrVector3d());
        effect->AfterRender(1.0 / 60.0);
    }
    state.SetItemsProcessed(state.iterations() * live);
    state.counters["live"] = live;
}

// Filling a batch from that fountain as it stands after a frame.
void BM_FountainFill(benchmark::State& state)
{
    ZrParticleEffect* effect = Fountain(static_cast<int>(state.range(0)));
    if (effect == nullptr) {
        state.SkipWithError("bundled fountain missing");
        return;
    }
    const int live = effect->GetLiveParticleNum();
    ZrBillboardBatch batch;
    batch.Fill(*effect, ZrVector3d());
    const std::int64_t allocations = Allocations();
    for (auto _ : state) {
        batch.Fill(*effect, ZrVector3d());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * live);
    state.counters["live"] = live;
    state.counters["drawn"] = batch.GetBillboardNum();
    state.counters["allocs"] = static_cast<double>(Allocations() - allocations);
}

// The least a fill can cost: one pass that reads the alive flag and the fields
// a billboard is made of, and nothing else. The flag and those fields lie in
// different parts of a slot, so the pass still meets most of its cache lines.
void BM_ReadDrawFields(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    ZrParticleSystem& system = Pool(count);
    for (auto _ : state) {
        double sum = 0;
        for (int i = 0; i < count; ++i) {
            const ZrParticle* p = system.GetParticle(i);
            if (p->IsAlive())
                sum += p->GetAge() + p->GetCurSize() + p->GetCurAlpha() + p->GetCurPos().x + p->GetCurColor().w;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// A frame of a system under gravity and a steady wind: the update, then both
// influences, as an effect drives them.
void BM_UpdateAccelWind(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    ZrParticleSystem& system = Pool(count);
    ZrAccelInfluence accel;
    accel.SetAccelDirection(ZrVector3d(0.0, -1.0, 0.0));
    accel.SetAccelSize(9.8f);
    ZrWindInfluence wind;
    wind.SetWindVelocity(ZrVector3d(2.0, 0.0, 1.0));
    for (auto _ : state) {
        system.UpdateParticleSystem(kTinyStep);
        accel.Apply(&system, kTinyStep);
        wind.Apply(&system, kTinyStep);
        benchmark::ClobberMemory();
    }
    if (system.GetFreeParticleNum() != 0)
        state.SkipWithError("particles died during the run");
    state.SetItemsProcessed(state.iterations() * count);
}

// Update, update with influences and plain pass side by side at each size.
// A thousand particles stay in the core's own cache, so there the update costs
// its arithmetic alone.
BENCHMARK(BM_UpdateParticleSystem)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillBillboards)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadDrawFields)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateAccelWind)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainPass)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateParticleSystem)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillBillboards)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadDrawFields)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateAccelWind)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainPass)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateParticleSystem)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillBillboards)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDrawFields)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateAccelWind)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainPass)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateParticleSystem)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillBillboards)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDrawFields)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateAccelWind)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainPass)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The fountain's frame and fill at 10k and 100k live particles.
BENCHMARK(BM_FountainFrame)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FountainFill)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FountainFrame)->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FountainFill)->Arg(100000)->Unit(benchmark::kMillisecond);

// Runs frames until the pool has kept its size for `settle` frames in a row
// (or gives up after `limit` frames); returns whether it settled.
template <class Frame>
bool RunToPeak(Frame frame, ZrParticleSystem& system, int settle, int limit)
{
    int unchanged = 0;
    int size = system.GetParticleNum();
    for (int i = 0; i < limit && unchanged < settle; ++i) {
        frame();
        const int now = system.GetParticleNum();
        unchanged = (now == size) ? unchanged + 1 : 0;
        size = now;
    }
    return unchanged >= settle;
}

// A system with a common counter, a region placer and a radial shooter whose
// particles live half a second: the emission rate is the argument, in
// particles per second, at 60 frames per second.
void BM_SteadyStateAllocations(benchmark::State& state)
{
    const int perSecond = static_cast<int>(state.range(0));
    VexaString xml;
    xml.Format("<Emitter><EmitterType>CommonEmitter</EmitterType>"
               "<Counter><CounterType>CommonCounter</CounterType><NumPerSecond>%i</NumPerSecond></Counter>"
               "<Placer><PlacerType>RegionPlacer</PlacerType><Radius>2</Radius></Placer>"
               "<Shooter><ShooterType>RadialShooter</ShooterType></Shooter>"
               "<ParticleTemple><LifeTime>0.5</LifeTime></ParticleTemple></Emitter>",
               perSecond);
    ZrCommonEmitter* emitter = new ZrCommonEmitter;
    if (!emitter->FromXML(xml)) {
        delete emitter;
        state.SkipWithError("emitter document not read");
        return;
    }
    ZrParticleSystem system;
    system.SetEmitter(emitter);
    emitter->SetParticleSystem(&system);

    const double dt = 1.0 / 60.0;
    auto frame = [&] {
        emitter->Emit(dt);
        system.UpdateParticleSystem(dt);
    };
    // Half a second of life is 30 frames; two lifetimes without growth is the peak.
    if (!RunToPeak(frame, system, 60, 6000)) {
        state.SkipWithError("pool did not reach a peak");
        return;
    }
    const int poolBefore = system.GetParticleNum();
    std::int64_t allocs = 0;
    std::int64_t frees = 0;
    for (auto _ : state) {
        const std::int64_t a = Allocations();
        const std::int64_t f = Frees();
        frame();
        allocs += Allocations() - a;
        frees += Frees() - f;
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["allocs_per_frame"] = static_cast<double>(allocs) / frames;
    state.counters["frees_per_frame"] = static_cast<double>(frees) / frames;
    state.counters["pool"] = poolBefore;
    state.counters["pool_growth"] = system.GetParticleNum() - poolBefore;
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(perSecond * dt + 0.5));
}
BENCHMARK(BM_SteadyStateAllocations)->Arg(600)->Arg(3600)->Arg(6000)->Arg(60000);

const char* const kEffects[] = {"fire", "smoke", "fountain", "explode", "rain", "snow"};

// A bundled effect's whole frame as a host runs it: Update, the billboard
// batch filled and sorted for an eye that circles the effect, then AfterRender
// with its influences.
void BM_SteadyStateEffectAllocations(benchmark::State& state)
{
    const std::string path = std::string(NBPS_SOURCE_DIR) + "/effects/" + kEffects[state.range(0)] + ".par";
    ZrParticleEffect effect;
    if (!effect.FromXML(path.c_str()) || effect.GetParticleSystemNum() == 0) {
        state.SkipWithError("bundled effect missing");
        return;
    }
    const double dt = 1.0 / 60.0;
    ZrBillboardBatch batch;
    int turn = 0;
    auto frame = [&] {
        effect.Update(dt);
        batch.Fill(effect, ZrVector3d());
        const double angle = 0.01 * turn++;
        batch.SortBackToFront(ZrVector3d(20.0 * std::cos(angle), 8.0, 20.0 * std::sin(angle)));
        effect.AfterRender(dt);
    };
    auto poolSize = [&] {
        int total = 0;
        for (int i = 0; i < effect.GetParticleSystemNum(); ++i)
            if (ZrParticleSystem* s = effect.GetParticleSystem(i))
                total += s->GetParticleNum();
        return total;
    };
    // Every bundled effect's particles live a few seconds at most: a minute of
    // frames, then ten seconds without growth, is the peak.
    int unchanged = 0;
    int size = poolSize();
    for (int i = 0; i < 3600 || unchanged < 600; ++i) {
        if (i > 36000) {
            state.SkipWithError("pool did not reach a peak");
            return;
        }
        frame();
        const int now = poolSize();
        unchanged = (now == size) ? unchanged + 1 : 0;
        size = now;
    }
    const int poolBefore = poolSize();
    std::int64_t allocs = 0;
    std::int64_t frees = 0;
    for (auto _ : state) {
        const std::int64_t a = Allocations();
        const std::int64_t f = Frees();
        frame();
        allocs += Allocations() - a;
        frees += Frees() - f;
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["allocs_per_frame"] = static_cast<double>(allocs) / frames;
    state.counters["frees_per_frame"] = static_cast<double>(frees) / frames;
    state.counters["pool"] = poolBefore;
    state.counters["pool_growth"] = poolSize() - poolBefore;
    state.SetLabel(kEffects[state.range(0)]);
}
BENCHMARK(BM_SteadyStateEffectAllocations)->DenseRange(0, 5);

} // namespace
