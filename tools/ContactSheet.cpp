#include "ContactSheet.h"

#include <stb_image_write.h>

#include <algorithm>

namespace nbparticle {

ContactSheet::ContactSheet(int columns, int rows, int cellWidth, int cellHeight)
    : m_columns(columns), m_rows(rows), m_cellWidth(cellWidth), m_cellHeight(cellHeight),
      m_pixels(size_t(columns) * cellWidth * rows * cellHeight * 3, 0)
{
}

void ContactSheet::Offer(int first, int count, int f, int frames, const Frame& frame)
{
    if (frame.width != m_cellWidth || frame.height != m_cellHeight)
        return;
    const size_t stride = size_t(m_columns) * m_cellWidth * 3, row = size_t(m_cellWidth) * 3;
    for (int k = 0; k < count; ++k) {
        const int cell = first + k;
        if ((2L * k + 1) * frames / (2L * count) != f || cell < 0 || cell >= m_columns * m_rows)
            continue;
        const size_t ox = size_t(cell % m_columns) * m_cellWidth, oy = size_t(cell / m_columns) * m_cellHeight;
        for (int y = 0; y < m_cellHeight; ++y)
            std::copy_n(&frame.rgb[y * row], row, &m_pixels[(oy + y) * stride + ox * 3]);
    }
}

bool ContactSheet::Write(const std::string& path) const
{
    const int w = m_columns * m_cellWidth, h = m_rows * m_cellHeight;
    return stbi_write_png(path.c_str(), w, h, 3, m_pixels.data(), w * 3) != 0;
}

} // namespace nbparticle
