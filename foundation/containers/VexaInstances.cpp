#include "VexaInstances.h"

#include "ZrPalette.h"

// On ELF targets the instantiations take their visibility from the
// declarations in the headers; a DLL needs the export on the definition too.
#if defined(_WIN32) || defined(__CYGWIN__)
#define NBPS_INSTANTIATE template class NBPS_TEMPLATE_API
#else
#define NBPS_INSTANTIATE template class
#endif

NBPS_INSTANTIATE VEXA::VexaArray<unsigned char>;
NBPS_INSTANTIATE VEXA::VexaArray<unsigned char*>;
NBPS_INSTANTIATE VEXA::VexaArray<unsigned int>;
NBPS_INSTANTIATE VEXA::VexaArray<ZRC::ZrPalette::ZrPaletteEntry>;
NBPS_INSTANTIATE VEXA::VexaArray<VEXA::VexaFieldInfo>;
NBPS_INSTANTIATE VEXA::VexaArray<VEXA::VexaFeature::VexaFieldDefine>;
NBPS_INSTANTIATE VEXA::VexaArray<float>;
NBPS_INSTANTIATE VEXA::VexaArray<std::pair<float, float>>;
NBPS_INSTANTIATE VEXA::VexaArray<VEXA::VexaPoint2D>;
NBPS_INSTANTIATE VEXA::VexaArray<ZRC::ZrImageData*>;
NBPS_INSTANTIATE VEXA::VexaDict<VEXA::VexaString, ZRC::ZrParticleEffect*, std::less<VEXA::VexaString>>;
NBPS_INSTANTIATE ZRC::ZrSort<float>;
