#include "TextureLibrary.h"
#include "EffectLoader.h"

#include <ZrBillboardTexture.h>

#include <vector>

namespace nbparticle {

const SpriteTexture* TextureLibrary::Find(const std::string& path, const std::string& baseDir)
{
    if (path.empty())
        return nullptr;
    std::unique_ptr<ZRC::ZrBillboardTexture>& texture = m_resolved[baseDir + '\n' + path];
    if (!texture) {
        texture.reset(new ZRC::ZrBillboardTexture);
        texture->Resolve(VEXA::VexaString(path), VEXA::VexaString(baseDir));
    }
    return Find(*texture);
}

const SpriteTexture* TextureLibrary::Find(const ZRC::ZrBillboardTexture& texture)
{
    using ZRC::ZrBillboardTexture;
    // A file by its absolute path; an entry by its name (the container is the
    // same for the whole run); what the library did not find, in the bundled
    // data folder.
    std::string key;
    ZrBillboardTexture bundled;
    const ZrBillboardTexture* source = &texture;
    switch (texture.GetSource()) {
    case ZrBillboardTexture::TEXTURE_FILE:
        key = "file\n" + texture.GetFilePath().Str();
        break;
    case ZrBillboardTexture::TEXTURE_ENTRY:
        key = "entry\n" + texture.GetName().Str();
        break;
    case ZrBillboardTexture::TEXTURE_MISSING:
        key = "bundled\n" + texture.GetName().Str();
        break;
    default:
        return nullptr;
    }
    auto it = m_loaded.find(key);
    if (it != m_loaded.end())
        return it->second.get();
    if (texture.GetSource() == ZrBillboardTexture::TEXTURE_MISSING) {
        std::string file;
        if (EffectLoader::Locate(texture.GetName().Str(), "", file) == EffectLoader::Bundled)
            bundled.Resolve(VEXA::VexaString(file), VEXA::VexaString());
        source = &bundled;
    }
    std::vector<unsigned char> rgba;
    int w = 0, h = 0;
    std::unique_ptr<SpriteTexture> decoded;
    if (source->Decode(rgba, w, h))
        decoded = SpriteTexture::FromRGBA(rgba, w, h);
    return (m_loaded[key] = std::move(decoded)).get();
}

} // namespace nbparticle
