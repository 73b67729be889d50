#include "ZrImageOperator.h"

#include <utility>

void ZrImageOperator::ImageSwapRB(unsigned int bytesPerPixel, unsigned int width, unsigned int height,
                                  unsigned char* pixels)
{
    if (!pixels || bytesPerPixel < 3)
        return;
    const unsigned long long count = static_cast<unsigned long long>(width) * height;
    unsigned char* p = pixels;
    for (unsigned long long i = 0; i < count; ++i, p += bytesPerPixel)
        std::swap(p[0], p[2]);
}
