#include "NbTestSupport.h"
#include "ZrAccelInfluence.h"
#include "ZrCommonEmitter.h"
#include "ZrEmitter.h"
#include "ZrInfluence.h"
#include "ZrMarkup.h"
#include "ZrParticleSystem.h"
#include "ZrWindInfluence.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace ZRC;
using VEXA::VexaString;

namespace {

const char* const kEmitter =
    "<Emitter><EmitterType>CommonEmitter</EmitterType>"
    "<Counter><CounterType>CommonCounter</CounterType><NumPerSecond>100</NumPerSecond></Counter>"
    "<Placer><PlacerType>PointPlacer</PlacerType><Position><Position:X>1.000000</Position:X>"
    "<Position:Y>2.000000</Position:Y><Position:Z>3.000000</Position:Z></Position></Placer>"
    "<Shooter><ShooterType>SingleShooter</ShooterType><SpeedRangeStart>1.000000</SpeedRangeStart>"
    "<SpeedRangeEnd>2.000000</SpeedRangeEnd></Shooter>"
    "<ParticleTemple><LifeTime>2.000000</LifeTime></ParticleTemple></Emitter>";

const char* const kAccel =
    "<Influence><InfluenceType>AccelInfluence</InfluenceType><Accel><AccelDirection:X>0.000000</AccelDirection:X>"
    "<AccelDirection:Y>-1.000000</AccelDirection:Y><AccelDirection:Z>0.000000</AccelDirection:Z>"
    "<AccelSize>9.800000</AccelSize></Accel></Influence>";

const char* const kWind =
    "<Influence><InfluenceType>WindInfluence</InfluenceType><WindVelocity><WindVelocity:X>1.000000</WindVelocity:X>"
    "<WindVelocity:Y>0.000000</WindVelocity:Y><WindVelocity:Z>0.000000</WindVelocity:Z></WindVelocity>"
    "<Speed>1.000000</Speed></Influence>";

std::string SystemDoc(const std::string& inner)
{
    return "<ParticleSystem>" + inner + "</ParticleSystem>";
}

unsigned char Read(ZrParticleSystem& system, const std::string& text)
{
    VexaString xml(text);
    return system.FromXML(xml);
}

std::string Write(ZrParticleSystem& system)
{
    VexaString xml;
    system.ToXML(xml);
    return xml.Str();
}

// The tag names of the children of the root element, in document order.
std::vector<std::string> ChildTags(const std::string& text)
{
    ZrMarkup doc(text.c_str());
    std::vector<std::string> tags;
    if (!doc.FindElem())
        return tags;
    while (doc.FindChildElem())
        tags.push_back(doc.GetChildTagName().Str());
    return tags;
}

std::string ChildText(const std::string& text, const char* child)
{
    ZrMarkup doc(text.c_str());
    if (!doc.FindElem() || !doc.FindChildElem(child))
        return "<missing>";
    return doc.GetChildData().Str();
}

// Parts that write their destruction into a shared log.
class LogEmitter : public ZrEmitter {
public:
    explicit LogEmitter(std::vector<std::string>* log) : m_log(log) {}
    ~LogEmitter() override { m_log->push_back("emitter"); }
    void Emit(double) override {}
    unsigned char FromXML(VexaString&) override { return 1; }
    unsigned char ToXML(VexaString&) override { return 0; }

private:
    std::vector<std::string>* m_log;
};

class LogInfluence : public ZrInfluence {
public:
    LogInfluence(std::vector<std::string>* log, const char* name) : m_log(log), m_name(name) {}
    ~LogInfluence() override { m_log->push_back(m_name); }
    void Apply(ZrParticleSystem*, double) override {}
    unsigned char FromXML(VexaString&) override { return 1; }
    unsigned char ToXML(VexaString&) override { return 1; }

private:
    std::vector<std::string>* m_log;
    std::string m_name;
};

ZrParticle Template(int lifeMs)
{
    ZrParticle p;
    p.SetLifeTime(lifeMs);
    return p;
}

} // namespace

TEST(ParticleSystem, NewSystemDefaults)
{
    ZrParticleSystem s;
    EXPECT_EQ(s.GetParticleNum(), 0);
    EXPECT_FLOAT_EQ(s.GetParticleWidth(), 2.0f);
    EXPECT_FLOAT_EQ(s.GetParticleHeight(), 2.0f);
    EXPECT_EQ(s.GetParticleType(), ZrParticleSystem::GLOW_PARTICLE);
    EXPECT_EQ(s.IsAlive(), 1);
    EXPECT_EQ(s.IsFrozen(), 0);
    EXPECT_EQ(s.GetEmitter(), nullptr);
    EXPECT_EQ(s.GetInfluenceSize(), 0);
    EXPECT_EQ(s.GetBoundingBox().IsNULL(), 1);
    EXPECT_EQ(s.GetTextureDirty(), 0);
    EXPECT_EQ(s.GetColorImage(), nullptr);
}

TEST(ParticleSystem, DeadSlotsReusedLastCollectedFirst)
{
    ZrParticleSystem s;
    ZrParticle templ = Template(1000);
    for (int i = 0; i < 3; ++i) {
        ZrParticle* created = s.CreateParticle(&templ);
        EXPECT_EQ(created, s.GetParticle(i));
    }
    // Growth may move the pool: fetch the slots once it is complete.
    s.GetParticle(0)->SetMustDie(1);
    s.GetParticle(2)->SetMustDie(1);
    s.UpdateParticleSystem(0.1);
    EXPECT_EQ(s.GetFreeParticleNum(), 2);
    EXPECT_EQ(s.GetParticleNum(), 3);

    ZrParticle* a = s.CreateParticle(&templ);
    ZrParticle* b = s.CreateParticle(&templ);
    EXPECT_EQ(a, s.GetParticle(2));
    EXPECT_EQ(b, s.GetParticle(0));
    EXPECT_EQ(a->IsAlive(), 1);
    EXPECT_FLOAT_EQ(a->GetAge(), 0.0f);
    EXPECT_EQ(s.GetParticleNum(), 3);
    s.CreateParticle(&templ);
    EXPECT_EQ(s.GetParticleNum(), 4);
    EXPECT_EQ(s.GetFreeParticleNum(), 0);
}

TEST(ParticleSystem, DeadParticleIsSkippedAndNotCollectedTwice)
{
    ZrParticleSystem s;
    ZrParticle templ = Template(1000);
    ZrParticle* p = s.CreateParticle(&templ);
    p->SetVelocity(ZrVector3d(1.0, 0.0, 0.0));
    p->SetMustDie(1);
    s.UpdateParticleSystem(0.5);
    EXPECT_EQ(p->IsAlive(), 0);
    EXPECT_EQ(s.GetFreeParticleNum(), 1);
    const double x = p->GetCurPos().x;
    s.UpdateParticleSystem(0.5);
    EXPECT_EQ(s.GetFreeParticleNum(), 1);
    EXPECT_DOUBLE_EQ(p->GetCurPos().x, x);
}

TEST(ParticleSystem, FrozenSystemChangesNothingUntilThawed)
{
    ZrParticleSystem s;
    ZrParticle templ = Template(1000);
    ZrParticle* p = s.CreateParticle(&templ);
    p->SetVelocity(ZrVector3d(0.0, 1.0, 0.0));
    s.UpdateParticleSystem(0.25);
    const ZrBoundingBox before = s.GetBoundingBox();
    s.SetFrozen(1);
    s.UpdateParticleSystem(0.25);
    EXPECT_FLOAT_EQ(p->GetAge(), 0.25f);
    EXPECT_DOUBLE_EQ(p->GetCurPos().y, 0.25);
    EXPECT_DOUBLE_EQ(s.GetBoundingBox().GetMax().y, before.GetMax().y);
    s.SetFrozen(0);
    s.UpdateParticleSystem(0.25);
    EXPECT_FLOAT_EQ(p->GetAge(), 0.5f);
    EXPECT_DOUBLE_EQ(p->GetCurPos().y, 0.5);
}

TEST(ParticleSystem, BoundingBoxFoldsEveryPositionReached)
{
    ZrParticleSystem s;
    ZrParticle templ = Template(10000);
    s.CreateParticle(&templ)->SetVelocity(ZrVector3d(1.0, 2.0, 3.0));
    s.CreateParticle(&templ)->SetVelocity(ZrVector3d(-1.0, 0.0, 5.0));
    s.UpdateParticleSystem(1.0);
    const ZrBoundingBox& box = s.GetBoundingBox();
    EXPECT_EQ(box.IsNULL(), 0);
    EXPECT_DOUBLE_EQ(box.GetMin().x, -1.0);
    EXPECT_DOUBLE_EQ(box.GetMin().y, 0.0);
    EXPECT_DOUBLE_EQ(box.GetMin().z, 3.0);
    EXPECT_DOUBLE_EQ(box.GetMax().x, 1.0);
    EXPECT_DOUBLE_EQ(box.GetMax().y, 2.0);
    EXPECT_DOUBLE_EQ(box.GetMax().z, 5.0);

    // Moving back does not shrink the box: it covers where particles have been.
    for (int i = 0; i < 2; ++i)
        s.GetParticle(i)->SetVelocity(ZrVector3d(0.0, -10.0, 0.0));
    s.UpdateParticleSystem(1.0);
    EXPECT_DOUBLE_EQ(s.GetBoundingBox().GetMax().z, 5.0);
    EXPECT_DOUBLE_EQ(s.GetBoundingBox().GetMin().y, -10.0);
}

TEST(ParticleSystem, IndicesOutsideThePoolAreHarmless)
{
    ZrParticleSystem s;
    ZrParticle templ = Template(1000);
    s.CreateParticle(&templ);
    EXPECT_EQ(s.GetParticle(-1), nullptr);
    EXPECT_EQ(s.GetParticle(1), nullptr);
    s.CollectDeadparticle(-1);
    s.CollectDeadparticle(1);
    s.CollectDeadparticle(1 << 30);
    EXPECT_EQ(s.GetFreeParticleNum(), 0);
    s.CollectDeadparticle(0);
    EXPECT_EQ(s.GetFreeParticleNum(), 1);
}

TEST(ParticleSystem, EmitterAndInfluenceOwnership)
{
    std::vector<std::string> log;
    {
        ZrParticleSystem s;
        LogEmitter* first = new LogEmitter(&log);
        s.SetEmitter(first);
        s.SetEmitter(first); // the same emitter again is kept, not destroyed
        EXPECT_TRUE(log.empty());
        EXPECT_EQ(s.GetEmitter(), first);
        s.SetEmitter(new LogEmitter(&log));
        ASSERT_EQ(log.size(), 1u);

        s.AddInfluence(nullptr);
        EXPECT_EQ(s.GetInfluenceSize(), 0);
        s.AddInfluence(new LogInfluence(&log, "a"));
        s.AddInfluence(new LogInfluence(&log, "b"));
        EXPECT_EQ(s.GetInfluenceSize(), 2);
        EXPECT_EQ(s.GetInfluence(-1), nullptr);
        EXPECT_EQ(s.GetInfluence(2), nullptr);
        EXPECT_NE(s.GetInfluence(1), nullptr);
        log.clear();
    }
    // Destruction: the emitter first, then the influences in list order.
    EXPECT_EQ(log, (std::vector<std::string>{"emitter", "a", "b"}));
}

TEST(ParticleSystem, TexturePathAlwaysSetsDirty)
{
    ZrParticleSystem s;
    s.SetTexturePath("fire.png");
    EXPECT_EQ(s.GetTextureDirty(), 1);
    s.SetTextureDirty(0);
    s.SetTexturePath("fire.png");
    EXPECT_EQ(s.GetTextureDirty(), 1);
    EXPECT_STREQ(s.GetTexturePath(), "fire.png");
}

TEST(ParticleSystemDocument, WritesPartsInOrderAndReadsThemBack)
{
    ZrParticleSystem s;
    ASSERT_EQ(Read(s, SystemDoc(std::string(kEmitter) + kAccel + kWind)), 1);
    s.SetParticleType(ZrParticleSystem::DARK_PARTICLE);
    s.SetTexturePath("fire.png");
    s.SetParticleWidth(3.0f);
    s.SetParticleHeight(4.0f);
    const std::string text = Write(s);
    EXPECT_EQ(ChildTags(text), (std::vector<std::string>{"Emitter", "Influence", "Influence", "ParticleType",
                                                         "TexturePath", "ColorImagePath", "ParticleWidth",
                                                         "ParticleHeight"}));
    EXPECT_EQ(ChildText(text, "ParticleType"), "DARK_PARTICLE");
    EXPECT_EQ(ChildText(text, "TexturePath"), "fire.png");
    EXPECT_EQ(ChildText(text, "ColorImagePath"), "");
    EXPECT_EQ(ChildText(text, "ParticleWidth"), "3.000000");
    EXPECT_EQ(ChildText(text, "ParticleHeight"), "4.000000");

    ZrParticleSystem back;
    ASSERT_EQ(Read(back, text), 1);
    ASSERT_NE(back.GetEmitter(), nullptr);
    EXPECT_EQ(back.GetEmitter()->GetParticleSystem(), &back);
    ASSERT_EQ(back.GetInfluenceSize(), 2);
    EXPECT_EQ(back.GetInfluence(0)->GetType(), 1);
    EXPECT_EQ(back.GetInfluence(1)->GetType(), 2);
    EXPECT_EQ(back.GetParticleType(), ZrParticleSystem::DARK_PARTICLE);
    EXPECT_FLOAT_EQ(back.GetParticleWidth(), 3.0f);
    EXPECT_FLOAT_EQ(back.GetParticleHeight(), 4.0f);
    EXPECT_EQ(back.GetTextureDirty(), 1);
    EXPECT_EQ(Write(back), text);
}

TEST(ParticleSystemDocument, ReaderDispatchAndOrderRules)
{
    ZrParticleSystem lower;
    ASSERT_EQ(Read(lower, SystemDoc("<ParticleType>glow_particle</ParticleType>")), 1);
    EXPECT_EQ(lower.GetParticleType(), ZrParticleSystem::DARK_PARTICLE);

    ZrParticleSystem gravity;
    const std::string unknown = "<Influence><InfluenceType>Gravity</InfluenceType></Influence>";
    const std::string untyped = "<Influence><Accel/></Influence>";
    ASSERT_EQ(Read(gravity, SystemDoc(unknown + untyped + kWind)), 1);
    ASSERT_EQ(gravity.GetInfluenceSize(), 1);
    EXPECT_EQ(gravity.GetInfluence(0)->GetType(), 2);

    ZrParticleSystem foreign;
    ASSERT_EQ(Read(foreign, SystemDoc("<Emitter><EmitterType>commonemitter</EmitterType></Emitter>")), 1);
    EXPECT_EQ(foreign.GetEmitter(), nullptr);

    ZrParticleSystem order;
    ASSERT_EQ(Read(order, SystemDoc("<ParticleWidth>7</ParticleWidth><ParticleType>DARK_PARTICLE</ParticleType>"
                                    "<ParticleHeight>5</ParticleHeight>")),
              1);
    EXPECT_FLOAT_EQ(order.GetParticleWidth(), 2.0f);
    EXPECT_FLOAT_EQ(order.GetParticleHeight(), 5.0f);

    ZrParticleSystem missing;
    EXPECT_EQ(Read(missing, "<System/>"), 0);
    EXPECT_EQ(Read(missing, "<ParticleSystem><Emitter>"), 0);
    EXPECT_EQ(Read(missing, ""), 0);

    // Reading adds to the influences already there.
    ZrParticleSystem twice;
    Read(twice, SystemDoc(kAccel));
    Read(twice, SystemDoc(kAccel));
    EXPECT_EQ(twice.GetInfluenceSize(), 2);
}

TEST(ParticleSystemCopy, DeepCopyOwnsItsParts)
{
    std::unique_ptr<ZrParticleSystem> source(new ZrParticleSystem);
    ASSERT_EQ(Read(*source, SystemDoc(std::string(kEmitter) + kAccel + kWind + kAccel)), 1);
    source->SetParticleWidth(5.0f);
    source->SetAvlive(0);
    source->SetLocalScale(ZrVector3d(1.0, 2.0, 3.0));
    ZrParticle templ = Template(1000);
    source->CreateParticle(&templ)->SetMustDie(1);
    source->CreateParticle(&templ)->SetVelocity(ZrVector3d(1.0, 0.0, 0.0));
    source->UpdateParticleSystem(0.5);
    const std::string text = Write(*source);

    EXPECT_EQ(source->Copy(*source), 0);

    ZrParticleSystem copy(*source);
    EXPECT_EQ(copy.GetInfluenceSize(), 3);
    ASSERT_NE(copy.GetEmitter(), nullptr);
    EXPECT_NE(copy.GetEmitter(), source->GetEmitter());
    EXPECT_NE(copy.GetInfluence(0), source->GetInfluence(0));
    EXPECT_EQ(copy.GetEmitter()->GetParticleSystem(), &copy);
    EXPECT_EQ(copy.IsAlive(), 0);
    EXPECT_DOUBLE_EQ(copy.GetLocalScale().z, 3.0);
    EXPECT_EQ(copy.GetTextureDirty(), 1);
    EXPECT_DOUBLE_EQ(copy.GetBoundingBox().GetMax().x, 0.5);
    ASSERT_EQ(copy.GetParticleNum(), 2);
    EXPECT_EQ(copy.GetParticle(0)->IsAlive(), 0);
    // The free list holds the copy's own dead slot.
    EXPECT_EQ(copy.GetFreeParticleNum(), 1);

    source.reset();
    EXPECT_EQ(Write(copy), text);
    EXPECT_EQ(copy.CreateParticle(&templ), copy.GetParticle(0));
    copy.SetAvlive(1);
    copy.UpdateParticleSystem(0.1);
}

TEST(ParticleSystemCopy, MissingPartsKeepTheTargetsOwn)
{
    ZrParticleSystem target;
    Read(target, SystemDoc(std::string(kEmitter) + kWind));
    ZrEmitter* emitter = target.GetEmitter();
    ZrInfluence* wind = target.GetInfluence(0);
    ZrParticleSystem bare;
    bare.SetParticleHeight(9.0f);
    EXPECT_EQ(target.Copy(bare), 1);
    EXPECT_EQ(target.GetEmitter(), emitter);
    EXPECT_EQ(target.GetInfluence(0), wind);
    EXPECT_FLOAT_EQ(target.GetParticleHeight(), 9.0f);

    // Assignment replaces the target's parts with copies of the other's.
    ZrParticleSystem other;
    Read(other, SystemDoc(kAccel));
    target = other;
    EXPECT_EQ(target.GetEmitter(), nullptr);
    ASSERT_EQ(target.GetInfluenceSize(), 1);
    EXPECT_EQ(target.GetInfluence(0)->GetType(), 1);
    EXPECT_NE(target.GetInfluence(0), other.GetInfluence(0));
}

TEST(ParticleSystemForwarding, WithoutEmitter)
{
    ZrParticleSystem s;
    EXPECT_EQ(s.GetCountPerSecond(), 0);
    EXPECT_EQ(s.GetLifeTime(), 0);
    EXPECT_EQ(s.ResetCounter(), 0);
    const ZrVector4d c = s.GetColorRangeStart();
    EXPECT_EQ(c.x, ZrVector4d().x);
    float a = 7.0f, b = 8.0f;
    s.GetSpeedRange(a, b);
    EXPECT_FLOAT_EQ(a, 7.0f);
    EXPECT_FLOAT_EQ(b, 8.0f);
    s.SetLifeTime(500);
    s.SetCountPerSecond(5);
}

TEST(ParticleSystemForwarding, ReachesTheEmittersParts)
{
    ZrParticleSystem s;
    Read(s, SystemDoc(kEmitter));
    EXPECT_EQ(s.GetLifeTime(), 2000);
    s.SetLifeTime(0);
    s.SetLifeTime(-5);
    EXPECT_EQ(s.GetLifeTime(), 2000);
    s.SetLifeTime(500);
    EXPECT_EQ(s.GetLifeTime(), 500);
    ZrCommonEmitter* common = dynamic_cast<ZrCommonEmitter*>(s.GetEmitter());
    ASSERT_NE(common, nullptr);
    EXPECT_FLOAT_EQ(common->GetParticleTemplate()->GetLifeTime() * 0.001f, 0.5f);

    EXPECT_EQ(s.GetCountPerSecond(), 100);
    s.SetCountPerSecond(40);
    EXPECT_EQ(s.GetCountPerSecond(), 40);
    EXPECT_EQ(s.ResetCounter(), 0); // a common counter has nothing to re-arm
    s.SetSeepRange(3.0f, 4.0f);
    float lo = 0, hi = 0;
    s.GetSpeedRange(lo, hi);
    EXPECT_FLOAT_EQ(lo, 3.0f);
    EXPECT_FLOAT_EQ(hi, 4.0f);
    s.SetColorRangeEnd(ZrVector4d(0.1, 0.2, 0.3, 0.4));
    EXPECT_DOUBLE_EQ(s.GetColorRangeEnd().z, 0.3);
}

TEST(ParticleSystemForwarding, AccelerationInfluencesOnly)
{
    ZrParticleSystem s;
    const std::string accelB = std::string(kAccel).replace(std::string(kAccel).find("9.8"), 3, "1.5");
    Read(s, SystemDoc(std::string(kAccel) + kWind + accelB));
    VexaString windBefore;
    s.GetInfluence(1)->ToXML(windBefore);
    float size = 0.0f;
    s.GetAccelSize(size);
    EXPECT_FLOAT_EQ(size, 1.5f); // the last acceleration in the list wins
    s.SetAccelSize(3.0f);
    s.SetAccelDirection(ZrVector3d(1.0, 0.0, 0.0));
    for (int i : {0, 2}) {
        ZrAccelInfluence* accel = dynamic_cast<ZrAccelInfluence*>(s.GetInfluence(i));
        ASSERT_NE(accel, nullptr);
        float each = 0.0f;
        accel->GetAccelSize(each);
        EXPECT_FLOAT_EQ(each, 3.0f);
    }
    ZrVector3d dir;
    s.GetAccelDirection(dir);
    EXPECT_DOUBLE_EQ(dir.x, 1.0);
    VexaString windAfter;
    s.GetInfluence(1)->ToXML(windAfter);
    EXPECT_EQ(windAfter.Str(), windBefore.Str());
}

// Colour images -------------------------------------------------------------

class ColorImage : public ::testing::Test {
protected:
    // A ramp from red to blue, R, G, B, A bytes per pixel.
    static std::string Ramp(unsigned char alpha)
    {
        return nbtest::PngBytes(2, 1, {255, 0, 0, alpha, 0, 0, 255, alpha});
    }
    void Container(const std::vector<nbtest::ZipEntry>& entries) { m_scene.Container(entries); }

    nbtest::SceneFolder m_scene;
    const nbtest::TempDir& m_dir = m_scene.Dir();
};

TEST_F(ColorImage, FileImageIsRgbaAndColoursTheParticles)
{
    const std::string path = m_dir.Write("ramp.png", Ramp(200));
    ZrParticleSystem s;
    Read(s, SystemDoc(kEmitter));
    s.SetColorImagePath(path.c_str());
    ZrImageData* image = s.GetColorImage();
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->m_nDepth, 32);
    const unsigned char* px = image->m_pData;
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[1], 0);
    EXPECT_EQ(px[2], 0);
    EXPECT_EQ(px[3], 200);
    EXPECT_EQ(px[6], 255);

    ZrCommonEmitter* common = dynamic_cast<ZrCommonEmitter*>(s.GetEmitter());
    EXPECT_EQ(common->GetParticleTemplate()->GetColorImageData(), image);
    ZrParticle* p = s.CreateParticle(common->GetParticleTemplate());
    s.UpdateParticleSystem(0.01);
    EXPECT_GT(p->GetCurColor().x, 0.95);
    EXPECT_LT(p->GetCurColor().z, 0.05);
}

TEST_F(ColorImage, ContainerEntryByExactName)
{
    Container({{"ramps/fire.png", Ramp(255), true}});
    ZrParticleSystem s;
    ASSERT_EQ(Read(s, SystemDoc(std::string(kEmitter) + "<ColorImagePath>ramps/fire.png</ColorImagePath>")), 1);
    ASSERT_NE(s.GetColorImage(), nullptr);
    EXPECT_EQ(s.GetColorImage()->m_nWidth, 2u);
    ZrCommonEmitter* common = dynamic_cast<ZrCommonEmitter*>(s.GetEmitter());
    EXPECT_EQ(common->GetParticleTemplate()->GetColorImageData(), s.GetColorImage());

    ZrParticleSystem upper;
    Read(upper, SystemDoc("<ColorImagePath>ramps/FIRE.png</ColorImagePath>"));
    EXPECT_EQ(upper.GetColorImage(), nullptr);
}

TEST_F(ColorImage, ExistingFileWinsOverContainerEntry)
{
    const std::string path = m_dir.Write("ramp.png", Ramp(10));
    Container({{path, Ramp(99), false}});
    ZrParticleSystem s;
    s.SetColorImagePath(path.c_str());
    ASSERT_NE(s.GetColorImage(), nullptr);
    EXPECT_EQ(s.GetColorImage()->m_pData[3], 10);
}

TEST_F(ColorImage, CorruptOrMissingImagesLoadNothing)
{
    Container({{"bad.png", "not an image at all", false}, {"fire.par", "<x/>", false}});
    ZrParticleSystem s;
    Read(s, SystemDoc(kEmitter));
    for (const char* path : {"bad.png", "missing.png", "fire.par", ""}) {
        s.SetColorImagePath(path);
        EXPECT_EQ(s.GetColorImage(), nullptr) << path;
    }
    ZrCommonEmitter* common = dynamic_cast<ZrCommonEmitter*>(s.GetEmitter());
    EXPECT_EQ(common->GetParticleTemplate()->GetColorImageData(), nullptr);
}

TEST_F(ColorImage, ParticlesNeverKeepADiscardedImage)
{
    const std::string first = m_dir.Write("a.png", Ramp(1));
    const std::string second = m_dir.Write("b.png", Ramp(2));
    ZrParticleSystem s;
    Read(s, SystemDoc(kEmitter));
    s.SetColorImagePath(first.c_str());
    ZrCommonEmitter* common = dynamic_cast<ZrCommonEmitter*>(s.GetEmitter());
    ZrParticle* p = s.CreateParticle(common->GetParticleTemplate());
    s.SetColorImagePath(second.c_str());
    EXPECT_EQ(p->GetColorImageData(), s.GetColorImage());
    s.SetColorImagePath("nothing-here.png");
    EXPECT_EQ(p->GetColorImageData(), nullptr);

    // A copy's particles use the copy's own image, which outlives the source.
    s.SetColorImagePath(first.c_str());
    s.CreateParticle(common->GetParticleTemplate());
    std::unique_ptr<ZrParticleSystem> copy(new ZrParticleSystem(s));
    ASSERT_NE(copy->GetColorImage(), nullptr);
    EXPECT_NE(copy->GetColorImage(), s.GetColorImage());
    for (int i = 0; i < copy->GetParticleNum(); ++i)
        EXPECT_EQ(copy->GetParticle(i)->GetColorImageData(), copy->GetColorImage());
    ZrCommonEmitter* copied = dynamic_cast<ZrCommonEmitter*>(copy->GetEmitter());
    EXPECT_EQ(copied->GetParticleTemplate()->GetColorImageData(), copy->GetColorImage());
}
