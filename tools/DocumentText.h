#pragma once
#include <cstddef>

// What every element of the effect document means, in words: the texts of
// the authors' reference. The shape of the document (names, order, value
// kinds, type words) is not repeated here: it comes from the readers' own
// layout (ZrDocumentLayout), and DocumentReference joins the two. Each entry
// names its element by a path as `nbparticle explain` takes it; an entry
// serves every element its path matches, the longest matching path winning.
class DocumentText {
public:
    struct Entry {
        const char* path;         // e.g. "Placer/ScrewPlacer/RoundTime", "Shooter/SpeedRangeStart"
        const char* meaning;      // what the element does, one or two sentences
        const char* unit;         // "" when it has none
        const char* defaultValue; // what the reader keeps when the element is missing
        const char* range;        // what values do; "" for elements without a value
        const char* notes;        // what else an author needs to know; lines are paragraphs
        const char* example;      // classes of a strategy element: the element as written
    };

    // A chapter of the reference that belongs to no one element.
    struct Section {
        const char* topic; // the word `nbparticle explain` takes for it
        const char* title;
        const char* text;  // lines are paragraphs; "- " starts a list item, two spaces a verbatim line
    };

    static const Entry* Entries(size_t& count);
    static const Section* Sections(size_t& count);
    // A small whole document, for the reference's first pages.
    static const char* Sample();
};
