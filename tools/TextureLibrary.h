#pragma once
#include "SpriteTexture.h"

#include <map>
#include <memory>
#include <string>

namespace nbparticle {

// Finds and keeps the textures that effects name. A path is looked up as the
// library looks up colour images: as a file, else as an entry of the resource
// container; a relative path is first tried in the folder of the effect file.
class TextureLibrary {
public:
    // The texture for a path, or null when it is empty or not found.
    const SpriteTexture* Find(const std::string& path, const std::string& baseDir);
    // The file a relative path names in baseDir, when there is one; else "".
    static std::string Beside(const std::string& path, const std::string& baseDir);

private:
    std::map<std::string, std::unique_ptr<SpriteTexture>> m_loaded;
};

} // namespace nbparticle
