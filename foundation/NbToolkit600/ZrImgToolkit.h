#pragma once
#include "NbExport.h"
#include "ZrImageData.h"

namespace ZRC {

class NBPS_API ZrImgToolkit {
public:
    // Converts the image in place to 32-bit pixels in B, G, R, A byte order;
    // alpha is used for pixels that carry none. 0 for an empty or unknown depth.
    static unsigned char ImageDataToRGBA(ZrImageData& image, unsigned char alpha);
};

} // namespace ZRC
