#include "DocumentFields.h"

#include <ZrDocumentLayout.h>
#include <pugixml.hpp>

#include <cstring>

using ZRC::ZrDocumentLayout;

namespace nbparticle {
namespace {

using Node = ZrDocumentLayout::Node;
using Child = ZrDocumentLayout::Child;

// The library's parse options, so that elements are found as it finds them.
const unsigned int kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

bool Numeric(ZrDocumentLayout::Value v)
{
    return v == ZrDocumentLayout::Float || v == ZrDocumentLayout::Double || v == ZrDocumentLayout::Int;
}

class Collector {
public:
    Collector(const std::string& text, DocumentFields::System& out) : m_text(text), m_out(out) {}

    void Walk(const pugi::xml_node& element, const Node& node, const std::string& path, const std::string& word)
    {
        for (pugi::xml_node e = element.first_child(); e; e = e.next_sibling()) {
            if (e.type() != pugi::node_element)
                continue;
            const std::string name = e.name();
            for (int i = 0; i < node.count; ++i) {
                const Child& c = node.children[i];
                const char* suffixes[4];
                const int n = ZrDocumentLayout::ComponentNames(c, suffixes);
                if (name == c.name && Numeric(c.value)) {
                    Add(e, path + name, word, c.value == ZrDocumentLayout::Int);
                } else if (name == c.name && c.value == ZrDocumentLayout::Element) {
                    Nested(e, c, path + name + "/");
                } else if (name == c.name && n > 0 && c.value != ZrDocumentLayout::Components) {
                    // A vector or colour: its components are elements inside it.
                    for (pugi::xml_node part = e.first_child(); part; part = part.next_sibling()) {
                        for (int k = 0; k < n && part.type() == pugi::node_element; ++k) {
                            if (name + suffixes[k] == part.name())
                                Add(part, path + name + "/" + part.name(), word, false);
                        }
                    }
                } else if (c.value == ZrDocumentLayout::Components) {
                    for (int k = 0; k < n; ++k) {
                        if (name == std::string(c.name) + suffixes[k])
                            Add(e, path + name, word, false);
                    }
                }
            }
        }
    }

private:
    // A strategy follows the type word in its first child.
    void Nested(const pugi::xml_node& e, const Child& c, const std::string& path)
    {
        if (!c.variants || !c.variants[0])
            return;
        if (!c.variants[0]->typeWord) {
            Walk(e, *c.variants[0], path, "");
            return;
        }
        const pugi::xml_node first = e.find_child([](const pugi::xml_node& n) { return n.type() == pugi::node_element; });
        const std::string word = first ? first.child_value() : "";
        if (const Node* variant = ZrDocumentLayout::Variant(c, word.c_str()))
            Walk(e, *variant, path, word);
    }

    // The element's text runs from its first text node to the next '<'; an
    // empty element written with an end tag gets its text after the start tag.
    void Add(const pugi::xml_node& e, const std::string& path, const std::string& word, bool whole)
    {
        DocumentFields::Field f;
        f.path = path;
        f.typeWord = word;
        f.whole = whole;
        const pugi::xml_node text = e.first_child();
        if (text && (text.type() == pugi::node_pcdata || text.type() == pugi::node_cdata)) {
            if (text.type() == pugi::node_cdata || text.offset_debug() < 0)
                return;
            f.begin = static_cast<size_t>(text.offset_debug());
        } else if (!text && e.offset_debug() > 0) {
            // Past the start tag, when it is not an empty-element tag.
            size_t at = static_cast<size_t>(e.offset_debug());
            char quote = 0;
            for (; at < m_text.size() && (quote || m_text[at] != '>'); ++at) {
                if (m_text[at] == '"' || m_text[at] == '\'')
                    quote = quote == m_text[at] ? 0 : quote ? quote : m_text[at];
            }
            if (at >= m_text.size() || m_text[at - 1] == '/')
                return;
            f.begin = at + 1;
        } else {
            return;
        }
        f.end = m_text.find('<', f.begin);
        if (f.end == std::string::npos)
            return;
        f.text = m_text.substr(f.begin, f.end - f.begin);
        m_out.fields.push_back(f);
    }

    const std::string& m_text;
    DocumentFields::System& m_out;
};

} // namespace

std::vector<DocumentFields::System> DocumentFields::Find(const std::string& text)
{
    std::vector<System> systems;
    pugi::xml_document doc;
    if (!doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8))
        return systems;
    const Node& effect = ZrDocumentLayout::Effect();
    const Node& system = ZrDocumentLayout::ParticleSystem();
    const pugi::xml_node root = doc.child(effect.name);
    for (pugi::xml_node s = root.child(system.name); s; s = s.next_sibling(system.name)) {
        System out;
        out.begin = s.offset_debug() > 0 ? static_cast<size_t>(s.offset_debug() - 1) : 0;
        Collector(text, out).Walk(s, system, "", "");
        systems.push_back(out);
    }
    return systems;
}

} // namespace nbparticle
