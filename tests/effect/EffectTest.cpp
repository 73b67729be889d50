#include "NbTestSupport.h"
#include "ZrAccelInfluence.h"
#include "ZrEmitter.h"
#include "ZrMarkup.h"
#include "ZrParticleEffect.h"
#include "ZrParticleSystem.h"
#include "ZrStream.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <memory>
#include <string>
#include <vector>

using namespace ZRC;
using VEXA::VexaString;

namespace {

std::string SystemDoc(int width)
{
    return "<ParticleSystem><ParticleWidth>" + std::to_string(width) + "</ParticleWidth></ParticleSystem>";
}

std::string EffectDoc(const std::string& type, const std::vector<int>& widths)
{
    std::string s = "<QuenmarParticleEffect><EffectType>" + type + "</EffectType>";
    for (int w : widths)
        s += SystemDoc(w);
    return s + "</QuenmarParticleEffect>";
}

std::vector<float> Widths(const ZrParticleEffect& effect)
{
    std::vector<float> out;
    for (int i = 0; i < effect.GetParticleSystemNum(); ++i) {
        if (ZrParticleSystem* s = effect.GetParticleSystem(i))
            out.push_back(s->GetParticleWidth());
    }
    return out;
}

ZrParticleSystem* System(float width)
{
    ZrParticleSystem* s = new ZrParticleSystem;
    s->SetParticleWidth(width);
    return s;
}

std::string Bundled(const char* name)
{
    return std::string(NBPS_SOURCE_DIR) + "/effects/" + name;
}

// An emitter that counts its calls and can refuse to write itself.
class CountingEmitter : public ZrEmitter {
public:
    void Emit(double) override { ++emits; }
    unsigned char FromXML(VexaString&) override { return 1; }
    unsigned char ToXML(VexaString&) override { return 0; }
    int emits = 0;
};

} // namespace

TEST(ParticleEffect, NewEffectIsEmpty)
{
    ZrParticleEffect e;
    EXPECT_EQ(e.GetType(), NoneEffect);
    EXPECT_EQ(e.GetRef(), 0);
    EXPECT_STREQ(e.GetEffectName(), "");
    EXPECT_STREQ(e.GetParticleEffectResFileName(), "");
    EXPECT_EQ(e.GetParticleSystemNum(), 0);
    e.Update(0.1);
    e.AfterRender(0.1);
    const ZrBoundingBox box = e.ComputeBoundingBox();
    EXPECT_EQ(box.GetMin().x, DBL_MAX);
    EXPECT_EQ(box.GetMax().y, -DBL_MAX);
    e.AddParticleSystem(nullptr);
    EXPECT_EQ(e.GetParticleSystemNum(), 0);
    e.DecRef();
    EXPECT_EQ(e.GetRef(), -1);
}

TEST(ParticleEffect, BoundingBoxOfSystemsMovedByCentre)
{
    ZrParticleEffect e;
    ZrParticleSystem* a = System(1);
    a->GetBoundingBox().SetExtents(ZrVector3d(0, 0, 0), ZrVector3d(1, 1, 1));
    ZrParticleSystem* b = System(1);
    b->GetBoundingBox().SetExtents(ZrVector3d(2, 2, 2), ZrVector3d(3, 3, 3));
    e.AddParticleSystem(a);
    e.AddParticleSystem(b);
    e.SetCenterPos(ZrVector3d(10, 0, 0));
    const ZrBoundingBox box = e.ComputeBoundingBox();
    EXPECT_DOUBLE_EQ(box.GetMin().x, 10.0);
    EXPECT_DOUBLE_EQ(box.GetMin().y, 0.0);
    EXPECT_DOUBLE_EQ(box.GetMax().x, 13.0);
    EXPECT_DOUBLE_EQ(box.GetMax().z, 3.0);
}

TEST(ParticleEffect, DeadSystemIsSkippedButStillInfluenced)
{
    ZrParticleEffect e;
    ZrParticleSystem* s = System(1);
    CountingEmitter* emitter = new CountingEmitter;
    s->SetEmitter(emitter);
    ZrAccelInfluence* accel = new ZrAccelInfluence;
    accel->SetAccelDirection(ZrVector3d(0, -1, 0));
    accel->SetAccelSize(2.0f);
    s->AddInfluence(accel);
    ZrParticle templ;
    templ.SetLifeTime(1000);
    ZrParticle* p = s->CreateParticle(&templ);
    e.AddParticleSystem(s);

    e.Update(0.5);
    EXPECT_EQ(emitter->emits, 1);
    EXPECT_FLOAT_EQ(p->GetAge(), 0.5f);

    s->SetAvlive(0);
    e.Update(0.5);
    EXPECT_EQ(emitter->emits, 1);
    EXPECT_FLOAT_EQ(p->GetAge(), 0.5f);
    e.AfterRender(0.5);
    EXPECT_LT(p->GetVelocity().y, 0.0);
}

TEST(ParticleEffect, ReleaseLeavesNullEntries)
{
    ZrParticleEffect e;
    e.AddParticleSystem(System(1));
    e.AddParticleSystem(System(2));
    e.Release();
    e.Release();
    EXPECT_EQ(e.GetParticleSystemNum(), 2);
    EXPECT_EQ(e.GetParticleSystem(0), nullptr);
    EXPECT_EQ(e.GetParticleSystem(5), nullptr);
    e.Update(0.1);
    e.AfterRender(0.1);
    EXPECT_EQ(e.ComputeBoundingBox().GetMin().x, DBL_MAX);
    ZrStream stream;
    EXPECT_EQ(e.Save(stream), 1);
    ZrParticleEffect back;
    EXPECT_EQ(back.Load(stream), 1);
    EXPECT_EQ(back.GetParticleSystemNum(), 0);
}

TEST(ParticleEffect, FactorySetsTypeUnchecked)
{
    std::unique_ptr<ZrParticleEffect> e(ZrParticleEffect::ParticleEffectFactory(ExplodeEffect));
    EXPECT_EQ(e->GetType(), 4);
    nbtest::TempDir dir;
    VexaString path((dir / "e.par").c_str());
    EXPECT_EQ(e->ToXML(path), 1);
    ZrMarkup doc;
    ASSERT_EQ(doc.Load(path), 1);
    ASSERT_EQ(doc.FindElem("QuenmarParticleEffect"), 1);
    ASSERT_EQ(doc.FindChildElem("EffectType"), 1);
    EXPECT_STREQ(doc.GetChildData(), "ExplodeEffect");
    std::unique_ptr<ZrParticleEffect> odd(ZrParticleEffect::ParticleEffectFactory(static_cast<ZrParticleEffectType>(42)));
    EXPECT_EQ(odd->GetType(), 42);
}

// Documents -----------------------------------------------------------------

class EffectDocument : public ::testing::Test {
protected:
    nbtest::SceneFolder m_scene;
    const nbtest::TempDir& m_dir = m_scene.Dir();
};

TEST_F(EffectDocument, ParFileReadAndExtensionCase)
{
    const std::string lower = m_dir.Write("a.par", EffectDoc("SmokeEffect", {1, 2}));
    const std::string upper = m_dir.Write("b.PAR", EffectDoc("RainEffect", {3}));
    ZrParticleEffect a;
    EXPECT_EQ(a.FromXML(lower.c_str()), 1);
    EXPECT_EQ(a.GetType(), SmokeEffect);
    EXPECT_EQ(Widths(a), (std::vector<float>{1, 2}));
    EXPECT_STREQ(a.GetParticleEffectResFileName(), lower.c_str());
    ZrParticleEffect b;
    EXPECT_EQ(b.FromXML(upper.c_str()), 1);
    EXPECT_EQ(b.GetType(), RainEffect);

    // Another extension is not read from disk: its name is a container entry.
    const std::string xml = m_dir.Write("c.xml", EffectDoc("FireEffect", {1}));
    ZrParticleEffect c;
    EXPECT_EQ(c.FromXML(xml.c_str()), 0);
    EXPECT_STREQ(c.GetParticleEffectResFileName(), xml.c_str());
    m_scene.Container({{xml, EffectDoc("SnowEffect", {4}), false}});
    EXPECT_EQ(c.FromXML(xml.c_str()), 1);
    EXPECT_EQ(c.GetType(), SnowEffect);
}

TEST_F(EffectDocument, ContainerEntriesByExactName)
{
    m_scene.Container({{"fire", EffectDoc("FireEffect", {5, 6}), true}, {"big", std::string(20000, ' ') + EffectDoc("FireEffect", {1}), false}});
    ZrParticleEffect e;
    EXPECT_EQ(e.FromXML("fire"), 1);
    EXPECT_EQ(e.GetType(), FireEffect);
    EXPECT_EQ(Widths(e), (std::vector<float>{5, 6}));
    // Reading again appends.
    EXPECT_EQ(e.FromXML("fire"), 1);
    EXPECT_EQ(e.GetParticleSystemNum(), 4);

    ZrParticleEffect other;
    EXPECT_EQ(other.FromXML("Fire"), 0);
    EXPECT_EQ(other.FromXML("missing"), 0);
    // An entry larger than a document may be is a failed read.
    EXPECT_EQ(other.FromXML("big"), 0);
    EXPECT_EQ(other.GetParticleSystemNum(), 0);
}

TEST_F(EffectDocument, TypeWordRules)
{
    struct Case {
        std::string doc;
        int expected;
    } cases[] = {
        {EffectDoc("fireeffect", {}), 0},
        {EffectDoc("FountainEffect", {}), 3},
        {"<QuenmarParticleEffect>" + SystemDoc(1) + "</QuenmarParticleEffect>", 2},
    };
    for (const Case& c : cases) {
        std::unique_ptr<ZrParticleEffect> e(ZrParticleEffect::ParticleEffectFactory(SmokeEffect));
        const std::string path = m_dir.Write("t.par", c.doc);
        EXPECT_EQ(e->FromXML(path.c_str()), 1) << c.doc;
        EXPECT_EQ(e->GetType(), c.expected) << c.doc;
    }

    // A type after the systems is read, but the systems before it are not.
    const std::string late = m_dir.Write("late.par", "<QuenmarParticleEffect>" + SystemDoc(1) +
                                                        "<EffectType>SnowEffect</EffectType></QuenmarParticleEffect>");
    ZrParticleEffect e;
    EXPECT_EQ(e.FromXML(late.c_str()), 1);
    EXPECT_EQ(e.GetType(), SnowEffect);
    EXPECT_EQ(e.GetParticleSystemNum(), 0);

    const std::string rootless = m_dir.Write("r.par", "<Other><EffectType>FireEffect</EffectType></Other>");
    EXPECT_EQ(e.FromXML(rootless.c_str()), 0);
    EXPECT_EQ(e.FromXML(m_dir.Write("bad.par", "<QuenmarParticleEffect><EffectType>").c_str()), 0);
    EXPECT_EQ(e.FromXML((m_dir / "none.par").c_str()), 0);
    EXPECT_EQ(e.GetType(), SnowEffect);
}

TEST_F(EffectDocument, WriterOutputAndFailingSystem)
{
    ZrParticleEffect e;
    e.AddParticleSystem(System(3));
    ZrParticleSystem* failing = System(4);
    failing->SetEmitter(new CountingEmitter);
    e.AddParticleSystem(failing);
    e.AddParticleSystem(System(5));
    VexaString path((m_dir / "w.par").c_str());
    EXPECT_EQ(e.ToXML(path), 0);
    ZrParticleEffect back;
    EXPECT_EQ(back.FromXML(path), 1);
    EXPECT_EQ(back.GetType(), NoneEffect);
    // The system that could not write its emitter is left out; the others stay.
    EXPECT_EQ(Widths(back), (std::vector<float>{3, 5}));
}

TEST_F(EffectDocument, BundledEffectsRoundTrip)
{
    for (const char* name : {"fire.par", "smoke.par", "fountain.par", "explode.par", "rain.par", "snow.par"}) {
        ZrParticleEffect e;
        ASSERT_EQ(e.FromXML(Bundled(name).c_str()), 1) << name;
        EXPECT_NE(e.GetType(), NoneEffect) << name;
        ASSERT_GT(e.GetParticleSystemNum(), 0) << name;
        VexaString first((m_dir / "first.par").c_str());
        ASSERT_EQ(e.ToXML(first), 1) << name;
        ZrParticleEffect back;
        ASSERT_EQ(back.FromXML(first), 1) << name;
        EXPECT_EQ(back.GetType(), e.GetType());
        EXPECT_EQ(back.GetParticleSystemNum(), e.GetParticleSystemNum());
        VexaString second((m_dir / "second.par").c_str());
        back.ToXML(second);
        EXPECT_EQ(nbtest::ReadFile(first.Str()), nbtest::ReadFile(second.Str())) << name;
        for (int i = 0; i < e.GetParticleSystemNum(); ++i) {
            EXPECT_EQ(back.GetParticleSystem(i)->GetInfluenceSize(), e.GetParticleSystem(i)->GetInfluenceSize());
            EXPECT_EQ(back.GetParticleSystem(i)->GetEmitter() != nullptr, e.GetParticleSystem(i)->GetEmitter() != nullptr);
        }
    }
}

// Streams -------------------------------------------------------------------

TEST(EffectStream, SaveAndLoadCarryTheSystemsOnly)
{
    ZrParticleEffect e;
    nbtest::TempDir dir;
    ASSERT_EQ(e.FromXML(dir.Write("f.par", EffectDoc("FountainEffect", {7, 8})).c_str()), 1);
    e.SetCenterPos(ZrVector3d(1, 2, 3));
    ZrParticleEffect second;
    second.AddParticleSystem(System(9));
    ZrStream stream;
    EXPECT_EQ(e.Save(stream), 1);
    EXPECT_EQ(second.Save(stream), 1);

    ZrParticleEffect a, b;
    EXPECT_EQ(a.Load(stream), 1);
    EXPECT_EQ(a.GetType(), NoneEffect);
    EXPECT_EQ(Widths(a), (std::vector<float>{7, 8}));
    EXPECT_DOUBLE_EQ(a.GetCenterPos().x, 0.0);
    EXPECT_EQ(b.Load(stream), 1);
    EXPECT_EQ(Widths(b), (std::vector<float>{9}));
    EXPECT_EQ(b.Load(stream), 0); // nothing left

    ZrStream empty;
    EXPECT_EQ(a.Load(empty), 0);
    ZrStream bare;
    bare << VexaString(EffectDoc("FireEffect", {}).c_str());
    EXPECT_EQ(a.Load(bare), 1);
    EXPECT_EQ(a.GetParticleSystemNum(), 2);
}

// Copies --------------------------------------------------------------------

TEST(EffectCopy, MakeAppendsIndependentSystems)
{
    ZrParticleEffect source;
    source.AddParticleSystem(System(1));
    source.AddParticleSystem(System(2));
    source.SetEffectName("blaze");
    source.SetCenterPos(ZrVector3d(4, 5, 6));
    source.AddRef();
    ZrParticleEffect target;
    target.AddParticleSystem(System(0));
    EXPECT_EQ(target.Make(nullptr), 0);
    EXPECT_EQ(target.Make(&target), 0);
    EXPECT_EQ(target.GetParticleSystemNum(), 1);
    EXPECT_EQ(target.Make(&source), 1);
    EXPECT_EQ(Widths(target), (std::vector<float>{0, 1, 2}));
    EXPECT_STREQ(target.GetEffectName(), "blaze");
    EXPECT_EQ(target.GetRef(), 1);
    target.SetCenterPos(ZrVector3d(0, 0, 0));
    target.GetParticleSystem(1)->SetParticleWidth(99);
    EXPECT_DOUBLE_EQ(source.GetCenterPos().x, 4.0);
    EXPECT_FLOAT_EQ(source.GetParticleSystem(0)->GetParticleWidth(), 1.0f);
}

TEST(EffectCopy, CopyConstructionAndAssignmentNeverShareSystems)
{
    std::unique_ptr<ZrParticleEffect> source(ZrParticleEffect::ParticleEffectFactory(RainEffect));
    source->AddParticleSystem(System(1));
    source->AddParticleSystem(nullptr);
    source->SetParticleEffectResFileName("rain");

    ZrParticleEffect copy(*source);
    EXPECT_EQ(copy.GetType(), RainEffect);
    EXPECT_STREQ(copy.GetParticleEffectResFileName(), "rain");
    ASSERT_EQ(copy.GetParticleSystemNum(), 1);
    EXPECT_NE(copy.GetParticleSystem(0), source->GetParticleSystem(0));

    ZrParticleEffect assigned;
    assigned.AddParticleSystem(System(5));
    assigned.AddParticleSystem(System(6));
    assigned = *source;
    EXPECT_EQ(Widths(assigned), (std::vector<float>{1}));
    ZrParticleEffect& alias = assigned;
    assigned = alias;
    EXPECT_EQ(Widths(assigned), (std::vector<float>{1}));
    source.reset();
    copy.Update(0.1);
    assigned.Update(0.1);
    EXPECT_FLOAT_EQ(copy.GetParticleSystem(0)->GetParticleWidth(), 1.0f);
}
