#pragma once
#include <ZrDocumentLayout.h>

#include <string>
#include <vector>

#include "DocumentText.h"

// The authors' reference of the effect document, in every form it takes: the
// text `nbparticle explain` prints, the JSON the studio shows, and the parts
// that ReferenceWriter puts into the Markdown reference and the schema. The
// element tree is the readers' own layout (ZrDocumentLayout), in the order
// they accept children; the words come from DocumentText.
//
// A path names elements by their names separated by '/'. A strategy element
// (Emitter, Counter, Placer, Shooter, Influence) may be followed by a type
// word (Placer/ScrewPlacer/RoundTime); full paths from the root and any
// suffix that names one element are accepted, as are component names
// (Position:X) and, failing an exact match, the same path in another letter
// case. The words of the chapters (DocumentText::Section::topic) name those.
class DocumentReference {
public:
    // What `nbparticle explain PATH` prints for the path; "" when the path
    // names nothing, or more than one element.
    static std::string Explain(const std::string& path);
    // The canonical paths of the elements the path names: one when it names
    // one element, several when it is ambiguous, none when it names nothing.
    static std::vector<std::string> Matches(const std::string& path);
    // The whole description as JSON: {"root": element, "sections": [...]}.
    // An element holds name, path, short (the shortest path naming it),
    // value (float, double, int, text, tag, vector, color, components,
    // element, strategy, class), repeated, meaning, unit, default, range,
    // notes, explain, and where they apply: words (tag: the accepted words),
    // components (their names), typeElement (strategy: the child naming the
    // class), variants (strategy: class elements keyed by type word), example
    // (class) and children (in the order the readers accept them).
    static std::string Json();
    // The explain command: the text on stdout and 0, or on stderr why the path
    // names no one element (with the candidates) and 1.
    static int Command(const std::string& path);

    // One element of the tree: a plain element or value, a strategy element,
    // or one class of a strategy element (named by its type word).
    struct Item {
        enum Kind { Element, Strategy, Class };
        Kind kind = Element;
        std::string name;               // element name; the type word for a class
        std::vector<std::string> path;  // canonical, from the root, type words included
        std::vector<bool> word;         // which segments of path are type words
        const ZRC::ZrDocumentLayout::Child* child = nullptr; // null for the root and classes
        const ZRC::ZrDocumentLayout::Node* node = nullptr;   // the layout of its children, if any
        int parent = -1;
        std::vector<int> children; // for a strategy: its classes
        const DocumentText::Entry* text = nullptr;
    };

    // Every item, the root first, then depth first in reading order.
    static const std::vector<Item>& Items();
    // The items that describe one element of the document: those children of
    // the classes of one strategy that share their name and text (such as
    // "PlacerType", read by every placer), or the item alone.
    static std::vector<int> Group(int item);
    // The groups the items belong to, each once, as their first items.
    static std::vector<int> Groups(const std::vector<int>& items);
    // The shortest path that names the item's element and no other.
    static std::string ShortPath(int item);
    static std::string FullPath(int item);

    // The parts of an element's description, for the writers of the
    // reference: value describes the element's value, order the children of
    // its parent with this one in brackets (one line per class when it is
    // shared), where the parent element and classes it stands in.
    static std::string Value(int item);
    static std::vector<std::string> Order(int item);
    static std::string Where(int item);
    // The first sentence of the item's meaning.
    static std::string Summary(int item);
    // The children a description lists: for a class or plain element its
    // children, for a strategy its classes.
    static std::vector<int> Listed(int item);

    // A text wrapped to width columns, every line after the first indented;
    // lines of the text are paragraphs, "- " starts a list item and two
    // leading spaces keep a line as it is.
    static std::string Wrap(const std::string& text, size_t width, size_t indent);
};
