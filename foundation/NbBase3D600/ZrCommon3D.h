#pragma once
#include "NbExport.h"
#include "VexaString.h"

namespace ZRC {

class NBPS_API ZrCommon3D {
public:
    // Scene-resource folder set by the host; empty when unset. The resource
    // container is looked for at this text followed directly by
    // "./particle/particle.sc", so give it a trailing path separator.
    static VEXA::VexaString ms_strSceneResFoloderPath;
};

} // namespace ZRC
