#include "EffectLoader.h"
#include "EffectSource.h"

#include <ZrCommon3D.h>
#include <ZrParticleEffect.h>
#include <ZrParticleSystem.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace nbparticle {
namespace {


std::string Folder(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool HoldsContainer(const std::string& folder) { return EffectLoader::IsFile(folder + "/particle/particle.sc"); }

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string FindDefaultResources()
{
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        exe[n] = '\0';
        const std::string installed = Folder(Folder(exe)) + "/share/NbParticleSystem600";
        if (HoldsContainer(installed))
            return installed;
    }
#ifdef NBPS_BUILD_DATA_DIR
    if (HoldsContainer(NBPS_BUILD_DATA_DIR))
        return NBPS_BUILD_DATA_DIR;
#endif
    return "";
}

} // namespace

EffectLoader::EffectLoader(const std::string& resources)
    : m_resources(resources.empty() ? DefaultResources() : resources)
{
    char full[PATH_MAX];
    if (IsFile(resources) && ::realpath(resources.c_str(), full)) {
        // A container file. The library finds a container only as
        // FOLDER/particle/particle.sc: any other name is reached through a
        // private folder that links there.
        const std::string container = full, layout = "/particle/particle.sc";
        if (EndsWith(container, layout)) {
            m_resources = container.substr(0, container.size() - layout.size());
        } else {
            const char* tmp = std::getenv("TMPDIR");
            std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/nbparticle-XXXXXX";
            if (::mkdtemp(&folder[0])) {
                m_linkFolder = folder;
                m_resources = folder;
                if (::mkdir((folder + "/particle").c_str(), 0700) != 0 ||
                    ::symlink(container.c_str(), (folder + layout).c_str()) != 0)
                    std::fprintf(stderr, "nbparticle: %s: cannot link the container from %s\n", container.c_str(),
                                 folder.c_str());
            }
        }
    }
    if (!m_resources.empty())
        ZRC::ZrCommon3D::ms_strSceneResFoloderPath = VEXA::VexaString((m_resources + "/").c_str());
}

EffectLoader::~EffectLoader()
{
    if (m_linkFolder.empty())
        return;
    ::unlink((m_linkFolder + "/particle/particle.sc").c_str());
    ::rmdir((m_linkFolder + "/particle").c_str());
    ::rmdir(m_linkFolder.c_str());
}

const std::string& EffectLoader::DefaultResources()
{
    static const std::string folder = FindDefaultResources();
    return folder;
}

EffectLoader::Place EffectLoader::Locate(const std::string& path, const std::string& baseDir, std::string& file)
{
    file.clear();
    if (path.empty())
        return Nowhere;
    if (!baseDir.empty() && path[0] != '/' && IsFile(baseDir + "/" + path)) {
        file = baseDir + "/" + path;
        return Beside;
    }
    if (IsFile(path)) {
        file = path;
        return AsFile;
    }
    if (EffectSource::InContainer(path))
        return InContainer;
    const std::string& bundled = DefaultResources();
    if (!bundled.empty() && path[0] != '/' && IsFile(bundled + "/" + path)) {
        file = bundled + "/" + path;
        return Bundled;
    }
    return Nowhere;
}

std::string EffectLoader::BaseDir(const std::string& effect)
{
    const size_t n = effect.size();
    if (n < 4 || effect.compare(n - 4, 4, ".par") != 0 || !IsFile(effect))
        return "";
    char full[PATH_MAX];
    return ::realpath(Folder(effect).c_str(), full) ? std::string(full) : Folder(effect);
}

std::string EffectLoader::ImageFolder(const std::string& effect) const
{
    const auto standIn = m_standIns.find(effect);
    return standIn != m_standIns.end() ? standIn->second : BaseDir(effect);
}

namespace {

// The note on one image an effect names, or "" when the preview uses it as
// the library would.
std::string ImageNote(const char* what, const std::string& path, int system, EffectLoader::Place place,
                      const std::string& file, bool decoded, const char* without)
{
    const std::string image = std::string(what) + " \"" + path + "\" of system " + std::to_string(system);
    if (path.empty() || (decoded && place != EffectLoader::Bundled))
        return "";
    if (place == EffectLoader::Nowhere)
        return image + " not found: " + without;
    if (!decoded)
        return image + " cannot be decoded: " + without;
    return image + " is not in the container: the preview takes the bundled " + file;
}

} // namespace

std::unique_ptr<ZRC::ZrParticleEffect> EffectLoader::Load(const std::string& effect,
                                                          std::vector<std::string>* notes) const
{
    if (!m_resources.empty())
        ZRC::ZrCommon3D::ms_strSceneResFoloderPath = VEXA::VexaString((m_resources + "/").c_str());
    std::unique_ptr<ZRC::ZrParticleEffect> loaded(new ZRC::ZrParticleEffect());
    if (!loaded->FromXML(VEXA::VexaString(effect.c_str())) || loaded->GetParticleSystemNum() == 0)
        return nullptr;
    const std::string base = ImageFolder(effect);
    TextureLibrary textures;
    for (int s = 0; s < loaded->GetParticleSystemNum(); ++s) {
        ZRC::ZrParticleSystem* sys = loaded->GetParticleSystem(s);
        if (!sys)
            continue;
        const std::string colour = sys->GetColorImagePath().GetString();
        std::string file;
        const Place place = Locate(colour, base, file);
        if (place == Beside || place == Bundled)
            sys->SetColorImagePath(VEXA::VexaString(file.c_str()));
        if (!notes)
            continue;
        std::string note = ImageNote("colour image", colour, s, place, file, sys->GetColorImage() != nullptr,
                                     "particles take the template's colour range");
        if (!note.empty())
            notes->push_back(note);
        const std::string texture = sys->GetTexturePath().GetString();
        const Place at = Locate(texture, base, file);
        note = ImageNote("texture", texture, s, at, file, textures.Find(texture, base) != nullptr,
                         "drawn as soft round sprites");
        if (!note.empty())
            notes->push_back(note);
    }
    return loaded;
}

} // namespace nbparticle
