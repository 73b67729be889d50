#include "TextPositions.h"

#include <algorithm>

namespace nbparticle {

TextPositions::TextPositions(const std::string& text) : m_text(text)
{
    m_lineStarts.push_back(0);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n')
            m_lineStarts.push_back(i + 1);
    }
}

TextPositions::Position TextPositions::At(size_t offset) const
{
    offset = std::min(offset, m_text.size());
    const auto line = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset) - 1;
    Position p;
    p.line = static_cast<int>(line - m_lineStarts.begin());
    for (size_t i = *line; i < offset; ++i) {
        const unsigned char c = static_cast<unsigned char>(m_text[i]);
        // A lead byte starts a character; four-byte ones take two units.
        if ((c & 0xC0) != 0x80)
            p.ch += c >= 0xF0 ? 2 : 1;
    }
    return p;
}

size_t TextPositions::Offset(int line, int column) const
{
    const size_t index = static_cast<size_t>(std::clamp(line, 1, static_cast<int>(m_lineStarts.size())) - 1);
    const size_t end = index + 1 < m_lineStarts.size() ? m_lineStarts[index + 1] : m_text.size();
    return std::min(m_lineStarts[index] + static_cast<size_t>(std::max(column, 1) - 1), end);
}

size_t TextPositions::WordEnd(size_t offset) const
{
    size_t end = std::min(offset, m_text.size());
    if (end < m_text.size() && m_text[end] == '<') {
        ++end;
        if (end < m_text.size() && m_text[end] == '/')
            ++end;
        while (end < m_text.size() && std::string(" \t\r\n/>").find(m_text[end]) == std::string::npos)
            ++end;
        return end;
    }
    while (end < m_text.size() && m_text[end] != '<' && m_text[end] != '\n')
        ++end;
    return std::max(end, std::min(offset + 1, m_text.size()));
}

} // namespace nbparticle
