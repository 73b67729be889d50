#include "EffectChecker.h"

#include "EffectSource.h"
#include "TextUtil.h"

#include <NbParticleSystem600/NbParticleSystem600.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <map>
#include <set>

using ZRC::ZrDocumentLayout;
using ZRC::ZrDocumentValues;

namespace {

using Node = ZrDocumentLayout::Node;
using Child = ZrDocumentLayout::Child;

// The parse options of the library's markup, so that texts read the same.
const unsigned int kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

// Frame rates a host commonly runs at, for what a common counter gives.
const int kFrameRates[] = {30, 60};

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::string Lower(const std::string& s) { return TextUtil::Lower(s); }

std::string List(const std::vector<std::string>& items, const char* last = " or ") { return TextUtil::List(items, last); }

// The nearest of the candidates when it is near enough to be a slip; else,
// when asked, the list of them all.
std::string Nearest(const std::string& word, const std::vector<std::string>& candidates, bool list)
{
    std::string best;
    size_t bestDistance = SIZE_MAX;
    for (const std::string& c : candidates) {
        const size_t d = TextUtil::Distance(word, c);
        if (d < bestDistance) {
            bestDistance = d;
            best = c;
        }
    }
    if (!best.empty() && TextUtil::Near(word, bestDistance))
        return "; did you mean " + Quote(best) + "?";
    if (!list)
        return "";
    std::vector<std::string> quoted;
    for (const std::string& c : candidates)
        quoted.push_back(Quote(c));
    return "; expected " + TextUtil::List(quoted, " or ");
}

std::string Trim(const std::string& s)
{
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a])))
        ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1])))
        --b;
    return s.substr(a, b - a);
}

// Text directly inside an element, as the library's markup gives it.
std::string TextOf(const pugi::xml_node& node)
{
    std::string text;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
            text += c.value();
    }
    return text;
}

// The shortest text that reads back as the value.
std::string Show(double value)
{
    char buf[64];
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

// A number as the writers write it and the schema takes it: an optional
// sign, digits with an optional point, an optional exponent.
bool PlainNumber(const std::string& s, bool whole)
{
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    const auto digits = [&]() {
        const size_t from = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i;
        return i - from;
    };
    size_t count = digits();
    if (!whole && i < s.size() && s[i] == '.') {
        ++i;
        count += digits();
    }
    if (count == 0)
        return false;
    if (!whole && i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == s.size();
}

// What a number text reads as, by the readers' own rules (ZrDocumentValues),
// and why that is not what it says; empty when it reads as written.
std::string NumberProblem(const std::string& raw, ZrDocumentLayout::Value kind, double limit, double& stored)
{
    const std::string text = Trim(raw);
    const bool whole = kind == ZrDocumentLayout::Int;
    stored = whole ? ZrDocumentValues::ParseWholeNumber(raw.c_str()) : ZrDocumentValues::ParseNumber(raw.c_str(), limit);
    const std::string reads = " (it reads as " + Show(stored);
    if (PlainNumber(text, whole)) {
        if (whole) {
            errno = 0;
            const long long v = std::strtoll(text.c_str(), nullptr, 10);
            if (errno != ERANGE && v >= INT_MIN && v <= INT_MAX)
                return "";
            return Quote(raw) + " is beyond the range of a whole number" + reads + ")";
        }
        if (std::strtod(text.c_str(), nullptr) == stored)
            return "";
        return Quote(raw) + " is out of range: its magnitude is above " + (limit < FLT_MAX ? "1e36" : "3.4e38") +
               reads + ")";
    }
    const char* what = whole ? "a whole number" : "a number";
    if (text.empty())
        return Quote(raw) + " is empty" + reads + ")";
    char* end = nullptr;
    const double leading = std::strtod(text.c_str(), &end);
    if (!whole && end != text.c_str() && !std::isfinite(leading))
        return Quote(raw) + " is not a finite number" + reads + ")";
    const std::string hex = Lower(text.substr(text[0] == '+' || text[0] == '-' ? 1 : 0, 2));
    if (!whole && hex == "0x")
        return Quote(raw) + " is a hexadecimal number" + reads + ")";
    std::string hint;
    std::string point = text;
    std::replace(point.begin(), point.end(), ',', '.');
    if (!whole && point != text && PlainNumber(point, false))
        hint = "; write a decimal point: " + point;
    if (stored != 0.0 || std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '+' || text[0] == '-' ||
        text[0] == '.')
        return Quote(raw) + " is not " + what + reads + ", the " + (whole ? "whole " : "") + "number it starts with" +
               hint + ")";
    return Quote(raw) + " is not " + what + reads + ")";
}

std::vector<std::string> Words(const char* const* list)
{
    std::vector<std::string> out;
    for (; list != nullptr && *list != nullptr; ++list)
        out.push_back(*list);
    return out;
}

bool Is(const Node* layout, const char* typeWord)
{
    return layout && layout->typeWord && std::strcmp(layout->typeWord, typeWord) == 0;
}

// One child the reader looks for: a layout child, or one component of it.
struct Entry {
    std::string name;
    const Child* child;
    ZrDocumentLayout::Value value;
};

std::vector<Entry> Entries(const Node& node)
{
    std::vector<Entry> out;
    for (int i = 0; i < node.count; ++i) {
        const Child& c = node.children[i];
        if (c.value == ZrDocumentLayout::Components) {
            const char* suffixes[4];
            const int n = ZrDocumentLayout::ComponentNames(c, suffixes);
            for (int k = 0; k < n; ++k)
                out.push_back({std::string(c.name) + suffixes[k], &c, ZrDocumentLayout::Double});
        } else {
            out.push_back({c.name, &c, c.value});
        }
    }
    return out;
}

// The numbers the walk of one element read, by name, and the elements it read.
struct Values {
    std::map<std::string, double> numbers;
    std::map<std::string, pugi::xml_node> read;
    // Numbers that did not read as written: what follows from them is not
    // reported again.
    std::set<std::string> faulty;

    bool Has(const std::string& name) const { return read.count(name) != 0 && !faulty.count(name); }
    bool Sound(std::initializer_list<const char*> names) const
    {
        return std::none_of(names.begin(), names.end(), [&](const char* n) { return faulty.count(n) != 0; });
    }
    double Number(const std::string& name, double otherwise) const
    {
        const auto it = numbers.find(name);
        return it == numbers.end() ? otherwise : it->second;
    }
};

// The element left open at offset, and the line it was opened on, found by
// following the tags of the text up to there.
struct OpenElement {
    std::string name;
    size_t offset = 0;
};

std::vector<OpenElement> OpenAt(const std::string& text, size_t offset)
{
    std::vector<OpenElement> open;
    const size_t end = std::min(offset, text.size());
    size_t i = 0;
    const auto skipTo = [&](const char* marker) {
        const size_t at = text.find(marker, i);
        i = at == std::string::npos ? text.size() : at + std::strlen(marker);
    };
    while (i < end) {
        i = text.find('<', i);
        if (i >= end)
            break;
        const size_t tag = i;
        if (text.compare(i, 4, "<!--") == 0) {
            skipTo("-->");
        } else if (text.compare(i, 9, "<![CDATA[") == 0) {
            skipTo("]]>");
        } else if (text.compare(i, 2, "<?") == 0 || text.compare(i, 2, "<!") == 0) {
            skipTo(">");
        } else {
            const bool closing = text.compare(i, 2, "</") == 0;
            i += closing ? 2 : 1;
            const size_t nameStart = i;
            while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) && text[i] != '>' &&
                   text[i] != '/')
                ++i;
            const std::string name = text.substr(nameStart, i - nameStart);
            char quote = 0;
            while (i < text.size() && (quote || text[i] != '>')) {
                if (quote && text[i] == quote)
                    quote = 0;
                else if (!quote && (text[i] == '"' || text[i] == '\''))
                    quote = text[i];
                ++i;
            }
            if (i >= end)
                break; // reading stopped inside this tag
            const bool empty = text[i - 1] == '/';
            ++i;
            if (closing) {
                if (open.empty() || open.back().name != name)
                    break;
                open.pop_back();
            } else if (!empty && !name.empty()) {
                open.push_back({name, tag});
            }
        }
    }
    return open;
}

class Walker {
public:
    Walker(const std::string& text, const std::string& folder, std::vector<EffectChecker::Finding>& out)
        : m_text(text), m_folder(folder), m_out(out)
    {
        m_lineStarts.push_back(0);
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n')
                m_lineStarts.push_back(i + 1);
        }
        Index(ZrDocumentLayout::Effect());
    }

    void Report(ptrdiff_t offset, bool error, const std::string& message)
    {
        const size_t at = offset < 0 ? 0 : static_cast<size_t>(offset);
        const auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), at) - 1;
        EffectChecker::Finding f;
        f.line = static_cast<int>(it - m_lineStarts.begin()) + 1;
        f.column = static_cast<int>(at - *it) + 1;
        f.error = error;
        f.message = message;
        m_out.push_back(f);
    }

    // An element's own position is that of its '<'.
    void Report(const pugi::xml_node& node, bool error, const std::string& message)
    {
        Report(node.offset_debug() - 1, error, message);
    }

    int Line(size_t offset) const
    {
        return static_cast<int>(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset) -
                                m_lineStarts.begin());
    }

    int Line(const pugi::xml_node& node) const
    {
        return Line(static_cast<size_t>(std::max<ptrdiff_t>(0, node.offset_debug())));
    }

    // Where and why reading stopped, with the element left open there.
    void NotWellFormed(const pugi::xml_parse_result& result)
    {
        size_t at = static_cast<size_t>(std::max<ptrdiff_t>(0, result.offset));
        std::string message = std::string("not well-formed XML: ") + result.description();
        const std::vector<OpenElement> open = OpenAt(m_text, at);
        if (!open.empty()) {
            const OpenElement& last = open.back();
            const std::string opened = Quote(last.name) + " opened on line " + std::to_string(Line(last.offset));
            if (result.status == pugi::status_end_element_mismatch && at >= 2 && at < m_text.size() &&
                m_text.compare(at - 2, 2, "</") == 0) {
                size_t nameEnd = at;
                while (nameEnd < m_text.size() && m_text[nameEnd] != '>' &&
                       !std::isspace(static_cast<unsigned char>(m_text[nameEnd])))
                    ++nameEnd;
                message = "not well-formed XML: '</" + m_text.substr(at, nameEnd - at) + ">' does not close " + opened;
                at -= 2;
            } else if (at >= m_text.size() || Trim(m_text.substr(at)).empty()) {
                message = "not well-formed XML: the document ends while " + opened + " is still open";
            } else {
                message += ", inside " + opened;
            }
        }
        Report(static_cast<ptrdiff_t>(std::min(at, m_text.size())), true, message);
    }

    void Root(const pugi::xml_document& doc)
    {
        const Node& effect = ZrDocumentLayout::Effect();
        const pugi::xml_node root = doc.document_element();
        if (!root) {
            Report(0, true, std::string("no root element; expected ") + Quote(effect.name));
            return;
        }
        if (std::strcmp(root.name(), effect.name) != 0) {
            Report(root, true, "no " + Quote(effect.name) + " root: the root is " + Quote(root.name()) +
                                   Nearest(root.name(), {effect.name}, false));
            return;
        }
        Element(root, effect);
        if (!root.child(effect.children[1].name))
            Report(root, false, std::string("no ") + Quote(effect.children[1].name) + ": the effect shows nothing");
    }

private:
    // Records which elements, and which classes of them, read each child name.
    void Index(const Node& node)
    {
        for (int i = 0; i < node.count; ++i) {
            const Child& c = node.children[i];
            for (const Entry& e : Entries(Node{node.name, node.typeWord, &c, 1}))
                AddOwner(e.name, {node.name, node.typeWord});
            const char* suffixes[4];
            const int n = ZrDocumentLayout::ComponentNames(c, suffixes);
            for (int k = 0; c.value != ZrDocumentLayout::Components && k < n; ++k)
                AddOwner(std::string(c.name) + suffixes[k], {c.name, nullptr});
            size_t classes = 0;
            for (const Node* const* v = c.variants; v != nullptr && *v != nullptr; ++v, ++classes)
                Index(**v);
            m_classes[c.name] = classes;
        }
    }

    struct Owner {
        std::string name;
        const char* typeWord;
        bool operator==(const Owner& o) const { return name == o.name && typeWord == o.typeWord; }
    };

    void AddOwner(const std::string& child, const Owner& owner)
    {
        std::vector<Owner>& owners = m_owners[child];
        if (std::find(owners.begin(), owners.end(), owner) == owners.end())
            owners.push_back(owner);
    }

    static std::string Describe(const Node& node)
    {
        return Quote(node.name) + (node.typeWord ? std::string(" (") + node.typeWord + ")" : "");
    }

    // The elements, and classes of them, that read name, but for layout.
    std::string Owners(const std::string& name, const Node* layout) const
    {
        std::map<std::string, std::vector<std::string>> classes;
        std::vector<std::string> order;
        for (const Owner& owner : m_owners.at(name)) {
            if (layout && owner == Owner{layout->name, layout->typeWord})
                continue;
            if (!classes.count(owner.name))
                order.push_back(owner.name);
            if (owner.typeWord)
                classes[owner.name].push_back(owner.typeWord);
            else
                classes[owner.name];
        }
        std::vector<std::string> parts;
        for (const std::string& owner : order) {
            std::string part = Quote(owner);
            if (!classes[owner].empty() && classes[owner].size() < m_classes.at(owner))
                part += " (" + List(classes[owner], ", ") + ")";
            parts.push_back(part);
        }
        return List(parts);
    }

    // Walks the children of el as the reader of layout does, then reports
    // every element child that walk did not reach.
    Values Element(const pugi::xml_node& el, const Node& layout)
    {
        Values values = Walk(el, Entries(layout), Describe(layout), &layout);
        Behaviour(el, layout, values);
        return values;
    }

    Values Walk(const pugi::xml_node& el, const std::vector<Entry>& entries, const std::string& where,
                const Node* layout)
    {
        Values values;
        std::vector<pugi::xml_node> kids;
        for (pugi::xml_node c = el.first_child(); c; c = c.next_sibling()) {
            if (c.type() == pugi::node_element)
                kids.push_back(c);
        }
        std::vector<bool> read(kids.size(), false);
        std::vector<int> firstSearch(entries.size(), -1);
        int cursor = -1;
        for (size_t e = 0; e < entries.size(); ++e) {
            firstSearch[e] = cursor;
            for (;;) {
                int found = -1;
                for (int i = cursor + 1; i < static_cast<int>(kids.size()); ++i) {
                    if (entries[e].name == kids[i].name()) {
                        found = i;
                        break;
                    }
                }
                if (found < 0)
                    break;
                read[found] = true;
                cursor = found;
                values.read.emplace(entries[e].name, kids[found]);
                Value(kids[found], entries[e], values);
                if (!entries[e].child->repeated)
                    break;
            }
        }
        // The first element of each name that was read, for duplicates.
        std::map<std::string, size_t> firstRead;
        for (size_t i = 0; i < kids.size(); ++i) {
            if (read[i])
                firstRead.emplace(kids[i].name(), i);
        }
        for (size_t i = 0; i < kids.size(); ++i) {
            if (!read[i])
                Unread(kids, firstRead, i, entries, firstSearch, where, layout);
        }
        return values;
    }

    void Unread(const std::vector<pugi::xml_node>& kids, const std::map<std::string, size_t>& firstRead, size_t i,
                const std::vector<Entry>& entries, const std::vector<int>& firstSearch, const std::string& where,
                const Node* layout)
    {
        const std::string name = kids[i].name();
        for (size_t e = 0; e < entries.size(); ++e) {
            if (entries[e].name != name)
                continue;
            const auto first = firstRead.find(name);
            if (first != firstRead.end() && first->second < i) {
                Report(kids[i], true, "second " + Quote(name) + " in " + where + " is never read (the first is on line " +
                                          std::to_string(Line(kids[first->second])) + ")");
                return;
            }
            const pugi::xml_node& blocker = kids[static_cast<size_t>(std::max(0, firstSearch[e]))];
            Report(kids[i], true, Quote(name) + " is not read: it must come after " + Quote(blocker.name()) +
                                      " (line " + std::to_string(Line(blocker)) + ")");
            return;
        }
        if (m_owners.count(name)) {
            Report(kids[i], true, Quote(name) + " is not read inside " + where + "; it belongs in " + Owners(name, layout));
            return;
        }
        std::vector<std::string> names;
        for (const Entry& e : entries)
            names.push_back(e.name);
        Report(kids[i], true, "unknown element " + Quote(name) + " in " + where + " is not read" + Nearest(name, names, false));
    }

    void Value(const pugi::xml_node& node, const Entry& entry, Values& values)
    {
        const Child& c = *entry.child;
        const std::string text = TextOf(node);
        switch (entry.value) {
        case ZrDocumentLayout::Float:
        case ZrDocumentLayout::Double:
        case ZrDocumentLayout::Int: {
            double v = 0.0;
            const double limit = entry.value == ZrDocumentLayout::Float && c.limit > 0.0 ? c.limit : FLT_MAX;
            const std::string problem = NumberProblem(text, entry.value, limit, v);
            if (!problem.empty())
                Report(node, true, Quote(entry.name) + ": " + problem);
            if (!problem.empty())
                values.faulty.insert(entry.name);
            values.numbers[entry.name] = entry.value == ZrDocumentLayout::Float ? static_cast<float>(v) : v;
            break;
        }
        case ZrDocumentLayout::Text:
            if (!text.empty() && !EffectSource::PathResolves(text, m_folder)) {
                const bool ramp = std::strcmp(c.name, "ColorImagePath") == 0;
                Report(node, false, Quote(text) + " is found neither next to the document nor in the container: " +
                                        (ramp ? "the particles take their colour from the colour range"
                                              : "the host finds no texture (the preview draws a soft round sprite)"));
            }
            break;
        case ZrDocumentLayout::Tag:
            Tag(node, c, text, nullptr);
            break;
        case ZrDocumentLayout::Vector:
        case ZrDocumentLayout::Color: {
            const char* suffixes[4];
            const int n = ZrDocumentLayout::ComponentNames(c, suffixes);
            std::vector<Entry> parts;
            for (int k = 0; k < n; ++k)
                parts.push_back({std::string(c.name) + suffixes[k], &c, ZrDocumentLayout::Double});
            const Values inner = Walk(node, parts, Quote(c.name), nullptr);
            values.numbers.insert(inner.numbers.begin(), inner.numbers.end());
            break;
        }
        case ZrDocumentLayout::Element:
            Nested(node, c, values);
            break;
        default:
            break;
        }
    }

    // What becomes of a strategy element its class word does not name.
    static std::string Outcome(const char* owner)
    {
        if (std::strcmp(owner, "Influence") == 0)
            return "the 'Influence' is skipped";
        if (std::strcmp(owner, "Emitter") == 0)
            return "the 'Emitter' is not read and the system makes no particles";
        return std::string("the emitter gets no ") + Lower(owner) + " and makes nothing";
    }

    // owner: the strategy element a type word picks the class of.
    void Tag(const pugi::xml_node& node, const Child& c, const std::string& text, const char* owner)
    {
        const std::vector<std::string> words = Words(c.tags);
        if (std::find(words.begin(), words.end(), text) != words.end())
            return;
        if (text.empty() && std::strcmp(c.name, ZrDocumentLayout::Effect().children[0].name) == 0)
            return; // the writer's form of an effect without a kind
        const bool particleType = std::strcmp(c.name, ZrDocumentLayout::ParticleSystem().children[2].name) == 0;
        const std::string outcome = particleType ? "it reads as " + words.back()
                                    : owner        ? Outcome(owner)
                                                   : std::string("the effect gets no kind");
        Report(node, !particleType,
               "unknown " + Quote(c.name) + " " + Quote(text) + ": " + outcome + Nearest(text, words, true));
    }

    // A nested element: a strategy is picked by its type word, found by the
    // owner as the first child of that name; a plain element has one layout.
    void Nested(const pugi::xml_node& node, const Child& c, Values& values)
    {
        const Node* first = c.variants[0];
        if (first->typeWord == nullptr) {
            const Values inner = Element(node, *first);
            values.numbers.insert(inner.numbers.begin(), inner.numbers.end());
            return;
        }
        const char* typeName = first->children[0].name;
        const pugi::xml_node type = node.child(typeName);
        if (!type) {
            Report(node, true, Quote(c.name) + " has no " + Quote(typeName) + ": " + Outcome(c.name));
            return;
        }
        const std::string word = TextOf(type);
        const Node* variant = ZrDocumentLayout::Variant(c, word.c_str());
        if (!variant) {
            Tag(type, first->children[0], word, c.name);
            return;
        }
        Element(node, *variant);
    }

    // What a class does with the values read that an author would not expect.
    void Behaviour(const pugi::xml_node& el, const Node& layout, const Values& v)
    {
        if (Is(&layout, "CommonEmitter")) {
            for (int i = 1; i + 1 < layout.count; ++i) {
                if (!el.child(layout.children[i].name))
                    Report(el, false, "the emitter has no " + Quote(layout.children[i].name) + ": it makes nothing");
            }
        } else if (Is(&layout, "CommonCounter") && v.Has("NumPerSecond")) {
            CounterRate(v.read.at("NumPerSecond"), static_cast<long long>(v.Number("NumPerSecond", 0)));
        } else if (Is(&layout, "FadeCounter") && v.Number("NumPerSecond", 1) <= 0) {
            Report(v.read.at("NumPerSecond"), false,
                   "a fade counter of " + Show(v.Number("NumPerSecond", 0)) + " makes no particle");
        } else if (Is(&layout, "BoxPlacer")) {
            Report(el, false, "a box placer read from a document has no box and places nothing: every particle starts "
                              "at the origin (0, 0, 0), not at its 'Position'");
        } else if (Is(&layout, "PolygonPlacer")) {
            Report(el, false, "a polygon placer places nothing until the host calls SetRegion: until then every "
                              "particle starts at the origin (0, 0, 0), not at its 'Position'");
        } else if (std::strcmp(layout.name, "ParticleTemple") == 0) {
            Template(v);
        } else if (Is(&layout, "AccelInfluence") && !v.Has("Accel")) {
            Report(el, false, "an acceleration influence without 'Accel' pushes nothing");
        } else if (std::strcmp(layout.name, "Accel") == 0 &&
                   v.Sound({"AccelSize", "AccelDirection:X", "AccelDirection:Y", "AccelDirection:Z"})) {
            const double size = v.Number("AccelSize", 0);
            const bool still = v.Number("AccelDirection:X", 0) == 0 && v.Number("AccelDirection:Y", 0) == 0 &&
                               v.Number("AccelDirection:Z", 0) == 0;
            if (size == 0 || still)
                Report(el, false, std::string("the acceleration is 0 (") +
                                      (size == 0 ? "'AccelSize' is 0" : "'AccelDirection' is (0, 0, 0)") +
                                      "): the influence pushes nothing");
        } else if (Is(&layout, "WindInfluence") && !v.Has("WindVelocity")) {
            for (const char* name : {"Speed", "Theta", "Phi"}) {
                if (v.Has(name)) {
                    Report(v.read.at(name), false, "'Speed', 'Theta' and 'Phi' do not move the particles, and "
                                                   "'WindVelocity' is missing: the wind blows at (1, 0, 0)");
                    break;
                }
            }
        }
    }

    void CounterRate(const pugi::xml_node& at, long long perSecond)
    {
        long long rates[2];
        bool far = false;
        for (int k = 0; k < 2; ++k) {
            const double fps = kFrameRates[k];
            const long long perFrame = static_cast<long long>(static_cast<double>(perSecond) / fps + 0.5);
            rates[k] = static_cast<long long>(fps) * std::max(1LL, perFrame);
            far = far || std::llabs(rates[k] - perSecond) * 4 > perSecond;
        }
        const std::string gives = std::to_string(rates[0]) + " a second at 30 frames a second and " +
                                  std::to_string(rates[1]) + " at 60";
        const std::string n = std::to_string(perSecond);
        if (perSecond <= 0)
            Report(at, false, "a common counter at " + n + " per second still makes one particle every frame: " + gives);
        else if (perSecond < kFrameRates[1])
            Report(at, false, "'NumPerSecond' " + n + " is below a host's frame rate: the common counter makes at least "
                              "one particle every frame, so it gives " + gives);
        else if (far)
            Report(at, false, "'NumPerSecond' " + n + " gives " + gives +
                                  ": the common counter rounds each frame's count to a whole number");
    }

    void Template(const Values& v)
    {
        if (v.Has("LifeTime") && v.Number("LifeTime", 1) <= 0)
            Report(v.read.at("LifeTime"), false,
                   "a life time of " + Show(v.Number("LifeTime", 0)) + " s: the particles never die of age; each "
                   "keeps a random size, alpha and colour, and a common counter adds particles every frame until the "
                   "pool is full");
        if (v.Has("Mass") && static_cast<float>(v.Number("Mass", 0)) != 0.1f)
            Report(v.read.at("Mass"), false,
                   "'Mass' " + Show(v.Number("Mass", 0)) + " moves nothing: the winds use the inverse mass, which stays "
                   "10 (that of the default mass 0.1) for particles read from a document");
    }

    const std::string& m_text;
    std::string m_folder;
    std::vector<EffectChecker::Finding>& m_out;
    std::vector<size_t> m_lineStarts;
    std::map<std::string, std::vector<Owner>> m_owners; // in layout order
    std::map<std::string, size_t> m_classes;                  // classes of each element name
};

} // namespace

std::vector<EffectChecker::Finding> EffectChecker::Check(const std::string& text, const std::string& folder)
{
    std::vector<Finding> findings;
    Walker walker(text, folder, findings);
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_auto);
    if (!result) {
        walker.NotWellFormed(result);
        return findings;
    }
    walker.Root(doc);
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line || (a.line == b.line && a.column < b.column); });
    return findings;
}

std::string EffectChecker::Format(const std::string& file, const Finding& f)
{
    return file + ":" + std::to_string(f.line) + ":" + std::to_string(f.column) + ": " +
           (f.error ? "error: " : "warning: ") + f.message;
}

int EffectChecker::CheckCommand(const std::vector<std::string>& names, bool quiet)
{
    int status = 0;
    int errors = 0, warnings = 0, unread = 0;
    for (const std::string& name : names) {
        std::string text, folder, reason;
        if (!EffectSource::Read(name, text, folder, reason)) {
            std::fprintf(stderr, "nbparticle: %s: %s\n", name.c_str(), reason.c_str());
            status = 1;
            ++unread;
            continue;
        }
        for (const Finding& f : Check(text, folder)) {
            std::printf("%s\n", Format(name, f).c_str());
            status |= f.error ? 1 : 0;
            ++(f.error ? errors : warnings);
        }
    }
    if (!quiet) {
        // A clean run would otherwise say nothing at all.
        const size_t checked = names.size() - static_cast<size_t>(unread);
        std::fflush(stdout);
        std::fprintf(stderr, "checked %zu document%s: %d error%s, %d warning%s", checked, checked == 1 ? "" : "s",
                     errors, errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s");
        if (unread)
            std::fprintf(stderr, "; %d could not be read", unread);
        std::fprintf(stderr, "\n");
    }
    return status;
}
