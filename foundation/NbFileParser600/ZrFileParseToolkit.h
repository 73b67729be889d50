#pragma once
#include "NbExport.h"
#include "VexaArray.h"
#include "ZrByteArray.h"
#include "ZrExchangeParams.h"
#include "ZrImageData.h"

namespace ZRC {

// Image decoding (PNG, JPEG, BMP, TGA, GIF, PSD, PNM, HDR). Decoded records
// carry 8-bit grey, 24-bit B,G,R or 32-bit B,G,R,A pixels (ZrImageData.h);
// the caller owns the records appended to the array.
class NBPS_API ZrFileParseToolkit {
public:
    // Decodes the file named in the parameters and appends one record (the
    // first frame of an animation). flipVertical non-zero stores rows bottom to
    // top; maxImages limits the records appended (-1: no limit; 0 appends
    // nothing and fails). Non-zero on success. Images wider or higher than
    // 16384 pixels or above 256 MiB decoded, and damaged files, fail.
    static unsigned char GetImageData(ZrImportParams* params, VEXA::VexaArray<ZrImageData*>& images,
                                      unsigned char flipVertical, int maxImages);
    // Decodes an in-memory file of the given type code. Non-zero on success.
    static int GetImageData(int fileType, const ZrByteArray& bytes, VEXA::VexaArray<ZrImageData*>& images);
};

} // namespace ZRC
