#pragma once
#include "NbExport.h"
#include "VexaString.h"

namespace ZRC {

class NBPS_API ZrFileType {
public:
    enum EmType {
        FT_UNKNOWN = 0,
        FT_BMP = 1,
        FT_PNG = 2,
        FT_JPG = 3,
        FT_TGA = 4,
        FT_GIF = 5,
        FT_PSD = 6,
        FT_PNM = 7,
        FT_HDR = 8
    };
    // File type for an extension as ZrFile::GetExt gives it (".png"), letter
    // case ignored; FT_UNKNOWN when not an image type.
    static EmType ExtNameToFileType(const VEXA::VexaString& ext);
};

} // namespace ZRC
