#include "NbTestSupport.h"
#include "ZrByteArray.h"
#include "ZrFile.h"
#include "ZrParticleEffect.h"
#include "ZrParticleEffectManager.h"
#include "ZrParticleResource.h"
#include "ZrParticleSystem.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace ZRC;
using VEXA::VexaString;

namespace {

std::string Doc(const char* type)
{
    return std::string("<QuenmarParticleEffect><EffectType>") + type +
           "</EffectType><ParticleSystem/></QuenmarParticleEffect>";
}

class Manager : public ::testing::Test {
protected:
    std::string Effect(const char* file, const char* type) { return m_dir.Write(file, Doc(type)); }

    nbtest::SceneFolder m_scene;
    const nbtest::TempDir& m_dir = m_scene.Dir();
};

} // namespace

TEST_F(Manager, SharedRequestsShareOneEffect)
{
    const std::string path = Effect("fire.par", "FireEffect");
    ZrParticleEffectManager manager;
    ZrParticleEffect* first = manager.GetParticleEffect(path.c_str(), 1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetRef(), 0);
    std::remove(path.c_str()); // the second request must not read again
    EXPECT_EQ(manager.GetParticleEffect(path.c_str(), 1), first);
    EXPECT_EQ(first->GetRef(), 0);
}

TEST_F(Manager, UnsharedRequestsNeverTouchTheCache)
{
    const std::string path = Effect("smoke.par", "SmokeEffect");
    ZrParticleEffectManager manager;
    ZrParticleEffect* own = manager.GetParticleEffect(path.c_str(), 0);
    ZrParticleEffect* shared = manager.GetParticleEffect(path.c_str(), 1);
    ZrParticleEffect* again = manager.GetParticleEffect(path.c_str(), 0);
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, shared);
    EXPECT_NE(again, shared);
    EXPECT_EQ(manager.GetParticleEffect(path.c_str(), 1), shared);
    manager.Release();
    // Still ours after the cache was emptied.
    EXPECT_EQ(own->GetType(), SmokeEffect);
    delete own;
    delete again;
}

TEST_F(Manager, FailedRequestCachesNothing)
{
    const std::string path = (m_dir / "later.par");
    ZrParticleEffectManager manager;
    EXPECT_EQ(manager.GetParticleEffect(path.c_str(), 1), nullptr);
    Effect("later.par", "RainEffect");
    ZrParticleEffect* e = manager.GetParticleEffect(path.c_str(), 1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->GetType(), RainEffect);
}

TEST_F(Manager, ReleaseEmptiesTheCache)
{
    const std::string path = Effect("e.par", "FireEffect");
    ZrParticleEffectManager manager;
    manager.Release();
    ASSERT_NE(manager.GetParticleEffect(path.c_str(), 1), nullptr);
    manager.Release();
    Effect("e.par", "SnowEffect");
    ZrParticleEffect* fresh = manager.GetParticleEffect(path.c_str(), 1);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->GetType(), SnowEffect);
    std::unique_ptr<ZrParticleEffect> made(ZrParticleEffectManager::ParticleEffectFactory(FountainEffect));
    EXPECT_EQ(made->GetType(), FountainEffect);
    EXPECT_EQ(manager.GetParticleEffect(path.c_str(), 1), fresh);
}

TEST_F(Manager, RemoveDeletesUnreferencedCachedEffects)
{
    const std::string path = Effect("r.par", "FireEffect");
    ZrParticleEffectManager manager;
    manager.RemoveParticleEffect(nullptr);

    ZrParticleEffect* held = manager.GetParticleEffect(path.c_str(), 1);
    held->AddRef();
    manager.RemoveParticleEffect(held); // still referenced: stays cached
    EXPECT_EQ(manager.GetParticleEffect(path.c_str(), 1), held);
    held->DecRef();

    Effect("r.par", "SmokeEffect");
    manager.RemoveParticleEffect(held); // gone: the next request reads anew
    ZrParticleEffect* next = manager.GetParticleEffect(path.c_str(), 1);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->GetType(), SmokeEffect);

    // An effect the cache does not hold is left to its owner.
    ZrParticleEffect* own = manager.GetParticleEffect(path.c_str(), 0);
    manager.RemoveParticleEffect(own);
    EXPECT_EQ(own->GetType(), SmokeEffect);
    delete own;
    EXPECT_EQ(manager.GetParticleEffect(path.c_str(), 1), next);
}

TEST_F(Manager, ConcurrentSharedRequestsGetOneEffect)
{
    const int kThreads = 8;
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i)
        paths.push_back(Effect(("t" + std::to_string(i) + ".par").c_str(), "ExplodeEffect"));
    ZrParticleEffectManager manager;
    for (int round = 0; round < 20; ++round) {
        std::atomic<int> ready(0);
        std::vector<std::vector<ZrParticleEffect*>> got(kThreads);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                ++ready;
                while (ready.load() < kThreads) {
                }
                for (const std::string& p : paths)
                    got[t].push_back(manager.GetParticleEffect(p.c_str(), 1));
            });
        }
        for (std::thread& th : threads)
            th.join();
        for (size_t i = 0; i < paths.size(); ++i) {
            ZrParticleEffect* cached = manager.GetParticleEffect(paths[i].c_str(), 1);
            ASSERT_NE(cached, nullptr);
            for (int t = 0; t < kThreads; ++t)
                EXPECT_EQ(got[t][i], cached) << "thread " << t << " path " << i;
        }
        manager.Release();
    }
}

TEST_F(Manager, LockAndUnlockAroundCacheWork)
{
    const std::string path = Effect("l.par", "FireEffect");
    ZrParticleEffectManager manager;
    manager.Lock();
    std::atomic<bool> done(false);
    std::thread other([&] {
        manager.GetParticleEffect(path.c_str(), 1);
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // Reading happens outside the mutex; only the insertion waits for Unlock.
    EXPECT_FALSE(done.load());
    manager.Unlock();
    other.join();
    EXPECT_TRUE(done.load());
}

// Resource container ---------------------------------------------------------

TEST(ParticleResource, ContainerPathRule)
{
    ZrCommon3D::ms_strSceneResFoloderPath = "F";
    EXPECT_STREQ(ZrParticleResource::GetContainerPath(), "F./particle/particle.sc");
    ZrCommon3D::ms_strSceneResFoloderPath = "";
    const std::string module = ZrFile::GetModulePath("NbBase").Str();
    EXPECT_FALSE(module.empty());
    EXPECT_EQ(ZrParticleResource::GetContainerPath().Str(), module + "./Resource/particle/particle.sc");
}

TEST(ParticleResource, ReadsUseOnlyWhatDecompressionProduced)
{
    nbtest::SceneFolder scene;
    ZrByteArray out;
    EXPECT_EQ(ZrParticleResource::ReadEntry("a", 10240, out), 0); // no container yet
    scene.Container({{"a", "hello", true}, {"b", std::string(10241, 'x'), false}, {"c", std::string(10240, 'y'), false}});
    EXPECT_EQ(ZrParticleResource::ReadEntry("a", 10240, out), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.GetData()), static_cast<size_t>(out.GetSize())), "hello");
    EXPECT_EQ(ZrParticleResource::ReadEntry("a", 10240, out), 1); // a second read opens it again
    EXPECT_EQ(ZrParticleResource::ReadEntry("A", 10240, out), 0);
    EXPECT_EQ(out.GetSize(), 0);
    EXPECT_EQ(ZrParticleResource::ReadEntry("b", 10240, out), 0);
    EXPECT_EQ(ZrParticleResource::ReadEntry("c", 10240, out), 1);
    EXPECT_EQ(out.GetSize(), 10240);

    scene.Dir().Write("particle/particle.sc", "PK\x03\x04 not really a zip");
    EXPECT_EQ(ZrParticleResource::ReadEntry("a", 10240, out), 0);
}
