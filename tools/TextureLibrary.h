#pragma once
#include "SpriteTexture.h"

#include <map>
#include <memory>
#include <string>

namespace nbparticle {

// Finds and keeps the textures that effects name, where EffectLoader::Locate
// finds them: next to the effect file, as a file, as an entry of the resource
// container, else in the bundled data folder.
class TextureLibrary {
public:
    // The texture for a path, or null when it is empty or not found.
    const SpriteTexture* Find(const std::string& path, const std::string& baseDir);

private:
    std::map<std::string, std::unique_ptr<SpriteTexture>> m_loaded;
};

} // namespace nbparticle
