#include "NbTestSupport.h"
#include "ZrCacheFile.h"
#include "ZrDocumentValues.h"
#include "ZrMarkup.h"
#include "ZrParticle.h"
#include "ZrParticleEffect.h"
#include "ZrParticleEffectManager.h"
#include "ZrParticleSystem.h"

#include <climits>
#include <cmath>
#include <thread>

using namespace ZRC;

namespace {

// One system whose every number is v (-v for the ends of ranges).
std::string HostileEffect(const std::string& counter, const std::string& count, const std::string& life,
                          const std::string& v)
{
    auto el = [](const std::string& name, const std::string& text) { return "<" + name + ">" + text + "</" + name + ">"; };
    auto range = [&](const std::string& a, const std::string& b) { return el(a, v) + el(b, "-" + v); };
    return "<QuenmarParticleEffect><ParticleSystem><Emitter><EmitterType>CommonEmitter</EmitterType>" +
           el("Counter", el("CounterType", counter) + el("NumPerSecond", count)) +
           el("Placer", "<PlacerType>ScrewPlacer</PlacerType><Position>" + el("Position:X", v) + "</Position><RoundTime>0"
                        "</RoundTime>" + el("AngleSpeed", v) + el("ForwordSpeed", v) + el("Radius", v)) +
           el("Shooter", "<ShooterType>RadialShooter</ShooterType>" + range("SpeedRangeStart", "SpeedRangeEnd")) +
           el("ParticleTemple", range("SizeRangeStart", "SizeRangeEnd") + range("AlphaRangeStart", "AlphaRangeEnd") +
                                    el("ColorRangeStart", el("ColorRangeStart:R", v)) + el("LifeTime", life) + el("Radius", v)) +
           "</Emitter>" + el("Influence", "<InfluenceType>WindInfluence</InfluenceType>" + el("Speed", v) + el("Density", v)) +
           el("Influence", "<InfluenceType>RandomWind</InfluenceType>" + range("SpeedStart", "SpeedEnd") + el("Density", v)) +
           el("Influence", "<InfluenceType>AccelInfluence</InfluenceType>" + el("Accel", el("AccelDirection:X", v) + el("AccelSize", v))) +
           "</ParticleSystem></QuenmarParticleEffect>";
}
std::string Chain(int depth) { return depth > 0 ? "<e>" + Chain(depth - 1) + "</e>" : "x"; }
bool Finite(const ZrVector3d& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

struct TotalBudget {   // restores the process-wide budget
    explicit TotalBudget(long long count) { ZrParticleSystem::SetMaxTotalParticleNum(count); }
    ~TotalBudget() { ZrParticleSystem::SetMaxTotalParticleNum(ZrParticleSystem::kDefaultMaxTotalParticleNum); }
};

} // namespace

// Huge counts, immortal or non-finite lives, numbers at or past the float limits,
// 300 frames at extreme steps: pools stop at the budget, particles stay finite.
TEST(UntrustedInput, HostileDocumentsStayWithinBudgetAndFinite)
{
    nbtest::TempDir dir;
    const TotalBudget budget(3000);
    const char* const values[] = {"nan", "inf", "1e308", "3.4e38", "1e36"};
    const char* const lives[] = {"0", "-1", "nan", "inf", "1"};
    const double steps[] = {1e-6, 1e6, NAN, INFINITY};
    for (int i = 0; i < 5; ++i) {
        const std::string path = dir.Write("h.par", HostileEffect(i % 2 ? "FadeCounter" : "CommonCounter",
                                                                  i % 2 ? "2147483647" : "2000000000", lives[i], values[i]));
        for (double dt : steps) {
            SCOPED_TRACE(std::string(values[i]) + " life " + lives[i] + " dt " + std::to_string(dt));
            ZrParticleEffect effect;
            ASSERT_EQ(effect.FromXML(path.c_str()), 1);
            ZrParticleSystem* system = effect.GetParticleSystem(0);
            for (int frame = 0; frame < 300; ++frame)
                effect.Update(dt), effect.AfterRender(dt);
            EXPECT_GT(system->GetParticleNum(), 0);
            EXPECT_LE(ZrParticleSystem::GetTotalParticleNum(), 3000);
            for (int p = 0; p < system->GetParticleNum(); ++p) {
                const ZrParticle& q = *system->GetParticle(p);
                const ZrVector4d c = q.GetCurColor();
                ASSERT_TRUE(Finite(q.GetCurPos()) && Finite(q.GetVelocity()) && std::isfinite(q.GetCurSize()) &&
                            std::isfinite(q.GetCurAlpha() + c.x + c.y + c.z + c.w)) << "particle " << p;
            }
        }
    }
}

TEST(UntrustedInput, PoolBudgetsRefuseSlotsAndKeepReuse)
{
    ZrParticleSystem a;
    a.SetMaxParticleNum(2);
    EXPECT_TRUE(a.CreateParticle(nullptr) && a.CreateParticle(nullptr) && !a.CreateParticle(nullptr));
    a.CollectDeadparticle(1);
    EXPECT_EQ(a.CreateParticle(nullptr), a.GetParticle(1));
    for (long long count : {1LL, -1LL}) {
        ZrParticleSystem::SetMaxTotalParticleNum(count);
        EXPECT_EQ(ZrParticleSystem::GetMaxTotalParticleNum(), count > 0 ? count : 0);
    }
    const TotalBudget budget(ZrParticleSystem::GetTotalParticleNum() + 3);
    EXPECT_EQ(ZrParticleSystem::GetMaxTotalParticleNum(), ZrParticleSystem::GetTotalParticleNum() + 3);
    ZrParticleSystem b, c(a);   // the copy's pool of 2 counts; it keeps a's budget
    EXPECT_TRUE(c.GetMaxParticleNum() == 2 && b.CreateParticle(nullptr) && !b.CreateParticle(nullptr));
}

// The protocol of the header: lookup and AddRef, DecRef and removal, each
// under Lock. Removals race shared requests; none frees an effect a holder
// still uses (AddressSanitizer and ThreadSanitizer watch).
TEST(ManagerProtocol, LockedSharingNeverFreesAnEffectInUse)
{
    nbtest::TempDir dir;
    const std::string path = dir.Write("fire.par", HostileEffect("CommonCounter", "5", "1", "1"));
    ZrParticleEffectManager manager;
    manager.Lock();   // re-entrant: the holder may read through the manager
    EXPECT_NE(manager.GetParticleEffect(path.c_str(), 1), nullptr);
    manager.Unlock();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 150; ++i) {
                manager.Lock();
                ZrParticleEffect* effect = manager.GetParticleEffect(path.c_str(), 1);
                effect->AddRef();
                manager.Unlock();
                EXPECT_EQ(effect->GetParticleSystemNum(), 1);
                manager.Lock();
                effect->DecRef();
                manager.RemoveParticleEffect(effect);
                manager.Unlock();
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
}

TEST(Limits, MarkupDepthAndSizeAndLinearSubDocs)
{
    const int max = static_cast<int>(ZrMarkup::kMaxDepth);
    ZrMarkup deep, host("<R><S/></R>");
    EXPECT_EQ(deep.SetDoc(Chain(max + 1).c_str()), 0);
    EXPECT_TRUE(host.FindElem("R") && !host.AddSubDoc(Chain(max + 1).c_str(), 0, 1));
    // At the limit it reads; sub-documents hold their content without indentation.
    const std::string chain = Chain(max - 1);
    ZrMarkup ok(("<R>" + chain + "</R>").c_str());
    ASSERT_TRUE(ok.FindElem("R") && ok.FindChildElem("e"));
    EXPECT_EQ(std::string(ok.GetChildSubDoc().Str()), chain);
    ASSERT_EQ(ok.IntoElem(), 1);
    EXPECT_EQ(std::string(ok.GetSubDoc().Str()), chain);
    const std::string big = "<a>" + std::string(ZrMarkup::kMaxDocumentSize, 'x') + "</a>";
    EXPECT_EQ(deep.SetDoc(big.c_str()), 0);
    nbtest::TempDir dir;
    EXPECT_EQ(deep.Load(dir.Write("big.par", big).c_str()), 0);
    EXPECT_EQ(deep.Load(dir.Write("ok.par", chain).c_str()), 1);
}

TEST(Limits, DocumentNumbersMustBeFiniteAndFit)
{
    const std::pair<const char*, double> cases[] = {{"1.5", 1.5}, {"3.4e38", 3.4e38}, {"3.5e38", 0.0}, {"-1e308", 0.0},
                                                    {"1e400", 0.0}, {"nan", 0.0},      {"-inf", 0.0},   {"abc", 0.0}};
    for (const auto& c : cases)
        EXPECT_EQ(ZrDocumentValues::ParseNumber(c.first), c.second) << c.first;
    EXPECT_EQ(ZrDocumentValues::ParseNumber("2e36", 1e36), 0.0);
    EXPECT_EQ(ZrDocumentValues::ParseWholeNumber("99999999999"), INT_MAX);
    EXPECT_EQ(ZrDocumentValues::ParseWholeNumber("-99999999999"), INT_MIN);
    // A life time read in seconds is handed out in milliseconds, saturated.
    const std::pair<const char*, int> lives[] = {{"0.1", 100}, {"2000000", 2000000000}, {"2147484", INT_MAX},
                                                 {"1e38", INT_MAX}, {"-3e6", INT_MIN}, {"-1e38", INT_MIN}};
    for (const auto& life : lives) {
        ZrParticleEffect effect;
        nbtest::TempDir dir;
        ASSERT_EQ(effect.FromXML(dir.Write("l.par", HostileEffect("CommonCounter", "1", life.first, "1")).c_str()), 1);
        ZrParticleSystem* system = effect.GetParticleSystem(0);
        EXPECT_EQ(system->GetLifeTime(), life.second) << life.first;
        effect.Update(0.1);
        EXPECT_EQ(system->GetParticle(0)->GetLifeTime(), life.second) << life.first;
    }
}

// A read never holds more than its limit, whatever the method; the reads kept
// with an index stay within 4 MiB in all; a container that changed is read
// afresh though its index is kept between opens.
TEST(Limits, ContainerReadsAreCappedAndChangesSeen)
{
    nbtest::TempDir dir;
    const std::string path = dir / "c.sc", pad(1 << 16, 'p');
    nbtest::WriteZip(path, {{"a", "a", false, ZIP_CM_STORE}, {"pad", pad, false, ZIP_CM_STORE}, {"b", "b", false, ZIP_CM_STORE},
                            {"pad2", pad, false, ZIP_CM_STORE}, {"bomb", std::string(2u << 20, 'z'), false, ZIP_CM_BZIP2},
                            {"big", std::string((2u << 20) - 58, 0), false, ZIP_CM_BZIP2}, {"fire", "one", false}});
    ZrCacheFile cache;
    ZrByteArray out;
    ASSERT_EQ(cache.Open(path.c_str(), "5KPOV"), 0);
    EXPECT_EQ(cache.ReadFile("bomb", out, 1048576), ZrCacheFile::kTooLarge);
    EXPECT_EQ(cache.ReadFile("bomb", out, 4u << 20), 0);
    EXPECT_EQ(cache.ReadFile("bomb", out, 1048576), ZrCacheFile::kTooLarge);   // also once remembered
    // a, b and bomb are remembered: damaged in place, they read as before while what is kept (each read
    // and its 14-byte frame) fills 4 MiB exactly, until one more read pushes them out.
    auto first = [&](const char* name) { return cache.ReadFile(name, out) == 0 ? char(out.GetData()[14]) : '!'; };
    std::string seen = {first("a"), first("b")}, bytes = nbtest::ReadFile(path);
    bytes[nbtest::EntryData(bytes, "a")] = 'A', bytes[nbtest::EntryData(bytes, "b")] = 'B';   // their CRCs no longer hold
    bytes[nbtest::EntryData(bytes, "bomb") + 20] ^= 0x55;
    dir.Write("c.sc", bytes);
    seen += first("bomb");
    for (const char* more : {"big", "fire"})
        seen += {first("a"), first("b"), cache.ReadFile(more, out) == 0 ? '+' : '!'};
    EXPECT_EQ(seen + first("a") + first("b"), "abzab+ab+!!");
    nbtest::WriteZip(path, {{"fire", "two", false}});
    ZrCacheFile again;
    ASSERT_EQ(again.Open(path.c_str(), "5KPOV"), 0);
    EXPECT_EQ(again.GetEntryCount(), 1);
    EXPECT_EQ(cache.GetEntryCount(), 7);   // an object still open keeps the old index
}
