#include "EffectSource.h"

#include "EffectChecker.h"
#include "EffectLoader.h"

#include <NbParticleSystem600/NbParticleSystem600.h>

#include <fstream>
#include <iterator>
#include <sys/stat.h>

using namespace ZRC;

namespace {

using nbparticle::EffectLoader;

const char* const kAccess = "5KPOV";


// The library reads a name as a file only when it exists and ends in ".par".
bool IsParFile(const std::string& name)
{
    const VEXA::VexaString path(name.c_str());
    return ZrFile::IsExist(path) && ZrFile::GetExt(path).CompareNoCase(".par") == 0;
}

std::string Folder(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// The uncompressed size recorded in an entry frame (see ZrCompress.h).
unsigned long FrameSize(const ZrByteArray& packed)
{
    if (packed.GetSize() < 10)
        return 0;
    const unsigned char* p = packed.GetData() + 6;
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<unsigned long>(p[3]) << 24);
}

// Why the container did not give the entry, by the reader's result.
std::string WhyNotRead(int result, const std::string& name, const std::string& container)
{
    switch (result) {
    case ZrCacheFile::kNoFile:
    case ZrCacheFile::kUnreadable:
    case ZrCacheFile::kNotArchive:
        return "cannot open the container " + container + ": " + ZrCacheFile::Describe(result);
    case ZrCacheFile::kNoEntry:
        return "no entry " + name + " in the container " + container;
    case ZrCacheFile::kTooLarge: {
        // The size the entry records, read without the effect's capacity.
        ZrCacheFile cache;
        ZrByteArray packed;
        cache.Open(VEXA::VexaString(container.c_str()), kAccess);
        cache.ReadFile(VEXA::VexaString(name.c_str()), packed);
        return "entry too large: " + std::to_string(FrameSize(packed)) + " bytes, at most " +
               std::to_string(ZrParticleResource::EffectCapacity);
    }
    default:
        return "entry " + name + " in the container " + container + " " + ZrCacheFile::Describe(result);
    }
}

} // namespace

void EffectSource::SetResourceFolder(const std::string& folder)
{
    if (!folder.empty())
        ZrCommon3D::ms_strSceneResFoloderPath = VEXA::VexaString((folder + "/").c_str());
}

bool EffectSource::Read(const std::string& name, std::string& text, std::string& folder, std::string& reason)
{
    if (IsParFile(name)) {
        std::ifstream in(name, std::ios::binary);
        if (!in) {
            reason = "cannot read the file";
            return false;
        }
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        folder = Folder(name);
        return true;
    }
    if (name.size() >= 4 && VEXA::VexaString(name.substr(name.size() - 4).c_str()).CompareNoCase(".par") == 0) {
        reason = "no such file";
        return false;
    }
    const std::string container = static_cast<const char*>(ZrParticleResource::GetContainerPath());
    if (!EffectLoader::IsFile(container)) {
        reason = "no such file, and no container at " + container;
        return false;
    }
    ZrByteArray bytes;
    const int result = ZrParticleResource::Read(VEXA::VexaString(name.c_str()), ZrParticleResource::EffectCapacity, bytes);
    if (result != ZrCacheFile::kOk) {
        reason = WhyNotRead(result, name, container);
        return false;
    }
    text.assign(reinterpret_cast<const char*>(bytes.GetData()), static_cast<size_t>(bytes.GetSize()));
    folder.clear();
    return true;
}

bool EffectSource::PathResolves(const std::string& path, const std::string& folder)
{
    if (EffectLoader::IsFile(path) || (!folder.empty() && path[0] != '/' && EffectLoader::IsFile(folder + "/" + path)))
        return true;
    ZrCacheFile cache;
    ZrByteArray packed;
    return cache.Open(ZrParticleResource::GetContainerPath(), kAccess) == 0 &&
           cache.ReadFile(VEXA::VexaString(path.c_str()), packed) == 0;
}

std::string EffectSource::WhyNotLoaded(const std::string& name)
{
    std::string text, folder, reason;
    if (!Read(name, text, folder, reason))
        return reason;
    for (const EffectChecker::Finding& f : EffectChecker::Check(text, folder)) {
        if (f.error)
            return "line " + std::to_string(f.line) + ": " + f.message;
    }
    return "no particle system is read";
}
