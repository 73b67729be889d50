#include "TextureLibrary.h"
#include "EffectLoader.h"

#include <ZrParticleResource.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace nbparticle {
namespace {

std::unique_ptr<SpriteTexture> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (!in || size <= 0 || size > (64 << 20))
        return nullptr;
    in.seekg(0);
    std::vector<unsigned char> bytes(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size))
        return nullptr;
    return SpriteTexture::Decode(bytes.data(), bytes.size());
}

} // namespace

const SpriteTexture* TextureLibrary::Find(const std::string& path, const std::string& baseDir)
{
    if (path.empty())
        return nullptr;
    const std::string key = baseDir + '\n' + path;
    auto it = m_loaded.find(key);
    if (it != m_loaded.end())
        return it->second.get();
    std::unique_ptr<SpriteTexture> tex;
    std::string file;
    const EffectLoader::Place place = EffectLoader::Locate(path, baseDir, file);
    if (place == EffectLoader::InContainer) {
        ZRC::ZrByteArray bytes;
        if (ZRC::ZrParticleResource::ReadEntry(VEXA::VexaString(path.c_str()), ZRC::ZrParticleResource::ImageCapacity,
                                               bytes))
            tex = SpriteTexture::Decode(bytes.GetData(), static_cast<size_t>(bytes.GetSize()));
    } else if (place != EffectLoader::Nowhere) {
        tex = ReadFile(file);
    }
    return (m_loaded[key] = std::move(tex)).get();
}

} // namespace nbparticle
