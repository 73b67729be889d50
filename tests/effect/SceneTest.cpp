// Scenes and effect streams: the particles an effect with its own stream
// reaches depend only on its seed and its steps, never on the thread count.
// These tests also run under ThreadSanitizer.
#include "ZrInfluence.h"
#include "ZrParticle.h"
#include "ZrParticleEffect.h"
#include "ZrParticleScene.h"
#include "ZrParticleSystem.h"

#include <gtest/gtest.h>
#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/info.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace ZRC;

namespace {

const char* const kDocuments[] = {"effects/fire", "effects/smoke", "effects/fountain", "effects/explode",
                                  "effects/rain", "effects/snow", "tests/simulation/golden/frames"};
constexpr double kStep = 1.0 / 30.0;

// Document `kind` of kDocuments; seeded unless the seed is 0.
std::unique_ptr<ZrParticleEffect> Load(int kind, unsigned int seed)
{
    std::unique_ptr<ZrParticleEffect> effect(new ZrParticleEffect);
    const std::string path = std::string(NBPS_SOURCE_DIR) + "/" + kDocuments[kind % 7] + ".par";
    EXPECT_TRUE(effect->FromXML(path.c_str())) << path;
    if (seed != 0)
        effect->SetRandomSeed(seed);
    return effect;
}

// FNV-1a over every slot of every system: liveness, position, velocity, age,
// size, alpha and colour.
unsigned long long Hash(const ZrParticleEffect& effect, unsigned long long h = 1469598103934665603ull)
{
    for (int s = 0; s < effect.GetParticleSystemNum(); ++s) {
        ZrParticleSystem* system = effect.GetParticleSystem(s);
        for (int i = 0; system != nullptr && i < system->GetParticleNum(); ++i) {
            const ZrParticle& p = *system->GetParticle(i);
            const ZrVector3d x = p.GetCurPos(), v = p.GetVelocity();
            const ZrVector4d c = p.GetCurColor();
            const double values[] = {double(p.IsAlive()), x.x, x.y, x.z, v.x, v.y, v.z, p.GetAge(),
                                     p.GetCurSize(), p.GetCurAlpha(), c.x, c.y, c.z, c.w};
            for (size_t b = 0; b < sizeof values; ++b)
                h = (h ^ reinterpret_cast<const unsigned char*>(values)[b]) * 1099511628211ull;
        }
    }
    return h;
}

unsigned long long Hash(const std::vector<std::unique_ptr<ZrParticleEffect>>& effects)
{
    unsigned long long h = 1469598103934665603ull;
    for (const auto& effect : effects)
        h = Hash(*effect, h);
    return h;
}

// Fourteen effects, every fifth without a stream of its own.
std::vector<std::unique_ptr<ZrParticleEffect>> Mixed()
{
    std::vector<std::unique_ptr<ZrParticleEffect>> effects;
    for (int k = 0; k < 14; ++k)
        effects.push_back(Load(k, k % 5 == 4 ? 0 : 100 + k));
    return effects;
}

// Forty frames of the mixed effects from rand() seeded alike, a hash of every
// particle after each. Threads 0: the host's own loop over the effects, no
// scene. inTurn: each effect's Update and AfterRender in turn (Frame).
unsigned long long Frames(int threads, bool inTurn)
{
    std::srand(77);
    std::vector<std::unique_ptr<ZrParticleEffect>> effects = Mixed();
    ZrParticleScene scene;
    scene.SetThreadCount(threads);
    for (auto& effect : effects)
        scene.Add(effect.get());
    unsigned long long h = 0;
    for (int frame = 0; frame < 40; ++frame) {
        if (threads == 0) {
            for (auto& effect : effects) {
                effect->Update(kStep);
                if (inTurn)
                    effect->AfterRender(kStep);
            }
            for (auto& effect : effects)
                if (!inTurn)
                    effect->AfterRender(kStep);
        } else if (inTurn) {
            scene.Frame(kStep);
        } else {
            scene.Update(kStep);
            scene.AfterRender(kStep);
        }
        h ^= Hash(effects) + static_cast<unsigned long long>(frame);
    }
    return h;
}

// Notes the thread and the turn of each AfterRender of its system; with a
// meeting, waits (ten seconds at most) until every probe of the meeting is
// inside its AfterRender at once.
struct Meeting {
    std::mutex mutex;
    std::condition_variable arrived;
    int inside = 0, wanted = 0, turns = 0;
};

class Probe : public ZrInfluence {
public:
    Probe(Meeting& log, bool meet) : m_log(log), m_meet(meet) {}
    void Apply(ZrParticleSystem*, double) override
    {
        std::unique_lock<std::mutex> lock(m_log.mutex);
        thread = std::this_thread::get_id();
        turn = ++m_log.turns;
        if (!m_meet)
            return;
        ++m_log.inside;
        m_log.arrived.notify_all();
        met = m_log.arrived.wait_for(lock, std::chrono::seconds(10), [this] { return m_log.inside >= m_log.wanted; });
    }
    unsigned char FromXML(VEXA::VexaString&) override { return 0; }
    unsigned char ToXML(VEXA::VexaString&) override { return 0; }

    std::thread::id thread;
    int turn = 0;
    bool met = false;

private:
    Meeting& m_log;
    bool m_meet;
};

} // namespace

TEST(Scene, ThreadCounts)
{
    ZrParticleScene scene;
    const int all = scene.GetThreadCount();
    EXPECT_EQ(all, tbb::info::default_concurrency());
    for (int asked : {1, 2, 0, -4, all + 100}) {
        scene.SetThreadCount(asked);
        EXPECT_EQ(scene.GetThreadCount(), asked > 0 ? std::min(asked, all) : all) << asked;
    }
    // No more than oneTBB lets the process run at once.
    tbb::global_control limit(tbb::global_control::max_allowed_parallelism, 1);
    scene.SetThreadCount(4);
    EXPECT_EQ(scene.GetThreadCount(), 1);
}

TEST(Scene, OwnStreamsRunAtOnceTheOthersInOrderOnTheCallingThread)
{
    Meeting log;
    std::vector<std::unique_ptr<ZrParticleEffect>> effects;
    std::vector<Probe*> probes;
    ZrParticleScene scene;
    for (int k = 0; k < 4; ++k) {
        effects.emplace_back(new ZrParticleEffect);
        ZrParticleSystem* system = new ZrParticleSystem;
        probes.push_back(new Probe(log, k % 2 == 1));
        system->AddInfluence(probes.back());
        effects.back()->AddParticleSystem(system);
        if (k % 2 == 1)
            effects.back()->SetRandomSeed(k);
        scene.Add(effects.back().get());
    }
    // One thread: every effect in the order added, on this thread.
    scene.SetThreadCount(1);
    scene.AfterRender(kStep);
    for (int k = 0; k < 4; ++k)
        EXPECT_TRUE(probes[k]->turn == k + 1 && probes[k]->thread == std::this_thread::get_id()) << k;

    scene.SetThreadCount(2);
    if (scene.GetThreadCount() < 2)
        GTEST_SKIP() << "one thread only";
    log.turns = log.inside = 0;
    log.wanted = 2;
    scene.AfterRender(kStep);
    EXPECT_TRUE(probes[1]->met && probes[3]->met) << "the effects with a stream of their own ran one after another";
    EXPECT_NE(probes[1]->thread, probes[3]->thread);
    for (int k : {0, 2})
        EXPECT_EQ(probes[k]->thread, std::this_thread::get_id()) << k;
    EXPECT_LT(probes[0]->turn, probes[2]->turn);
}

TEST(Scene, SameParticlesOnAnyNumberOfThreads)
{
    for (bool inTurn : {false, true}) {
        const unsigned long long want = Frames(0, inTurn);
        for (int threads : {1, 2, 3, 8})
            EXPECT_EQ(Frames(threads, inTurn), want) << threads << " threads, in turn " << inTurn;
    }
}

TEST(Scene, RemovedEffectsAreNeverTouchedAgain)
{
    std::vector<std::unique_ptr<ZrParticleEffect>> effects;
    for (int k = 0; k < 4; ++k)
        effects.push_back(Load(k, 1 + k));
    ZrParticleScene scene;
    scene.SetThreadCount(2);
    for (auto& effect : effects)
        scene.Add(effect.get());
    scene.Add(effects[1].get());
    scene.Add(nullptr);
    ASSERT_EQ(scene.GetEffectNum(), 4);
    scene.Update(kStep);
    scene.AfterRender(kStep);

    scene.Remove(effects[1].get());
    effects[1].reset(); // deleted: the sanitizers see any later use
    scene.Remove(effects[2].get());
    const unsigned long long kept = Hash(*effects[2]), other = Hash(*effects[3]);
    for (int frame = 0; frame < 5; ++frame) {
        scene.Update(kStep);
        scene.AfterRender(kStep);
    }
    EXPECT_EQ(Hash(*effects[2]), kept);
    EXPECT_NE(Hash(*effects[3]), other);
    EXPECT_EQ(scene.GetEffectNum(), 2);
    EXPECT_EQ(scene.GetEffect(0), effects[0].get());
    EXPECT_EQ(scene.GetEffect(1), effects[3].get());
    EXPECT_EQ(scene.GetEffect(-1), nullptr);
    EXPECT_EQ(scene.GetEffect(2), nullptr);
}

TEST(EffectStream, SeedsAndCopiesGiveTheSameParticlesWithoutTouchingRand)
{
    // A second effect with the same seed keeps pace with the first, and so do
    // copies of it made halfway, each continuing the stream on its own.
    std::unique_ptr<ZrParticleEffect> source = Load(6, 7), again = Load(6, 7), other = Load(6, 8);
    auto run = [](std::initializer_list<ZrParticleEffect*> effects, int frames) {
        for (int frame = 0; frame < frames; ++frame)
            for (ZrParticleEffect* e : effects)
                e->Update(kStep), e->AfterRender(kStep);
    };
    std::srand(3);
    const int next = std::rand();
    std::srand(3);
    run({source.get(), again.get(), other.get()}, 70); // particles have died and slots are reused
    ZrParticleEffect made, copy(*source), assigned;
    ASSERT_EQ(made.Make(source.get()), 1);
    assigned = *source;
    run({source.get(), &made, &copy, &assigned, again.get(), other.get()}, 20);
    EXPECT_EQ(std::rand(), next) << "seeded effects never draw from rand()";
    const unsigned long long h = Hash(*source);
    for (ZrParticleEffect* e : {&made, &copy, &assigned, again.get()})
        EXPECT_EQ(Hash(*e), h);
    EXPECT_NE(Hash(*other), h);

    // Without a seed an effect, and its copies, draw from rand().
    std::unique_ptr<ZrParticleEffect> unseeded = Load(6, 0);
    ZrParticleEffect plain(*unseeded);
    EXPECT_EQ(plain.HasRandomStream() * 10 + made.HasRandomStream(), 1);
    std::srand(3);
    plain.Update(kStep);
    EXPECT_NE(std::rand(), next);
}
