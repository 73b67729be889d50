#include "ZrParticleScene.h"

#include "ZrParticleEffect.h"

#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/info.h>
#include <oneapi/tbb/task_arena.h>
#include <oneapi/tbb/task_group.h>

#include <algorithm>

#if defined(__SANITIZE_THREAD__)
#define NBPS_RACE_DETECTOR 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define NBPS_RACE_DETECTOR 1
#endif
#endif
#if defined(NBPS_RACE_DETECTOR)
#include <sanitizer/tsan_interface.h>
#endif

namespace ZRC {

// The scene's threads: an arena of the scene's thread count, one slot of it
// kept for the calling thread.
struct ZrParticleScene::Pool {
    explicit Pool(int threads) : arena(threads) { arena.initialize(); }
    tbb::task_arena arena;
};

namespace {

// oneTBB hands the work from thread to thread inside its own compiled library,
// where the race detector does not see: these tell it that a frame's work
// comes after what the calling thread did before the frame and before what it
// does after. They do nothing in other builds.
void Publish(void* key)
{
#if defined(NBPS_RACE_DETECTOR)
    __tsan_release(key);
#else
    (void)key;
#endif
}

void Receive(void* key)
{
#if defined(NBPS_RACE_DETECTOR)
    __tsan_acquire(key);
#else
    (void)key;
#endif
}

const size_t kRunsPerThread = 8;

int HardwareThreads() { return std::max(1, tbb::info::default_concurrency()); }

// The most threads the process lets oneTBB run at once (normally the
// hardware's); asking for more would only be refused.
int ThreadLimit()
{
    const size_t limit = tbb::global_control::active_value(tbb::global_control::max_allowed_parallelism);
    return static_cast<int>(std::max<size_t>(1, std::min<size_t>(limit, 1024)));
}

// The thread count for a count a host asks for (0 or less: the hardware's).
int Resolve(int count) { return std::min(count > 0 ? count : HardwareThreads(), ThreadLimit()); }

} // namespace

ZrParticleScene::ZrParticleScene() : m_nThreads(Resolve(0)) {}

ZrParticleScene::~ZrParticleScene() = default;

void ZrParticleScene::Add(ZrParticleEffect* effect)
{
    if (effect == nullptr || std::find(m_effects.begin(), m_effects.end(), effect) != m_effects.end())
        return;
    m_effects.push_back(effect);
}

void ZrParticleScene::Remove(ZrParticleEffect* effect)
{
    const auto at = std::find(m_effects.begin(), m_effects.end(), effect);
    if (at != m_effects.end())
        m_effects.erase(at);
}

ZrParticleEffect* ZrParticleScene::GetEffect(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_effects.size()))
        return nullptr;
    return m_effects[static_cast<size_t>(index)];
}

void ZrParticleScene::SetThreadCount(int count)
{
    const int threads = Resolve(count);
    if (threads == m_nThreads)
        return;
    m_nThreads = threads;
    m_pool.reset();
}

void ZrParticleScene::Update(double dt) { Run(dt, &ZrParticleEffect::Update, nullptr); }

void ZrParticleScene::AfterRender(double dt) { Run(dt, &ZrParticleEffect::AfterRender, nullptr); }

void ZrParticleScene::Frame(double dt) { Run(dt, &ZrParticleEffect::Update, &ZrParticleEffect::AfterRender); }

void ZrParticleScene::Run(double dt, Step first, Step second)
{
    auto step = [dt, first, second](ZrParticleEffect* effect) {
        (effect->*first)(dt);
        if (second != nullptr)
            (effect->*second)(dt);
    };
    m_own.clear();
    m_shared.clear();
    if (m_nThreads > 1) {
        for (ZrParticleEffect* effect : m_effects)
            (effect->HasRandomStream() ? m_own : m_shared).push_back(effect);
    }
    if (m_own.size() < 2) {
        // Nothing to share out: every effect in order on this thread.
        for (ZrParticleEffect* effect : m_effects)
            step(effect);
        return;
    }
    if (!m_pool)
        m_pool.reset(new Pool(m_nThreads));
    // Keys of the race detector's hand-overs: frame start and frame end.
    char handOver[2];
    Publish(&handOver[0]);
    m_pool->arena.execute([&] {
        // The effects with their own stream in runs of neighbours, several
        // runs a thread so that a thread that finishes early takes over work;
        // the pool's threads start on them while this thread runs the others
        // in order, then joins the pool. (Plain tasks of a group rather than
        // a parallel loop: the loop's bookkeeping on this thread's stack is
        // finished by other threads in ways the race detector cannot follow,
        // while the group's own completion count it can.)
        tbb::task_group group;
        const size_t count = m_own.size();
        const size_t runs = std::min(count, static_cast<size_t>(m_nThreads) * kRunsPerThread);
        for (size_t r = 0; r < runs; ++r) {
            const size_t begin = count * r / runs, end = count * (r + 1) / runs;
            group.run([&, begin, end] {
                Receive(&handOver[0]);
                for (size_t i = begin; i < end; ++i)
                    step(m_own[i]);
                Publish(&handOver[1]);
            });
        }
        try {
            for (ZrParticleEffect* effect : m_shared)
                step(effect);
        } catch (...) {
            group.wait();
            throw;
        }
        group.wait();
    });
    Receive(&handOver[1]);
}

} // namespace ZRC
