#include "ContainerPacker.h"
#include "EffectLoader.h"

#include <ZrCacheFile.h>

#include <zip.h>

#include <algorithm>
#include <strings.h>

namespace nbparticle {
namespace {

const char* const kAccess = "5KPOV";

bool Failed(zip_t* z, const std::string& path, const char* reason, std::string& what, std::string& why)
{
    if (z)
        zip_discard(z);
    what = path;
    why = reason;
    return false;
}

} // namespace

bool ContainerPacker::Pack(const std::string& archive, const std::vector<std::string>& items,
                           std::vector<std::string>& names, std::string& what, std::string& why)
{
    names.clear();
    int err = 0;
    zip_t* z = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z)
        return Failed(nullptr, archive, "cannot create", what, why);
    const bool aes = zip_encryption_method_supported(ZIP_EM_AES_256, 1) != 0;
    for (const std::string& item : items) {
        std::string name = item, path = item;
        const size_t eq = item.find('=');
        if (eq != std::string::npos) {
            name = item.substr(0, eq);
            path = item.substr(eq + 1);
        } else {
            const size_t slash = item.find_last_of('/');
            name = slash == std::string::npos ? item : item.substr(slash + 1);
            if (name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".par") == 0)
                name.resize(name.size() - 4);
        }
        if (name.empty() || !EffectLoader::IsFile(path))
            return Failed(z, path, "no such file", what, why);
        if (std::find(names.begin(), names.end(), name) != names.end())
            return Failed(z, path, ("a second entry named " + name).c_str(), what, why);
        names.push_back(name);
        zip_source_t* src = zip_source_file(z, path.c_str(), 0, -1);
        const zip_int64_t idx = src ? zip_file_add(z, name.c_str(), src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) : -1;
        if (idx < 0) {
            if (src)
                zip_source_free(src);
            return Failed(z, path, "cannot add", what, why);
        }
        zip_set_file_compression(z, static_cast<zip_uint64_t>(idx), ZIP_CM_DEFLATE, 9);
        if (aes && zip_file_set_encryption(z, static_cast<zip_uint64_t>(idx), ZIP_EM_AES_256, kAccess) != 0)
            return Failed(z, path, "cannot encrypt", what, why);
    }
    if (zip_close(z) != 0)
        return Failed(z, archive, "cannot write", what, why);
    return true;
}

bool ContainerPacker::List(const std::string& archive, std::vector<std::string>& names)
{
    ZRC::ZrCacheFile cache;
    if (!EffectLoader::IsFile(archive) || cache.Open(VEXA::VexaString(archive.c_str()), VEXA::VexaString(kAccess)) != 0)
        return false;
    for (int i = 0; i < cache.GetEntryCount(); ++i)
        names.emplace_back(static_cast<const char*>(cache.GetEntryName(i)));
    return true;
}

bool ContainerPacker::EntrySize(const std::string& archive, const std::string& name, unsigned long long& size)
{
    int err = 0;
    zip_t* z = EffectLoader::IsFile(archive) ? zip_open(archive.c_str(), ZIP_RDONLY, &err) : nullptr;
    if (!z)
        return false;
    zip_stat_t st;
    zip_stat_init(&st);
    const zip_int64_t index = zip_name_locate(z, name.c_str(), ZIP_FL_ENC_RAW);
    const bool found = index >= 0 && zip_stat_index(z, static_cast<zip_uint64_t>(index), 0, &st) == 0;
    size = found && (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
    zip_discard(z);
    return found;
}

} // namespace nbparticle
