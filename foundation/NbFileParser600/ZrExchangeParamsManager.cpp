#include "ZrExchangeParamsManager.h"

#include "ZrFileType.h"

#include <new>

namespace ZRC {

ZrImportParams* ZrExchangeParamsManager::MakeImportParams(int fileType)
{
    if (fileType <= ZrFileType::FT_UNKNOWN || fileType > ZrFileType::FT_HDR)
        return nullptr;
    return new (std::nothrow) ZrImportParams(fileType);
}

} // namespace ZRC
