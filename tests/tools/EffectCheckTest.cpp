// nbparticle check, and the effect schema, on documents with known faults and
// on documents the library writes.
#include <NbParticleSystem600/NbParticleSystem600.h>

#include "EffectChecker.h"
#include "NbTestSupport.h"
#include "ToolTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

using namespace ZRC;
using tooltest::Shell;

namespace {

std::string Check(const std::string& files)
{
    return std::string(NBPARTICLE_EXE) + " check " + files + " --resources " + NBPS_BINARY_DIR + "/effects";
}

std::string Schema(const std::string& files)
{
    return "xmllint --noout --schema " NBPS_SOURCE_DIR "/effects/NbParticleEffect.xsd " + files + " 2>&1";
}

const std::string kBase = "<QuenmarParticleEffect>\n"
                          "<EffectType>FireEffect</EffectType>\n"
                          "<ParticleSystem>\n"
                          "  <Emitter>\n"
                          "    <EmitterType>CommonEmitter</EmitterType>\n"
                          "    <Counter><CounterType>CommonCounter</CounterType><NumPerSecond>120</NumPerSecond></Counter>\n"
                          "    <Placer><PlacerType>RegionPlacer</PlacerType><Radius>1</Radius></Placer>\n"
                          "    <Shooter><ShooterType>RadialShooter</ShooterType></Shooter>\n"
                          "    <ParticleTemple><LifeTime>1</LifeTime></ParticleTemple>\n"
                          "  </Emitter>\n"
                          "  <Influence><InfluenceType>AccelInfluence</InfluenceType><Accel><AccelDirection:Y>-1</AccelDirection:Y><AccelSize>1</AccelSize></Accel></Influence>\n"
                          "  <ParticleType>GLOW_PARTICLE</ParticleType>\n"
                          "  <ParticleWidth>1</ParticleWidth>\n"
                          "</ParticleSystem>\n"
                          "</QuenmarParticleEffect>\n";

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to)
{
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

TEST(EffectCheck, ReportsEachFaultOnceAtItsPlace)
{
    struct Case {
        const char* from;
        const char* to;
        const char* expected; // "line:column: kind: start of the message"
    };
    const Case cases[] = {
        {"</ParticleWidth>", "</ParticleWidht>", "13:19: error: not well-formed XML: '</ParticleWidht>' does not close 'ParticleWidth' opened on line 13"},
        {"</Shooter>", "", "10:3: error: not well-formed XML: '</Emitter>' does not close 'Shooter' opened on line 8"},
        {"</QuenmarParticleEffect>\n", "", "14:18: error: not well-formed XML: the document ends while 'QuenmarParticleEffect' opened on line 1 is still open"},
        {"QuenmarParticleEffect>", "QuenmarParticleEfect>", "1:1: error: no 'QuenmarParticleEffect' root"},
        {"ParticleWidth>", "ParticleWidht>", "13:3: error: unknown element 'ParticleWidht' in 'ParticleSystem' is not read; did you mean 'ParticleWidth'?"},
        {"<ParticleType>GLOW_PARTICLE</ParticleType>\n  <ParticleWidth>1</ParticleWidth>",
         "<ParticleWidth>1</ParticleWidth>\n  <ParticleType>GLOW_PARTICLE</ParticleType>",
         "12:3: error: 'ParticleWidth' is not read: it must come after 'ParticleType' (line 13)"},
        {"</Emitter>", "<LifeTime>1</LifeTime></Emitter>", "10:3: error: 'LifeTime' is not read inside 'Emitter' (CommonEmitter); it belongs in 'ParticleTemple'"},
        {"RegionPlacer</PlacerType>", "PointPlacer</PlacerType>", "7:49: error: 'Radius' is not read inside 'Placer' (PointPlacer); it belongs in 'Placer' (RegionPlacer, ScrewPlacer) or 'ParticleTemple'"},
        {"</EffectType>", "</EffectType><EffectType>SmokeEffect</EffectType>", "2:36: error: second 'EffectType'"},
        {">FireEffect<", ">fireEffect<", "2:1: error: unknown 'EffectType' 'fireEffect': the effect gets no kind; did you mean 'FireEffect'?"},
        {">AccelInfluence<", ">Gravity<", "11:14: error: unknown 'InfluenceType' 'Gravity': the 'Influence' is skipped"},
        {">RadialShooter<", ">Radial<", "8:14: error: unknown 'ShooterType' 'Radial': the emitter gets no shooter and makes nothing"},
        {"<EmitterType>CommonEmitter</EmitterType>", "", "4:3: error: 'Emitter' has no 'EmitterType': the 'Emitter' is not read and the system makes no particles"},
        {">120<", ">ten<", "6:54: error: 'NumPerSecond': 'ten' is not a whole number (it reads as 0)"},
        {">120<", ">12.7<", "6:54: error: 'NumPerSecond': '12.7' is not a whole number (it reads as 12, the whole number it starts with)"},
        {"<LifeTime>1<", "<LifeTime>1,5<", "9:21: error: 'LifeTime': '1,5' is not a number (it reads as 1, the number it starts with; write a decimal point: 1.5)"},
        {"<Radius>1<", "<Radius>1e39<", "7:50: error: 'Radius': '1e39' is out of range: its magnitude is above 3.4e38 (it reads as 0)"},
        {"<LifeTime>1<", "<SizeRangeEnd>2e36</SizeRangeEnd><LifeTime>1<", "9:21: error: 'SizeRangeEnd': '2e36' is out of range: its magnitude is above 1e36 (it reads as 0)"},
        {">-1<", ">1e300<", "11:66: error: 'AccelDirection:Y': '1e300' is out of range"},
        {">120<", ">3000000000<", "6:54: error: 'NumPerSecond': '3000000000' is beyond the range of a whole number (it reads as 2147483647)"},
        {"<Radius>1<", "<Position:Z>1</Position:Z><Radius>1<", "7:50: error: 'Position:Z' is not read inside 'Placer' (RegionPlacer); it belongs in 'Position'"},
        {"<AccelSize>1<", "<AccelSize>nan<", "11:105: error: 'AccelSize': 'nan' is not a finite number (it reads as 0)"},
        {"<LifeTime>1<", "<LifeTime>-1<", "9:21: warning: a life time of -1 s: the particles never die of age"},
        {">120<", ">0<", "6:54: warning: a common counter at 0 per second still makes one particle every frame: 30 a second at 30 frames a second and 60 at 60"},
        {">120<", ">8<", "6:54: warning: 'NumPerSecond' 8 is below a host's frame rate: the common counter makes at least one particle every frame, so it gives 30 a second at 30 frames a second and 60 at 60"},
        {">120<", ">89<", "6:54: warning: 'NumPerSecond' 89 gives 90 a second at 30 frames a second and 60 at 60"},
        {">CommonCounter</CounterType><NumPerSecond>120<", ">FadeCounter</CounterType><NumPerSecond>-3<", "6:52: warning: a fade counter of -3 makes no particle"},
        // A missing template is no fault: its defaults serve.
        {"<Shooter><ShooterType>RadialShooter</ShooterType></Shooter>\n    <ParticleTemple><LifeTime>1</LifeTime></ParticleTemple>", "",
         "4:3: warning: the emitter has no 'Shooter': it makes nothing"},
        {">GLOW_PARTICLE<", ">Glow_Particle<", "12:3: warning: unknown 'ParticleType' 'Glow_Particle': it reads as DARK_PARTICLE; did you mean 'GLOW_PARTICLE'?"},
        {"  <ParticleWidth>", "  <ColorImagePath>ramp.png</ColorImagePath><ParticleWidth>", "13:3: warning: 'ramp.png' is found neither next to the document nor in the container: the particles take their colour from the colour range"},
        {"<LifeTime>1</LifeTime>", "<LifeTime>1</LifeTime><Mass>2</Mass>", "9:43: warning: 'Mass' 2 moves nothing"},
        {"<AccelDirection:Y>-1</AccelDirection:Y>", "", "11:59: warning: the acceleration is 0 ('AccelDirection' is (0, 0, 0))"},
        {"<InfluenceType>AccelInfluence</InfluenceType><Accel><AccelDirection:Y>-1</AccelDirection:Y><AccelSize>1</AccelSize></Accel>",
         "<InfluenceType>WindInfluence</InfluenceType><Speed>3</Speed>", "11:58: warning: 'Speed', 'Theta' and 'Phi' do not move the particles, and 'WindVelocity' is missing"},
    };
    nbtest::TempDir dir;
    EXPECT_EQ(Shell(Check(dir.Write("base.par", kBase))), std::make_pair(0, std::string()));
    for (const Case& c : cases) {
        const std::string file = dir.Write("case.par", ReplaceAll(kBase, c.from, c.to));
        const auto [code, out] = Shell(Check(file));
        const std::string expected = file + ":" + c.expected;
        EXPECT_EQ(out.compare(0, expected.size(), expected), 0) << out << "expected: " << expected;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
        EXPECT_EQ(code, std::string(c.expected).find("error") != std::string::npos ? 1 : 0) << c.expected;
    }
}

// Reads a document through the library, as a host would.
std::unique_ptr<ZrParticleEffect> Read(const nbtest::TempDir& dir, const std::string& text)
{
    std::unique_ptr<ZrParticleEffect> effect(new ZrParticleEffect());
    EXPECT_EQ(effect->FromXML(dir.Write("read.par", text).c_str()), 1);
    return effect;
}

ZrCommonEmitter* EmitterOf(ZrParticleEffect& e) { return dynamic_cast<ZrCommonEmitter*>(e.GetParticleSystem(0)->GetEmitter()); }

// What check says a number text reads as must be what the reader stores:
// the value in its message, or the text's own value when it says nothing.
TEST(EffectCheck, EveryNumberReadsAsItsMessageSays)
{
    struct Field {
        const char* name;
        const char* before; // where the element goes in kBase
        char kind;        // 'f' float, 'd' double, 'i' int
        std::function<double(ZrParticleEffect&)> stored;
    };
    const Field fields[] = {
        {"Radius", "</ParticleTemple>", 'f', [](ZrParticleEffect& e) { return EmitterOf(e)->GetParticleTemplate()->GetRadius(); }},
        {"SizeRangeStart", "<LifeTime>", 'f',
         [](ZrParticleEffect& e) {
             ZrParticle p(*EmitterOf(e)->GetParticleTemplate());
             p.UpdateParticle(0.0);
             return p.GetCurSize();
         }},
        {"Position:X", "<Radius>1", 'd', [](ZrParticleEffect& e) { return EmitterOf(e)->GetPlacer()->GetPosition().x; }},
        {"RoundTime", "<Radius>1", 'd',
         [](ZrParticleEffect& e) { return dynamic_cast<ZrScrewPlacer*>(EmitterOf(e)->GetPlacer())->GetRoundTime(); }},
        {"NumPerSecond", "</Counter>", 'i', [](ZrParticleEffect& e) { return EmitterOf(e)->GetCounter()->GetCountPerSecond(); }},
    };
    const char* texts[] = {"1,5",  " 2",  "3abc", "1e3",    "0x10",   "inf",        "nan",         "1e39",  "-0",
                           "",     "+.5", "12.7", "1e37",   "-3.5e38", "3000000000", "-2147483649", "  ",    ".",
                           "1e",   "0x1p4", "infinity", "-nan", "1.5.2", "\t7\n", "\xd9\xa3", "1e-50", "5e-324",
                           "-",    "+",   "1 2",  "9e35",   "007",    "2147483647", "1E+2",       "4.",    "e5"};
    nbtest::TempDir dir;
    for (const Field& f : fields) {
        for (const char* text : texts) {
            std::string element = std::string("<") + f.name + ">" + text + "</" + f.name + ">";
            std::string doc = ReplaceAll(ReplaceAll(kBase, ">RegionPlacer<", ">ScrewPlacer<"), "<NumPerSecond>120</NumPerSecond>", "");
            if (std::string(f.name) == "Position:X")
                element = "<Position>" + element + "</Position>";
            doc.insert(doc.find(f.before), element);
            SCOPED_TRACE(std::string(f.name) + " '" + text + "'");
            std::string said;
            for (const EffectChecker::Finding& finding : EffectChecker::Check(doc, "")) {
                if (finding.message.rfind("'" + std::string(f.name) + "': ", 0) == 0)
                    said = finding.message;
            }
            const size_t at = said.find("(it reads as ");
            ASSERT_TRUE(said.empty() || at != std::string::npos) << said;
            double expected = said.empty() ? std::strtod(text, nullptr) : std::strtod(said.c_str() + at + 13, nullptr);
            if (said.empty() && f.kind == 'i')
                expected = static_cast<double>(std::strtoll(text, nullptr, 10));
            if (f.kind == 'f')
                expected = static_cast<float>(expected);
            std::unique_ptr<ZrParticleEffect> effect = Read(dir, doc);
            EXPECT_EQ(f.stored(*effect), expected) << said;
        }
    }
}

// Where check says a placer places nothing, the particles start where it says.
TEST(EffectCheck, PlacerWarningsAgreeWithTheSimulation)
{
    nbtest::TempDir dir;
    const std::string still = ReplaceAll(kBase, "<InfluenceType>AccelInfluence</InfluenceType>", "<InfluenceType>None</InfluenceType>");
    const std::string fixed = ReplaceAll(still, "<Shooter><ShooterType>RadialShooter</ShooterType></Shooter>",
                                         "<Shooter><ShooterType>SingleShooter</ShooterType><SpeedRangeStart>0</SpeedRangeStart>"
                                         "<SpeedRangeEnd>0</SpeedRangeEnd></Shooter>");
    for (const char* placer : {"BoxPlacer", "PolygonPlacer"}) {
        const std::string doc = ReplaceAll(fixed, "RegionPlacer</PlacerType><Radius>1</Radius>",
                                           std::string(placer) + "</PlacerType><Position><Position:X>5</Position:X></Position>");
        const std::vector<EffectChecker::Finding> findings = EffectChecker::Check(doc, "");
        ASSERT_EQ(findings.size(), 2u) << placer; // and the unknown influence
        EXPECT_NE(findings[0].message.find("places nothing"), std::string::npos);
        EXPECT_NE(findings[0].message.find("every particle starts at the origin (0, 0, 0), not at its 'Position'"),
                  std::string::npos);
        std::unique_ptr<ZrParticleEffect> effect = Read(dir, doc);
        for (int frame = 0; frame < 5; ++frame) {
            effect->Update(1.0 / 30);
            effect->AfterRender(1.0 / 30);
        }
        ZrParticleSystem* system = effect->GetParticleSystem(0);
        ASSERT_GT(system->GetParticleNum(), 0);
        for (int i = 0; i < system->GetParticleNum(); ++i) {
            const ZrVector3d at = system->GetParticle(i)->GetCurPos();
            EXPECT_EQ(std::fabs(at.x) + std::fabs(at.y) + std::fabs(at.z), 0.0) << placer;
        }
    }
}

TEST(EffectCheck, BundledEffectsReadCleanlyAndValidate)
{
    const std::string all = NBPS_SOURCE_DIR "/effects/*.par";
    // A clean run says what it checked on stderr, and --quiet says nothing.
    EXPECT_EQ(Shell(Check(all) + " 2>&1"), std::make_pair(0, std::string("checked 6 documents: 0 errors, 0 warnings\n")));
    EXPECT_EQ(Shell(Check(all) + " --quiet 2>&1"), std::make_pair(0, std::string()));
    const auto [code, out] = Shell(Schema(all));
    EXPECT_EQ(code, 0) << out;
    // The schema flags what the checker flags: a misplaced element.
    nbtest::TempDir dir;
    const std::string bad = dir.Write("bad.par", ReplaceAll(kBase, "</Emitter>", "<LifeTime>1</LifeTime></Emitter>"));
    EXPECT_NE(Shell(Schema(bad)).first, 0);
}

TEST(EffectCheck, LoadFailuresSayWhy)
{
    nbtest::TempDir dir;
    const std::string sc = dir / "particle/particle.sc", doc = "<QuenmarParticleEffect/>";
    nbtest::WriteZip(sc, {{"big", "<QuenmarParticleEffect>" + std::string(12000, ' ') + "</QuenmarParticleEffect>", false},
                          {"pk", doc, true, ZIP_CM_DEFLATE, ZIP_EM_TRAD_PKWARE, "other"},
                          {"strong", doc, true, ZIP_CM_STORE, ZIP_EM_TRAD_PKWARE}, {"bad", doc, false, ZIP_CM_STORE}});
    std::string zip = nbtest::ReadFile(sc);
    zip[nbtest::CentralRecord(zip, "strong") + 8] |= 0x40;
    zip[nbtest::EntryData(zip, "bad")] ^= 1;
    dir.Write("particle/particle.sc", zip);
    dir.Write("text/particle/particle.sc", "not an archive");
    const std::string at = std::filesystem::canonical(sc).string();
    const std::string cases[][2] = {
        {dir / "none.par", "no such file"},
        {dir.Write("a.par", "<QuenmarParticleEffect>\n<EffectType>"), "line 2: not well-formed XML"},
        {dir.Write("b.par", "<Effect/>"), "line 1: no 'QuenmarParticleEffect' root"},
        {dir.Write("c.par", "<QuenmarParticleEffect><Particlesystem/></QuenmarParticleEffect>"), "line 1: unknown element 'Particlesystem'"},
        {"fire --resources " + (dir / "particle"), "no such file, and no container at " + (dir / "particle/./particle/particle.sc")},
        {"fire --resources " + dir.Folder(), "no entry fire in the container"},
        {"big --resources " + dir.Folder(), "entry too large: 12047 bytes, at most 10240"},
        {"pk --resources " + dir.Folder(), "entry pk in the container " + at + " cannot be decrypted: wrong password"},
        {"strong --resources " + dir.Folder(), "entry strong in the container " + at + " cannot be decrypted: unsupported encryption method"},
        {"bad --resources " + dir.Folder(), "entry bad in the container " + at + " does not decompress: damaged data"},
        {"fire --resources " + (dir / "text"), "cannot open the container " + std::filesystem::canonical(dir / "text/particle/particle.sc").string() + ": not a zip archive"},
    };
    for (const auto& c : cases) {
        const std::string name = c[0].substr(0, c[0].find(' '));
        const auto [code, out] = Shell(std::string(NBPARTICLE_EXE) + " info --quiet " + c[0] + " 2>&1");
        EXPECT_EQ(code, 1);
        EXPECT_EQ(out.rfind("nbparticle: " + name + ": " + c[1], 0), 0u) << out;
    }
}

float Draw(float scale) { return static_cast<float>((std::rand() % 20001 - 10000) * 0.001) * scale; }

// An emitter with the named strategies, its values drawn at random.
ZrCommonEmitter* RandomEmitter()
{
    const char* counters[] = {"CommonCounter", "FadeCounter"};
    const char* placers[] = {"PointPlacer", "RegionPlacer", "BoxPlacer", "ScrewPlacer", "PolygonPlacer"};
    const char* shooters[] = {"RadialShooter", "SingleShooter"};
    VEXA::VexaString text((std::string("<Emitter><Counter><CounterType>") + counters[std::rand() % 2] +
                           "</CounterType></Counter><Placer><PlacerType>" + placers[std::rand() % 5] +
                           "</PlacerType></Placer><Shooter><ShooterType>" + shooters[std::rand() % 2] +
                           "</ShooterType></Shooter></Emitter>").c_str());
    ZrCommonEmitter* emitter = new ZrCommonEmitter();
    emitter->FromXML(text);
    emitter->GetCounter()->SetCountPerSecond(std::rand() % 100000 - 100);
    if (ZrScrewPlacer* screw = dynamic_cast<ZrScrewPlacer*>(emitter->GetPlacer())) {
        screw->SetPosition(ZrVector3d(Draw(1e6f), Draw(1), Draw(1e-6f)));
        screw->SetRoundTime(Draw(1e30f));
    }
    if (ZrRegionPlacer* region = dynamic_cast<ZrRegionPlacer*>(emitter->GetPlacer()))
        region->SetRadius(Draw(1e3f));
    emitter->GetShooter()->SetSpeedRange(Draw(1e30f), Draw(1));
    emitter->GetShooter()->SetDirection(ZrVector3d(Draw(1), Draw(1), Draw(1)));
    ZrParticle* t = emitter->GetParticleTemplate();
    t->SetSizeRange(Draw(1), Draw(1e3f));
    t->SetColorRangeStart(ZrVector4d(Draw(1), Draw(1), Draw(1), Draw(1)));
    t->SetLifeTime(std::rand() % 5000 + 1);
    t->SetMass(Draw(1) + 20.0f);
    return emitter;
}

ZrInfluence* RandomInfluence()
{
    switch (std::rand() % 3) {
    case 0: {
        ZrAccelInfluence* a = new ZrAccelInfluence();
        a->SetAccelDirection(ZrVector3d(Draw(1), Draw(1), Draw(1)));
        a->SetAccelSize(Draw(1e20f));
        return a;
    }
    case 1: {
        ZrWindInfluence* w = new ZrWindInfluence();
        w->SetWindVelocity(ZrVector3d(Draw(1), Draw(1), Draw(1)));
        w->SetViscosity(Draw(1e-5f));
        return w;
    }
    default: {
        ZrRandomWind* r = new ZrRandomWind();
        r->SetPowerTime(Draw(1e10f));
        r->SetPhiRange(Draw(360), Draw(360));
        return r;
    }
    }
}

TEST(EffectCheck, EveryDocumentTheLibraryWritesChecksWithoutErrorAndValidates)
{
    nbtest::TempDir dir;
    std::srand(16);
    std::string files;
    for (int e = 0; e < 12; ++e) {
        ZrParticleEffect* effect = ZrParticleEffect::ParticleEffectFactory(static_cast<ZrParticleEffectType>(e % 7));
        for (int s = 0; s < 1 + e % 3; ++s) {
            ZrParticleSystem* system = new ZrParticleSystem();
            if (std::rand() % 4 != 0) {
                ZrCommonEmitter* emitter = RandomEmitter();
                emitter->SetParticleSystem(system);
                system->SetEmitter(emitter);
            }
            for (int i = std::rand() % 4; i > 0; --i)
                system->AddInfluence(RandomInfluence());
            system->SetParticleType(std::rand() % 2 ? ZrParticleSystem::GLOW_PARTICLE : ZrParticleSystem::DARK_PARTICLE);
            system->SetParticleWidth(Draw(1e37f));
            system->SetParticleHeight(Draw(1e-3f));
            effect->AddParticleSystem(system);
        }
        VEXA::VexaString path((dir / ("e" + std::to_string(e) + ".par")).c_str());
        effect->ToXML(path);
        files += " " + std::string(path);
        delete effect;
    }
    const auto [code, out] = Shell(Check(files));
    EXPECT_EQ(code, 0) << out;
    EXPECT_EQ(out.find("error"), std::string::npos) << out;
    const auto [schemaCode, schemaOut] = Shell(Schema(files));
    EXPECT_EQ(schemaCode, 0) << schemaOut;
}

} // namespace
