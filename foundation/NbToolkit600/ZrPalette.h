#pragma once
#include "NbExport.h"
#include "VexaArray.h"

namespace ZRC {

// Colour table of an indexed image.
class NBPS_API ZrPalette {
public:
    struct ZrPaletteEntry {
        unsigned char r = 0;
        unsigned char g = 0;
        unsigned char b = 0;
        unsigned char a = 255;
    };
    ZrPalette();
    ZrPalette(const ZrPalette&);
    ZrPalette& operator=(const ZrPalette&);
    ~ZrPalette();

    VEXA::VexaArray<ZrPaletteEntry> m_entries;
};

} // namespace ZRC
