#pragma once
#include "NbExport.h"
#include "ZrVector3d.h"
#include "ZrVector4d.h"

namespace ZRC {

class ZrMarkup;

// The shape of an effect document: for every kind of element, its children in
// the order the writers write them, which is the only order in which the
// readers find them. The readers walk these descriptions with a Reader, so they
// look for exactly the children listed here and in this order; the authoring
// checker walks the same descriptions over a whole document.
class NBPS_API ZrDocumentLayout {
public:
    enum Value {
        Float,      // a number stored in a float
        Double,     // a number stored in a double
        Int,        // a whole number stored in an int
        Text,       // free text (a path)
        Tag,        // one of the listed type words, letter case included
        Components, // three numbers "name:X", "name:Y", "name:Z" beside it
        Vector,     // an element holding "name:X", "name:Y", "name:Z"
        Color,      // an element holding "name:R", "name:G", "name:B", "name:A"
        Element     // a nested element with a layout of its own
    };

    struct Node;
    struct Child {
        const char* name;
        Value value;
        const char* const* tags;     // Tag: the accepted words, null-terminated
        const Node* const* variants; // Element: its layouts, null-terminated
        bool repeated;               // read again and again until none is left
        double limit;                // Float: the largest magnitude read (0: the document's own)
    };
    // One kind of element. A strategy class (emitter, counter, placer,
    // shooter, influence) shares its element name with its siblings and is
    // told apart by its type word, the text of its first child.
    struct Node {
        const char* name;
        const char* typeWord; // null for elements that are not strategies
        const Child* children;
        int count;
    };

    static const Node& Effect();
    static const Node& ParticleSystem();
    static const Node& ParticleTemplate();
    // The layout of the element name written by the class with this type
    // word (null for a plain element), wherever it lies in the document; the
    // effect's own layout when no element matches.
    static const Node& Find(const char* name, const char* typeWord);

    // The layout among child's variants whose type word equals word; null
    // when none does. With a null word: the only variant of a plain element.
    static const Node* Variant(const Child& child, const char* word);
    // The names of the children of a vector, components or colour child.
    static int ComponentNames(const Child& child, const char* (&suffixes)[4]);

    // Reads the children of one element in the order of its layout. The
    // markup's main element must be that element; each step searches after
    // the current child, as ZrMarkup::FindChildElem does.
    class NBPS_API Reader {
    public:
        Reader(ZrMarkup& doc, const Node& node);
        // Finds the element at the top level of a fresh markup (FindElem);
        // for a strategy class, also its type word when there is one. False
        // when the element is missing or names another class.
        bool Enter();
        // Searches the next child of the layout. On success it is the
        // markup's current child; a repeated child stays next until a search
        // for it fails.
        bool Find();
        // Passes over the next child without searching for it.
        void Skip();
        // The child that Find last looked for.
        const Child& Last() const;
        // Find, then read the text as a number or vector into the field; a
        // missing child leaves the field as it was. A number beyond the
        // child's limit reads as 0 (ZrDocumentValues).
        void Read(float& field);
        void Read(double& field);
        void Read(ZrVector3d& field);
        void Read(ZrVector4d& field);

    private:
        ZrMarkup& m_doc;
        const Node& m_node;
        int m_next = 0;
        int m_last = 0;
    };
};

} // namespace ZRC
