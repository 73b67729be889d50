#pragma once
#include "NbExport.h"
#include "VexaArray.h"

namespace ZRC {

// One colour of a palette, known as ZrPalette::ZrPaletteEntry. Declared at
// namespace scope so that the library's array of entries can be declared
// below, before ZrPalette uses it.
struct NBPS_API ZrPaletteColor {
    unsigned char r = 0;
    unsigned char g = 0;
    unsigned char b = 0;
    unsigned char a = 255;
};

} // namespace ZRC

extern template class NBPS_TEMPLATE_API VEXA::VexaArray<ZRC::ZrPaletteColor>;

namespace ZRC {

// Colour table of an indexed image.
class NBPS_API ZrPalette {
public:
    typedef ZrPaletteColor ZrPaletteEntry;

    ZrPalette();
    ZrPalette(const ZrPalette&);
    ZrPalette& operator=(const ZrPalette&);
    ~ZrPalette();

    VEXA::VexaArray<ZrPaletteEntry> m_entries;
};

} // namespace ZRC
