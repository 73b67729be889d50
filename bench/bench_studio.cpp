// The studio's speed: frames per second of the running effect at 640x360
// (one step and one drawing per frame, on the calling thread), and the time
// from a save of the document by another program to the first new frame, the
// way the page gets it: the watch answers, the page reads the document, sends
// it back as its text and asks for the frame.
#include "EffectLoader.h"
#include "StudioDocument.h"
#include "StudioPlayer.h"
#include "StudioServer.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <unistd.h>

using namespace nbparticle;

namespace {

const char* const kEffects[] = {"fire", "smoke", "fountain", "explode", "rain", "snow"};

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Resources() { return std::string(NBPS_BINARY_DIR) + "/effects"; }

} // namespace

// Items are frames: items_per_second is the frame rate the studio can show.
static void BM_StudioFrame(benchmark::State& state)
{
    const std::string document = std::string(NBPS_SOURCE_DIR) + "/effects/" + kEffects[state.range(0)] + ".par";
    StudioPlayer player(Resources(), document);
    std::string why;
    if (!player.Load(Slurp(document), why)) {
        state.SkipWithError(why.c_str());
        return;
    }
    PreviewSettings settings;
    settings.width = 640;
    settings.height = 360;
    Frame frame;
    FrameStats stats;
    int n = 1;
    player.Show(n, settings, frame, stats);
    for (auto _ : state) {
        if (++n > settings.frames) {
            // A new run frames the camera again: not part of a frame's cost.
            state.PauseTiming();
            n = 1;
            player.Show(n, settings, frame, stats);
            state.ResumeTiming();
            continue;
        }
        player.Show(n, settings, frame, stats);
        benchmark::DoNotOptimize(frame.rgb.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(kEffects[state.range(0)]);
}
BENCHMARK(BM_StudioFrame)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// Manual time: from the rename that puts the new file in place to the new
// frame's last byte.
static void BM_StudioSaveToFrame(benchmark::State& state)
{
    char folder[] = "/tmp/nbps-bench-studio-XXXXXX";
    if (!::mkdtemp(folder)) {
        state.SkipWithError("no scratch folder");
        return;
    }
    const std::string path = std::string(folder) + "/fire.par";
    const std::string text = Slurp(std::string(NBPS_SOURCE_DIR) + "/effects/fire.par");
    std::ofstream(path, std::ios::binary) << text;
    {
        StudioDocument document(path);
        std::string why;
        document.Open(why);
        StudioServer server(document, Resources());
        server.SetRate(1e6, 1e6);
        if (!server.Bind("127.0.0.1", 0, why)) {
            state.SkipWithError(why.c_str());
            return;
        }
        document.Watch(50);
        std::thread serving([&] { server.Run(); });
        httplib::Client client("127.0.0.1", server.Port());
        client.set_read_timeout(30);
        auto changes = [&] {
            auto r = client.Get("/api/document");
            const size_t at = r ? r->body.find("\"changes\":") : std::string::npos;
            return at == std::string::npos ? 0L : std::atol(r->body.c_str() + at + 10);
        };
        client.Post("/api/text", text, "text/plain");
        long seen = changes();
        int round = 0;
        for (auto _ : state) {
            // Another program saves: a new rate each time, written beside
            // the file and renamed over it.
            std::string next = text;
            next.replace(next.find("<NumPerSecond>160<"), 18, "<NumPerSecond>" + std::to_string(100 + round++ % 50) + "<");
            const std::string temp = path + ".new";
            std::ofstream(temp, std::ios::binary) << next;
            const auto start = std::chrono::steady_clock::now();
            std::rename(temp.c_str(), path.c_str());
            auto watched = client.Get(("/api/watch?since=" + std::to_string(seen)).c_str());
            seen = changes();
            auto document = client.Get("/api/document");
            auto sent = client.Post("/api/text", next, "text/plain");
            auto frame = client.Get("/api/frame?frame=30&size=640x360");
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (!watched || !document || !sent || !frame || frame->status != 200 ||
                sent->body.find("\"good\":true") == std::string::npos) {
                state.SkipWithError("the studio did not follow the save");
                break;
            }
            state.SetIterationTime(seconds);
        }
        server.Stop();
        serving.join();
    }
    std::remove(path.c_str());
    ::rmdir(folder);
}
BENCHMARK(BM_StudioSaveToFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);
