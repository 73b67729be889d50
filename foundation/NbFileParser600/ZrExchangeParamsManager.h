#pragma once
#include "NbExport.h"
#include "ZrExchangeParams.h"

namespace ZRC {

class NBPS_API ZrExchangeParamsManager {
public:
    // New import parameters for that file type (caller owns), or null when the
    // type cannot be imported.
    static ZrImportParams* MakeImportParams(int fileType);
};

} // namespace ZRC
