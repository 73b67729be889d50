#include "ZrDocumentLayout.h"

#include "ZrDocumentValues.h"
#include "ZrMarkup.h"

#include <cstring>

namespace ZRC {

namespace {

using L = ZrDocumentLayout;

template <int N>
constexpr L::Node MakeNode(const char* name, const char* typeWord, const L::Child (&children)[N])
{
    return L::Node{name, typeWord, children, N};
}

constexpr L::Child Number(const char* name) { return {name, L::Float, nullptr, nullptr, false, 0.0}; }
// A number interpolated in single precision, where the span of a range is
// scaled by up to 99: ends of at most this magnitude keep every step finite.
constexpr L::Child RangeEnd(const char* name) { return {name, L::Float, nullptr, nullptr, false, 1e36}; }
constexpr L::Child Wide(const char* name) { return {name, L::Double, nullptr, nullptr, false, 0.0}; }
constexpr L::Child Of(const char* name, L::Value value) { return {name, value, nullptr, nullptr, false, 0.0}; }
constexpr L::Child Tags(const char* name, const char* const* tags)
{
    return {name, L::Tag, tags, nullptr, false, 0.0};
}
constexpr L::Child Nested(const char* name, const L::Node* const* variants, bool repeated = false)
{
    return {name, L::Element, nullptr, variants, repeated, 0.0};
}

// Particle template.
const L::Child kTemplate[] = {
    RangeEnd("SizeRangeStart"), RangeEnd("SizeRangeEnd"), RangeEnd("AlphaRangeStart"), RangeEnd("AlphaRangeEnd"),
    Of("ColorRangeStart", L::Color), Of("ColorRangeEnd", L::Color), Number("LifeTime"), Number("Radius"),
    Number("Mass")};
const L::Node kTemplateNode = MakeNode("ParticleTemple", nullptr, kTemplate);

// Counters.
const char* const kCounterTags[] = {"CommonCounter", "FadeCounter", nullptr};
const L::Child kCounter[] = {Tags("CounterType", kCounterTags), Of("NumPerSecond", L::Int)};
const L::Node kCommonCounter = MakeNode("Counter", "CommonCounter", kCounter);
const L::Node kFadeCounter = MakeNode("Counter", "FadeCounter", kCounter);

// Placers: the type word, the reference position, then the class's own numbers.
const char* const kPlacerTags[] = {"PointPlacer", "RegionPlacer", "BoxPlacer", "ScrewPlacer", "PolygonPlacer",
                                   nullptr};
const L::Child kPlacer[] = {Tags("PlacerType", kPlacerTags), Of("Position", L::Vector)};
const L::Child kRegionPlacer[] = {Tags("PlacerType", kPlacerTags), Of("Position", L::Vector), Number("Radius")};
const L::Child kScrewPlacer[] = {Tags("PlacerType", kPlacerTags), Of("Position", L::Vector), Wide("RoundTime"),
                                 Number("AngleSpeed"), Number("ForwordSpeed"), Number("Radius")};
const L::Node kPointPlacer = MakeNode("Placer", "PointPlacer", kPlacer);
const L::Node kRegionPlacerNode = MakeNode("Placer", "RegionPlacer", kRegionPlacer);
const L::Node kBoxPlacer = MakeNode("Placer", "BoxPlacer", kPlacer);
const L::Node kScrewPlacerNode = MakeNode("Placer", "ScrewPlacer", kScrewPlacer);
const L::Node kPolygonPlacer = MakeNode("Placer", "PolygonPlacer", kPlacer);

// Shooters.
const char* const kShooterTags[] = {"RadialShooter", "SingleShooter", nullptr};
const L::Child kRadialShooter[] = {Tags("ShooterType", kShooterTags), Number("SpeedRangeStart"),
                                   Number("SpeedRangeEnd"), Number("ThetaRangeStart"), Number("ThetaRangeEnd"),
                                   Number("PhiRangeStart"), Number("PhiRangeEnd")};
const L::Child kSingleShooter[] = {Tags("ShooterType", kShooterTags), Number("SpeedRangeStart"),
                                   Number("SpeedRangeEnd"), Of("Direction", L::Vector)};
const L::Node kRadialShooterNode = MakeNode("Shooter", "RadialShooter", kRadialShooter);
const L::Node kSingleShooterNode = MakeNode("Shooter", "SingleShooter", kSingleShooter);

// Emitter.
const L::Node* const kCounters[] = {&kCommonCounter, &kFadeCounter, nullptr};
const L::Node* const kPlacers[] = {&kPointPlacer, &kRegionPlacerNode, &kBoxPlacer, &kScrewPlacerNode,
                                   &kPolygonPlacer, nullptr};
const L::Node* const kShooters[] = {&kRadialShooterNode, &kSingleShooterNode, nullptr};
const L::Node* const kTemplates[] = {&kTemplateNode, nullptr};
const char* const kEmitterTags[] = {"CommonEmitter", nullptr};
const L::Child kEmitter[] = {Tags("EmitterType", kEmitterTags), Nested("Counter", kCounters),
                             Nested("Placer", kPlacers), Nested("Shooter", kShooters),
                             Nested("ParticleTemple", kTemplates)};
const L::Node kCommonEmitter = MakeNode("Emitter", "CommonEmitter", kEmitter);

// Influences.
const char* const kInfluenceTags[] = {"AccelInfluence", "WindInfluence", "RandomWind", nullptr};
const L::Child kAccel[] = {Of("AccelDirection", L::Components), Number("AccelSize")};
const L::Node kAccelNode = MakeNode("Accel", nullptr, kAccel);
const L::Node* const kAccels[] = {&kAccelNode, nullptr};
const L::Child kAccelInfluence[] = {Tags("InfluenceType", kInfluenceTags), Nested("Accel", kAccels)};
const L::Child kWindInfluence[] = {Tags("InfluenceType", kInfluenceTags), Of("WindVelocity", L::Vector),
                                   Number("Speed"), Number("Theta"), Number("Phi"), Number("VisCosity"),
                                   Number("Density")};
const L::Child kRandomWind[] = {Tags("InfluenceType", kInfluenceTags), Number("SpeedStart"), Number("SpeedEnd"),
                                Number("ThetaStart"), Number("ThetaEnd"), Number("PhiStart"), Number("PhiEnd"),
                                Number("VisCosity"), Number("Density"), Wide("PowerTime")};
const L::Node kAccelInfluenceNode = MakeNode("Influence", "AccelInfluence", kAccelInfluence);
const L::Node kWindInfluenceNode = MakeNode("Influence", "WindInfluence", kWindInfluence);
const L::Node kRandomWindNode = MakeNode("Influence", "RandomWind", kRandomWind);

// Particle system.
const L::Node* const kEmitters[] = {&kCommonEmitter, nullptr};
const L::Node* const kInfluences[] = {&kAccelInfluenceNode, &kWindInfluenceNode, &kRandomWindNode, nullptr};
const char* const kParticleTypes[] = {"GLOW_PARTICLE", "DARK_PARTICLE", nullptr};
const L::Child kSystem[] = {Nested("Emitter", kEmitters),
                            Nested("Influence", kInfluences, true),
                            Tags("ParticleType", kParticleTypes),
                            Of("TexturePath", L::Text),
                            Of("ColorImagePath", L::Text),
                            Number("ParticleWidth"),
                            Number("ParticleHeight")};
const L::Node kSystemNode = MakeNode("ParticleSystem", nullptr, kSystem);

// Effect.
const L::Node* const kSystems[] = {&kSystemNode, nullptr};
const char* const kEffectTypes[] = {"FireEffect", "SmokeEffect", "FountainEffect", "ExplodeEffect",
                                    "RainEffect", "SnowEffect", nullptr};
const L::Child kEffect[] = {Tags("EffectType", kEffectTypes), Nested("ParticleSystem", kSystems, true)};
const L::Node kEffectNode = MakeNode("QuenmarParticleEffect", nullptr, kEffect);

} // namespace

const ZrDocumentLayout::Node& ZrDocumentLayout::Effect() { return kEffectNode; }
const ZrDocumentLayout::Node& ZrDocumentLayout::ParticleSystem() { return kSystemNode; }
const ZrDocumentLayout::Node& ZrDocumentLayout::ParticleTemplate() { return kTemplateNode; }

namespace {

bool SameWord(const char* a, const char* b)
{
    return a == b || (a != nullptr && b != nullptr && std::strcmp(a, b) == 0);
}

const L::Node* Search(const L::Node& node, const char* name, const char* word)
{
    if (std::strcmp(node.name, name) == 0 && SameWord(node.typeWord, word))
        return &node;
    for (int i = 0; i < node.count; ++i) {
        const L::Child& child = node.children[i];
        for (const L::Node* const* v = child.variants; v != nullptr && *v != nullptr; ++v) {
            if (const L::Node* found = Search(**v, name, word))
                return found;
        }
    }
    return nullptr;
}

} // namespace

const ZrDocumentLayout::Node& ZrDocumentLayout::Find(const char* name, const char* typeWord)
{
    const Node* node = Search(kEffectNode, name, typeWord);
    return node != nullptr ? *node : kEffectNode;
}

const ZrDocumentLayout::Node* ZrDocumentLayout::Variant(const Child& child, const char* word)
{
    if (child.variants == nullptr)
        return nullptr;
    for (const Node* const* node = child.variants; *node != nullptr; ++node) {
        if (SameWord((*node)->typeWord, word))
            return *node;
    }
    return nullptr;
}

int ZrDocumentLayout::ComponentNames(const Child& child, const char* (&suffixes)[4])
{
    static const char* const kXyz[] = {":X", ":Y", ":Z"};
    static const char* const kRgba[] = {":R", ":G", ":B", ":A"};
    const bool color = child.value == Color;
    const int n = color ? 4 : 3;
    for (int i = 0; i < n; ++i)
        suffixes[i] = color ? kRgba[i] : kXyz[i];
    return (child.value == Components || child.value == Vector || color) ? n : 0;
}

ZrDocumentLayout::Reader::Reader(ZrMarkup& doc, const Node& node) : m_doc(doc), m_node(node) {}

bool ZrDocumentLayout::Reader::Enter()
{
    if (!m_doc.FindElem(m_node.name))
        return false;
    return m_node.typeWord == nullptr || !(Find() && m_doc.GetChildData().Compare(m_node.typeWord) != 0);
}

bool ZrDocumentLayout::Reader::Find()
{
    if (m_next >= m_node.count)
        return false;
    m_last = m_next;
    const Child& child = m_node.children[m_next];
    const bool found = m_doc.FindChildElem(child.name) != 0;
    if (!found || !child.repeated)
        ++m_next;
    return found;
}

void ZrDocumentLayout::Reader::Skip()
{
    if (m_next < m_node.count)
        m_last = m_next++;
}

const ZrDocumentLayout::Child& ZrDocumentLayout::Reader::Last() const { return m_node.children[m_last]; }

void ZrDocumentLayout::Reader::Read(float& field)
{
    if (m_next >= m_node.count)
        return;
    const Child& child = m_node.children[m_last = m_next++];
    ZrDocumentValues::ReadNumber(m_doc, child.name, field, child.limit > 0.0 ? child.limit : ZrDocumentValues::kMaxMagnitude);
}

void ZrDocumentLayout::Reader::Read(double& field)
{
    if (m_next < m_node.count)
        ZrDocumentValues::ReadNumber(m_doc, m_node.children[m_last = m_next++].name, field);
}

void ZrDocumentLayout::Reader::Read(ZrVector3d& field)
{
    if (m_next >= m_node.count)
        return;
    const Child& child = m_node.children[m_last = m_next++];
    if (child.value == Components)
        ZrDocumentValues::ReadComponents(m_doc, child.name, field);
    else
        ZrDocumentValues::ReadVector(m_doc, child.name, field);
}

void ZrDocumentLayout::Reader::Read(ZrVector4d& field)
{
    if (m_next < m_node.count)
        ZrDocumentValues::ReadColor(m_doc, m_node.children[m_last = m_next++].name, field);
}

} // namespace ZRC
