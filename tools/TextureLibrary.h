#pragma once
#include "SpriteTexture.h"

#include <ZrBillboardTexture.h>

#include <map>
#include <memory>
#include <string>

namespace nbparticle {

// Decodes and keeps the textures that effects name, found by the library's
// rule (ZrBillboardTexture: next to the effect file, as a file, as an entry of
// the resource container) and, failing that, in the bundled data folder
// (EffectLoader::Locate).
class TextureLibrary {
public:
    // The texture for a path, or null when it is empty, not found or does not
    // decode.
    const SpriteTexture* Find(const std::string& path, const std::string& baseDir);
    // The texture a billboard batch resolved, or null as above.
    const SpriteTexture* Find(const ZRC::ZrBillboardTexture& texture);

private:
    std::map<std::string, std::unique_ptr<SpriteTexture>> m_loaded;
    std::map<std::string, std::unique_ptr<ZRC::ZrBillboardTexture>> m_resolved;
};

} // namespace nbparticle
