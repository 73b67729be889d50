#include "EffectChecker.h"

#include "EffectSource.h"

#include <NbParticleSystem600/NbParticleSystem600.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

using ZRC::ZrDocumentLayout;

namespace {

using Node = ZrDocumentLayout::Node;
using Child = ZrDocumentLayout::Child;

// The parse options of the library's markup, so that texts read the same.
const unsigned int kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Edit distance ignoring letter case, so that a case slip is the nearest.
size_t Distance(const std::string& a, const std::string& b)
{
    const std::string x = Lower(a), y = Lower(b);
    std::vector<size_t> row(y.size() + 1);
    for (size_t j = 0; j <= y.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= x.size(); ++i) {
        size_t diag = row[0];
        row[0] = i;
        for (size_t j = 1; j <= y.size(); ++j) {
            const size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diag + (x[i - 1] == y[j - 1] ? 0 : 1)});
            diag = up;
        }
    }
    return row[y.size()];
}

// The nearest of the candidates when it is near enough to be a slip; else,
// when asked, the list of them all.
std::string Nearest(const std::string& word, const std::vector<std::string>& candidates, bool list)
{
    std::string best;
    size_t bestDistance = SIZE_MAX;
    for (const std::string& c : candidates) {
        const size_t d = Distance(word, c);
        if (d < bestDistance) {
            bestDistance = d;
            best = c;
        }
    }
    if (!best.empty() && bestDistance <= std::max<size_t>(2, word.size() / 3))
        return "; did you mean " + Quote(best) + "?";
    if (!list)
        return "";
    std::string all;
    for (size_t i = 0; i < candidates.size(); ++i)
        all += (i == 0 ? "" : i + 1 == candidates.size() ? " or " : ", ") + Quote(candidates[i]);
    return "; expected " + all;
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

// Why a number text is not accepted, or empty when it is: it must be a
// decimal number, finite, and within the range of the field it is stored in.
std::string NumberProblem(const std::string& raw, ZrDocumentLayout::Value kind, double& value)
{
    const std::string text = Trim(raw);
    value = 0.0;
    const bool whole = kind == ZrDocumentLayout::Int;
    const char* allowed = whole ? "+-0123456789" : "+-.eE0123456789";
    if (text.empty() || text.find_first_not_of(allowed) != std::string::npos)
        return Quote(raw) + " is not a " + (whole ? "whole number" : "number") + " (it reads as 0)";
    char* end = nullptr;
    errno = 0;
    if (whole) {
        const long long v = std::strtoll(text.c_str(), &end, 10);
        value = static_cast<double>(v);
        if (*end != '\0')
            return Quote(raw) + " is not a whole number (it reads as 0)";
        if (errno == ERANGE || v > INT_MAX || v < INT_MIN)
            return Quote(raw) + " is out of the range of a whole number (it reads as the nearest one in range)";
        return "";
    }
    value = std::strtod(text.c_str(), &end);
    if (*end != '\0')
        return Quote(raw) + " is not a number (it reads as 0)";
    // The readers' own rule, for float and double fields alike.
    if (ZRC::ZrDocumentValues::Bounded(value) != value)
        return Quote(raw) + " is out of range (it reads as 0)";
    return "";
}

std::vector<std::string> Words(const char* const* list)
{
    std::vector<std::string> out;
    for (; list != nullptr && *list != nullptr; ++list)
        out.push_back(*list);
    return out;
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

class Walker {
public:
    Walker(const std::string& text, const std::string& folder, std::vector<EffectChecker::Finding>& out)
        : m_folder(folder), m_out(out)
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

    int Line(const pugi::xml_node& node)
    {
        const size_t at = static_cast<size_t>(std::max<ptrdiff_t>(0, node.offset_debug()));
        return static_cast<int>(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), at) - m_lineStarts.begin());
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
    // Records which elements hold each child name, for "it belongs in".
    void Index(const Node& node)
    {
        for (int i = 0; i < node.count; ++i) {
            const Child& c = node.children[i];
            for (const Entry& e : Entries(Node{node.name, node.typeWord, &c, 1}))
                m_owners[e.name].insert(node.name);
            const char* suffixes[4];
            const int n = ZrDocumentLayout::ComponentNames(c, suffixes);
            if (c.value != ZrDocumentLayout::Components) {
                for (int k = 0; k < n; ++k)
                    m_owners[std::string(c.name) + suffixes[k]].insert(c.name);
            }
            for (const Node* const* v = c.variants; v != nullptr && *v != nullptr; ++v)
                Index(**v);
        }
    }

    static std::string Describe(const Node& node)
    {
        return Quote(node.name) + (node.typeWord ? std::string(" (") + node.typeWord + ")" : "");
    }

    // Walks the children of el as the reader of layout does, then reports
    // every element child that walk did not reach.
    void Element(const pugi::xml_node& el, const Node& layout)
    {
        std::vector<Entry> entries = Entries(layout);
        Walk(el, entries, Describe(layout), &layout);
    }

    void Walk(const pugi::xml_node& el, const std::vector<Entry>& entries, const std::string& where, const Node* layout)
    {
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
                Value(kids[found], entries[e], layout);
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
                Unread(kids, firstRead, i, entries, firstSearch, where);
        }
        if (layout && layout->typeWord && std::strcmp(layout->typeWord, "CommonEmitter") == 0) {
            for (size_t e = 1; e + 1 < entries.size(); ++e) {
                if (!el.child(entries[e].name.c_str()))
                    Report(el, false, "the emitter has no " + Quote(entries[e].name) + ": it emits nothing");
            }
        }
    }

    void Unread(const std::vector<pugi::xml_node>& kids, const std::map<std::string, size_t>& firstRead, size_t i,
                const std::vector<Entry>& entries, const std::vector<int>& firstSearch, const std::string& where)
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
        const auto owners = m_owners.find(name);
        if (owners != m_owners.end()) {
            std::string list;
            for (const std::string& o : owners->second)
                list += (list.empty() ? "" : " or ") + Quote(o);
            Report(kids[i], true, Quote(name) + " is not read inside " + where + ": it belongs in " + list);
            return;
        }
        std::vector<std::string> names;
        for (const Entry& e : entries)
            names.push_back(e.name);
        Report(kids[i], true, "unknown element " + Quote(name) + " in " + where + " is not read" + Nearest(name, names, false));
    }

    void Value(const pugi::xml_node& node, const Entry& entry, const Node* layout)
    {
        const Child& c = *entry.child;
        const std::string text = TextOf(node);
        switch (entry.value) {
        case ZrDocumentLayout::Float:
        case ZrDocumentLayout::Double:
        case ZrDocumentLayout::Int: {
            double v = 0.0;
            const std::string problem = NumberProblem(text, entry.value, v);
            if (!problem.empty())
                Report(node, true, Quote(entry.name) + ": " + problem);
            else if (v <= 0.0 && entry.name == "LifeTime")
                Report(node, false, "a life time of " + Trim(text) + " s: the particles never die");
            else if (v <= 0.0 && layout && layout->typeWord && std::strcmp(layout->typeWord, "CommonCounter") == 0)
                Report(node, false, "a common counter at " + Trim(text) + " per second still makes one particle a step");
            break;
        }
        case ZrDocumentLayout::Text:
            if (!text.empty() && !EffectSource::PathResolves(text, m_folder))
                Report(node, false, Quote(text) + " is found neither next to the document nor in the container");
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
            Walk(node, parts, Quote(c.name), nullptr);
            break;
        }
        case ZrDocumentLayout::Element:
            Nested(node, c);
            break;
        default:
            break;
        }
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
                                    : owner        ? "the " + Quote(owner) + " is not read"
                                                   : std::string("the effect gets no kind");
        Report(node, !particleType,
               "unknown " + Quote(c.name) + " " + Quote(text) + ": " + outcome + Nearest(text, words, true));
    }

    // A nested element: a strategy is picked by its type word, found by the
    // owner as the first child of that name; a plain element has one layout.
    void Nested(const pugi::xml_node& node, const Child& c)
    {
        const Node* first = c.variants[0];
        if (first->typeWord == nullptr) {
            Element(node, *first);
            return;
        }
        const char* typeName = first->children[0].name;
        const pugi::xml_node type = node.child(typeName);
        if (!type) {
            Report(node, true, Quote(c.name) + " has no " + Quote(typeName) + ": it is not read");
            return;
        }
        const std::string word = TextOf(type);
        const Node* variant = ZrDocumentLayout::Variant(c, word.c_str());
        if (!variant) {
            Tag(type, first->children[0], word, c.name);
            return;
        }
        if (std::strcmp(variant->typeWord, "PolygonPlacer") == 0)
            Report(node, false, "a polygon placer places nothing until the host calls SetRegion");
        Element(node, *variant);
    }

    std::string m_folder;
    std::vector<EffectChecker::Finding>& m_out;
    std::vector<size_t> m_lineStarts;
    std::map<std::string, std::set<std::string>> m_owners;
};

} // namespace

std::vector<EffectChecker::Finding> EffectChecker::Check(const std::string& text, const std::string& folder)
{
    std::vector<Finding> findings;
    Walker walker(text, folder, findings);
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_auto);
    if (!result) {
        walker.Report(result.offset, true, std::string("not well-formed XML: ") + result.description());
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

int EffectChecker::CheckCommand(const std::vector<std::string>& names)
{
    int status = 0;
    for (const std::string& name : names) {
        std::string text, folder, reason;
        if (!EffectSource::Read(name, text, folder, reason)) {
            std::fprintf(stderr, "nbparticle: %s: %s\n", name.c_str(), reason.c_str());
            status = 1;
            continue;
        }
        for (const Finding& f : Check(text, folder)) {
            std::printf("%s\n", Format(name, f).c_str());
            status |= f.error ? 1 : 0;
        }
    }
    return status;
}
