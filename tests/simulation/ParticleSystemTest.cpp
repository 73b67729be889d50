#include "../emission/EmissionTestSupport.h"
#include "NbTestSupport.h"
#include "ZrAccelInfluence.h"
#include "ZrCommonEmitter.h"
#include "ZrParticleSystem.h"
#include "ZrSingleShooter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace ZRC;
using VEXA::VexaString;
using emission_test::Xml;

namespace {

const std::string kEmitter =
    "<Emitter><EmitterType>CommonEmitter</EmitterType>"
    "<Counter><CounterType>CommonCounter</CounterType><NumPerSecond>100</NumPerSecond></Counter>"
    "<Placer><PlacerType>PointPlacer</PlacerType></Placer><Shooter><ShooterType>SingleShooter</ShooterType>"
    "<SpeedRangeStart>1.000000</SpeedRangeStart></Shooter><ParticleTemple><LifeTime>2.000000</LifeTime></ParticleTemple></Emitter>";
const std::string kAccel = "<Influence><InfluenceType>AccelInfluence</InfluenceType><Accel><AccelSize>9.800000</AccelSize></Accel></Influence>";
const std::string kWind = "<Influence><InfluenceType>WindInfluence</InfluenceType><Speed>1.000000</Speed></Influence>";

unsigned char Read(ZrParticleSystem& system, const std::string& inner)
{
    VexaString xml(("<ParticleSystem>" + inner + "</ParticleSystem>").c_str());
    return system.FromXML(xml);
}

ZrParticle* Spawn(ZrParticleSystem& s, const ZrVector3d& velocity)
{
    ZrParticle templ;
    templ.SetLifeTime(1000);
    ZrParticle* p = s.CreateParticle(&templ);
    p->SetVelocity(velocity);
    return p;
}

ZrParticle* Template(ZrParticleSystem& s) { return dynamic_cast<ZrCommonEmitter*>(s.GetEmitter())->GetParticleTemplate(); }

} // namespace

TEST(ParticleSystem, PoolReusesDeadSlotsLastCollectedFirst)
{
    ZrParticleSystem s;
    EXPECT_EQ(s.GetParticle(-1), nullptr);
    const ZrVector3d centre = s.GetLocalCenterPos();
    EXPECT_EQ(std::vector<double>({centre.x, centre.y, centre.z, double(s.GetTextureDirty())}), std::vector<double>(4, 0.0));
    for (int i = 0; i < 3; ++i) {
        ZrParticle* created = Spawn(s, ZrVector3d(1, 0, 0));
        EXPECT_EQ(created, s.GetParticle(i));
    }
    EXPECT_EQ(s.GetParticle(3), nullptr);
    s.GetParticle(0)->SetMustDie(1);
    s.GetParticle(2)->SetMustDie(1);
    s.UpdateParticleSystem(0.5);
    s.UpdateParticleSystem(0.5); // dead particles are neither moved nor collected twice
    EXPECT_EQ(s.GetFreeParticleNum(), 2);
    EXPECT_EQ(s.GetParticle(0)->GetCurPos().x, 0.0);
    EXPECT_EQ(s.GetParticle(1)->GetCurPos().x, 1.0);
    EXPECT_EQ(Spawn(s, ZrVector3d()), s.GetParticle(2));
    EXPECT_EQ(s.GetParticle(2)->GetAge(), 0.0f);
    EXPECT_EQ(Spawn(s, ZrVector3d()), s.GetParticle(0));
    EXPECT_EQ(s.GetParticleNum(), 3);
    Spawn(s, ZrVector3d());
    EXPECT_EQ(s.GetParticleNum(), 4);
    for (int index : {-1, 4, 1 << 30})
        s.CollectDeadparticle(index);
    EXPECT_EQ(s.GetFreeParticleNum(), 0);
    s.CollectDeadparticle(3);
    s.CollectDeadparticle(0);
    EXPECT_EQ(s.GetFreeParticleNum(), 2);
}

TEST(ParticleSystem, UpdateFoldsTheBoundingBoxUnlessFrozen)
{
    ZrParticleSystem s;
    s.UpdateParticleSystem(0.5);   // nothing to fold
    EXPECT_EQ(s.GetBoundingBox().IsNULL(), 1);
    Spawn(s, ZrVector3d(1.0, 2.0, 3.0));
    Spawn(s, ZrVector3d(-1.0, 0.0, 5.0));
    const auto box = [&] {
        const ZrBoundingBox& b = s.GetBoundingBox();
        return std::vector<double>{b.GetMin().x, b.GetMin().y, b.GetMin().z, b.GetMax().x, b.GetMax().y, b.GetMax().z};
    };
    s.UpdateParticleSystem(0.5);
    EXPECT_EQ(box(), (std::vector<double>{-0.5, 0.0, 1.5, 0.5, 1.0, 2.5}));
    s.SetFrozen(1);
    s.UpdateParticleSystem(0.25);
    EXPECT_EQ(s.GetParticle(0)->GetAge(), 0.5f);
    EXPECT_EQ(box(), (std::vector<double>{-0.5, 0.0, 1.5, 0.5, 1.0, 2.5}));
    s.SetFrozen(0);
    // Moving back does not shrink the box: it covers where particles have been.
    for (int i = 0; i < 2; ++i)
        s.GetParticle(i)->SetVelocity(ZrVector3d(0.0, -10.0, 0.0));
    s.UpdateParticleSystem(0.25);
    EXPECT_EQ(box(), (std::vector<double>{-0.5, -2.5, 1.5, 0.5, 1.0, 2.5}));
}

// The live count is kept without a walk over the pool: it must agree with one
// after births, deaths, reuse, a slot the host collected while alive, a dead
// template and a copy; the live box covers the living only.
TEST(ParticleSystem, LiveCountAndLiveBoxFollowTheLiving)
{
    ZrParticleSystem s;
    const auto scan = [](ZrParticleSystem& sys) {
        int live = 0;
        for (int i = 0; i < sys.GetParticleNum(); ++i)
            live += sys.GetParticle(i)->IsAlive();
        return live;
    };
    const auto corners = [](const ZrBoundingBox& b) {
        return std::vector<double>{b.GetMin().x, b.GetMin().y, b.GetMin().z, b.GetMax().x, b.GetMax().y, b.GetMax().z};
    };
    EXPECT_EQ(s.ComputeLiveBoundingBox().IsNULL(), 1);
    Spawn(s, ZrVector3d(1.0, 2.0, 3.0));
    Spawn(s, ZrVector3d(-1.0, 0.0, 5.0));
    Spawn(s, ZrVector3d(4.0, -2.0, 0.0));
    s.UpdateParticleSystem(0.5);
    EXPECT_EQ(s.GetLiveParticleNum(), 3);
    EXPECT_EQ(corners(s.ComputeLiveBoundingBox()), (std::vector<double>{-0.5, -1.0, 0.0, 2.0, 1.0, 2.5}));
    s.GetParticle(0)->SetMustDie(1);
    s.GetParticle(2)->SetMustDie(1);
    s.UpdateParticleSystem(0.5);
    EXPECT_EQ(s.GetLiveParticleNum(), 1);
    EXPECT_EQ(corners(s.ComputeLiveBoundingBox()), (std::vector<double>{-1.0, 0.0, 5.0, -1.0, 0.0, 5.0}));
    EXPECT_EQ(corners(s.GetBoundingBox()), (std::vector<double>{-1.0, -1.0, 0.0, 2.0, 1.0, 5.0})) << "the growing box stays";
    const ZrParticle deadTemplate = *s.GetParticle(0);
    s.CreateParticle(const_cast<ZrParticle*>(&deadTemplate));
    EXPECT_EQ(s.GetLiveParticleNum(), 1) << "a dead template makes a dead particle";
    s.CollectDeadparticle(1); // alive: the next creation overwrites it
    Spawn(s, ZrVector3d());
    Spawn(s, ZrVector3d());
    EXPECT_EQ(s.GetLiveParticleNum(), scan(s));
    s.SetFrozen(1);
    s.GetParticle(1)->SetMustDie(1);
    s.UpdateParticleSystem(0.5);
    EXPECT_EQ(s.GetLiveParticleNum(), scan(s));
    s.SetFrozen(0);
    s.UpdateParticleSystem(0.5);
    EXPECT_EQ(s.GetLiveParticleNum(), scan(s));
    ZrParticleSystem copy(s);
    EXPECT_EQ(copy.GetLiveParticleNum(), scan(s));

    // An emitting system over many frames, particles dying of age.
    ZrParticleSystem emitting;
    ASSERT_EQ(Read(emitting, kEmitter), 1);
    Template(emitting)->SetLifeTime(300);
    for (int frame = 0; frame < 40; ++frame) {
        emitting.GetEmitter()->Emit(1.0 / 30.0);
        emitting.UpdateParticleSystem(1.0 / 30.0);
        ASSERT_EQ(emitting.GetLiveParticleNum(), scan(emitting)) << frame;
    }
    EXPECT_GT(emitting.GetFreeParticleNum() + emitting.GetLiveParticleNum(), emitting.GetLiveParticleNum());
}

// The pool's update (on the wide loop where the processor has one) gives each
// live particle exactly its own UpdateParticle, whatever kind it is: ageing,
// immortal, without a life time, marked to die, past its end.
TEST(ParticleSystem, UpdateIsEachParticlesOwnUpdate)
{
    ZrParticleSystem s;
    for (int life : {1000, -500, 0, 1000, 100}) {
        ZrParticle* p = Spawn(s, ZrVector3d(life, 1.0, -1.0));
        p->SetLifeTime(life);
        p->SetSizeRange(1.0f, 3.0f);
    }
    s.GetParticle(3)->SetMustDie(1);
    std::vector<ZrParticle> alone(s.GetParticle(0), s.GetParticle(0) + s.GetParticleNum());
    auto look = [](const ZrParticle& p) {
        const ZrVector3d x = p.GetCurPos();
        const ZrVector4d c = p.GetCurColor();
        return std::vector<double>{double(p.IsAlive()), x.x, x.y, x.z, p.GetAge(), p.GetCurSize(), p.GetCurAlpha(), c.x, c.y, c.z, c.w};
    };
    for (int step = 0; step < 3; ++step) {
        std::srand(7);
        s.UpdateParticleSystem(0.25);
        std::srand(7);
        for (size_t i = 0; i < alone.size(); ++i) {
            if (alone[i].IsAlive())
                alone[i].UpdateParticle(0.25);
            EXPECT_EQ(look(*s.GetParticle(static_cast<int>(i))), look(alone[i])) << "particle " << i << " step " << step;
        }
    }
}

// A part that cannot write itself makes ToXML report 0; the rest is written all the same.
TEST(ParticleSystem, PartsThatDoNotWriteThemselvesFailTheDocument)
{
    struct Mute : ZrInfluence {
        void Apply(ZrParticleSystem*, double) override {}
        unsigned char FromXML(VexaString&) override { return 1; }
        unsigned char ToXML(VexaString&) override { return 0; }
    };
    struct MuteEmitter : ZrEmitter {
        void Emit(double) override {}
        unsigned char FromXML(VexaString&) override { return 1; }
        unsigned char ToXML(VexaString&) override { return 0; }
    };
    for (bool emitter : {false, true}) {
        ZrParticleSystem s;
        ASSERT_EQ(Read(s, kEmitter + kWind), 1);
        emitter ? s.SetEmitter(new MuteEmitter) : s.AddInfluence(new Mute);
        VexaString xml;
        EXPECT_EQ(s.ToXML(xml), 0);
        EXPECT_EQ(xml.Str().find("<Emitter>") == std::string::npos, emitter);
        EXPECT_THAT(xml.Str(), testing::ContainsRegex("WindInfluence.*<ParticleHeight>"));
    }
}

TEST(ParticleSystem, DocumentWritesPartsInOrderAndReadsThemBack)
{
    ZrParticleSystem s;
    ASSERT_EQ(Read(s, kEmitter + kAccel + kWind), 1);
    s.SetParticleType(ZrParticleSystem::DARK_PARTICLE);
    s.SetTexturePath("fire.png");
    s.SetParticleWidth(3.0f);
    s.SetParticleHeight(4.0f);
    const std::string text = Xml(s);
    EXPECT_THAT(text, testing::MatchesRegex("<ParticleSystem>\n\t<Emitter>.*</Emitter>\n\t<Influence>.*AccelInfluence.*"
                                            "</Influence>\n\t<Influence>.*WindInfluence.*</Influence>\n"
                                            "\t<ParticleType>DARK_PARTICLE</ParticleType>\n\t<TexturePath>fire.png</TexturePath>\n"
                                            "\t<ColorImagePath />\n\t<ParticleWidth>3.000000</ParticleWidth>\n"
                                            "\t<ParticleHeight>4.000000</ParticleHeight>\n</ParticleSystem>\n"));
    ZrParticleSystem back;
    VexaString xml(text.c_str());
    ASSERT_EQ(back.FromXML(xml), 1);
    EXPECT_EQ(back.GetEmitter()->GetParticleSystem(), &back);
    EXPECT_EQ(back.GetTextureDirty(), 1);
    EXPECT_EQ(Xml(back), text);

    // Reading adds influences; unknown types, lower-case names and late siblings are passed over.
    ASSERT_EQ(Read(back, "<Influence><InfluenceType>Gravity</InfluenceType></Influence><Influence><Accel/></Influence>" +
                             kAccel + "<ParticleWidth>7</ParticleWidth><ParticleType>glow_particle</ParticleType>"), 1);
    EXPECT_EQ(back.GetInfluenceSize(), 3);
    EXPECT_EQ(back.GetInfluence(2)->GetType(), 1);
    EXPECT_EQ(back.GetParticleType(), ZrParticleSystem::DARK_PARTICLE);
    EXPECT_EQ(back.GetParticleWidth(), 3.0f);
    ZrParticleSystem foreign;
    ASSERT_EQ(Read(foreign, "<Emitter><EmitterType>commonemitter</EmitterType></Emitter>"), 1);
    EXPECT_EQ(foreign.GetEmitter(), nullptr);
}

TEST(ParticleSystem, CopiesOwnTheirPartsAndKeepTheirOwnWhereTheSourceHasNone)
{
    std::unique_ptr<ZrParticleSystem> source(new ZrParticleSystem);
    ASSERT_EQ(Read(*source, kEmitter + kAccel + kWind), 1);
    source->SetParticleType(ZrParticleSystem::DARK_PARTICLE);
    source->SetAvlive(0);
    source->SetLocalScale(ZrVector3d(1.0, 2.0, 3.0));
    source->SetLocalCenterPos(ZrVector3d(4.0, 5.0, 6.0));
    source->SetLocalRotate(ZrVector3d(7.0, 8.0, 9.0));
    Spawn(*source, ZrVector3d())->SetMustDie(1);
    Spawn(*source, ZrVector3d(1.0, 0.0, 0.0));
    source->UpdateParticleSystem(0.5);
    const std::string text = Xml(*source);
    EXPECT_EQ(source->Copy(*source), 0);
    ZrParticleSystem copy(*source);
    EXPECT_NE(copy.GetEmitter(), source->GetEmitter());
    EXPECT_NE(copy.GetInfluence(0), source->GetInfluence(0));
    EXPECT_EQ(copy.GetEmitter()->GetParticleSystem(), &copy);
    EXPECT_EQ(copy.IsAlive(), 0);
    EXPECT_EQ(copy.GetLocalScale().z, 3.0);
    EXPECT_EQ(copy.GetLocalCenterPos().y, 5.0);
    EXPECT_EQ(copy.GetLocalRotate().x, 7.0);
    EXPECT_EQ(copy.GetTextureDirty(), 1);
    EXPECT_EQ(copy.GetBoundingBox().GetMax().x, 0.5);
    EXPECT_EQ(copy.GetFreeParticleNum(), 1) << "the copy's own dead slot";
    ZrParticleSystem again;   // three influences and a particle of its own, replaced by the source's
    ASSERT_EQ(Read(again, kEmitter + kAccel + kWind + kAccel), 1);
    Spawn(again, ZrVector3d());
    EXPECT_EQ(again.Copy(*source), 1);
    EXPECT_EQ(again.GetInfluenceSize() + again.GetParticleNum(), 4);
    EXPECT_EQ(again.GetInfluence(2), nullptr);
    source.reset();
    EXPECT_EQ(Xml(copy), text);
    EXPECT_EQ(Spawn(copy, ZrVector3d()), copy.GetParticle(0));

    ZrParticleSystem bare;
    bare.SetParticleHeight(9.0f);
    ZrEmitter* emitter = copy.GetEmitter();
    ZrInfluence* wind = copy.GetInfluence(1);
    EXPECT_EQ(copy.Copy(bare), 1);
    EXPECT_EQ(copy.GetEmitter(), emitter);
    EXPECT_EQ(copy.GetInfluence(1), wind);
    EXPECT_EQ(copy.GetParticleHeight(), 9.0f);
    // Assignment replaces the target's parts with copies of the other's.
    copy = bare;
    EXPECT_EQ(copy.GetEmitter(), nullptr);
    EXPECT_EQ(copy.GetInfluenceSize(), 0);
}

// A copy goes on as its source would: dead slots reused in the source's order
// (last collected first), particles with the colour they had.
TEST(ParticleSystem, CopiesReuseSlotsInTheSourcesOrderAndKeepColours)
{
    ZrParticleSystem source;
    for (int i = 0; i < 3; ++i)
        Spawn(source, ZrVector3d())->SetColorRangeStart(ZrVector4d(0.25, 0.5, 0.75, 1.0));
    source.GetParticle(2)->SetMustDie(1);
    source.UpdateParticleSystem(0.1);
    source.GetParticle(0)->SetMustDie(1);
    source.UpdateParticleSystem(0.1);
    ZrParticleSystem copy(source);
    EXPECT_EQ(copy.GetParticle(1)->GetCurColor().y, source.GetParticle(1)->GetCurColor().y);
    EXPECT_NE(copy.GetParticle(1)->GetCurColor().y, 0.0);
    EXPECT_EQ(Spawn(copy, ZrVector3d()), copy.GetParticle(0));
    EXPECT_EQ(Spawn(copy, ZrVector3d()), copy.GetParticle(2));
}

TEST(ParticleSystem, ForwardsToTheEmittersPartsAndAccelerations)
{
    ZrParticleSystem s;
    float lo = 7.0f, hi = 8.0f;
    s.GetSpeedRange(lo, hi);
    s.SetCountPerSecond(5);
    s.SetLifeTime(500);
    s.SetDirection(ZrVector3d());
    s.SetRegion(VEXA::VexaArray<VEXA::VexaPoint2D>(), VEXA::VexaPoint2D()); // no emitter: nothing to place
    EXPECT_EQ(lo + hi, 15.0f);
    EXPECT_EQ(s.GetCountPerSecond() + s.GetLifeTime() + s.ResetCounter(), 0);
    EXPECT_EQ(s.GetColorRangeStart().x, ZrVector4d().x);

    ASSERT_EQ(Read(s, kEmitter + kAccel + kWind + kAccel), 1);
    EXPECT_EQ(s.GetLifeTime(), 2000);
    s.SetLifeTime(-5);
    s.SetLifeTime(0);
    EXPECT_EQ(s.GetLifeTime(), 2000);
    s.SetLifeTime(500);
    EXPECT_EQ(s.GetLifeTime(), 500);
    EXPECT_EQ(s.GetCountPerSecond(), 100);
    s.SetCountPerSecond(40);
    EXPECT_EQ(s.GetCountPerSecond(), 40);
    EXPECT_EQ(s.ResetCounter(), 0); // a common counter has nothing to re-arm
    ZrParticleSystem fading;
    ASSERT_EQ(Read(fading, std::string(kEmitter).replace(kEmitter.find("CommonCounter"), 13, "FadeCounter")), 1);
    EXPECT_EQ(fading.ResetCounter(), 1);
    s.SetSeepRange(3.0f, 4.0f);
    s.GetSpeedRange(lo, hi);
    EXPECT_EQ(lo + hi, 7.0f);
    s.SetDirection(ZrVector3d(0, 5, 0));
    EXPECT_EQ(dynamic_cast<ZrSingleShooter*>(dynamic_cast<ZrCommonEmitter*>(s.GetEmitter())->GetShooter())->GetDirection().y, 5.0);
    EXPECT_EQ(s.GetColorRangeStart().x, 1.0);
    s.SetColorRangeEnd(ZrVector4d(0.1, 0.2, 0.3, 0.4));
    s.SetColorRangeStart(ZrVector4d(0.5, 0.6, 0.7, 0.8));
    EXPECT_EQ(s.GetColorRangeEnd().z + s.GetColorRangeStart().x, 0.8);

    const std::string windBefore = Xml(s).substr(Xml(s).find("WindInfluence"), 200);
    s.SetAccelSize(3.0f);
    s.SetAccelDirection(ZrVector3d(1.0, 0.0, 0.0));
    for (int i : {0, 2}) {
        VexaString xml;
        s.GetInfluence(i)->ToXML(xml);
        EXPECT_THAT(xml.Str(), testing::ContainsRegex("X>1.000000<.*<AccelSize>3.000000<")) << i;
    }
    static_cast<ZrAccelInfluence*>(s.GetInfluence(2))->SetAccelSize(1.5f);
    float size = 0.0f;
    ZrVector3d direction;
    s.GetAccelSize(size);
    s.GetAccelDirection(direction);
    EXPECT_EQ(size, 1.5f) << "the last acceleration in the list answers";
    EXPECT_EQ(direction.x, 1.0);
    EXPECT_EQ(Xml(s).substr(Xml(s).find("WindInfluence"), 200), windBefore);
}

// Colour images: a file, or else a container entry by its exact name; the
// emitter's template and every particle use the system's current image.
TEST(ParticleSystem, ColourImagesReachTemplateAndParticles)
{
    nbtest::SceneFolder scene;
    const std::string first = scene.Dir().Write("a.png", nbtest::PngBytes(2, 1, {255, 0, 0, 200, 0, 0, 255, 200}));
    scene.Container({{"ramps/fire.png", nbtest::PngBytes(2, 1, {0, 9, 0, 255, 0, 0, 0, 255}), true},
                     {first, nbtest::PngBytes(1, 1, {1, 1, 1, 1}), false},
                     {"bad.png", "not an image at all", false}});
    ZrParticleSystem s;
    ASSERT_EQ(Read(s, kEmitter), 1);
    s.SetColorImagePath(first.c_str());
    ZrImageData* image = s.GetColorImage();
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->m_nDepth, 32);
    EXPECT_EQ(image->m_nWidth, 2u) << "an existing file wins over a container entry";
    EXPECT_EQ(Template(s)->GetColorImageData(), image);
    ZrParticle* p = s.CreateParticle(Template(s));

    for (const char* path : {"ramps/fire.png", "bad.png", "ramps/FIRE.png", "missing.png", ""}) {
        s.SetColorImagePath(path);
        EXPECT_EQ(s.GetColorImage() != nullptr, path == std::string("ramps/fire.png")) << path;
        EXPECT_EQ(Template(s)->GetColorImageData(), s.GetColorImage());
        EXPECT_EQ(p->GetColorImageData(), s.GetColorImage());
    }
    ZrParticleSystem read;
    ASSERT_EQ(Read(read, kEmitter + "<ColorImagePath>ramps/fire.png</ColorImagePath>"), 1);
    ASSERT_NE(read.GetColorImage(), nullptr);
    EXPECT_EQ(read.GetColorImagePath().Compare("ramps/fire.png"), 0);
    EXPECT_EQ(read.GetColorImage()->m_pData[1], 9);
    EXPECT_EQ(Template(read)->GetColorImageData(), read.GetColorImage());

    // A copy's particles use the copy's own image, which outlives the source.
    std::unique_ptr<ZrParticleSystem> copy(new ZrParticleSystem(read));
    read.CreateParticle(Template(read));
    *copy = read;
    read.SetColorImagePath("");
    EXPECT_NE(copy->GetColorImage(), nullptr);
    EXPECT_EQ(copy->GetParticle(0)->GetColorImageData(), copy->GetColorImage());
    EXPECT_EQ(Template(*copy)->GetColorImageData(), copy->GetColorImage());
}
