// The common emitter: the emission step, its document and its copy.
#include "ZrBoxPlacer.h"
#include "ZrCommonCounter.h"
#include "ZrCommonEmitter.h"
#include "ZrFadeCounter.h"
#include "ZrMarkup.h"
#include "ZrParticleSystem.h"
#include "ZrPointPlacer.h"
#include "ZrPolygonPlacer.h"
#include "ZrRadialShooter.h"
#include "ZrRegionPlacer.h"
#include "ZrScrewPlacer.h"
#include "ZrShooter.h"
#include "ZrSingleShooter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace ZRC;
using ::testing::_;
using ::testing::InSequence;
using ::testing::Return;

namespace {

class MockCounter : public ZrCounter {
public:
    MOCK_METHOD(int, GetType, (), (const, override));
    MOCK_METHOD(int, GetCount, (double), (override));
    MOCK_METHOD(unsigned char, FromXML, (VEXA::VexaString&), (override));
    MOCK_METHOD(unsigned char, ToXML, (VEXA::VexaString&), (override));
};

class MockPlacer : public ZrPlacer {
public:
    MOCK_METHOD(int, GetType, (), (const, override));
    MOCK_METHOD(void, Place, (ZrParticle*, double), (override));
    MOCK_METHOD(ZrVector3d, GetPosition, (), (override));
    MOCK_METHOD(unsigned char, FromXML, (VEXA::VexaString&), (override));
    MOCK_METHOD(unsigned char, ToXML, (VEXA::VexaString&), (override));
};

class MockShooter : public ZrShooter {
public:
    MOCK_METHOD(int, GetType, (), (const, override));
    MOCK_METHOD(void, Shoot, (ZrParticle*, double), (override));
    MOCK_METHOD(unsigned char, FromXML, (VEXA::VexaString&), (override));
    MOCK_METHOD(unsigned char, ToXML, (VEXA::VexaString&), (override));
};

// Counts its own destruction, to check ownership.
class CountedShooter : public ZrSingleShooter {
public:
    explicit CountedShooter(int* deaths) : m_deaths(deaths) {}
    ~CountedShooter() override { ++*m_deaths; }

private:
    int* m_deaths;
};

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

class ForeignEmitter : public ZrEmitter {
public:
    explicit ForeignEmitter(int type) : m_type(type) {}
    int GetType() const override { return m_type == 0 ? ZrEmitter::GetType() : m_type; }
    void Emit(double) override {}
    unsigned char FromXML(VEXA::VexaString&) override { return 1; }
    unsigned char ToXML(VEXA::VexaString&) override { return 1; }

private:
    int m_type;
};

std::vector<std::string> EmitterChildren(const VEXA::VexaString& text)
{
    std::vector<std::string> names;
    ZrMarkup doc(text);
    if (!doc.FindElem("Emitter"))
        return names;
    while (doc.FindChildElem(nullptr))
        names.push_back(doc.GetChildTagName().GetString());
    return names;
}

const char* const kCounter = "<Counter><CounterType>CommonCounter</CounterType><NumPerSecond>20</NumPerSecond></Counter>";
const char* const kPlacer = "<Placer><PlacerType>PointPlacer</PlacerType><Position><Position:X>1</Position:X>"
                            "<Position:Y>2</Position:Y><Position:Z>3</Position:Z></Position></Placer>";
const char* const kShooter = "<Shooter><ShooterType>SingleShooter</ShooterType><SpeedRangeStart>3</SpeedRangeStart>"
                             "<SpeedRangeEnd>3</SpeedRangeEnd></Shooter>";
const char* const kTemplate = "<ParticleTemple><LifeTime>3.5</LifeTime></ParticleTemple>";

VEXA::VexaString EmitterDoc(const std::string& inner)
{
    return VEXA::VexaString(("<Emitter>" + inner + "</Emitter>").c_str());
}

std::string Typed(const char* type) { return std::string("<EmitterType>") + type + "</EmitterType>"; }

} // namespace

TEST(EmitterEmit, PlacesThenShootsEachParticle)
{
    ZrParticleSystem system;
    TestEmitter emitter;
    emitter.SetParticleSystem(&system);
    auto* counter = new MockCounter();
    auto* placer = new MockPlacer();
    auto* shooter = new MockShooter();
    std::vector<ZrParticle*> placed, shot;
    EXPECT_CALL(*counter, GetCount(0.04)).WillOnce(Return(3));
    {
        InSequence order;
        for (int i = 0; i < 3; ++i) {
            EXPECT_CALL(*placer, Place(_, 0.04)).WillOnce([&](ZrParticle* p, double) { placed.push_back(p); });
            EXPECT_CALL(*shooter, Shoot(_, 0.04)).WillOnce([&](ZrParticle* p, double) { shot.push_back(p); });
        }
    }
    emitter.Install(counter, placer, shooter);
    emitter.Emit(0.04);
    EXPECT_EQ(system.GetParticleNum(), 3);
    EXPECT_EQ(placed, shot);
}

TEST(EmitterEmit, NewParticlesStartFromTheTemplate)
{
    ZrParticleSystem system;
    TestEmitter emitter;
    emitter.SetParticleSystem(&system);
    emitter.GetParticleTemplate()->SetLifeTime(750);
    auto* counter = new ZrCommonCounter();
    auto* placer = new ZrPointPlacer();
    placer->SetPosition(ZrVector3d(4, 5, 6));
    auto* shooter = new ZrSingleShooter();
    shooter->SetDirection(ZrVector3d(0, 0, 2));
    shooter->SetSpeedRange(1.0f, 1.0f);
    emitter.Install(counter, placer, shooter);
    emitter.Emit(0.1); // 50 per second: 5 particles
    ASSERT_EQ(system.GetParticleNum(), 5);
    for (int i = 0; i < 5; ++i) {
        ZrParticle* p = system.GetParticle(i);
        EXPECT_EQ(p->GetLifeTime(), 750);
        EXPECT_EQ(p->GetCurPos().y, 5.0);
        EXPECT_EQ(p->GetVelocity().z, 2.0);
    }
}

TEST(EmitterEmit, NoCountMeansNoPlacerOrShooter)
{
    ZrParticleSystem system;
    TestEmitter emitter;
    emitter.SetParticleSystem(&system);
    auto* counter = new MockCounter();
    auto* placer = new MockPlacer();
    auto* shooter = new MockShooter();
    EXPECT_CALL(*counter, GetCount(_)).WillOnce(Return(0)).WillOnce(Return(-4));
    EXPECT_CALL(*placer, Place(_, _)).Times(0);
    EXPECT_CALL(*shooter, Shoot(_, _)).Times(0);
    emitter.Install(counter, placer, shooter);
    emitter.Emit(0.1);
    emitter.Emit(0.1);
    EXPECT_EQ(system.GetParticleNum(), 0);
}

TEST(EmitterEmit, IncompleteOrUnattachedEmittersDoNotAsk)
{
    ZrParticleSystem system;
    {
        TestEmitter unattached;
        auto* counter = new MockCounter();
        EXPECT_CALL(*counter, GetCount(_)).Times(0);
        unattached.Install(counter, new ZrPointPlacer(), new ZrSingleShooter());
        unattached.Emit(0.1);
    }
    {
        TestEmitter noPlacer;
        noPlacer.SetParticleSystem(&system);
        auto* counter = new MockCounter();
        EXPECT_CALL(*counter, GetCount(_)).Times(0);
        noPlacer.Install(counter, nullptr, new ZrSingleShooter());
        noPlacer.Emit(0.1);
    }
    {
        TestEmitter noShooter;
        noShooter.SetParticleSystem(&system);
        auto* counter = new MockCounter();
        EXPECT_CALL(*counter, GetCount(_)).Times(0);
        noShooter.Install(counter, new ZrPointPlacer(), nullptr);
        noShooter.Emit(0.1);
    }
    {
        TestEmitter noCounter;
        noCounter.SetParticleSystem(&system);
        auto* placer = new MockPlacer();
        EXPECT_CALL(*placer, Place(_, _)).Times(0);
        noCounter.Install(nullptr, placer, new ZrSingleShooter());
        noCounter.Emit(0.1);
    }
    EXPECT_EQ(system.GetParticleNum(), 0);
}

TEST(EmitterEmit, FrozenOrDeadSystemKeepsAOneShotBurst)
{
    ZrParticleSystem system;
    TestEmitter emitter;
    emitter.SetParticleSystem(&system);
    auto* counter = new ZrFadeCounter();
    counter->SetCountPerSecond(40);
    emitter.Install(counter, new ZrPointPlacer(), new ZrSingleShooter());

    system.SetFrozen(1);
    emitter.Emit(0.1);
    EXPECT_EQ(counter->IsFired(), 0);
    system.SetFrozen(0);
    system.SetAvlive(0);
    emitter.Emit(0.1);
    EXPECT_EQ(counter->IsFired(), 0);
    EXPECT_EQ(system.GetParticleNum(), 0);

    system.SetAvlive(1);
    emitter.Emit(0.1);
    EXPECT_EQ(system.GetParticleNum(), 40);
    emitter.Emit(0.1);
    EXPECT_EQ(system.GetParticleNum(), 40);
}

TEST(EmitterEmit, StrategiesDieWithTheEmitter)
{
    int deaths = 0;
    {
        TestEmitter emitter;
        emitter.Install(new ZrCommonCounter(), new ZrPointPlacer(), new CountedShooter(&deaths));
        // Reading a new shooter replaces (and deletes) the old one.
        VEXA::VexaString text = EmitterDoc(kShooter);
        ASSERT_EQ(emitter.FromXML(text), 1);
        EXPECT_EQ(deaths, 1);
        EXPECT_EQ(emitter.GetShooter()->GetType(), 2);
    }
    EXPECT_EQ(deaths, 1);
    {
        TestEmitter emitter;
        emitter.Install(new ZrCommonCounter(), new ZrPointPlacer(), new CountedShooter(&deaths));
    }
    EXPECT_EQ(deaths, 2);
}

TEST(EmitterDocument, ReadsEveryPartInOrder)
{
    ZrCommonEmitter emitter;
    EXPECT_EQ(emitter.GetType(), 1);
    VEXA::VexaString text = EmitterDoc(Typed("CommonEmitter") + kCounter + kPlacer + kShooter + kTemplate);
    ASSERT_EQ(emitter.FromXML(text), 1);
    ASSERT_NE(emitter.GetCounter(), nullptr);
    EXPECT_EQ(emitter.GetCounter()->GetType(), 1);
    EXPECT_EQ(emitter.GetCounter()->GetCountPerSecond(), 20);
    ASSERT_NE(emitter.GetPlacer(), nullptr);
    EXPECT_EQ(emitter.GetPlacer()->GetType(), 2);
    EXPECT_EQ(emitter.GetPlacer()->GetPosition().z, 3.0);
    ASSERT_NE(emitter.GetShooter(), nullptr);
    EXPECT_EQ(emitter.GetShooter()->GetType(), 2);
    float start = 0, end = 0;
    emitter.GetShooter()->GetSpeedRange(start, end);
    EXPECT_EQ(start, 3.0f);
    EXPECT_EQ(emitter.GetParticleTemplate()->GetLifeTime(), 3500);
}

TEST(EmitterDocument, TypeTextsPickTheClasses)
{
    const std::vector<std::pair<const char*, int>> placers = {
        {"PointPlacer", 2}, {"RegionPlacer", 4}, {"BoxPlacer", 1}, {"ScrewPlacer", 5}, {"PolygonPlacer", 3}};
    for (const auto& entry : placers) {
        ZrCommonEmitter emitter;
        VEXA::VexaString text =
            EmitterDoc(std::string("<Placer><PlacerType>") + entry.first + "</PlacerType></Placer>");
        ASSERT_EQ(emitter.FromXML(text), 1);
        ASSERT_NE(emitter.GetPlacer(), nullptr) << entry.first;
        EXPECT_EQ(emitter.GetPlacer()->GetType(), entry.second) << entry.first;
    }
    const std::vector<std::pair<const char*, int>> counters = {{"CommonCounter", 1}, {"FadeCounter", 2}};
    for (const auto& entry : counters) {
        ZrCommonEmitter emitter;
        VEXA::VexaString text =
            EmitterDoc(std::string("<Counter><CounterType>") + entry.first + "</CounterType></Counter>");
        ASSERT_EQ(emitter.FromXML(text), 1);
        ASSERT_NE(emitter.GetCounter(), nullptr);
        EXPECT_EQ(emitter.GetCounter()->GetType(), entry.second);
        EXPECT_EQ(emitter.GetCounter()->GetCountPerSecond(), 50); // defaults for what is missing
    }
    const std::vector<std::pair<const char*, int>> shooters = {{"RadialShooter", 1}, {"SingleShooter", 2}};
    for (const auto& entry : shooters) {
        ZrCommonEmitter emitter;
        VEXA::VexaString text =
            EmitterDoc(std::string("<Shooter><ShooterType>") + entry.first + "</ShooterType></Shooter>");
        ASSERT_EQ(emitter.FromXML(text), 1);
        ASSERT_NE(emitter.GetShooter(), nullptr);
        EXPECT_EQ(emitter.GetShooter()->GetType(), entry.second);
    }
    // Unknown or differently cased names create nothing.
    ZrCommonEmitter emitter;
    VEXA::VexaString unknown = EmitterDoc("<Counter><CounterType>SteadyCounter</CounterType></Counter>"
                                          "<Placer><PlacerType>pointplacer</PlacerType></Placer>"
                                          "<Shooter><NumPerSecond>1</NumPerSecond></Shooter>");
    ASSERT_EQ(emitter.FromXML(unknown), 1);
    EXPECT_EQ(emitter.GetCounter(), nullptr);
    EXPECT_EQ(emitter.GetPlacer(), nullptr);
    EXPECT_EQ(emitter.GetShooter(), nullptr);
    for (const char* placer : {"pointplacer", "REGIONPLACER", "boxplacer", "Screwplacer", "polygonPlacer"}) {
        VEXA::VexaString text = EmitterDoc(std::string("<Placer><PlacerType>") + placer + "</PlacerType></Placer>");
        ASSERT_EQ(emitter.FromXML(text), 1);
        EXPECT_EQ(emitter.GetPlacer(), nullptr) << placer;
    }
    VEXA::VexaString cased = EmitterDoc("<Counter><CounterType>fadecounter</CounterType></Counter>"
                                        "<Shooter><ShooterType>singleshooter</ShooterType></Shooter>");
    ASSERT_EQ(emitter.FromXML(cased), 1);
    EXPECT_EQ(emitter.GetCounter(), nullptr);
    EXPECT_EQ(emitter.GetShooter(), nullptr);
}

TEST(EmitterDocument, ForeignOrMissingElementFailsWithoutChange)
{
    ZrCommonEmitter emitter;
    VEXA::VexaString first = EmitterDoc(kCounter);
    ASSERT_EQ(emitter.FromXML(first), 1);
    ZrCounter* before = emitter.GetCounter();

    VEXA::VexaString lower = EmitterDoc(Typed("commonEmitter") + "<Counter><CounterType>FadeCounter</CounterType></Counter>" +
                                        kPlacer);
    EXPECT_EQ(emitter.FromXML(lower), 0);
    EXPECT_EQ(emitter.GetCounter(), before);
    EXPECT_EQ(emitter.GetPlacer(), nullptr);
    VEXA::VexaString other("<Emitters>" + std::string(kPlacer) + "</Emitters>");
    EXPECT_EQ(emitter.FromXML(other), 0);
    VEXA::VexaString broken("<Emitter><Counter></Emitter>");
    EXPECT_EQ(emitter.FromXML(broken), 0);
    EXPECT_EQ(emitter.GetPlacer(), nullptr);

    // No type element: read as a common emitter; the old counter is replaced.
    VEXA::VexaString untyped = EmitterDoc("<Counter><CounterType>FadeCounter</CounterType></Counter>");
    EXPECT_EQ(emitter.FromXML(untyped), 1);
    EXPECT_EQ(emitter.GetCounter()->GetType(), 2);
}

TEST(EmitterDocument, ChildrenMustFollowTheWrittenOrder)
{
    ZrCommonEmitter emitter;
    VEXA::VexaString placerFirst = EmitterDoc(std::string(kPlacer) + kCounter);
    ASSERT_EQ(emitter.FromXML(placerFirst), 1);
    EXPECT_NE(emitter.GetCounter(), nullptr);
    EXPECT_EQ(emitter.GetPlacer(), nullptr);

    ZrCommonEmitter late;
    VEXA::VexaString templateFirst = EmitterDoc(std::string(kTemplate) + kShooter);
    ASSERT_EQ(late.FromXML(templateFirst), 1);
    EXPECT_NE(late.GetShooter(), nullptr);
    EXPECT_EQ(late.GetParticleTemplate()->GetLifeTime(), 2000);

    ZrCommonEmitter typeLast;
    VEXA::VexaString text = EmitterDoc(std::string(kCounter) + Typed("Nonsense"));
    ASSERT_EQ(typeLast.FromXML(text), 0); // the type element is found wherever it stands
}

TEST(EmitterDocument, TypeElementAfterOtherChildrenIsFound)
{
    ZrCommonEmitter emitter;
    VEXA::VexaString text = EmitterDoc("<Shooter><SpeedRangeStart>4</SpeedRangeStart>"
                                       "<ShooterType>RadialShooter</ShooterType></Shooter>");
    ASSERT_EQ(emitter.FromXML(text), 1);
    ASSERT_NE(emitter.GetShooter(), nullptr);
    EXPECT_EQ(emitter.GetShooter()->GetType(), 1);
}

TEST(EmitterDocument, UnknownCounterNeverEmits)
{
    ZrParticleSystem system;
    ZrCommonEmitter emitter;
    emitter.SetParticleSystem(&system);
    VEXA::VexaString text = EmitterDoc("<Counter><CounterType>Counter</CounterType></Counter>" + std::string(kPlacer) +
                                       kShooter);
    ASSERT_EQ(emitter.FromXML(text), 1);
    EXPECT_EQ(emitter.GetCounter(), nullptr);
    for (int i = 0; i < 3; ++i)
        emitter.Emit(0.5);
    EXPECT_EQ(system.GetParticleNum(), 0);
}

TEST(EmitterDocument, FreshEmitterWritesTypeAndTemplate)
{
    ZrCommonEmitter emitter;
    VEXA::VexaString text("previous");
    EXPECT_EQ(emitter.ToXML(text), 1);
    EXPECT_EQ(EmitterChildren(text), (std::vector<std::string>{"EmitterType", "ParticleTemple"}));
    ZrMarkup doc(text);
    doc.FindElem("Emitter");
    doc.FindChildElem("EmitterType");
    EXPECT_STREQ(doc.GetChildData(), "CommonEmitter");
}

TEST(EmitterDocument, RoundTripsEveryStrategy)
{
    const std::vector<std::string> placers = {"PointPlacer", "RegionPlacer", "BoxPlacer", "ScrewPlacer",
                                              "PolygonPlacer"};
    const std::vector<std::string> counters = {"CommonCounter", "FadeCounter"};
    const std::vector<std::string> shooters = {"RadialShooter", "SingleShooter"};
    for (const std::string& placer : placers) {
        for (const std::string& counter : counters) {
            for (const std::string& shooter : shooters) {
                VEXA::VexaString source = EmitterDoc(
                    "<Counter><CounterType>" + counter + "</CounterType><NumPerSecond>7</NumPerSecond></Counter>" +
                    "<Placer><PlacerType>" + placer + "</PlacerType><Position><Position:X>1.5</Position:X>" +
                    "</Position></Placer><Shooter><ShooterType>" + shooter +
                    "</ShooterType><SpeedRangeEnd>9</SpeedRangeEnd></Shooter>" + kTemplate);
                ZrCommonEmitter first;
                ASSERT_EQ(first.FromXML(source), 1);
                VEXA::VexaString written;
                ASSERT_EQ(first.ToXML(written), 1);
                EXPECT_EQ(EmitterChildren(written), (std::vector<std::string>{"EmitterType", "Counter", "Placer",
                                                                              "Shooter", "ParticleTemple"}));
                ZrCommonEmitter second;
                ASSERT_EQ(second.FromXML(written), 1);
                VEXA::VexaString again;
                ASSERT_EQ(second.ToXML(again), 1);
                EXPECT_EQ(written, again) << placer << " " << counter << " " << shooter;
                EXPECT_EQ(second.GetCounter()->GetCountPerSecond(), 7);
                EXPECT_EQ(second.GetPlacer()->GetPosition().x, 1.5);
                EXPECT_EQ(second.GetParticleTemplate()->GetLifeTime(), 3500);
            }
        }
    }
}

TEST(EmitterDocument, FailingPartIsLeftOut)
{
    TestEmitter emitter;
    auto* placer = new MockPlacer();
    EXPECT_CALL(*placer, ToXML(_)).WillOnce(Return(0));
    emitter.Install(new ZrFadeCounter(), placer, new ZrSingleShooter());
    VEXA::VexaString text;
    EXPECT_EQ(emitter.ToXML(text), 0);
    EXPECT_EQ(EmitterChildren(text), (std::vector<std::string>{"EmitterType", "Counter", "Shooter", "ParticleTemple"}));
}

TEST(EmitterCopy, DeepCopiesPresentParts)
{
    ZrCommonEmitter source;
    VEXA::VexaString text = EmitterDoc(std::string(kCounter) +
                                       "<Placer><PlacerType>ScrewPlacer</PlacerType><Radius>2</Radius></Placer>" +
                                       kShooter + kTemplate);
    ASSERT_EQ(source.FromXML(text), 1);
    ZrParticleSystem system;
    ZrCommonEmitter target;
    target.SetParticleSystem(&system);
    EXPECT_EQ(target.Copy(source), 1);
    EXPECT_EQ(target.GetParticleSystem(), &system);
    ASSERT_NE(target.GetPlacer(), nullptr);
    EXPECT_NE(target.GetPlacer(), source.GetPlacer());
    EXPECT_EQ(target.GetPlacer()->GetType(), 5);
    EXPECT_EQ(static_cast<ZrScrewPlacer*>(target.GetPlacer())->GetRadius(), 2.0f);
    EXPECT_NE(target.GetCounter(), source.GetCounter());
    EXPECT_EQ(target.GetCounter()->GetCountPerSecond(), 20);
    EXPECT_NE(target.GetShooter(), source.GetShooter());
    EXPECT_EQ(target.GetParticleTemplate()->GetLifeTime(), 3500);
    VEXA::VexaString a, b;
    source.ToXML(a);
    target.ToXML(b);
    EXPECT_EQ(a, b);

    EXPECT_EQ(target.Copy(target), 0);
    target.ToXML(b);
    EXPECT_EQ(a, b);
}

TEST(EmitterCopy, MissingPartsKeepTheTargetsOwn)
{
    ZrCommonEmitter source;
    VEXA::VexaString text = EmitterDoc(kCounter);
    ASSERT_EQ(source.FromXML(text), 1);
    source.GetParticleTemplate()->SetLifeTime(100);

    ZrCommonEmitter target;
    VEXA::VexaString own = EmitterDoc(std::string("<Counter><CounterType>FadeCounter</CounterType></Counter>") +
                                      kPlacer + "<Shooter><ShooterType>RadialShooter</ShooterType></Shooter>");
    ASSERT_EQ(target.FromXML(own), 1);
    ZrShooter* shooter = target.GetShooter();
    ZrPlacer* placer = target.GetPlacer();
    EXPECT_EQ(target.Copy(source), 1);
    EXPECT_EQ(target.GetShooter(), shooter);
    EXPECT_EQ(target.GetPlacer(), placer);
    EXPECT_EQ(target.GetCounter()->GetType(), 1);
    EXPECT_EQ(target.GetParticleTemplate()->GetLifeTime(), 100);
}

TEST(EmitterCopy, UncloneablePartLeavesTheSlotEmpty)
{
    TestEmitter source;
    auto* placer = new MockPlacer();
    EXPECT_CALL(*placer, GetType()).WillRepeatedly(Return(0));
    source.Install(new ZrCommonCounter(), placer, new ZrSingleShooter());
    ZrCommonEmitter target;
    VEXA::VexaString own = EmitterDoc(kPlacer);
    ASSERT_EQ(target.FromXML(own), 1);
    EXPECT_EQ(target.Copy(source), 1);
    EXPECT_EQ(target.GetPlacer(), nullptr);
    EXPECT_NE(target.GetCounter(), nullptr);
}

TEST(EmitterClone, CopiesCommonEmittersOnly)
{
    EXPECT_EQ(ZrEmitter::Clone(nullptr), nullptr);
    ForeignEmitter bare(0), claimsCommon(1);
    EXPECT_EQ(bare.GetType(), 0);
    EXPECT_EQ(ZrEmitter::Clone(&bare), nullptr);
    EXPECT_EQ(ZrEmitter::Clone(&claimsCommon), nullptr);

    ZrParticleSystem system;
    ZrCommonEmitter source;
    source.SetParticleSystem(&system);
    VEXA::VexaString text = EmitterDoc(std::string(kCounter) + kPlacer + kShooter);
    ASSERT_EQ(source.FromXML(text), 1);
    std::unique_ptr<ZrEmitter> clone(ZrEmitter::Clone(&source));
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetType(), 1);
    EXPECT_EQ(clone->GetParticleSystem(), nullptr);
    auto* common = static_cast<ZrCommonEmitter*>(clone.get());
    EXPECT_NE(common->GetPlacer(), source.GetPlacer());
    EXPECT_EQ(common->GetPlacer()->GetPosition().y, 2.0);
    // Once attached, the clone emits like its source.
    clone->SetParticleSystem(&system);
    clone->Emit(0.1);
    EXPECT_EQ(system.GetParticleNum(), 2);
}
