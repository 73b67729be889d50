#include "EffectSource.h"

#include "ContainerPacker.h"
#include "EffectChecker.h"
#include "EffectLoader.h"

#include <NbParticleSystem600/NbParticleSystem600.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

using namespace ZRC;

namespace {

using nbparticle::EffectLoader;

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

} // namespace

bool EffectSource::Read(const std::string& name, std::string& text, std::string& folder, std::string& reason)
{
    if (IsParFile(name)) {
        // Like the reader, a file beyond the document size limit is refused
        // before it is read.
        std::ifstream in(name, std::ios::binary | std::ios::ate);
        const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
        if (size < 0) {
            reason = "cannot read the file";
            return false;
        }
        if (size > static_cast<std::streamoff>(ZrMarkup::kMaxDocumentSize)) {
            reason = "file too large: " + std::to_string(size) + " bytes, at most " +
                     std::to_string(ZrMarkup::kMaxDocumentSize);
            return false;
        }
        in.seekg(0);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        folder = Folder(name);
        return true;
    }
    if (name.size() >= 4 && VEXA::VexaString(name.substr(name.size() - 4).c_str()).CompareNoCase(".par") == 0) {
        reason = "no such file";
        return false;
    }
    ZrByteArray bytes;
    const int result = ZrParticleResource::Read(VEXA::VexaString(name.c_str()), ZrParticleResource::EffectCapacity, bytes);
    if (result == ZrCacheFile::kOk) {
        text.assign(reinterpret_cast<const char*>(bytes.GetData()), static_cast<size_t>(bytes.GetSize()));
        folder.clear();
        return true;
    }
    reason = WhyNoEntry(name, ZrParticleResource::EffectCapacity, result);
    return false;
}

std::string EffectSource::WhyNoEntry(const std::string& name, unsigned int capacity, int result)
{
    // Nothing here reads the entry: the size is the one the container records.
    std::string container = static_cast<const char*>(ZrParticleResource::GetContainerPath());
    if (!EffectLoader::IsFile(container))
        return "no such file, and no container at " + container;
    char full[PATH_MAX];
    if (::realpath(container.c_str(), full))
        container = full;   // the file itself, also when reached through a link
    switch (result) {
    case ZrCacheFile::kNoFile:
    case ZrCacheFile::kUnreadable:
    case ZrCacheFile::kNotArchive:
        return "cannot open the container " + container + ": " + ZrCacheFile::Describe(result);
    case ZrCacheFile::kNoEntry:
        return "no entry " + name + " in the container " + container;
    case ZrCacheFile::kTooLarge: {
        unsigned long long size = 0;
        nbparticle::ContainerPacker::EntrySize(container, name, size);
        return "entry too large: " + std::to_string(size) + " bytes, at most " + std::to_string(capacity);
    }
    default:
        return "entry " + name + " in the container " + container + " " + ZrCacheFile::Describe(result);
    }
}

bool EffectSource::InContainer(const std::string& name)
{
    unsigned long long size = 0;
    return nbparticle::ContainerPacker::EntrySize(
        static_cast<const char*>(ZrParticleResource::GetContainerPath()), name, size);
}

bool EffectSource::PathResolves(const std::string& path, const std::string& folder)
{
    return EffectLoader::IsFile(path) || (!folder.empty() && path[0] != '/' && EffectLoader::IsFile(folder + "/" + path)) ||
           InContainer(path);
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
