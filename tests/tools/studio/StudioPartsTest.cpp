// The studio's parts that work on text: the numeric fields of a document and
// where they lie, editor positions, JSON strings, and the random stream a run
// keeps for itself.
#include "DocumentFields.h"
#include "JsonWriter.h"
#include "RandomStream.h"
#include "TextPositions.h"

#include <NbParticleSystem600/NbParticleSystem600.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

using namespace nbparticle;

namespace {

std::string Bundled(const char* name)
{
    std::ifstream in(std::string(NBPS_SOURCE_DIR) + "/effects/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const DocumentFields::Field* FieldAt(const DocumentFields::System& system, const std::string& path)
{
    for (const DocumentFields::Field& f : system.fields)
        if (f.path == path)
            return &f;
    return nullptr;
}

// Every numeric element of the bundled fire is listed once, under its path
// and its strategy's type word, and its range holds exactly its text.
TEST(DocumentFields, ListsEveryNumericElementWithItsText)
{
    // A byte order mark moves nothing.
    const std::string text = "\xEF\xBB\xBF" + Bundled("fire.par");
    const std::vector<DocumentFields::System> systems = DocumentFields::Find(text);
    ASSERT_EQ(systems.size(), 2u);
    for (const DocumentFields::System& system : systems) {
        EXPECT_EQ(text.compare(system.begin, 16, "<ParticleSystem>"), 0);
        for (const DocumentFields::Field& f : system.fields) {
            // The text stands between the element's start and end tags.
            const std::string name = f.path.substr(f.path.find_last_of('/') + 1);
            EXPECT_EQ(text.compare(f.begin - name.size() - 2, name.size() + 2, "<" + name + ">"), 0) << f.path;
            EXPECT_EQ(text.compare(f.end, name.size() + 3, "</" + name + ">"), 0) << f.path;
            EXPECT_EQ(text.substr(f.begin, f.end - f.begin), f.text) << f.path;
        }
    }
    // 1 + 3 + 1 + 6 + 4 + 8 + 3 + 4 + 2 numbers in the first system.
    EXPECT_EQ(systems[0].fields.size(), 32u);
    const struct {
        const char* path;
        const char* word;
        bool whole;
        const char* text;
    } expected[] = {
        {"Emitter/Counter/NumPerSecond", "CommonCounter", true, "160"},
        {"Emitter/Placer/Position/Position:Y", "RegionPlacer", false, "0.000000"},
        {"Emitter/Placer/Radius", "RegionPlacer", false, "0.350000"},
        {"Emitter/ParticleTemple/ColorRangeEnd/ColorRangeEnd:A", "", false, "1.000000"},
        {"Emitter/ParticleTemple/LifeTime", "", false, "1.100000"},
        {"Influence/Accel/AccelDirection:Y", "", false, "1.000000"},
        {"ParticleWidth", "", false, nullptr},
    };
    for (const auto& e : expected) {
        const DocumentFields::Field* f = FieldAt(systems[0], e.path);
        ASSERT_NE(f, nullptr) << e.path;
        EXPECT_EQ(f->typeWord, e.word) << e.path;
        EXPECT_EQ(f->whole, e.whole) << e.path;
        if (e.text) {
            EXPECT_EQ(f->text, e.text) << e.path;
        }
    }
    EXPECT_EQ(FieldAt(systems[0], "TexturePath"), nullptr);
    EXPECT_EQ(FieldAt(systems[0], "ParticleType"), nullptr);
}

// Replacing a field's range changes what the library reads for it and no
// other byte; texts that are empty, written oddly or not numbers to the
// layout are handled as the readers find them.
TEST(DocumentFields, RangesCoverWhatTheReaderReads)
{
    const std::string head = "<QuenmarParticleEffect><EffectType>FireEffect</EffectType><ParticleSystem><Emitter>"
                             "<EmitterType>CommonEmitter</EmitterType><Counter><CounterType>FadeCounter</CounterType>";
    const struct {
        const char* counter;    // what stands after the counter type
        const char* text;       // the field's text, or null when none is offered
    } cases[] = {
        {"<NumPerSecond>7</NumPerSecond>", "7"},
        {"<NumPerSecond> 7 </NumPerSecond>", " 7 "},
        {"<NumPerSecond>&#55;</NumPerSecond>", "&#55;"},
        {"<NumPerSecond>7<!-- a note --></NumPerSecond>", "7"},
        {"<NumPerSecond>7<Note>8</Note></NumPerSecond>", "7"},
        {"<NumPerSecond a=\"x>y\"></NumPerSecond>", ""},
        {"<NumPerSecond/>", nullptr},
        {"<NumPerSecond><![CDATA[7]]></NumPerSecond>", nullptr},
    };
    for (const auto& c : cases) {
        const std::string text = head + c.counter + "</Counter></Emitter></ParticleSystem></QuenmarParticleEffect>";
        const std::vector<DocumentFields::System> systems = DocumentFields::Find(text);
        ASSERT_EQ(systems.size(), 1u) << c.counter;
        const DocumentFields::Field* f = FieldAt(systems[0], "Emitter/Counter/NumPerSecond");
        if (!c.text) {
            EXPECT_EQ(f, nullptr) << c.counter;
            continue;
        }
        ASSERT_NE(f, nullptr) << c.counter;
        EXPECT_EQ(f->typeWord, "FadeCounter");
        EXPECT_EQ(f->text, c.text);
        std::string edited = text;
        edited.replace(f->begin, f->end - f->begin, "42");
        EXPECT_EQ(edited.substr(0, f->begin) + edited.substr(f->begin + 2), text.substr(0, f->begin) + text.substr(f->end));
        ZRC::ZrStream stream;
        stream << VEXA::VexaString(edited.c_str());
        ZRC::ZrParticleEffect effect;
        ASSERT_TRUE(effect.Load(stream)) << edited;
        auto* emitter = dynamic_cast<ZRC::ZrCommonEmitter*>(effect.GetParticleSystem(0)->GetEmitter());
        ASSERT_NE(emitter, nullptr);
        EXPECT_EQ(emitter->GetCounter()->GetCountPerSecond(), 42) << c.counter;
    }
    EXPECT_TRUE(DocumentFields::Find("<QuenmarParticleEffect><ParticleSystem>").empty());
}

// Columns count UTF-16 units, as the editor does: two for a character beyond
// the basic plane, one for any other; lines count from 0.
TEST(TextPositions, CountsAsTheEditorDoes)
{
    const std::string text = "ab\n\xC3\xA9\xE2\x82\xAC\xF0\x9F\x94\xA5x\n<Tag a>rest\n";
    const TextPositions p(text);
    const struct {
        size_t offset;
        int line, ch;
    } cases[] = {{0, 0, 0}, {2, 0, 2}, {3, 1, 0}, {5, 1, 1}, {8, 1, 2}, {12, 1, 4}, {13, 1, 5}, {14, 2, 0}, {999, 3, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(p.At(c.offset).line, c.line) << c.offset;
        EXPECT_EQ(p.At(c.offset).ch, c.ch) << c.offset;
    }
    EXPECT_EQ(p.Offset(2, 1), 3u);
    EXPECT_EQ(p.Offset(3, 1), 14u);
    EXPECT_EQ(p.Offset(99, 99), text.size());
    EXPECT_EQ(p.WordEnd(14), 18u) << "the name of a tag";
    EXPECT_EQ(p.WordEnd(21), 25u) << "text up to the line's end";
}

// Whatever bytes a string holds, the JSON text is valid UTF-8 that reads
// back as the valid characters of the input.
TEST(JsonWriter, QuotesAnyBytes)
{
    const struct {
        std::string in, out;
    } cases[] = {
        {"plain", "\"plain\""},
        {"q\"b\\", "\"q\\\"b\\\\\""},
        {std::string("\n\t\x01\0", 4), "\"\\u000a\\u0009\\u0001\\u0000\""},
        {"\xC3\xA9\xF0\x9F\x94\xA5", "\"\xC3\xA9\xF0\x9F\x94\xA5\""},
        {"a\xFF" "b", "\"a\\ufffdb\""},
        {"\xC0\xAF", "\"\\ufffd\\ufffd\""},            // overlong
        {"\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\""}, // a surrogate
        {"\xE2\x82", "\"\\ufffd\\ufffd\""},             // cut short
        {"\xF4\x90\x80\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\""},   // past U+10FFFF
    };
    for (const auto& c : cases)
        EXPECT_EQ(JsonWriter::Quote(c.in), c.out);
    EXPECT_EQ(JsonWriter().Open('{').Key("a").Open('[').Int(1).Number(0.5).Number(1.0 / 0.0).Close(']')
                  .Key("b").Bool(false).Close('}').Text(),
              "{\"a\":[1,0.5,null],\"b\":false}");
}

// A stream keeps its own sequence: seeded inside a scope it draws what the
// default generator draws from that seed, and the default generator goes on
// as if nothing had happened.
TEST(RandomStream, KeepsItsSequenceApart)
{
    std::srand(7);
    const int first = std::rand(), second = std::rand();
    std::srand(7);
    EXPECT_EQ(std::rand(), first);
    RandomStream stream;
    int drawn[2];
    {
        RandomStream::Scope scope(stream);
        std::srand(7);
        drawn[0] = std::rand();
    }
    EXPECT_EQ(std::rand(), second);
    {
        RandomStream::Scope scope(stream);
        drawn[1] = std::rand();
    }
    EXPECT_EQ(drawn[0], first);
    EXPECT_EQ(drawn[1], second);
}

} // namespace
