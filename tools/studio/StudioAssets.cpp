#include "StudioAssets.h"

namespace nbparticle {

// Generated at build time by nbps_embed_assets.
extern const StudioAssets::Asset kStudioAssets[];
extern const size_t kStudioAssetCount;

const StudioAssets::Asset* StudioAssets::Find(const std::string& path)
{
    const std::string wanted = path == "/" ? "/index.html" : path;
    for (size_t i = 0; i < kStudioAssetCount; ++i) {
        if (wanted == kStudioAssets[i].path)
            return &kStudioAssets[i];
    }
    return nullptr;
}

const StudioAssets::Asset* StudioAssets::All(size_t& count)
{
    count = kStudioAssetCount;
    return kStudioAssets;
}

} // namespace nbparticle
