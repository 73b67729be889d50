#pragma once
#include "NbExport.h"
#include "VexaString.h"
#include <memory>

namespace ZRC {

// XML document in memory with a three-level cursor: the parent position, the
// current main element and the current child of the main element.
//
// Cursor rules:
//  - A new or freshly parsed document has no main element and no child.
//  - FindElem(name) searches the siblings at the main level that follow the
//    current main element (from the first when there is none) and makes the
//    match the main element; its current child is cleared.
//  - FindChildElem(name) searches the children of the main element that follow
//    the current child (from the first when there is none); a null name matches
//    any element. On failure the current child stays where it was.
//  - IntoElem / OutOfElem move one level down / up; after OutOfElem the element
//    that was main is the current child again.
//  - FindChildElem, AddElem(.., 0, 1) and AddSubDoc(.., 0, 1) fail while there
//    is no main element.
// A text that is not well-formed XML leaves an empty document: every Find fails
// and m_strDocText is empty.
// m_strDocText always holds the whole document text after any change: the text
// given to SetDoc/Load as it was, and after AddElem/AddSubDoc the document
// written out with one element per line, tab indentation and no declaration
// (element text is kept exactly, except that line ends read as "\n").
// Element names may contain ':' ("Position:X"); they are plain names.
// GetSubDoc and GetChildSubDoc write the element without indentation, so that
// taking a sub-document costs time and memory in proportion to its content.
//
// Limits: a text longer than kMaxDocumentSize bytes, or with elements nested
// deeper than kMaxDepth levels (the root element is level 1), is refused like
// a text that is not well-formed (SetDoc, Load and AddSubDoc fail). Documents
// the system writes are a few kilobytes and a handful of levels deep.
class NBPS_API ZrMarkup {
public:
    static const unsigned int kMaxDocumentSize = 8u << 20;   // 8 MiB
    static const unsigned int kMaxDepth = 256;

    ZrMarkup();
    explicit ZrMarkup(const char* text);
    ZrMarkup(const ZrMarkup&) = delete;
    ZrMarkup& operator=(const ZrMarkup&) = delete;
    ~ZrMarkup();

    // Parse text as the whole document (cursor reset); 0 when not well-formed.
    unsigned char SetDoc(const char* text);
    unsigned char Load(const char* path);
    unsigned char Save(const char* path);
    // 1 when the last SetDoc/Load parsed well-formed XML (or the document was built here).
    unsigned char IsWellFormed() const;

    unsigned char FindElem(const char* name = nullptr);
    unsigned char FindChildElem(const char* name = nullptr);
    unsigned char IntoElem();
    unsigned char OutOfElem();
    void ResetPos();

    VEXA::VexaString GetTagName() const;
    VEXA::VexaString GetData() const;
    VEXA::VexaString GetChildTagName() const;
    VEXA::VexaString GetChildData() const;
    VEXA::VexaString GetChildSubDoc() const;
    VEXA::VexaString GetSubDoc() const;

    // flags (0, 0): new element at the main level after the main element, which
    // it becomes (the root of an empty document). flags (0, 1): new child of the
    // main element after the current child, which it becomes. Without a main
    // element / current child the new element goes last. A non-zero first flag
    // inserts before instead of after. Null data: no content. A name that is not
    // a valid element name is refused (0).
    unsigned char AddElem(const char* name, const char* data = nullptr,
                          unsigned char insert = 0, unsigned char child = 0);
    // Parse text and add its root element as a child (flags 0, 1) or at the
    // main level (flags 0, 0), after the current child / main element.
    unsigned char AddSubDoc(const char* text, unsigned char insert = 0, unsigned char child = 1);

    VEXA::VexaString m_strDocText;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    void RefreshText();
};

} // namespace ZRC
