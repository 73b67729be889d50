#include "ZrMarkup.h"

#include <pugixml.hpp>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace ZRC {

namespace {

// Parse options: the standard set, plus keeping whitespace-only text when it is
// the only content of an element, so that "<A> </A>" reads back as " ".
// Indentation between elements is still dropped.
const unsigned int kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;
// Output: one element per line, tab indentation, no declaration. An element
// whose only content is text is written on one line, so its text round-trips.
const unsigned int kFormatOptions = pugi::format_indent | pugi::format_no_declaration;
const char* const kIndent = "\t";
// A sub-document is written without indentation, so that its text grows with
// its content only, never with its depth.
const unsigned int kSubDocFormatOptions = pugi::format_raw | pugi::format_no_declaration;

class StringWriter : public pugi::xml_writer {
public:
    explicit StringWriter(std::string& out) : m_out(out) {}
    void write(const void* data, size_t size) override { m_out.append(static_cast<const char*>(data), size); }

private:
    std::string& m_out;
};

bool IsNameStart(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(unsigned char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// An element name that keeps the document well-formed when written out.
bool IsValidName(const char* name)
{
    if (!name || !IsNameStart(static_cast<unsigned char>(name[0])))
        return false;
    for (const char* p = name + 1; *p; ++p) {
        if (!IsNameChar(static_cast<unsigned char>(*p)))
            return false;
    }
    return true;
}

bool NameMatches(const pugi::xml_node& node, const char* name)
{
    return node.type() == pugi::node_element && (!name || std::strcmp(node.name(), name) == 0);
}

// The next element after `from` among the children of `parent` (the first one
// when `from` is empty) whose name matches; empty when there is none.
pugi::xml_node FindNext(const pugi::xml_node& parent, const pugi::xml_node& from, const char* name)
{
    pugi::xml_node node = from ? from.next_sibling() : parent.first_child();
    for (; node; node = node.next_sibling()) {
        if (NameMatches(node, name))
            return node;
    }
    return pugi::xml_node();
}

// Concatenated text (PCDATA and CDATA) directly inside an element.
VEXA::VexaString ElementText(const pugi::xml_node& node)
{
    if (!node)
        return VEXA::VexaString();
    std::string text;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            text += child.value();
    }
    return VEXA::VexaString(text);
}

VEXA::VexaString NodeMarkup(const pugi::xml_node& node)
{
    if (!node)
        return VEXA::VexaString();
    std::string out;
    StringWriter writer(out);
    node.print(writer, kIndent, kSubDocFormatOptions, pugi::encoding_utf8);
    return VEXA::VexaString(out);
}

// True when no element lies deeper than the nesting limit below `top` (its
// first elements are at level 1). Walks the tree without recursion.
bool WithinDepth(const pugi::xml_node& top)
{
    unsigned int level = 1;
    pugi::xml_node node = top.first_child();
    while (node) {
        if (node.type() == pugi::node_element && level > ZrMarkup::kMaxDepth)
            return false;
        if (node.first_child()) {
            node = node.first_child();
            ++level;
            continue;
        }
        while (!node.next_sibling()) {
            node = node.parent();
            --level;
            if (node == top)
                return true;
        }
        node = node.next_sibling();
    }
    return true;
}

bool HasElement(const pugi::xml_document& doc)
{
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element)
            return true;
    }
    return false;
}

} // namespace

struct ZrMarkup::Impl {
    pugi::xml_document doc;
    pugi::xml_node parent;   // the document node at the top level
    pugi::xml_node main;     // empty when there is no main element
    pugi::xml_node child;    // empty when there is no current child
    bool wellFormed = true;

    Impl() : parent(doc) {}

    void Reset()
    {
        parent = doc;
        main = pugi::xml_node();
        child = pugi::xml_node();
    }

    // Parses a buffer as the whole document; on failure the document is empty.
    bool Parse(const void* data, size_t size, pugi::xml_encoding* encoding)
    {
        doc.reset();
        Reset();
        if (size > ZrMarkup::kMaxDocumentSize) {
            wellFormed = false;
            return false;
        }
        const pugi::xml_parse_result result = doc.load_buffer(data, size, kParseOptions, pugi::encoding_auto);
        if (encoding)
            *encoding = result.encoding;
        wellFormed = result && HasElement(doc) && WithinDepth(doc);
        if (!wellFormed) {
            doc.reset();
            Reset();
        }
        return wellFormed;
    }

    // Inserts a new node before or after `ref` among the children of `owner`;
    // at the end (after) or the beginning (before) when `ref` is empty.
    pugi::xml_node InsertElement(pugi::xml_node owner, const pugi::xml_node& ref, const char* name, bool before)
    {
        if (before)
            return ref ? owner.insert_child_before(name, ref) : owner.prepend_child(name);
        return ref ? owner.insert_child_after(name, ref) : owner.append_child(name);
    }

    pugi::xml_node InsertCopy(pugi::xml_node owner, const pugi::xml_node& ref, const pugi::xml_node& proto, bool before)
    {
        if (before)
            return ref ? owner.insert_copy_before(proto, ref) : owner.prepend_copy(proto);
        return ref ? owner.insert_copy_after(proto, ref) : owner.append_copy(proto);
    }
};

ZrMarkup::ZrMarkup() : m_impl(new Impl) {}

ZrMarkup::ZrMarkup(const char* text) : m_impl(new Impl) { SetDoc(text); }

ZrMarkup::~ZrMarkup() = default;

void ZrMarkup::RefreshText()
{
    std::string out;
    StringWriter writer(out);
    m_impl->doc.save(writer, kIndent, kFormatOptions, pugi::encoding_utf8);
    m_strDocText = VEXA::VexaString(out);
}

unsigned char ZrMarkup::SetDoc(const char* text)
{
    if (!text) {
        m_impl->Parse("", 0, nullptr);
        m_strDocText = "";
        return 0;
    }
    if (!m_impl->Parse(text, std::strlen(text), nullptr)) {
        m_strDocText = "";
        return 0;
    }
    // The text parsed as given: it is the document text.
    m_strDocText = text;
    return 1;
}

unsigned char ZrMarkup::Load(const char* path)
{
    std::vector<char> bytes;
    bool read = false;
    if (path && *path) {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            // A file beyond the size limit is refused before it is read.
            in.seekg(0, std::ios::end);
            const std::streamoff size = in.tellg();
            in.seekg(0, std::ios::beg);
            if (size >= 0 && static_cast<unsigned long long>(size) <= kMaxDocumentSize) {
                bytes.resize(static_cast<size_t>(size));
                in.read(bytes.data(), size);
                bytes.resize(static_cast<size_t>(in.gcount()));
                read = !in.bad();
            }
        }
    }
    pugi::xml_encoding encoding = pugi::encoding_auto;
    if (!read || !m_impl->Parse(bytes.data(), bytes.size(), &encoding)) {
        if (!read)
            m_impl->Parse("", 0, nullptr);
        m_strDocText = "";
        return 0;
    }
    if (encoding == pugi::encoding_utf8 && std::memchr(bytes.data(), 0, bytes.size()) == nullptr) {
        size_t start = 0;
        if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
            static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF)
            start = 3;
        m_strDocText = VEXA::VexaString(std::string(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end()));
    } else {
        // Another encoding: hold the document as UTF-8 text.
        RefreshText();
    }
    return 1;
}

unsigned char ZrMarkup::Save(const char* path)
{
    if (!path || !*path)
        return 0;
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return 0;
    const std::string& text = m_strDocText.Str();
    const bool written = text.empty() || std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed ? 1 : 0;
}

unsigned char ZrMarkup::IsWellFormed() const { return m_impl->wellFormed ? 1 : 0; }

unsigned char ZrMarkup::FindElem(const char* name)
{
    const pugi::xml_node found = FindNext(m_impl->parent, m_impl->main, name);
    if (!found)
        return 0;
    m_impl->main = found;
    m_impl->child = pugi::xml_node();
    return 1;
}

unsigned char ZrMarkup::FindChildElem(const char* name)
{
    if (!m_impl->main)
        return 0;
    const pugi::xml_node found = FindNext(m_impl->main, m_impl->child, name);
    if (!found)
        return 0;
    m_impl->child = found;
    return 1;
}

unsigned char ZrMarkup::IntoElem()
{
    if (!m_impl->child)
        return 0;
    m_impl->parent = m_impl->main;
    m_impl->main = m_impl->child;
    m_impl->child = pugi::xml_node();
    return 1;
}

unsigned char ZrMarkup::OutOfElem()
{
    if (m_impl->parent.type() == pugi::node_document)
        return 0;
    m_impl->child = m_impl->main;
    m_impl->main = m_impl->parent;
    m_impl->parent = m_impl->parent.parent();
    return 1;
}

void ZrMarkup::ResetPos() { m_impl->Reset(); }

VEXA::VexaString ZrMarkup::GetTagName() const
{
    return m_impl->main ? VEXA::VexaString(m_impl->main.name()) : VEXA::VexaString();
}

VEXA::VexaString ZrMarkup::GetData() const { return ElementText(m_impl->main); }

VEXA::VexaString ZrMarkup::GetChildTagName() const
{
    return m_impl->child ? VEXA::VexaString(m_impl->child.name()) : VEXA::VexaString();
}

VEXA::VexaString ZrMarkup::GetChildData() const { return ElementText(m_impl->child); }

VEXA::VexaString ZrMarkup::GetChildSubDoc() const { return NodeMarkup(m_impl->child); }

VEXA::VexaString ZrMarkup::GetSubDoc() const { return NodeMarkup(m_impl->main); }

unsigned char ZrMarkup::AddElem(const char* name, const char* data, unsigned char insert, unsigned char child)
{
    if (!IsValidName(name))
        return 0;
    Impl& impl = *m_impl;
    pugi::xml_node added;
    if (child) {
        if (!impl.main)
            return 0;
        added = impl.InsertElement(impl.main, impl.child, name, insert != 0);
    } else {
        added = impl.InsertElement(impl.parent, impl.main, name, insert != 0);
    }
    if (!added)
        return 0;
    if (data && *data)
        added.append_child(pugi::node_pcdata).set_value(data);
    if (child) {
        impl.child = added;
    } else {
        impl.main = added;
        impl.child = pugi::xml_node();
    }
    impl.wellFormed = true;
    RefreshText();
    return 1;
}

unsigned char ZrMarkup::AddSubDoc(const char* text, unsigned char insert, unsigned char child)
{
    if (!text)
        return 0;
    Impl& impl = *m_impl;
    if (child && !impl.main)
        return 0;
    pugi::xml_document sub;
    const size_t size = std::strlen(text);
    if (size > kMaxDocumentSize || !sub.load_buffer(text, size, kParseOptions, pugi::encoding_auto) ||
        !WithinDepth(sub))
        return 0;
    pugi::xml_node root;
    for (pugi::xml_node node = sub.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element) {
            root = node;
            break;
        }
    }
    if (!root)
        return 0;
    pugi::xml_node added = child ? impl.InsertCopy(impl.main, impl.child, root, insert != 0)
                                 : impl.InsertCopy(impl.parent, impl.main, root, insert != 0);
    if (!added)
        return 0;
    if (child) {
        impl.child = added;
    } else {
        impl.main = added;
        impl.child = pugi::xml_node();
    }
    impl.wellFormed = true;
    RefreshText();
    return 1;
}

} // namespace ZRC
