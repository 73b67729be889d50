#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace nbparticle {

// Turns byte offsets into a UTF-8 text into the positions an editor in the
// browser counts: a line from 0 and a column in UTF-16 code units.
class TextPositions {
public:
    struct Position {
        int line = 0;
        int ch = 0;
    };

    explicit TextPositions(const std::string& text);
    // Offsets past the end count as the end.
    Position At(size_t offset) const;
    // The offset of a 1-based line and 1-based byte column (as the checker
    // reports them), clamped to the text.
    size_t Offset(int line, int column) const;
    // Where the marked word at offset ends: the name of a tag when offset is
    // at its '<', else the rest of the text up to the next '<' or line end.
    size_t WordEnd(size_t offset) const;

private:
    const std::string& m_text;
    std::vector<size_t> m_lineStarts;
};

} // namespace nbparticle
