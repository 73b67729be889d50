#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace nbparticle {

// The numeric elements of each particle system of a document, with where
// their text lies, so that a control can replace one element's text and leave
// every other byte of the document as it is. Elements are found by the
// document layout the readers walk; a strategy's elements follow its type
// word. Only elements present in the text are listed.
class DocumentFields {
public:
    struct Field {
        std::string path;        // "Emitter/Placer/Radius", strategies as written
        std::string typeWord;    // the type word of the enclosing strategy, if any
        bool whole = false;      // a whole number ("NumPerSecond")
        size_t begin = 0, end = 0;   // the byte range of the element's text
        std::string text;        // that text as it stands
    };
    struct System {
        size_t begin = 0;        // the byte offset of its '<'
        std::vector<Field> fields;
    };

    // The systems of a well-formed document, in document order; none when
    // the text is not well-formed.
    static std::vector<System> Find(const std::string& text);
};

} // namespace nbparticle
