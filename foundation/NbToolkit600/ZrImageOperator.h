#pragma once
#include "NbExport.h"

// Pixel operations (global namespace).
class NBPS_API ZrImageOperator {
public:
    // Swaps the first and third byte of every pixel in place. bytesPerPixel
    // below 3 or a null pointer does nothing.
    static void ImageSwapRB(unsigned int bytesPerPixel, unsigned int width,
                            unsigned int height, unsigned char* pixels);
};
