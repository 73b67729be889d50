#include "ZrCommon3D.h"

namespace ZRC {

VEXA::VexaString ZrCommon3D::ms_strSceneResFoloderPath;

} // namespace ZRC
