// Hostile and careless effect documents against the budgets and the
// finite-value guards, and the manager's locking protocol with real threads.
#include "NbTestSupport.h"
#include "ZrParticle.h"
#include "ZrParticleEffect.h"
#include "ZrParticleEffectManager.h"
#include "ZrParticleSystem.h"

#include <cmath>
#include <thread>

using namespace ZRC;

namespace {

// One system whose every number is v (its negation for the ends of ranges).
std::string HostileEffect(const std::string& counter, const std::string& count, const std::string& life,
                          const std::string& v)
{
    const std::string n = "-" + v;
    auto el = [](const std::string& name, const std::string& text) { return "<" + name + ">" + text + "</" + name + ">"; };
    return "<QuenmarParticleEffect><ParticleSystem><Emitter>" + el("EmitterType", "CommonEmitter") +
           el("Counter", el("CounterType", counter) + el("NumPerSecond", count)) +
           el("Placer", el("PlacerType", "ScrewPlacer") + el("Position", el("Position:X", v)) + el("RoundTime", "0") +
                            el("AngleSpeed", v) + el("ForwordSpeed", v) + el("Radius", v)) +
           el("Shooter", el("ShooterType", "RadialShooter") + el("SpeedRangeStart", v) + el("SpeedRangeEnd", n)) +
           el("ParticleTemple", el("SizeRangeStart", v) + el("SizeRangeEnd", n) + el("AlphaRangeStart", v) +
                                    el("AlphaRangeEnd", n) + el("ColorRangeStart", el("ColorRangeStart:R", v)) +
                                    el("ColorRangeEnd", el("ColorRangeEnd:R", n)) + el("LifeTime", life) +
                                    el("Radius", v)) +
           "</Emitter>" +
           el("Influence", el("InfluenceType", "WindInfluence") + el("Speed", v) + el("VisCosity", v) + el("Density", v)) +
           el("Influence", el("InfluenceType", "RandomWind") + el("SpeedStart", v) + el("SpeedEnd", n) + el("Density", v)) +
           el("Influence", el("InfluenceType", "AccelInfluence") +
                               el("Accel", el("AccelDirection:X", v) + el("AccelSize", v))) +
           "</ParticleSystem></QuenmarParticleEffect>";
}

bool Finite(const ZrVector3d& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Restores the process-wide budget when a test ends.
struct TotalBudget {
    explicit TotalBudget(long long count) { ZrParticleSystem::SetMaxTotalParticleNum(count); }
    ~TotalBudget() { ZrParticleSystem::SetMaxTotalParticleNum(ZrParticleSystem::kDefaultMaxTotalParticleNum); }
};

} // namespace

// Huge counts, immortal or non-finite life times and numbers at or past the
// float limits, run for 300 frames at extreme steps: the pool stops at its
// budget and every particle the host reads stays finite.
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
            for (int frame = 0; frame < 300; ++frame) {
                effect.Update(dt);
                effect.AfterRender(dt);
            }
            EXPECT_GT(system->GetParticleNum(), 0);
            EXPECT_LE(ZrParticleSystem::GetTotalParticleNum(), 3000);
            for (int p = 0; p < system->GetParticleNum(); ++p) {
                const ZrParticle& q = *system->GetParticle(p);
                const ZrVector4d c = q.GetCurColor();
                ASSERT_TRUE(Finite(q.GetCurPos()) && Finite(q.GetVelocity()) && std::isfinite(q.GetCurSize()) &&
                            std::isfinite(q.GetCurAlpha()) && std::isfinite(c.x) && std::isfinite(c.w))
                    << "particle " << p;
            }
        }
    }
}

TEST(UntrustedInput, PoolBudgetsRefuseSlotsAndKeepReuse)
{
    ZrParticleSystem a;
    a.SetMaxParticleNum(3);
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(a.CreateParticle(nullptr), nullptr);
    EXPECT_EQ(a.CreateParticle(nullptr), nullptr);
    a.CollectDeadparticle(1);
    EXPECT_EQ(a.CreateParticle(nullptr), a.GetParticle(1));

    const TotalBudget budget(ZrParticleSystem::GetTotalParticleNum() + 4);
    ZrParticleSystem b;
    ZrParticleSystem c(a);   // a copy holds a pool of 3: it counts, and keeps a's budget
    EXPECT_EQ(c.GetMaxParticleNum(), 3);
    EXPECT_NE(b.CreateParticle(nullptr), nullptr);
    EXPECT_EQ(b.CreateParticle(nullptr), nullptr);
}

// The protocol of the header: lookup and AddRef, DecRef and removal, each
// pair under Lock. Removals race shared requests; none frees an effect a
// holder still uses (AddressSanitizer and ThreadSanitizer watch).
TEST(ManagerProtocol, LockedSharingNeverFreesAnEffectInUse)
{
    nbtest::TempDir dir;
    const std::string path = dir.Write("fire.par", HostileEffect("CommonCounter", "5", "1", "1"));
    ZrParticleEffectManager manager;
    manager.Lock();
    manager.Lock();   // re-entrant: the same thread may take it again and read through it
    EXPECT_NE(manager.GetParticleEffect(path.c_str(), 1), nullptr);
    manager.Unlock();
    manager.Unlock();

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 150; ++i) {
                manager.Lock();
                ZrParticleEffect* effect = manager.GetParticleEffect(path.c_str(), 1);
                if (effect)
                    effect->AddRef();
                manager.Unlock();
                ASSERT_NE(effect, nullptr);
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
