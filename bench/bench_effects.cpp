// Emission with the common counter, reading the bundled effects from their
// documents and from the resource container, and writing them back.
#include <NbParticleSystem600/NbParticleSystem600.h>

#include <benchmark/benchmark.h>
#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using namespace ZRC;
using VEXA::VexaString;

namespace {
const char* const kEffects[] = {"fire", "smoke", "fountain", "explode", "rain", "snow"};

std::string EffectPath(int index)
{
    return std::string(NBPS_SOURCE_DIR) + "/effects/" + kEffects[index] + ".par";
}

// An emitter of a steady stream of long-lived particles with a common counter.
ZrParticleSystem* MakeEmittingSystem(int perSecond)
{
    VexaString xml;
    xml.Format("<Emitter><EmitterType>CommonEmitter</EmitterType>"
               "<Counter><CounterType>CommonCounter</CounterType><NumPerSecond>%i</NumPerSecond></Counter>"
               "<Placer><PlacerType>RegionPlacer</PlacerType><Radius>2</Radius></Placer>"
               "<Shooter><ShooterType>RadialShooter</ShooterType></Shooter>"
               "<ParticleTemple><LifeTime>1.0</LifeTime></ParticleTemple></Emitter>",
               perSecond);
    ZrCommonEmitter* emitter = new ZrCommonEmitter;
    emitter->FromXML(xml);
    ZrParticleSystem* system = new ZrParticleSystem;
    system->SetEmitter(emitter);
    emitter->SetParticleSystem(system);
    return system;
}
} // namespace

// Steady state: as many particles die per frame as are born, so the pool
// stops growing; items are particles emitted.
static void BM_EmitCommonCounter(benchmark::State& state)
{
    const int perSecond = static_cast<int>(state.range(0));
    ZrParticleSystem* system = MakeEmittingSystem(perSecond);
    const double dt = 1.0 / 60.0;
    for (int warm = 0; warm < 120; ++warm) {
        system->GetEmitter()->Emit(dt);
        system->UpdateParticleSystem(dt);
    }
    for (auto _ : state) {
        system->GetEmitter()->Emit(dt);
        system->UpdateParticleSystem(dt);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(perSecond * dt + 0.5));
    state.counters["pool"] = system->GetParticleNum();
    delete system;
}
BENCHMARK(BM_EmitCommonCounter)->Arg(6000)->Arg(60000)->Arg(600000);

static void BM_ReadEffectFile(benchmark::State& state)
{
    const std::string path = EffectPath(static_cast<int>(state.range(0)));
    if (!std::filesystem::exists(path)) {
        state.SkipWithError("bundled effect missing");
        return;
    }
    for (auto _ : state) {
        ZrParticleEffect effect;
        benchmark::DoNotOptimize(effect.FromXML(path.c_str()));
    }
    state.SetLabel(kEffects[state.range(0)]);
}
BENCHMARK(BM_ReadEffectFile)->DenseRange(0, 5);

static void BM_ReadEffectContainer(benchmark::State& state)
{
    const std::string folder = std::string(NBPS_BINARY_DIR) + "/effects/";
    if (!std::filesystem::exists(folder + "particle/particle.sc")) {
        state.SkipWithError("particle.sc not built (configure with the tools)");
        return;
    }
    ZrCommon3D::ms_strSceneResFoloderPath = folder.c_str();
    for (auto _ : state) {
        ZrParticleEffect effect;
        benchmark::DoNotOptimize(effect.FromXML(kEffects[state.range(0)]));
    }
    ZrCommon3D::ms_strSceneResFoloderPath = "";
    state.SetLabel(kEffects[state.range(0)]);
}
BENCHMARK(BM_ReadEffectContainer)->DenseRange(0, 5);

// A container of 300,000 entries besides the fire document: its index is
// read once, not on every read (compare BM_ReadEffectFile/0, the same
// document from its .par file).
static void BM_ReadEffectLargeContainer(benchmark::State& state)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "nbps-bench-large-container";
    const std::filesystem::path file = folder / "particle" / "particle.sc";
    if (!std::filesystem::exists(file)) {
        std::filesystem::create_directories(file.parent_path());
        std::ifstream in(EffectPath(0), std::ios::binary);
        static const std::string fire((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        int error = 0;
        zip_t* archive = zip_open(file.string().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        for (int i = 0; archive && i < 300000; ++i)
            zip_file_add(archive, ("filler/" + std::to_string(i)).c_str(), zip_source_buffer(archive, "x", 1, 0), 0);
        if (archive)
            zip_file_add(archive, "fire", zip_source_buffer(archive, fire.data(), fire.size(), 0), 0);
        if (!archive || zip_close(archive) != 0) {
            state.SkipWithError("cannot write the large container");
            return;
        }
    }
    ZrCommon3D::ms_strSceneResFoloderPath = (folder.string() + "/").c_str();
    ZrParticleEffect first;   // the first read indexes the container
    first.FromXML("fire");
    for (auto _ : state) {
        ZrParticleEffect effect;
        if (!effect.FromXML("fire")) {
            state.SkipWithError("fire not read from the large container");
            break;
        }
    }
    ZrCommon3D::ms_strSceneResFoloderPath = "";
}
BENCHMARK(BM_ReadEffectLargeContainer)->Unit(benchmark::kMicrosecond);

static void BM_WriteEffect(benchmark::State& state)
{
    const std::string path = EffectPath(static_cast<int>(state.range(0)));
    ZrParticleEffect effect;
    if (!effect.FromXML(path.c_str())) {
        state.SkipWithError("bundled effect missing");
        return;
    }
    VexaString out((std::filesystem::temp_directory_path() / "nbps-bench-write.par").string());
    for (auto _ : state)
        benchmark::DoNotOptimize(effect.ToXML(out));
    std::remove(out);
    state.SetLabel(kEffects[state.range(0)]);
}
BENCHMARK(BM_WriteEffect)->DenseRange(0, 5);
