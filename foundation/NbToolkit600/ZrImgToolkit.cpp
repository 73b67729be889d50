#include "ZrImgToolkit.h"

#include <cstddef>
#include <limits>
#include <new>

namespace ZRC {

unsigned char ZrImgToolkit::ImageDataToRGBA(ZrImageData& image, unsigned char alpha)
{
    if (!image.m_pData || image.m_nWidth == 0 || image.m_nHeight == 0)
        return 0;
    if (image.m_nDepth == 32)
        return 1;
    if (image.m_nDepth != 8 && image.m_nDepth != 24)
        return 0;

    const unsigned long long pixels = static_cast<unsigned long long>(image.m_nWidth) * image.m_nHeight;
    if (pixels > std::numeric_limits<size_t>::max() / 4)
        return 0;
    unsigned char* out = new (std::nothrow) unsigned char[static_cast<size_t>(pixels) * 4];
    if (!out)
        return 0;

    const unsigned char* in = image.m_pData;
    unsigned char* o = out;
    if (image.m_nDepth == 24) {
        for (unsigned long long i = 0; i < pixels; ++i, in += 3, o += 4) {
            o[0] = in[0];
            o[1] = in[1];
            o[2] = in[2];
            o[3] = alpha;
        }
    } else {
        const int paletteSize = image.m_palette.m_entries.GetSize();
        const ZrPalette::ZrPaletteEntry* palette = image.m_palette.m_entries.GetData();
        for (unsigned long long i = 0; i < pixels; ++i, ++in, o += 4) {
            if (paletteSize == 0) {
                o[0] = o[1] = o[2] = *in;
                o[3] = alpha;
            } else if (*in < paletteSize) {
                const ZrPalette::ZrPaletteEntry& entry = palette[*in];
                o[0] = entry.b;
                o[1] = entry.g;
                o[2] = entry.r;
                o[3] = entry.a;
            } else {
                // An index past the colour table: black.
                o[0] = o[1] = o[2] = 0;
                o[3] = alpha;
            }
        }
        // The pixels carry their colours now, not indices.
        image.m_palette.m_entries.RemoveAll();
    }
    delete[] image.m_pData;
    image.m_pData = out;
    image.m_nDepth = 32;
    return 1;
}

} // namespace ZRC
