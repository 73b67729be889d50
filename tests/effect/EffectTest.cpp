#include "NbTestSupport.h"
#include "ZrAccelInfluence.h"
#include "ZrEmitter.h"
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

std::string SystemDoc(int width) { return "<ParticleSystem><ParticleWidth>" + std::to_string(width) + "</ParticleWidth></ParticleSystem>"; }

std::string EffectDoc(const std::string& type, const std::vector<int>& widths)
{
    std::string s = "<QuenmarParticleEffect><EffectType>" + type + "</EffectType>";
    for (int w : widths)
        s += SystemDoc(w);
    return s + "</QuenmarParticleEffect>";
}

// The widths of the systems, "-" for an empty slot.
std::string Widths(const ZrParticleEffect& effect)
{
    std::string out;
    for (int i = 0; i < effect.GetParticleSystemNum(); ++i) {
        ZrParticleSystem* s = effect.GetParticleSystem(i);
        out += s ? std::to_string(static_cast<int>(s->GetParticleWidth())) : "-";
    }
    return out;
}

ZrParticleSystem* System(float width, ZrEmitter* emitter = nullptr)
{
    ZrParticleSystem* s = new ZrParticleSystem;
    s->SetParticleWidth(width);
    s->SetEmitter(emitter);
    return s;
}

// An emitter that counts its calls and its own end, and refuses to write itself.
class CountingEmitter : public ZrEmitter {
public:
    explicit CountingEmitter(int* ended) : m_ended(ended) {}
    ~CountingEmitter() override { ++*m_ended; }
    void Emit(double) override { ++emits; }
    unsigned char FromXML(VexaString&) override { return 1; }
    unsigned char ToXML(VexaString&) override { return 0; }
    int emits = 0;
    int* m_ended;
};

} // namespace

TEST(ParticleEffect, UpdateSkipsDeadSystemsButStillInfluencesThem)
{
    int ended = 0;
    {
        ZrParticleEffect e;
        EXPECT_EQ(e.ComputeBoundingBox().GetMin().x, DBL_MAX);
        CountingEmitter* emitter = new CountingEmitter(&ended);
        ZrParticleSystem* s = System(1, emitter);
        ZrAccelInfluence* accel = new ZrAccelInfluence;
        accel->SetAccelDirection(ZrVector3d(0, -1, 0));
        accel->SetAccelSize(2.0f);
        s->AddInfluence(accel);
        ZrParticle templ;
        templ.SetLifeTime(1000);
        ZrParticle* p = s->CreateParticle(&templ);
        e.AddParticleSystem(nullptr);
        e.AddParticleSystem(s);
        e.Update(0.5);
        s->SetAvlive(0);
        e.Update(0.5);
        EXPECT_EQ(emitter->emits, 1);
        EXPECT_FLOAT_EQ(p->GetAge(), 0.5f);
        e.AfterRender(0.5);
        EXPECT_LT(p->GetVelocity().y, 0.0);
        // The box of the systems, moved by the centre.
        s->GetBoundingBox().SetExtents(ZrVector3d(0, 0, 0), ZrVector3d(1, 1, 1));
        e.AddParticleSystem(System(1));
        e.GetParticleSystem(1)->GetBoundingBox().SetExtents(ZrVector3d(2, 2, 2), ZrVector3d(3, 3, 3));
        e.SetCenterPos(ZrVector3d(10, 0, 0));
        const ZrBoundingBox box = e.ComputeBoundingBox();
        EXPECT_EQ(std::vector<double>({box.GetMin().x, box.GetMin().y, box.GetMax().x, box.GetMax().z}),
                  std::vector<double>({10, 0, 13, 3}));
        EXPECT_EQ(ended, 0);
    }
    EXPECT_EQ(ended, 1);   // the effect owns its systems
}

// Steady emission reaches every common counter of the effect and leaves the
// burst alone; the live count sums the systems (a released entry counts 0).
TEST(ParticleEffect, SteadyEmissionAndLiveCount)
{
    const auto doc = [](const char* counter, int rate) {
        return "<ParticleSystem><Emitter><EmitterType>CommonEmitter</EmitterType><Counter><CounterType>" +
               std::string(counter) + "</CounterType><NumPerSecond>" + std::to_string(rate) +
               "</NumPerSecond></Counter><Placer><PlacerType>PointPlacer</PlacerType></Placer>"
               "<Shooter><ShooterType>RadialShooter</ShooterType></Shooter>"
               "<ParticleTemple><LifeTime>100</LifeTime></ParticleTemple></Emitter></ParticleSystem>";
    };
    for (bool steady : {false, true}) {
        ZrParticleEffect e;
        for (const std::string& text : {doc("CommonCounter", 8), doc("FadeCounter", 5), doc("CommonCounter", 30)}) {
            ZrParticleSystem* s = new ZrParticleSystem;
            VexaString xml(text.c_str());
            ASSERT_EQ(s->FromXML(xml), 1);
            e.AddParticleSystem(s);
        }
        e.AddParticleSystem(new ZrParticleSystem); // no emitter
        e.SetSteadyEmission(steady);
        for (int frame = 0; frame < 60; ++frame)
            e.Update(1.0 / 60.0);
        const std::vector<int> live = {e.GetParticleSystem(0)->GetLiveParticleNum(),
                                       e.GetParticleSystem(1)->GetLiveParticleNum(),
                                       e.GetParticleSystem(2)->GetLiveParticleNum()};
        EXPECT_EQ(live, steady ? std::vector<int>({8, 5, 30}) : std::vector<int>({60, 5, 60}));
        EXPECT_EQ(e.GetLiveParticleNum(), live[0] + live[1] + live[2]);
        e.Release();
        EXPECT_EQ(e.GetLiveParticleNum(), 0);
    }
}

class EffectDocument : public ::testing::Test {
protected:
    nbtest::SceneFolder m_scene;
    const nbtest::TempDir& m_dir = m_scene.Dir();
};

TEST_F(EffectDocument, FilesAndContainerEntriesAndTypeWords)
{
    const struct {
        std::string file, doc;
        int result, type;
        std::string widths;
    } cases[] = {{"a.par", EffectDoc("FireEffect", {1, 2}), 1, 1, "12"},
                 {"b.PAR", EffectDoc("RainEffect", {3}), 1, 5, "3"},
                 {"c.par", EffectDoc("fireeffect", {}), 1, 0, ""},
                 {"d.par", "<QuenmarParticleEffect>" + SystemDoc(4) + "</QuenmarParticleEffect>", 1, 2, "4"},
                 // A type after the systems is read, but the systems before it are not.
                 {"e.par", "<QuenmarParticleEffect>" + SystemDoc(1) + "<EffectType>SnowEffect</EffectType></QuenmarParticleEffect>", 1, 6, ""},
                 {"f.par", "<Other><EffectType>FireEffect</EffectType></Other>", 0, 2, ""},
                 {"g.par", "<QuenmarParticleEffect><EffectType>FireEffect</EffectType>", 0, 2, ""},
                 // Another extension is not read from disk: its name is a container entry.
                 {"h.xml", EffectDoc("FireEffect", {1}), 0, 2, ""}};
    for (const auto& c : cases) {
        std::unique_ptr<ZrParticleEffect> e(ZrParticleEffect::ParticleEffectFactory(SmokeEffect));
        EXPECT_EQ(e->FromXML(m_dir.Write(c.file, c.doc).c_str()), c.result) << c.file;
        EXPECT_EQ(e->GetType(), c.type) << c.file;
        EXPECT_EQ(Widths(*e), c.widths) << c.file;
        EXPECT_EQ(std::string(e->GetParticleEffectResFileName()), m_dir / c.file);
    }
    m_scene.Container({{"fire", EffectDoc("ExplodeEffect", {5, 6}), true},
                       {m_dir / "h.xml", EffectDoc("FountainEffect", {4}), false},
                       {"big", std::string(20000, ' ') + EffectDoc("FireEffect", {1}), false}});
    ZrParticleEffect e, other;
    EXPECT_EQ(e.FromXML((m_dir / "h.xml").c_str()), 1);
    EXPECT_EQ(e.GetType(), FountainEffect);
    EXPECT_EQ(e.FromXML("fire"), 1);   // reading again appends
    EXPECT_EQ(e.GetType(), ExplodeEffect);
    EXPECT_EQ(Widths(e), "456");
    for (const char* name : {"Fire", "missing", "big"})   // an entry larger than a document may be fails
        EXPECT_EQ(other.FromXML(name), 0) << name;
    EXPECT_EQ(other.GetParticleSystemNum(), 0);
}

TEST_F(EffectDocument, WritingLeavesOutSystemsThatFailAndRoundTrips)
{
    int ended = 0;
    std::unique_ptr<ZrParticleEffect> odd(ZrParticleEffect::ParticleEffectFactory(static_cast<ZrParticleEffectType>(42)));
    odd->AddParticleSystem(System(3));
    odd->AddParticleSystem(System(4, new CountingEmitter(&ended)));
    odd->AddParticleSystem(System(5));
    VexaString path((m_dir / "w.par").c_str());
    EXPECT_EQ(odd->ToXML(path), 0);
    ZrParticleEffect back;
    EXPECT_EQ(back.FromXML(path), 1);
    EXPECT_EQ(Widths(back), "35");
    EXPECT_EQ(back.GetType(), NoneEffect);

    // What the writer gives, the reader takes back to the same document.
    for (const char* name : {"fire.par", "smoke.par", "fountain.par", "explode.par", "rain.par", "snow.par"}) {
        ZrParticleEffect e, again;
        VexaString first((m_dir / "first.par").c_str()), second((m_dir / "second.par").c_str());
        const std::string bundled = std::string(NBPS_SOURCE_DIR) + "/effects/" + name;
        ASSERT_EQ(e.FromXML(bundled.c_str()) + e.ToXML(first) + again.FromXML(first) + again.ToXML(second), 4) << name;
        EXPECT_EQ(again.GetType() * 10 + e.GetType(), e.GetType() * 11) << name;
        EXPECT_EQ(nbtest::ReadFile(first.Str()), nbtest::ReadFile(second.Str())) << name;
    }
}

TEST(EffectStream, SaveAndLoadCarryTheSystemsOnly)
{
    ZrParticleEffect e, second, a, b;
    for (float w : {7, 8})
        e.AddParticleSystem(System(w));
    e.SetCenterPos(ZrVector3d(1, 2, 3));
    second.AddParticleSystem(System(9));
    ZrStream stream, empty;
    EXPECT_EQ(e.Save(stream) + second.Save(stream) + a.Load(stream) + b.Load(stream), 4);
    EXPECT_EQ(b.Load(stream) + a.Load(empty), 0);   // nothing left
    EXPECT_EQ(Widths(a) + "|" + Widths(b), "78|9");
    EXPECT_EQ(a.GetCenterPos().x, 0.0);
}

TEST(EffectCopy, CopiesNeverShareSystems)
{
    std::unique_ptr<ZrParticleEffect> source(ZrParticleEffect::ParticleEffectFactory(RainEffect));
    source->AddParticleSystem(System(1));
    source->AddParticleSystem(System(2));
    source->SetEffectName("blaze");
    source->SetParticleEffectResFileName("rain");
    source->SetCenterPos(ZrVector3d(4, 5, 6));
    source->AddRef();
    ZrParticleEffect made, copy(*source), assigned;
    made.AddParticleSystem(System(0));
    EXPECT_EQ(made.Make(nullptr) * 10 + made.Make(&made) * 10 + made.Make(source.get()), 1);
    assigned.AddParticleSystem(System(5));   // dropped by the assignment
    assigned = *source;
    ZrParticleEffect& alias = assigned;
    assigned = alias;
    for (ZrParticleEffect* e : {&made, &copy, &assigned}) {
        EXPECT_EQ(e->GetType() * 10 + e->GetRef(), RainEffect * 10 + 1);
        EXPECT_EQ(std::string(e->GetEffectName()) + e->GetParticleEffectResFileName().Str(), "blazerain");
        EXPECT_EQ(e->GetCenterPos().y, 5.0);
    }
    source.reset();   // the copies stay whole
    for (ZrParticleEffect* e : {&made, &copy, &assigned})
        e->Update(0.1);
    EXPECT_EQ(Widths(made) + "|" + Widths(copy) + "|" + Widths(assigned), "012|12|12");
}

// Truncated copies of a bundled effect document fail and leave a usable object.
namespace {

// Loads the text through a stream, then runs a few bounded frames.
int LoadAndRun(const std::string& text)
{
    ZrStream stream;
    stream << VexaString(text);
    ZrParticleEffect effect;
    const int result = effect.Load(stream);
    for (int frame = 0; frame < 3; ++frame) {
        effect.Update(0.05);
        effect.AfterRender(0.05);
    }
    effect.ComputeBoundingBox();
    return result;
}

} // namespace

TEST(MalformedInput, TruncatedDocumentsFailAndLeaveUsableObjects)
{
    const std::string full = nbtest::ReadFile(std::string(NBPS_SOURCE_DIR) + "/effects/fire.par");
    ASSERT_EQ(LoadAndRun(full), 1);
    for (size_t n = 0; n < full.rfind("</QuenmarParticleEffect>"); n += 7)
        EXPECT_EQ(LoadAndRun(full.substr(0, n)), 0) << "length " << n;
    const size_t start = full.find("<ParticleSystem>"), end = full.find("</ParticleSystem>");
    for (size_t n = start; n < end; n += 5) {   // the system reader on its own element, cut anywhere
        VexaString text(full.substr(start, n - start));
        EXPECT_EQ(ZrParticleSystem().FromXML(text), 0) << "length " << n;
    }
}
