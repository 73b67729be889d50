#pragma once
#include "Renderer.h"

#include <string>
#include <vector>

namespace nbparticle {

// A grid of frames in one PNG image.
class ContactSheet {
public:
    ContactSheet(int columns, int rows, int cellWidth, int cellHeight);
    // Offers frame f of a run of `frames`; it is placed in those of the cells
    // first .. first + count - 1 that show it: the cells sample the run evenly,
    // each showing the middle frame of its share of the run.
    void Offer(int first, int count, int f, int frames, const Frame& frame);
    bool Write(const std::string& path) const;

private:
    int m_columns, m_rows, m_cellWidth, m_cellHeight;
    std::vector<unsigned char> m_pixels;
};

} // namespace nbparticle
