#include "EmissionTestSupport.h"
#include "ZrCommonEmitter.h"
#include "ZrFadeCounter.h"
#include "ZrParticleSystem.h"
#include "ZrPointPlacer.h"
#include "ZrSingleShooter.h"

#include <memory>
#include <string>
#include <vector>

using namespace ZRC;
using namespace emission_test;
using ::testing::_;
using ::testing::Return;

namespace {

// Lets a test hand strategies to an emitter directly; the emitter owns them.
class TestEmitter : public ZrCommonEmitter {
public:
    void Install(ZrCounter* counter, ZrPlacer* placer, ZrShooter* shooter)
    {
        delete m_pCounter;
        delete m_pPlacer;
        delete m_pShooter;
        m_pCounter = counter;
        m_pPlacer = placer;
        m_pShooter = shooter;
    }
};

// Claims the common emitter's type code without being one.
class ForeignEmitter : public ZrEmitter {
public:
    int GetType() const override { return 1; }
    void Emit(double) override {}
    unsigned char FromXML(VEXA::VexaString&) override { return 1; }
    unsigned char ToXML(VEXA::VexaString&) override { return 1; }
};

// The element names of the emitter's children in a written document.
std::string Children(const std::string& text)
{
    std::string names;
    for (size_t at = text.find("\n\t<"); at != std::string::npos; at = text.find("\n\t<", at + 1))
        if (text[at + 3] != '/')
            names += text.substr(at + 3, text.find_first_of(">/ ", at + 3) - at - 3) + " ";
    return names;
}

const char* const kCounter = "<Counter><CounterType>CommonCounter</CounterType><NumPerSecond>20</NumPerSecond></Counter>";
const char* const kPlacer = "<Placer><PlacerType>PointPlacer</PlacerType><Position><Position:X>1</Position:X>"
                            "<Position:Y>2</Position:Y><Position:Z>3</Position:Z></Position></Placer>";
const char* const kShooter = "<Shooter><ShooterType>SingleShooter</ShooterType><SpeedRangeStart>3</SpeedRangeStart>"
                             "<SpeedRangeEnd>3</SpeedRangeEnd></Shooter>";
const char* const kTemplate = "<ParticleTemple><LifeTime>3.5</LifeTime></ParticleTemple>";

unsigned char Read(ZrCommonEmitter& emitter, const std::string& inner)
{
    VEXA::VexaString text(("<Emitter>" + inner + "</Emitter>").c_str());
    return emitter.FromXML(text);
}

} // namespace

TEST(Emitter, PlacesThenShootsEachCountedParticle)
{
    ZrParticleSystem system;
    TestEmitter emitter;
    emitter.SetParticleSystem(&system);
    auto* counter = new MockCounter();
    auto* placer = new MockPlacer();
    auto* shooter = new MockShooter();
    std::vector<ZrParticle*> placed, shot;
    EXPECT_CALL(*counter, GetCount(0.04)).WillOnce(Return(3)).WillOnce(Return(0)).WillOnce(Return(-4));
    {
        testing::InSequence order;
        for (int i = 0; i < 3; ++i) {
            EXPECT_CALL(*placer, Place(_, 0.04)).WillOnce([&](ZrParticle* p, double) { placed.push_back(p); });
            EXPECT_CALL(*shooter, Shoot(_, 0.04)).WillOnce([&](ZrParticle* p, double) { shot.push_back(p); });
        }
    }
    emitter.Install(counter, placer, shooter);
    for (int i = 0; i < 3; ++i)
        emitter.Emit(0.04);
    EXPECT_EQ(system.GetParticleNum(), 3);
    EXPECT_EQ(placed, shot);

    // Without a running system or any one strategy the counter is not asked,
    // so that a one-shot burst waits while the system is frozen or dead.
    ZrParticleSystem halted;
    for (int missing = 0; missing < 6; ++missing) {
        TestEmitter incomplete;
        halted.SetFrozen(missing == 4);
        halted.SetAvlive(missing != 5);
        if (missing != 0)
            incomplete.SetParticleSystem(missing < 4 ? &system : &halted);
        auto* asked = new MockCounter();
        EXPECT_CALL(*asked, GetCount(_)).Times(0);
        incomplete.Install(asked, missing == 1 ? nullptr : new ZrPointPlacer(), missing == 2 ? nullptr : new ZrSingleShooter());
        if (missing == 3)
            incomplete.Install(nullptr, new MockPlacer(), new ZrSingleShooter());
        incomplete.Emit(0.1);
    }
}

TEST(Emitter, TypeTextsPickTheClassesAndRoundTrip)
{
    const char* counters[] = {"CommonCounter", "FadeCounter"};
    const char* placers[] = {"BoxPlacer", "PointPlacer", "PolygonPlacer", "RegionPlacer", "ScrewPlacer"};
    const char* shooters[] = {"RadialShooter", "SingleShooter"};
    for (int p = 0; p < 5; ++p) { // every counter with every shooter, and each placer
        const int c = p % 2, s = p / 2 % 2;
        SCOPED_TRACE(std::string(counters[c]) + placers[p] + shooters[s]);
        ZrCommonEmitter first;
        ASSERT_EQ(Read(first, std::string("<Counter><CounterType>") + counters[c] +
                                  "</CounterType><NumPerSecond>7</NumPerSecond></Counter><Placer><PlacerType>" +
                                  placers[p] + "</PlacerType><Position><Position:X>1.5</Position:X></Position>" +
                                  "</Placer><Shooter><SpeedRangeEnd>9</SpeedRangeEnd><ShooterType>" + shooters[s] +
                                  "</ShooterType></Shooter>" + kTemplate), 1);
        EXPECT_EQ(first.GetCounter()->GetType(), c + 1);
        EXPECT_EQ(first.GetPlacer()->GetType(), p + 1);
        EXPECT_EQ(first.GetShooter()->GetType(), s + 1);
        const std::string written = Xml(first);
        EXPECT_EQ(Children(written), "EmitterType Counter Placer Shooter ParticleTemple ");
        ZrCommonEmitter second;
        VEXA::VexaString text(written.c_str());
        ASSERT_EQ(second.FromXML(text), 1);
        EXPECT_EQ(Xml(second), written);
        EXPECT_EQ(second.GetPlacer()->GetPosition().x, 1.5);
    }
    // Unknown or differently cased names create nothing.
    ZrCommonEmitter emitter;
    ASSERT_EQ(Read(emitter, "<Counter><CounterType>fadecounter</CounterType></Counter><Placer><PlacerType>"
                            "pointplacer</PlacerType></Placer><Shooter><NumPerSecond>1</NumPerSecond></Shooter>"), 1);
    EXPECT_EQ(Children(Xml(emitter)), "EmitterType ParticleTemple ");
}

TEST(Emitter, DocumentOrderRefusalsAndFailingParts)
{
    ZrCommonEmitter emitter;
    ASSERT_EQ(Read(emitter, kCounter), 1);
    ZrCounter* before = emitter.GetCounter();
    // Refused: another type or a foreign root; nothing changes.
    EXPECT_EQ(Read(emitter, std::string("<EmitterType>commonEmitter</EmitterType>") + kPlacer), 0);
    EXPECT_EQ(Read(emitter, std::string(kCounter) + "<EmitterType>Nonsense</EmitterType>"), 0);
    VEXA::VexaString other(("<Emitters>" + std::string(kPlacer) + "</Emitters>").c_str());
    EXPECT_EQ(emitter.FromXML(other), 0);
    EXPECT_EQ(emitter.GetCounter(), before);
    EXPECT_EQ(emitter.GetPlacer(), nullptr);
    // The parts are looked for in the written order: later ones before earlier are passed over.
    ASSERT_EQ(Read(emitter, std::string(kPlacer) + kCounter), 1);
    EXPECT_EQ(emitter.GetPlacer(), nullptr);
    EXPECT_NE(emitter.GetCounter(), before);
    ASSERT_EQ(Read(emitter, std::string(kTemplate) + kShooter), 1);
    EXPECT_NE(emitter.GetShooter(), nullptr);
    EXPECT_EQ(emitter.GetParticleTemplate()->GetLifeTime(), 2000);

    TestEmitter failing;
    auto* placer = new MockPlacer();
    EXPECT_CALL(*placer, ToXML(_)).WillOnce(Return(0));
    failing.Install(new ZrFadeCounter(), placer, new ZrSingleShooter());
    VEXA::VexaString text;
    EXPECT_EQ(failing.ToXML(text), 0);
    EXPECT_EQ(Children(std::string(text)), "EmitterType Counter Shooter ParticleTemple ");
}

TEST(Emitter, CopiesAndClones)
{
    ZrCommonEmitter source;
    ASSERT_EQ(Read(source, std::string(kCounter) + "<Placer><PlacerType>ScrewPlacer</PlacerType><Radius>2</Radius></Placer>" +
                               kShooter + kTemplate), 1);
    ZrParticleSystem system;
    ZrCommonEmitter target;
    target.SetParticleSystem(&system);
    EXPECT_EQ(target.Copy(source), 1);
    EXPECT_EQ(target.GetParticleSystem(), &system);
    EXPECT_EQ(Xml(target), Xml(source));
    EXPECT_EQ(target.Copy(target), 0);

    // Parts the source lacks keep the target's own; one that cannot be cloned leaves the slot empty.
    TestEmitter partial;
    auto* placer = new MockPlacer();
    EXPECT_CALL(*placer, GetType()).WillRepeatedly(Return(0));
    partial.Install(nullptr, placer, nullptr);
    partial.GetParticleTemplate()->SetLifeTime(100);
    ZrShooter* shooter = target.GetShooter();
    ZrCounter* counter = target.GetCounter();
    EXPECT_EQ(target.Copy(partial), 1);
    EXPECT_EQ(target.GetShooter(), shooter);
    EXPECT_EQ(target.GetCounter(), counter);
    EXPECT_EQ(target.GetPlacer(), nullptr);
    EXPECT_EQ(target.GetParticleTemplate()->GetLifeTime(), 100);

    EXPECT_EQ(ZrEmitter::Clone(nullptr), nullptr);
    ForeignEmitter claimsCommon;
    EXPECT_EQ(claimsCommon.ZrEmitter::GetType(), 0);
    EXPECT_EQ(ZrEmitter::Clone(&claimsCommon), nullptr);
    std::unique_ptr<ZrEmitter> clone(ZrEmitter::Clone(&source));
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetParticleSystem(), nullptr);
    EXPECT_EQ(Xml(*clone), Xml(source));
    // Once attached, the clone emits like its source.
    clone->SetParticleSystem(&system);
    clone->Emit(0.1);
    ASSERT_EQ(system.GetParticleNum(), 2);
    ZrParticle* p = system.GetParticle(1);
    EXPECT_EQ(p->GetLifeTime(), 3500) << "made from the template, then placed and shot";
    EXPECT_EQ(p->GetCurPos().y, 4.0) << "the helix's second step";
    EXPECT_EQ(p->GetVelocity().z, 3.0);
}
