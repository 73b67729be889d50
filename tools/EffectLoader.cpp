#include "EffectLoader.h"

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

} // namespace

EffectLoader::EffectLoader(const std::string& resources)
    : m_resources(resources.empty() ? DefaultResources() : resources)
{
}

std::string EffectLoader::DefaultResources()
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

std::unique_ptr<ZRC::ZrParticleEffect> EffectLoader::Load(const std::string& effect) const
{
    if (!m_resources.empty())
        ZRC::ZrCommon3D::ms_strSceneResFoloderPath = VEXA::VexaString((m_resources + "/").c_str());
    std::unique_ptr<ZRC::ZrParticleEffect> loaded(new ZRC::ZrParticleEffect());
    if (!loaded->FromXML(VEXA::VexaString(effect.c_str())) || loaded->GetParticleSystemNum() == 0)
        return nullptr;
    const std::string base = ImageFolder(effect);
    for (int s = 0; s < loaded->GetParticleSystemNum(); ++s) {
        ZRC::ZrParticleSystem* sys = loaded->GetParticleSystem(s);
        const std::string beside = sys ? TextureLibrary::Beside(sys->GetColorImagePath().GetString(), base) : "";
        if (!beside.empty())
            sys->SetColorImagePath(VEXA::VexaString(beside.c_str()));
    }
    return loaded;
}

int EffectLoader::ReportMissingImages(const std::string& effect, ZRC::ZrParticleEffect& loaded,
                                      TextureLibrary& textures) const
{
    const std::string base = ImageFolder(effect);
    int missing = 0;
    for (int s = 0; s < loaded.GetParticleSystemNum(); ++s) {
        ZRC::ZrParticleSystem* sys = loaded.GetParticleSystem(s);
        if (!sys)
            continue;
        const std::string colour = sys->GetColorImagePath().GetString();
        const std::string texture = sys->GetTexturePath().GetString();
        if (!colour.empty() && !sys->GetColorImage()) {
            if (!m_quiet)
                std::fprintf(stderr, "nbparticle: %s: colour image \"%s\" of system %d not found\n", effect.c_str(),
                             colour.c_str(), s);
            ++missing;
        }
        if (!texture.empty() && !textures.Find(texture, base)) {
            if (!m_quiet)
                std::fprintf(stderr, "nbparticle: %s: texture \"%s\" of system %d not found\n", effect.c_str(),
                             texture.c_str(), s);
            ++missing;
        }
    }
    return missing;
}

} // namespace nbparticle
