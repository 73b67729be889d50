#include "ReferenceWriter.h"

#include "DocumentReference.h"
#include "TextUtil.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <vector>

using ZRC::ZrDocumentLayout;
using Item = DocumentReference::Item;

namespace {

const Item& At(int i) { return DocumentReference::Items()[static_cast<size_t>(i)]; }

std::vector<std::string> Lines(const std::string& text) { return TextUtil::Split(text, '\n'); }

// The children of a strategy's classes merged into one sequence that keeps
// each class's order: each name once, with the classes that read it.
// False when two classes order their children differently.
bool Merge(int strategy, std::vector<std::pair<std::string, std::vector<int>>>& merged)
{
    for (int cls : At(strategy).children) {
        int cursor = -1;
        for (int c : At(cls).children) {
            int at = -1;
            for (size_t k = 0; k < merged.size(); ++k) {
                if (merged[k].first == At(c).name)
                    at = static_cast<int>(k);
            }
            if (at >= 0 && at <= cursor)
                return false;
            if (at < 0) {
                // Before the next child of this class that is there already,
                // else at the end: each class's own children stay together.
                at = static_cast<int>(merged.size());
                const std::vector<int>& own = At(cls).children;
                for (auto next = std::find(own.begin(), own.end(), c) + 1; next != own.end() && at == static_cast<int>(merged.size()); ++next) {
                    for (size_t k = static_cast<size_t>(cursor + 1); k < merged.size(); ++k) {
                        if (merged[k].first == At(*next).name) {
                            at = static_cast<int>(k);
                            break;
                        }
                    }
                }
                merged.insert(merged.begin() + at, {At(c).name, {}});
            }
            merged[static_cast<size_t>(at)].second.push_back(c);
            cursor = at;
        }
    }
    return true;
}

// The children an element has in a document: a strategy's merged ones.
std::vector<std::pair<std::string, std::vector<int>>> Children(int i)
{
    std::vector<std::pair<std::string, std::vector<int>>> out;
    if (At(i).kind == Item::Strategy) {
        Merge(i, out);
        return out;
    }
    for (int c : At(i).children)
        out.push_back({At(c).name, {c}});
    return out;
}

// Markdown.

std::string Anchor(const std::string& heading)
{
    std::string out;
    for (const char c : heading) {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_')
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        else if (c == ' ')
            out += '-';
    }
    return out;
}

std::string Link(int i)
{
    const std::string path = DocumentReference::ShortPath(i);
    return "[`" + path + "`](#" + Anchor(path) + ")";
}

// Paragraphs of a description as Markdown: list items and verbatim lines
// stay together, plain paragraphs are set apart.
std::string Paragraphs(const std::string& text)
{
    std::string out;
    bool loose = false;
    bool verbatim = false;
    bool first = true;
    for (const std::string& line : Lines(text)) {
        const bool code = line.compare(0, 2, "  ") == 0;
        const bool plain = !code && line.compare(0, 2, "- ") != 0;
        if (verbatim && !code)
            out += "```\n";
        if (!first && (plain || loose || (code && !verbatim)))
            out += "\n";
        if (code && !verbatim)
            out += "```text\n";
        out += (code ? line.substr(2) : line) + "\n";
        verbatim = code;
        loose = plain;
        first = false;
    }
    if (verbatim)
        out += "```\n";
    return out;
}

void Field(std::string& out, const char* label, const std::string& text)
{
    if (!text.empty())
        out += std::string("- **") + label + ":** " + text + "\n";
}

std::string Element(int i)
{
    const Item& item = At(i);
    const DocumentText::Entry* t = item.text;
    const std::string shortPath = DocumentReference::ShortPath(i), fullPath = DocumentReference::FullPath(i);
    std::string out = "### `" + shortPath + "`\n\n";
    if (fullPath != shortPath)
        out += "`" + fullPath + "`\n\n";
    if (t && *t->meaning)
        out += Paragraphs(t->meaning) + "\n";
    std::string fields;
    Field(fields, "In", DocumentReference::Where(i));
    Field(fields, "Value", DocumentReference::Value(i));
    if (t) {
        Field(fields, "Unit", t->unit);
        Field(fields, "Default", t->defaultValue);
        Field(fields, "Range", t->range);
    }
    for (std::string order : DocumentReference::Order(i)) {
        const size_t open = order.find('['), close = order.find(']');
        order = order.substr(0, open) + "**" + order.substr(open + 1, close - open - 1) + "**" + order.substr(close + 1);
        Field(fields, "Order", order);
    }
    if (!fields.empty())
        out += fields + "\n";
    if (t && *t->notes)
        out += Paragraphs(t->notes) + "\n";
    const std::vector<int> listed = DocumentReference::Listed(i);
    if (!listed.empty()) {
        out += item.kind == Item::Strategy ? "Classes:\n\n" : "Children, in the order they are read:\n\n";
        for (int c : listed)
            out += "- " + Link(DocumentReference::Group(c).front()) + ": " + DocumentReference::Summary(c) + "\n";
        out += "\n";
    }
    if (t && *t->example)
        out += "```xml\n" + std::string(t->example) + "\n```\n\n";
    return out;
}

// The order of the reference: depth first; a strategy's children that every
// class reads come before its classes.
void Order(int i, std::vector<int>& out)
{
    const auto add = [&](int k) {
        if (std::find(out.begin(), out.end(), DocumentReference::Group(k).front()) == out.end())
            Order(k, out);
    };
    out.push_back(i);
    const Item& item = At(i);
    if (item.kind == Item::Strategy) {
        for (int c : At(item.children.front()).children) {
            if (DocumentReference::Group(c).size() == item.children.size() && item.children.size() > 1)
                add(c);
        }
    }
    for (int c : item.children)
        add(c);
}

void Outline(int i, int depth, const std::string& note, std::string& out)
{
    std::string line = std::string(static_cast<size_t>(depth) * 2, ' ') + At(i).name;
    std::string remark = note;
    if (At(i).child && At(i).child->repeated)
        remark = "repeated";
    if (At(i).kind == Item::Strategy) {
        std::vector<std::string> classes;
        for (int c : At(i).children)
            classes.push_back(At(c).name);
        std::string list;
        for (size_t k = 0; k < classes.size(); ++k)
            list += (k ? " | " : "") + classes[k];
        remark += (remark.empty() ? "" : "; ") + list;
    }
    if (!remark.empty()) {
        line.resize(std::max<size_t>(line.size() + 2, 32), ' ');
        line += remark;
    }
    out += line + "\n";
    const size_t classes = At(i).kind == Item::Strategy ? At(i).children.size() : 0;
    for (const auto& [name, items] : Children(i)) {
        std::string readers;
        if (classes > 1 && items.size() < classes) {
            for (size_t k = 0; k < items.size(); ++k)
                readers += (k ? ", " : "") + At(At(items[k]).parent).name;
        }
        Outline(items.front(), depth + 1, readers, out);
    }
}

// Schema.

std::string Escape(const std::string& s)
{
    std::string out;
    for (const char c : s) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

std::string Documentation(const std::vector<int>& items, const std::string& pad)
{
    // An element whose children the schema cannot declare (components)
    // carries their descriptions too.
    std::vector<int> described = items;
    for (int i : items) {
        const Item& item = At(i);
        for (int c : item.children) {
            if (At(c).child && At(c).child->value == ZrDocumentLayout::Components)
                described.insert(described.end(), item.children.begin(), item.children.end());
        }
    }
    std::string text;
    for (int g : DocumentReference::Groups(described))
        text += (text.empty() ? "" : "\n\n") + DocumentReference::Explain(DocumentReference::FullPath(g));
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return pad + "<xs:annotation><xs:documentation xml:lang=\"en\">\n" + Escape(text) + "\n" + pad +
           "</xs:documentation></xs:annotation>\n";
}

class SchemaWriter {
public:
    bool ok = true;
    std::map<std::string, std::string> words; // simple types of the type words
    std::vector<std::string> complexTypes;
    std::set<std::string> written;

    // The schema type of an element; complex types are written on the way.
    std::string TypeOf(int i)
    {
        const Item& item = At(i);
        const ZrDocumentLayout::Child& c = *item.child;
        switch (c.value) {
        case ZrDocumentLayout::Float:
            return c.limit > 0.0 ? "RangeNumber" : "Number";
        case ZrDocumentLayout::Double:
            return "Number";
        case ZrDocumentLayout::Int:
            return "xs:int";
        case ZrDocumentLayout::Text:
            return "xs:string";
        case ZrDocumentLayout::Tag:
            return Words(c);
        case ZrDocumentLayout::Vector:
        case ZrDocumentLayout::Color:
            return "Components";
        default:
            break;
        }
        if (written.insert(item.name).second)
            complexTypes.push_back(Complex(i, item.name));
        return item.name;
    }

    std::string Sequence(int i, const std::string& pad)
    {
        std::vector<std::pair<std::string, std::vector<int>>> children;
        if (At(i).kind == Item::Strategy)
            ok = Merge(i, children) && ok;
        else
            children = Children(i);
        // Component names hold a colon, which a schema cannot declare: an
        // element with components directly inside takes any plain elements.
        int entries = 0;
        bool components = false;
        for (const auto& [name, items] : children) {
            components = components || At(items.front()).child->value == ZrDocumentLayout::Components;
            entries += At(items.front()).child->value == ZrDocumentLayout::Components ? 3 : 1;
        }
        if (components)
            return pad + "<xs:sequence>\n" + pad + "  <xs:any namespace=\"##local\" processContents=\"skip\" minOccurs=\"0\" maxOccurs=\"" +
                   std::to_string(entries) + "\"/>\n" + pad + "</xs:sequence>\n";
        std::string out = pad + "<xs:sequence>\n";
        for (const auto& [name, items] : children) {
            for (int k : items)
                ok = ok && At(k).child->value == At(items.front()).child->value;
            out += pad + "  <xs:element name=\"" + name + "\" type=\"" + TypeOf(items.front()) + "\" minOccurs=\"0\"" +
                   (At(items.front()).child->repeated ? " maxOccurs=\"unbounded\"" : "") + ">\n" +
                   Documentation(items, pad + "    ") + pad + "  </xs:element>\n";
        }
        return out + pad + "</xs:sequence>\n";
    }

private:
    std::string Complex(int i, const std::string& name)
    {
        return "  <xs:complexType name=\"" + name + "\">\n" + Sequence(i, "    ") + "  </xs:complexType>\n";
    }

    std::string Words(const ZrDocumentLayout::Child& c)
    {
        const std::string name = std::string(c.name) + "Word";
        if (words.count(name))
            return name;
        std::string out = "  <xs:simpleType name=\"" + name + "\">\n    <xs:restriction base=\"xs:string\">\n";
        for (const char* const* w = c.tags; *w != nullptr; ++w)
            out += std::string("      <xs:enumeration value=\"") + *w + "\"/>\n";
        // The writer's form of an effect of no kind.
        if (&c == &ZrDocumentLayout::Effect().children[0])
            out += "      <xs:enumeration value=\"\"/>\n";
        words[name] = out + "    </xs:restriction>\n  </xs:simpleType>\n";
        return name;
    }
};

const char* const kNumberPattern = "[+\\-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)([eE][+\\-]?[0-9]+)?";

std::string NumberType(const char* name, const char* comment, const char* bound)
{
    return std::string("  <!-- ") + comment + " -->\n  <xs:simpleType name=\"" + name +
           "\">\n    <xs:restriction base=\"xs:double\">\n      <xs:pattern value=\"" + kNumberPattern +
           "\"/>\n      <xs:minInclusive value=\"-" + bound + "\"/>\n      <xs:maxInclusive value=\"" + bound +
           "\"/>\n    </xs:restriction>\n  </xs:simpleType>\n\n";
}

} // namespace

std::string ReferenceWriter::Markdown()
{
    size_t count = 0;
    const DocumentText::Section* sections = DocumentText::Sections(count);
    std::string out =
        "# The effect document\n\n"
        "<!-- Written by tools/reference/nbps_reference from tools/DocumentText.cpp and the readers' layout "
        "(simulation/ZrDocumentLayout.cpp): change those and run `cmake --build build/default --target nbps_docs`. "
        "-->\n\n"
        "An effect document is an XML file (a `.par` file, or an entry of the resource container "
        "`particle/particle.sc`) that describes one effect: its kind and its particle systems, each with an emitter "
        "that makes particles, influences that push them, and how the host draws them. This reference lists every "
        "element the library reads, in the order it reads them, with its meaning, unit, default and range.\n\n"
        "The same text comes with the tool and the schema: `nbparticle explain PATH` prints the entry of an element "
        "(`nbparticle explain Placer/ScrewPlacer/RoundTime`, `nbparticle explain LifeTime`) or of a chapter "
        "(`nbparticle explain colour`), and the schema `NbParticleEffect.xsd` carries it as the documentation of "
        "each element. `nbparticle check FILE` reports what the readers will not read as written.\n\n"
        "## Contents\n\n- [The document at a glance](#the-document-at-a-glance)\n";
    for (size_t i = 0; i < count; ++i)
        out += std::string("- [") + sections[i].title + "](#" + Anchor(sections[i].title) + ")\n";
    out += "- [Elements](#elements)\n\n## The document at a glance\n\n"
           "Every element, nested as in a document and in the order the readers take them; a class word names the "
           "classes that read an element.\n\n```text\n";
    Outline(0, 0, "", out);
    out += "```\n\nA small document, a fountain of sparks:\n\n```xml\n" + std::string(DocumentText::Sample()) + "```\n\n";
    for (size_t i = 0; i < count; ++i)
        out += std::string("## ") + sections[i].title + "\n\n" + Paragraphs(sections[i].text) + "\n";
    out += "## Elements\n\n";
    std::vector<int> order;
    Order(0, order);
    for (int i : order)
        out += Element(i);
    while (out.size() > 1 && out[out.size() - 2] == '\n')
        out.pop_back();
    return out;
}

std::string ReferenceWriter::Schema()
{
    SchemaWriter writer;
    const std::string root = "  <xs:element name=\"" + At(0).name + "\">\n" + Documentation({0}, "    ") +
                             "    <xs:complexType>\n" + writer.Sequence(0, "      ") + "    </xs:complexType>\n" +
                             "  </xs:element>\n";
    if (!writer.ok)
        return "";
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!--\n"
        "  The effect document of NbParticleSystem600, for XML editors and validators. Written by\n"
        "  tools/reference/nbps_reference from the description of the document that `nbparticle explain`\n"
        "  and docs/effect-format.md give too; do not edit.\n\n"
        "  Children are read only in the order given here; every child may be left out (what it sets keeps\n"
        "  its default), and a child out of this order is skipped.\n\n"
        "  The strategy elements (Emitter, Counter, Placer, Shooter, Influence) are one element name for\n"
        "  several classes, told apart by their type word. The schema gives each of them the children of all\n"
        "  its classes, in an order that agrees with every class; the documentation of each child names the\n"
        "  classes that read it, and `nbparticle check` reports a child the named class does not read.\n\n"
        "  Vector and colour components are elements whose names hold a colon (\"Position:X\",\n"
        "  \"ColorRangeStart:R\", \"AccelDirection:Y\"). A schema cannot declare such names, so their parent\n"
        "  elements accept plain elements there; `nbparticle check` checks their names and numbers.\n"
        "  Namespace-aware tools report these names as undeclared prefixes; that does not stop validation.\n"
        "-->\n"
        "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" elementFormDefault=\"unqualified\">\n\n";
    out += NumberType("Number", "A number: decimal notation, finite, within the range of a float.",
                      "3.4028234663852886E38");
    out += NumberType("RangeNumber", "A size or alpha range end: decimal notation, magnitude at most 1e36.", "1E36");
    for (const auto& [name, type] : writer.words)
        out += type + "\n";
    out += "  <!-- \"Name:X\", \"Name:Y\", \"Name:Z\" (or \":R\", \":G\", \":B\", \":A\" for a colour). -->\n"
           "  <xs:complexType name=\"Components\">\n    <xs:sequence>\n"
           "      <xs:any namespace=\"##local\" processContents=\"skip\" minOccurs=\"0\" maxOccurs=\"4\"/>\n"
           "    </xs:sequence>\n  </xs:complexType>\n\n";
    out += root + "\n";
    for (const std::string& type : writer.complexTypes)
        out += type + "\n";
    return out + "</xs:schema>\n";
}
