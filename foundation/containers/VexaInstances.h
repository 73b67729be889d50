#pragma once
// Container instantiations that the shared library exports for its hosts. They
// are instantiated once, in the library (VexaInstances.cpp); every translation
// unit that includes a container header sees these declarations, so it uses the
// library's copies instead of instantiating its own. The palette's array is
// declared in ZrPalette.h, next to its element type.
//
// Included at the end of VexaArray.h, VexaDict.h and ZrSort.h: it needs the
// three templates and the element types, none of which include containers.
#include "NbExport.h"
#include "VexaArray.h"
#include "VexaDict.h"
#include "VexaFeature.h"
#include "VexaFieldInfo.h"
#include "VexaPoint2D.h"
#include "VexaString.h"
#include "ZrSort.h"

#include <functional>
#include <utility>

namespace ZRC {
class ZrImageData;
class ZrParticleEffect;
} // namespace ZRC

extern template class NBPS_TEMPLATE_API VEXA::VexaArray<unsigned char>;
extern template class NBPS_TEMPLATE_API VEXA::VexaArray<unsigned char*>;
extern template class NBPS_TEMPLATE_API VEXA::VexaArray<unsigned int>;
extern template class NBPS_TEMPLATE_API VEXA::VexaArray<VEXA::VexaFieldInfo>;
extern template class NBPS_TEMPLATE_API VEXA::VexaArray<VEXA::VexaFeature::VexaFieldDefine>;
extern template class NBPS_TEMPLATE_API VEXA::VexaArray<float>;
extern template class NBPS_TEMPLATE_API VEXA::VexaArray<std::pair<float, float>>;
extern template class NBPS_TEMPLATE_API VEXA::VexaArray<VEXA::VexaPoint2D>;
extern template class NBPS_TEMPLATE_API VEXA::VexaArray<ZRC::ZrImageData*>;
extern template class NBPS_TEMPLATE_API
    VEXA::VexaDict<VEXA::VexaString, ZRC::ZrParticleEffect*, std::less<VEXA::VexaString>>;
extern template class NBPS_TEMPLATE_API ZRC::ZrSort<float>;
