#pragma once
#include "NbExport.h"
#include "ZrPalette.h"

namespace ZRC {

// A decoded image record. Pixels are rows top to bottom, m_nDepth bits each:
// 8 (grey, or an index into m_palette when it has entries), 24 (B, G, R) or
// 32 (B, G, R, A), rows packed without padding. The record owns its pixel
// bytes (allocated with new[]): deleting the record frees them and destroys the
// palette, which is how a record is discarded.
class NBPS_API ZrImageData {
public:
    ZrImageData();
    ~ZrImageData();
    ZrImageData(const ZrImageData&) = delete;
    ZrImageData& operator=(const ZrImageData&) = delete;

    // A new, independent copy of the record with its pixels.
    ZrImageData* Clone() const;
    // Replaces the pixels by a new zeroed buffer of the given geometry; 0 when
    // the size cannot be represented or allocated.
    unsigned char Allocate(unsigned int width, unsigned int height, unsigned char depth);
    // Number of pixel bytes (width * height * depth / 8).
    unsigned long long GetDataSize() const;
    void Clear();

    unsigned int m_nWidth;
    unsigned int m_nHeight;
    unsigned char m_nDepth;
    ZrPalette m_palette;
    unsigned char* m_pData;
};

} // namespace ZRC
