#include "DocumentReference.h"

#include "TextUtil.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

using ZRC::ZrDocumentLayout;
using Item = DocumentReference::Item;
using Child = ZrDocumentLayout::Child;
using Node = ZrDocumentLayout::Node;

namespace {

const size_t kWidth = 78;
const size_t kLabel = 9; // "default  "

std::string Join(const std::vector<std::string>& parts, const char* separator, size_t from = 0)
{
    std::string out;
    for (size_t i = from; i < parts.size(); ++i)
        out += (i == from ? "" : separator) + parts[i];
    return out;
}

std::string Lower(const std::string& s) { return TextUtil::Lower(s); }
std::vector<std::string> Split(const std::string& text, char separator) { return TextUtil::Split(text, separator); }
std::string List(const std::vector<std::string>& items, const char* last = " and ") { return TextUtil::List(items, last); }

// Whether the query q (segments) names the element at path: q ends with the
// element's own name and every earlier segment matches the path in order,
// type words of the path being optional.
bool Align(const std::vector<std::string>& q, int i, const Item& item, int j, bool fold)
{
    if (i < 0)
        return true;
    if (j < 0)
        return false;
    const bool same = fold ? Lower(q[i]) == Lower(item.path[j]) : q[i] == item.path[j];
    if (same && Align(q, i - 1, item, j - 1, fold))
        return true;
    return item.word[j] && Align(q, i, item, j - 1, fold);
}

bool Names(const std::vector<std::string>& q, const Item& item, bool fold)
{
    const int last = static_cast<int>(item.path.size()) - 1;
    const std::string& tail = q.back();
    if (!(fold ? Lower(tail) == Lower(item.path[last]) : tail == item.path[last]))
        return false;
    return Align(q, static_cast<int>(q.size()) - 2, item, last - 1, fold);
}

// The text entry whose path names the item, the longest one winning.
const DocumentText::Entry* TextFor(const Item& item)
{
    size_t count = 0;
    const DocumentText::Entry* entries = DocumentText::Entries(count);
    const DocumentText::Entry* best = nullptr;
    size_t bestLength = 0;
    for (size_t i = 0; i < count; ++i) {
        const std::vector<std::string> q = Split(entries[i].path, '/');
        if (Names(q, item, false) && q.size() > bestLength) {
            best = &entries[i];
            bestLength = q.size();
        }
    }
    return best;
}

class Tree {
public:
    Tree()
    {
        Item root;
        root.name = ZrDocumentLayout::Effect().name;
        root.path = {root.name};
        root.word = {false};
        root.node = &ZrDocumentLayout::Effect();
        m_items.push_back(root);
        AddChildren(0);
        for (Item& item : m_items)
            item.text = TextFor(item);
    }

    std::vector<Item> m_items;

private:
    int Add(int parent, Item item)
    {
        item.parent = parent;
        item.path = m_items[static_cast<size_t>(parent)].path;
        item.word = m_items[static_cast<size_t>(parent)].word;
        item.path.push_back(item.name);
        item.word.push_back(item.kind == Item::Class);
        m_items.push_back(item);
        const int index = static_cast<int>(m_items.size()) - 1;
        m_items[static_cast<size_t>(parent)].children.push_back(index);
        return index;
    }

    void AddChildren(int parent)
    {
        const Node* node = m_items[static_cast<size_t>(parent)].node;
        for (int i = 0; i < node->count; ++i) {
            const Child& c = node->children[i];
            Item item;
            item.name = c.name;
            item.child = &c;
            if (c.value != ZrDocumentLayout::Element) {
                Add(parent, item);
                continue;
            }
            if (c.variants[0]->typeWord == nullptr) {
                item.node = c.variants[0];
                AddChildren(Add(parent, item));
                continue;
            }
            item.kind = Item::Strategy;
            const int strategy = Add(parent, item);
            for (const Node* const* v = c.variants; *v != nullptr; ++v) {
                Item cls;
                cls.kind = Item::Class;
                cls.name = (*v)->typeWord;
                cls.node = *v;
                AddChildren(Add(strategy, cls));
            }
        }
    }
};

const std::vector<Item>& All() { return DocumentReference::Items(); }
const Item& At(int i) { return All()[static_cast<size_t>(i)]; }

// The strategy a child of a class belongs to; -1 for other items.
int StrategyOf(int i)
{
    const int parent = At(i).parent;
    return parent >= 0 && At(parent).kind == Item::Class ? At(parent).parent : -1;
}

std::vector<int> Find(const std::vector<std::string>& q, bool fold)
{
    std::vector<int> out;
    for (size_t i = 0; i < All().size(); ++i) {
        if (Names(q, All()[i], fold))
            out.push_back(static_cast<int>(i));
    }
    return out;
}

std::vector<std::string> Query(const std::string& path)
{
    std::vector<std::string> q;
    for (const std::string& part : Split(path, '/')) {
        if (!part.empty())
            q.push_back(part);
    }
    // A component names its vector ("Position:X", "Position/Position:X").
    if (!q.empty()) {
        const size_t colon = q.back().find(':');
        if (colon != std::string::npos && colon > 0) {
            const std::string base = q.back().substr(0, colon);
            q.pop_back();
            if (q.empty() || q.back() != base)
                q.push_back(base);
        }
    }
    return q;
}

// The element groups a path names: exact names first, else letter case aside.
std::vector<int> Resolve(const std::string& path, bool& folded)
{
    folded = false;
    const std::vector<std::string> q = Query(path);
    if (q.empty())
        return {};
    std::vector<int> found = DocumentReference::Groups(Find(q, false));
    if (found.empty()) {
        found = DocumentReference::Groups(Find(q, true));
        folded = !found.empty();
    }
    return found;
}

const DocumentText::Section* Topic(const std::string& path)
{
    size_t count = 0;
    const DocumentText::Section* sections = DocumentText::Sections(count);
    std::string word = Lower(path);
    if (word == "color")
        word = "colour";
    for (size_t i = 0; i < count; ++i) {
        if (word == sections[i].topic)
            return &sections[i];
    }
    return nullptr;
}

std::string SectionText(const DocumentText::Section& s)
{
    return std::string(s.title) + "\n\n" + DocumentReference::Wrap(s.text, kWidth, 0) + "\n";
}

void Field(std::string& out, const char* label, const std::string& text)
{
    if (text.empty())
        return;
    std::string line = label;
    line.resize(kLabel, ' ');
    out += line + DocumentReference::Wrap(text, kWidth - kLabel, kLabel) + "\n";
}

// "name  summary" lines, the summaries wrapped beside the names.
std::string Listing(const std::vector<int>& items)
{
    size_t column = 0;
    for (int i : items)
        column = std::max(column, At(i).name.size());
    column = std::max<size_t>(column + 2, 12);
    std::string out;
    for (int i : items) {
        std::string line = "  " + At(i).name;
        line.resize(column + 2, ' ');
        out += line + DocumentReference::Wrap(DocumentReference::Summary(i), kWidth - column - 2, column + 2) + "\n";
    }
    return out;
}

std::string ExplainItem(int i)
{
    const Item& item = At(i);
    const DocumentText::Entry* t = item.text;
    const std::string shortPath = DocumentReference::ShortPath(i), fullPath = DocumentReference::FullPath(i);
    std::string out = shortPath + (fullPath != shortPath ? "\n  " + fullPath : "") + "\n\n";
    if (t && *t->meaning)
        out += DocumentReference::Wrap(t->meaning, kWidth, 0) + "\n\n";
    std::string fields;
    Field(fields, "in", DocumentReference::Where(i));
    Field(fields, "value", DocumentReference::Value(i));
    if (t) {
        Field(fields, "unit", t->unit);
        Field(fields, "default", t->defaultValue);
        Field(fields, "range", t->range);
    }
    const std::vector<std::string> order = DocumentReference::Order(i);
    for (size_t k = 0; k < order.size(); ++k)
        Field(fields, k == 0 ? "order" : "", order[k]);
    if (!fields.empty())
        out += fields + "\n";
    if (t && *t->notes)
        out += DocumentReference::Wrap(t->notes, kWidth, 0) + "\n\n";
    const std::vector<int> listed = DocumentReference::Listed(i);
    if (!listed.empty()) {
        if (item.kind == Item::Strategy)
            out += std::string("classes, named by ") + At(listed.front()).node->children[0].name + ":\n";
        else
            out += "children, in the order they are read:\n";
        out += Listing(listed) + "\n";
    }
    if (t && *t->example) {
        out += "example:\n";
        for (const std::string& line : Split(t->example, '\n'))
            out += "  " + line + "\n";
        out += "\n";
    }
    while (out.size() > 1 && out[out.size() - 2] == '\n')
        out.pop_back();
    return out;
}

// JSON.
std::string Quoted(const std::string& s)
{
    std::string out = "\"";
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

const char* Kind(const Item& item)
{
    if (item.kind == Item::Strategy)
        return "strategy";
    if (item.kind == Item::Class)
        return "class";
    if (item.child == nullptr)
        return "element";
    static const char* const kKinds[] = {"float", "double", "int", "text", "tag", "components", "vector", "color",
                                         "element"};
    return kKinds[item.child->value];
}

std::string JsonItem(int i)
{
    const Item& item = At(i);
    const DocumentText::Entry* t = item.text;
    auto text = [&](const char* s) { return Quoted(t ? s : ""); };
    std::string out = "{\"name\":" + Quoted(item.name) + ",\"path\":" + Quoted(DocumentReference::FullPath(i)) +
                      ",\"short\":" + Quoted(DocumentReference::ShortPath(i)) + ",\"value\":" + Quoted(Kind(item)) +
                      ",\"repeated\":" + (item.child && item.child->repeated ? "true" : "false");
    if (t) {
        out += ",\"meaning\":" + text(t->meaning) + ",\"unit\":" + text(t->unit) + ",\"default\":" +
               text(t->defaultValue) + ",\"range\":" + text(t->range) + ",\"notes\":" + text(t->notes);
        if (*t->example)
            out += ",\"example\":" + text(t->example);
    }
    out += ",\"explain\":" + Quoted(ExplainItem(DocumentReference::Group(i).front()));
    if (item.child && item.child->value == ZrDocumentLayout::Tag) {
        std::vector<std::string> words;
        for (const char* const* w = item.child->tags; *w != nullptr; ++w)
            words.push_back(Quoted(*w));
        out += ",\"words\":[" + Join(words, ",") + "]";
    }
    if (item.child) {
        const char* suffixes[4];
        const int n = ZrDocumentLayout::ComponentNames(*item.child, suffixes);
        std::vector<std::string> names;
        for (int k = 0; k < n; ++k)
            names.push_back(Quoted(item.name + suffixes[k]));
        if (n > 0)
            out += ",\"components\":[" + Join(names, ",") + "]";
    }
    std::vector<std::string> parts;
    for (int c : item.children)
        parts.push_back((item.kind == Item::Strategy ? Quoted(At(c).name) + ":" : "") + JsonItem(c));
    if (item.kind == Item::Strategy)
        out += ",\"typeElement\":" + Quoted(At(item.children.front()).node->children[0].name) + ",\"variants\":{" +
               Join(parts, ",") + "}";
    else if (!item.children.empty())
        out += ",\"children\":[" + Join(parts, ",") + "]";
    return out + "}";
}

} // namespace

const std::vector<Item>& DocumentReference::Items()
{
    static const Tree tree;
    return tree.m_items;
}

std::vector<int> DocumentReference::Group(int i)
{
    const int strategy = StrategyOf(i);
    if (strategy < 0)
        return {i};
    std::vector<int> out;
    for (int cls : At(strategy).children) {
        for (int c : At(cls).children) {
            if (At(c).name == At(i).name && At(c).text == At(i).text)
                out.push_back(c);
        }
    }
    return out;
}

std::vector<int> DocumentReference::Groups(const std::vector<int>& items)
{
    std::vector<int> out;
    for (int i : items) {
        const int first = Group(i).front();
        if (std::find(out.begin(), out.end(), first) == out.end())
            out.push_back(first);
    }
    return out;
}

std::string DocumentReference::FullPath(int i)
{
    const std::vector<int> group = Group(i);
    if (group.size() == 1)
        return Join(At(i).path, "/");
    // Shared by several classes: the path without the class word.
    std::vector<std::string> path = At(i).path;
    path.erase(path.end() - 2);
    return Join(path, "/");
}

std::string DocumentReference::ShortPath(int i)
{
    const Item& item = At(i);
    const int first = Group(i).front();
    const bool shared = Group(i).size() > 1;
    std::vector<std::string> path = item.path;
    std::vector<bool> word = item.word;
    if (shared) {
        path.erase(path.end() - 2);
        word.erase(word.end() - 2);
    }
    // A child of the classes of a strategy shows the strategy, and its class
    // when it is one class's own: Placer/ScrewPlacer/RoundTime, Placer/PlacerType.
    const int strategy = StrategyOf(i);
    const size_t longest = strategy >= 0 && At(strategy).children.size() > 1
                               ? path.size() - At(strategy).path.size() + 1
                               : 1;
    for (size_t k = longest; k <= path.size(); ++k) {
        size_t from = path.size() - k;
        if (DocumentReference::Groups(Find(std::vector<std::string>(path.begin() + static_cast<long>(from), path.end()), false)) !=
            std::vector<int>{first})
            continue;
        if (word[from] && from > 0)
            --from; // a class word goes with its element's name
        return Join(path, "/", from);
    }
    return Join(path, "/");
}

std::string DocumentReference::Where(int i)
{
    const Item& item = At(i);
    if (item.parent < 0)
        return "";
    if (item.kind == Item::Class)
        return "a class of " + At(item.parent).name + ", named by " + item.node->children[0].name;
    const Item& parent = At(item.parent);
    if (parent.kind != Item::Class)
        return parent.name;
    const std::vector<int> group = Group(i);
    const Item& strategy = At(parent.parent);
    if (strategy.children.size() == 1)
        return strategy.name;
    if (group.size() == strategy.children.size())
        return strategy.name + ", every class";
    std::vector<std::string> classes;
    for (int g : group)
        classes.push_back(At(At(g).parent).name);
    return strategy.name + ": " + List(classes, " or ");
}

std::string DocumentReference::Value(int i)
{
    const Item& item = At(i);
    if (item.kind == Item::Class)
        return "";
    if (item.child == nullptr)
        return "the root element";
    const Child& c = *item.child;
    const std::string again = c.repeated ? "; it may be repeated, and each one is read" : "";
    const char* suffixes[4];
    const int n = ZrDocumentLayout::ComponentNames(c, suffixes);
    std::vector<std::string> parts;
    for (int k = 0; k < n; ++k)
        parts.push_back(item.name + suffixes[k]);
    const std::string number = "text that is not a finite number of magnitude up to ";
    switch (c.value) {
    case ZrDocumentLayout::Float:
        return std::string("a number, kept in single precision; ") + number + (c.limit > 0.0 ? "1e36" : "3.4e38") +
               " reads as 0";
    case ZrDocumentLayout::Double:
        return "a number, kept in double precision; " + number + "3.4e38 reads as 0";
    case ZrDocumentLayout::Int:
        return "a whole number, read like atoi";
    case ZrDocumentLayout::Text:
        return "text";
    case ZrDocumentLayout::Tag: {
        std::vector<std::string> words;
        for (const char* const* w = c.tags; *w != nullptr; ++w)
            words.push_back(*w);
        return "one of the words " + List(words, " or ") + ", letter case included";
    }
    case ZrDocumentLayout::Components:
        return "no element of its own: the three elements " + List(parts) + " stand directly in " +
               At(item.parent).name + ", each a number kept in double precision";
    case ZrDocumentLayout::Vector:
    case ZrDocumentLayout::Color:
        return "an element holding " + List(parts) + ", each a number kept in double precision";
    default:
        break;
    }
    if (item.kind == Item::Strategy)
        return std::string("an element whose first child, ") + At(item.children.front()).node->children[0].name +
               ", names its class" + again;
    return "an element holding the children below" + again;
}

std::vector<std::string> DocumentReference::Order(int i)
{
    std::vector<std::string> out;
    const std::vector<int> group = Group(i);
    for (int g : group) {
        const Item& parent = At(At(g).parent < 0 ? g : At(g).parent);
        if (At(g).parent < 0 || At(g).kind == Item::Class)
            return out;
        std::vector<std::string> names;
        for (int s : parent.children)
            names.push_back(s == g ? "[" + At(s).name + "]" : At(s).name);
        out.push_back((group.size() > 1 ? parent.name + ": " : "") + Join(names, ", "));
    }
    return out;
}

std::string DocumentReference::Summary(int i)
{
    const DocumentText::Entry* t = At(i).text;
    if (!t)
        return "";
    const std::string meaning = t->meaning;
    const size_t end = meaning.find(". ");
    return end == std::string::npos ? meaning : meaning.substr(0, end + 1);
}

std::vector<int> DocumentReference::Listed(int i) { return At(i).children; }

std::string DocumentReference::Wrap(const std::string& text, size_t width, size_t indent)
{
    const std::string pad(indent, ' ');
    std::string out;
    bool firstLine = true;
    bool loose = false; // the last paragraph was plain text
    for (const std::string& paragraph : Split(text, '\n')) {
        const bool plain = paragraph.compare(0, 2, "  ") != 0 && paragraph.compare(0, 2, "- ") != 0;
        if (!firstLine)
            out += (indent == 0 && (plain || loose) ? "\n\n" : "\n") + pad;
        firstLine = false;
        loose = plain;
        if (paragraph.compare(0, 2, "  ") == 0) {
            out += paragraph;
            continue;
        }
        const bool item = paragraph.compare(0, 2, "- ") == 0;
        const std::string hang = pad + (item ? "  " : "");
        size_t column = 0;
        bool firstWord = true;
        for (const std::string& w : Split(paragraph, ' ')) {
            if (w.empty())
                continue;
            if (!firstWord && column + 1 + w.size() > width) {
                out += "\n" + hang;
                column = hang.size() - indent;
            } else if (!firstWord) {
                out += ' ';
                ++column;
            }
            out += w;
            column += w.size();
            firstWord = false;
        }
    }
    return out;
}

std::vector<std::string> DocumentReference::Matches(const std::string& path)
{
    bool folded = false;
    std::vector<std::string> out;
    for (int i : Resolve(path, folded))
        out.push_back(FullPath(i));
    return out;
}

std::string DocumentReference::Explain(const std::string& path)
{
    if (const DocumentText::Section* section = Topic(path))
        return SectionText(*section);
    bool folded = false;
    const std::vector<int> found = Resolve(path, folded);
    if (found.size() != 1)
        return "";
    const std::string text = ExplainItem(found.front());
    if (!folded)
        return text;
    return "(letter case counts in a document: it is written " + At(found.front()).name + ")\n\n" + text;
}

std::string DocumentReference::Json()
{
    size_t count = 0;
    const DocumentText::Section* sections = DocumentText::Sections(count);
    std::vector<std::string> parts;
    for (size_t i = 0; i < count; ++i)
        parts.push_back("{\"topic\":" + Quoted(sections[i].topic) + ",\"title\":" + Quoted(sections[i].title) +
                        ",\"text\":" + Quoted(sections[i].text) + ",\"explain\":" + Quoted(SectionText(sections[i])) +
                        "}");
    return "{\"root\":" + JsonItem(0) + ",\"sections\":[" + Join(parts, ",") + "]}\n";
}

int DocumentReference::Command(const std::string& path)
{
    const std::string text = Explain(path);
    if (!text.empty()) {
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    bool folded = false;
    const std::vector<int> found = Resolve(path, folded);
    if (found.size() > 1) {
        std::fprintf(stderr, "nbparticle: %s: names %zu elements; say which:\n", path.c_str(), found.size());
        for (int i : found)
            std::fprintf(stderr, "  %s\n", ShortPath(i).c_str());
        return 1;
    }
    // Nothing: suggest the names nearest to the last segment.
    const std::vector<std::string> q = Query(path);
    const std::string last = q.empty() ? path : q.back();
    std::vector<std::pair<size_t, int>> near;
    for (size_t i = 0; i < All().size(); ++i) {
        if (Group(static_cast<int>(i)).front() == static_cast<int>(i))
            near.push_back({TextUtil::Distance(last, All()[i].name), static_cast<int>(i)});
    }
    std::stable_sort(near.begin(), near.end());
    std::fprintf(stderr, "nbparticle: %s: no element of an effect document is named so", path.c_str());
    std::vector<std::string> suggestions;
    for (const auto& [distance, i] : near) {
        if (TextUtil::Near(last, distance) && suggestions.size() < 5)
            suggestions.push_back(ShortPath(i));
    }
    if (!suggestions.empty())
        std::fprintf(stderr, "; did you mean %s?", List(suggestions, " or ").c_str());
    size_t count = 0;
    const DocumentText::Section* sections = DocumentText::Sections(count);
    std::vector<std::string> topics;
    for (size_t i = 0; i < count; ++i)
        topics.push_back(sections[i].topic);
    const std::string hint = "name an element by a path such as LifeTime or Placer/ScrewPlacer/RoundTime (the root, "
                             "QuenmarParticleEffect, lists its children), or a chapter: " + List(topics, " or ");
    std::fprintf(stderr, "\n  %s\n", Wrap(hint, kWidth - 2, 2).c_str());
    return 1;
}
