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
    const std::string key = baseDir + '\n' + path;
    auto it = m_loaded.find(key);
    if (it != m_loaded.end())
        return it->second.get();
    std::unique_ptr<SpriteTexture> tex;
    const std::string beside = Beside(path, baseDir);
    if (!beside.empty()) {
        tex = ReadFile(beside);
    } else if (EffectLoader::IsFile(path)) {
        tex = ReadFile(path);
    } else {
        ZRC::ZrByteArray bytes;
        if (ZRC::ZrParticleResource::ReadEntry(VEXA::VexaString(path.c_str()), ZRC::ZrParticleResource::ImageCapacity,
                                               bytes))
            tex = SpriteTexture::Decode(bytes.GetData(), static_cast<size_t>(bytes.GetSize()));
    }
    return (m_loaded[key] = std::move(tex)).get();
}

} // namespace nbparticle
