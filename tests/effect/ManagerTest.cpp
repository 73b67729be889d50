#include "NbTestSupport.h"
#include "ZrByteArray.h"
#include "ZrCacheFile.h"
#include "ZrFile.h"
#include "ZrParticleEffect.h"
#include "ZrParticleEffectManager.h"
#include "ZrParticleResource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace ZRC;

namespace {

class Manager : public ::testing::Test {
protected:
    std::string Effect(const std::string& file, const char* type)
    {
        return m_dir.Write(file, std::string("<QuenmarParticleEffect><EffectType>") + type +
                                     "</EffectType><ParticleSystem/></QuenmarParticleEffect>");
    }
    nbtest::SceneFolder m_scene;
    const nbtest::TempDir& m_dir = m_scene.Dir();
    ZrParticleEffectManager manager;
};

} // namespace

TEST_F(Manager, SharedRequestsShareOneCachedEffectUntilRemoved)
{
    const std::string path = m_dir / "fire.par";
    EXPECT_EQ(manager.GetParticleEffect(path.c_str(), 1), nullptr);   // a failed request caches nothing
    Effect("fire.par", "FireEffect");
    ZrParticleEffect* first = manager.GetParticleEffect(path.c_str(), 1);
    ASSERT_NE(first, nullptr);
    std::remove(path.c_str());   // the second request must not read again
    EXPECT_EQ(manager.GetParticleEffect(path.c_str(), 1), first);
    EXPECT_EQ(first->GetRef(), 0);
    first->AddRef();
    manager.RemoveParticleEffect(first);   // still referenced: stays cached
    manager.RemoveParticleEffect(nullptr);
    EXPECT_EQ(manager.GetParticleEffect(path.c_str(), 1), first);
    first->DecRef();
    Effect("fire.par", "SmokeEffect");
    manager.RemoveParticleEffect(first);   // gone: the next request reads anew
    ZrParticleEffect* next = manager.GetParticleEffect(path.c_str(), 1);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->GetType(), SmokeEffect);

    // Unshared requests never touch the cache and stay the caller's.
    std::unique_ptr<ZrParticleEffect> own(manager.GetParticleEffect(path.c_str(), 0));
    EXPECT_NE(own.get(), next);
    manager.RemoveParticleEffect(own.get());
    EXPECT_EQ(manager.GetParticleEffect(path.c_str(), 1), next);
    Effect("fire.par", "SnowEffect");
    manager.Release();
    EXPECT_EQ(own->GetType(), SmokeEffect);
    EXPECT_EQ(manager.GetParticleEffect(path.c_str(), 1)->GetType(), SnowEffect);
}

TEST_F(Manager, ConcurrentSharedRequestsGetOneEffect)
{
    const int kThreads = 8;
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i)
        paths.push_back(Effect("t" + std::to_string(i) + ".par", "ExplodeEffect"));
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
            ASSERT_NE(got[0][i], nullptr);
            for (int t = 0; t < kThreads; ++t)
                EXPECT_EQ(got[t][i], manager.GetParticleEffect(paths[i].c_str(), 1)) << t << " " << i;
        }
        manager.Release();
    }
}

TEST_F(Manager, LockAndUnlockAroundCacheWork)
{
    const std::string path = Effect("l.par", "FireEffect");
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

TEST(ParticleResource, ContainerPathAndReadsOfWhatDecompressionProduced)
{
    const std::string module = ZrFile::GetModulePath("NbBase").Str();
    EXPECT_EQ(ZrParticleResource::GetContainerPath().Str(), module + "./Resource/particle/particle.sc");
    nbtest::SceneFolder scene;
    EXPECT_EQ(ZrParticleResource::GetContainerPath().Str(), scene.Dir().Folder() + "./particle/particle.sc");
    // Only what decompression produced, up to the capacity; "!" and the result
    // for a failed read, which leaves nothing.
    auto read = [](const char* name) {
        ZrByteArray out, again;
        out.Add(reinterpret_cast<const unsigned char*>("stale"), 5);
        const int result = ZrParticleResource::Read(name, 10240, out);
        EXPECT_EQ(ZrParticleResource::ReadEntry(name, 10240, again), result == 0 ? 1 : 0);
        return result == 0 ? std::string(reinterpret_cast<const char*>(out.GetData()), static_cast<size_t>(out.GetSize()))
                           : "!" + std::string(ZrCacheFile::Describe(result)) + (out.GetSize() == 0 ? "" : "stale");
    };
    EXPECT_EQ(read("a"), "!no such file");   // no container yet
    scene.Container({{"a", "hello", true}, {"b", std::string(10241, 'x'), false}, {"c", std::string(10240, 'y'), false}});
    EXPECT_EQ(read("a") + read("a") + read("A") + read("b"), "hellohello!no such entry!too large");   // each read opens the container again
    EXPECT_EQ(read("c"), std::string(10240, 'y'));
    scene.Dir().Write("particle/particle.sc", "PK\x03\x04 not really a zip");
    EXPECT_EQ(read("a"), "!not a zip archive");
}
