// The authors' reference: every element of the readers' layout described,
// its stated defaults the library's own, its examples read as written, and
// the explain command and JSON built from it.
#include <NbParticleSystem600/NbParticleSystem600.h>

#include "DocumentReference.h"
#include "EffectChecker.h"
#include "NbTestSupport.h"
#include "ToolTestSupport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cmath>
#include <cstdlib>
#include <set>

using namespace ZRC;
using Item = DocumentReference::Item;

namespace {

const std::vector<Item>& Items() { return DocumentReference::Items(); }

TEST(DocumentReference, EveryElementIsDescribedAndNamedByItsPaths)
{
    std::set<const DocumentText::Entry*> used;
    for (size_t i = 0; i < Items().size(); ++i) {
        const Item& item = Items()[i];
        const int index = static_cast<int>(i);
        SCOPED_TRACE(DocumentReference::FullPath(index));
        ASSERT_NE(item.text, nullptr);
        used.insert(item.text);
        EXPECT_NE(*item.text->meaning, '\0');
        if (item.kind == Item::Class) {
            EXPECT_NE(*item.text->example, '\0');
        } else if (item.child && item.child->value != ZrDocumentLayout::Element) {
            EXPECT_TRUE(*item.text->defaultValue && *item.text->range);
        }
        const std::string text = DocumentReference::Explain(DocumentReference::ShortPath(index));
        EXPECT_EQ(text.rfind(DocumentReference::ShortPath(index) + "\n", 0), 0u) << text;
        EXPECT_EQ(DocumentReference::Explain(DocumentReference::FullPath(index)), text);
    }
    size_t count = 0;
    DocumentText::Entries(count);
    EXPECT_EQ(used.size(), count) << "a text that describes no element";

    const std::pair<const char*, size_t> paths[] = {
        {"Radius", 3}, {"Placer/Radius", 2}, {"ParticleTemple/Radius", 1}, {"Position:X", 5},
        {"Placer/ScrewPlacer/Position/Position:Y", 1}, {"PlacerType", 1}, {"VisCosity", 1}, {"lifetime", 1},
        {"QuenmarParticleEffect/ParticleSystem/Emitter/Placer/ScrewPlacer/RoundTime", 1},
        {"Emitter/CommonEmitter/Counter/FadeCounter/NumPerSecond", 1}, {"Shooter/ScrewPlacer", 0}, {"Ladder", 0}};
    for (const auto& [path, matches] : paths)
        EXPECT_EQ(DocumentReference::Matches(path).size(), matches) << path;
}

// The values the library writes for a document that gives none.
double Number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// The first element at the item's path, each strategy element of its class.
pugi::xml_node Locate(pugi::xml_node at, const Item& item, size_t k = 1)
{
    while (k < item.path.size() && item.word[k])
        ++k;
    if (k == item.path.size())
        return at;
    const bool ofClass = k + 1 < item.path.size() && item.word[k + 1];
    for (pugi::xml_node c = at.child(item.path[k].c_str()); c; c = c.next_sibling(item.path[k].c_str())) {
        if (ofClass && item.path[k + 1] != c.first_child().text().get())
            continue;
        if (pugi::xml_node found = Locate(c, item, k + 1))
            return found;
    }
    return pugi::xml_node();
}

TEST(DocumentReference, StatedDefaultsAreWhatTheLibraryKeeps)
{
    // Every class once, and no value given: what the library writes back is
    // what it keeps for a missing element.
    const char* counters[] = {"CommonCounter", "FadeCounter"};
    const char* placers[] = {"PointPlacer", "RegionPlacer", "BoxPlacer", "ScrewPlacer", "PolygonPlacer"};
    const char* shooters[] = {"RadialShooter", "SingleShooter"};
    std::string doc = "<QuenmarParticleEffect>";
    for (int s = 0; s < 5; ++s)
        doc += std::string("<ParticleSystem><Emitter><EmitterType>CommonEmitter</EmitterType><Counter><CounterType>") +
               counters[s % 2] + "</CounterType></Counter><Placer><PlacerType>" + placers[s] +
               "</PlacerType></Placer><Shooter><ShooterType>" + shooters[s % 2] +
               "</ShooterType></Shooter></Emitter><Influence><InfluenceType>AccelInfluence</InfluenceType></Influence>"
               "<Influence><InfluenceType>WindInfluence</InfluenceType></Influence>"
               "<Influence><InfluenceType>RandomWind</InfluenceType></Influence></ParticleSystem>";
    nbtest::TempDir dir;
    ZrParticleEffect effect;
    ASSERT_EQ(effect.FromXML(dir.Write("in.par", doc + "</QuenmarParticleEffect>").c_str()), 1);
    VEXA::VexaString out((dir / "out.par").c_str());
    ASSERT_EQ(effect.ToXML(out), 1);
    pugi::xml_document written;
    ASSERT_TRUE(written.load_file(out.GetString()));

    int compared = 0;
    for (const Item& item : Items()) {
        if (!item.child || item.child->value == ZrDocumentLayout::Element)
            continue;
        const std::string stated = item.text->defaultValue;
        const pugi::xml_node node = Locate(written.document_element(), item);
        SCOPED_TRACE(item.name + ": " + stated);
        ASSERT_TRUE(node || item.child->value == ZrDocumentLayout::Components);
        std::vector<std::string> texts;
        const char* suffixes[4];
        const int n = ZrDocumentLayout::ComponentNames(*item.child, suffixes);
        const pugi::xml_node holder = item.child->value == ZrDocumentLayout::Components ? Locate(written.document_element(), Items()[static_cast<size_t>(item.parent)]) : node;
        for (int k = 0; k < n; ++k)
            texts.push_back(holder.child((item.name + suffixes[k]).c_str()).text().get());
        if (n == 0)
            texts.push_back(node.text().get());
        if (stated[0] == '(') {
            const char* p = stated.c_str() + 1;
            for (const std::string& t : texts) {
                char* end = nullptr;
                EXPECT_NEAR(Number(t), std::strtod(p, &end), 1e-6);
                p = end + 1;
            }
            ++compared;
        } else if (std::isdigit(static_cast<unsigned char>(stated[0]))) {
            EXPECT_NEAR(Number(texts[0]), Number(stated), 1e-6 * std::max(1.0, Number(stated)));
            ++compared;
        } else if (stated.rfind("empty", 0) == 0 || (stated.rfind("none", 0) == 0 && item.name == "EffectType")) {
            EXPECT_EQ(texts[0], "");
            ++compared;
        } else if (item.child->value == ZrDocumentLayout::Tag && stated.rfind("none", 0) != 0) {
            EXPECT_EQ(texts[0], stated);
            ++compared;
        }
    }
    EXPECT_GT(compared, 50);
}

TEST(DocumentReference, ClassExamplesReadWithoutFault)
{
    const std::string base = "<QuenmarParticleEffect><ParticleSystem><Emitter><EmitterType>CommonEmitter</EmitterType>"
                             "<Counter/><Placer/><Shooter/></Emitter><Influence/></ParticleSystem></QuenmarParticleEffect>";
    int examples = 0;
    for (const Item& item : Items()) {
        if (item.kind != Item::Class)
            continue;
        const std::string& strategy = Items()[static_cast<size_t>(item.parent)].name;
        std::string doc = base;
        const std::string slot = strategy == "Emitter" ? base.substr(base.find("<Emitter>"), base.find("</Emitter>") + 10 - base.find("<Emitter>"))
                                                       : "<" + strategy + "/>";
        doc.replace(doc.find(slot), slot.size(), item.text->example);
        for (const EffectChecker::Finding& f : EffectChecker::Check(doc, ""))
            EXPECT_FALSE(f.error && f.message.find(strategy) != std::string::npos) << item.name << ": " << f.message;
        ++examples;
    }
    EXPECT_EQ(examples, 13);
    // The reference's whole document checks clean.
    EXPECT_TRUE(EffectChecker::Check(DocumentText::Sample(), "").empty());
}

TEST(DocumentReference, ExplainPrintsTheEntryOrSaysWhichPathsToUse)
{
    const std::string entry = DocumentReference::Explain("Placer/ScrewPlacer/RoundTime");
    tooltest::Result r = tooltest::RunTool("explain Placer/ScrewPlacer/RoundTime");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, entry);
    EXPECT_NE(entry.find("seconds of the placer's clock"), std::string::npos);
    EXPECT_EQ(DocumentReference::Explain("lifetime").rfind("(letter case counts in a document: it is written LifeTime)", 0), 0u);
    std::string deep;
    for (int i = 0; i < 10000; ++i)
        deep += "Placer/";
    for (const std::string& odd : {std::string(), std::string("/"), std::string("//Radius//x"), std::string(":"),
                                   std::string(":X"), std::string("Position:"), deep})
        EXPECT_EQ(DocumentReference::Explain(odd), "") << odd.substr(0, 20);
    const std::pair<const char*, const char*> faults[] = {
        {"Radius", "names 3 elements; say which:\n  Placer/RegionPlacer/Radius\n  Placer/ScrewPlacer/Radius\n  ParticleTemple/Radius\n"},
        {"Lifetim", "no element of an effect document is named so; did you mean LifeTime?"},
    };
    for (const auto& [path, says] : faults) {
        r = tooltest::RunTool(std::string("explain ") + path);
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
    }
}

TEST(DocumentReference, JsonHoldsTheTreeAndTheSchemaDocumentsEveryElement)
{
    nbtest::TempDir dir;
    const std::string json = dir.Write("reference.json", DocumentReference::Json());
    const auto [code, out] = tooltest::Shell(
        "/usr/bin/python3 -c \"import json, sys; d = json.load(open(sys.argv[1])); s = d['root']['children'][1]; "
        "p = s['children'][0]['variants']['CommonEmitter']['children'][2]; "
        "print(s['name'], s['repeated'], p['typeElement'], list(p['variants'])[3], "
        "p['variants']['ScrewPlacer']['children'][2]['default'], len(d['sections']))\" " + json + " 2>&1");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out, "ParticleSystem True PlacerType ScrewPlacer 10 7\n");

    const std::string schema = tooltest::Slurp(NBPS_SOURCE_DIR "/effects/NbParticleEffect.xsd");
    size_t elements = 0, documented = 0;
    for (size_t at = schema.find("<xs:element "); at != std::string::npos; at = schema.find("<xs:element ", at + 1))
        ++elements;
    for (size_t at = schema.find("<xs:documentation"); at != std::string::npos; at = schema.find("<xs:documentation", at + 1))
        ++documented;
    EXPECT_GT(elements, 50u);
    EXPECT_EQ(documented, elements);
}

} // namespace
