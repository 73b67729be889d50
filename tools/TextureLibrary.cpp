#include "TextureLibrary.h"
#include "EffectLoader.h"

#include <ZrBillboardTexture.h>

#include <vector>

namespace nbparticle {

std::string TextureLibrary::Beside(const std::string& path, const std::string& baseDir)
{
    if (path.empty() || baseDir.empty() || path[0] == '/')
        return "";
    const std::string beside = baseDir + "/" + path;
    return EffectLoader::IsFile(beside) ? beside : "";
}

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
    if (texture.GetSource() != ZrBillboardTexture::TEXTURE_FILE &&
        texture.GetSource() != ZrBillboardTexture::TEXTURE_ENTRY)
        return nullptr;
    // A file by its absolute path; an entry by its name (the container is the
    // same for the whole run).
    const std::string key = texture.GetSource() == ZrBillboardTexture::TEXTURE_FILE
                                ? "file\n" + texture.GetFilePath().Str()
                                : "entry\n" + texture.GetName().Str();
    auto it = m_loaded.find(key);
    if (it != m_loaded.end())
        return it->second.get();
    std::vector<unsigned char> rgba;
    int w = 0, h = 0;
    std::unique_ptr<SpriteTexture> decoded;
    if (texture.Decode(rgba, w, h))
        decoded = SpriteTexture::FromRGBA(rgba, w, h);
    return (m_loaded[key] = std::move(decoded)).get();
}

} // namespace nbparticle
