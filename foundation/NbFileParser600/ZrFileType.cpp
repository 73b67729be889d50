#include "ZrFileType.h"

namespace ZRC {

ZrFileType::EmType ZrFileType::ExtNameToFileType(const VEXA::VexaString& ext)
{
    struct Entry {
        const char* ext;
        EmType type;
    };
    static const Entry kTypes[] = {
        {".bmp", FT_BMP}, {".dib", FT_BMP}, {".png", FT_PNG}, {".jpg", FT_JPG}, {".jpeg", FT_JPG},
        {".jpe", FT_JPG}, {".jfif", FT_JPG}, {".tga", FT_TGA}, {".gif", FT_GIF}, {".psd", FT_PSD},
        {".pnm", FT_PNM}, {".ppm", FT_PNM}, {".pgm", FT_PNM}, {".hdr", FT_HDR},
    };
    // The leading dot is optional.
    VEXA::VexaString dotted = ext;
    if (!ext.IsEmpty() && ext.GetString()[0] != '.')
        dotted = VEXA::VexaString(".") + ext;
    for (const Entry& entry : kTypes) {
        if (dotted.CompareNoCase(entry.ext) == 0)
            return entry.type;
    }
    return FT_UNKNOWN;
}

} // namespace ZRC
