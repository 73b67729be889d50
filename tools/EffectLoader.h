#pragma once
#include "TextureLibrary.h"

#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace ZRC {
class ZrParticleEffect;
}

namespace nbparticle {

// Reads effects for the tool: a ".par" file, or a name looked up in the
// resource container of the resource folder. Images that an effect file names
// by a relative path are found next to that file, whatever the working folder.
class EffectLoader {
public:
    // resources: the folder holding particle/particle.sc; "" picks the
    // installed data folder (or the build tree's, when run from there).
    explicit EffectLoader(const std::string& resources);

    // The effect, or null when it cannot be read or has no particle system.
    std::unique_ptr<ZRC::ZrParticleEffect> Load(const std::string& effect) const;
    // Says on stderr which images named by the effect were not found (unless
    // quiet); returns how many.
    int ReportMissingImages(const std::string& effect, ZRC::ZrParticleEffect& loaded, TextureLibrary& textures) const;

    // Whether a regular file is at path.
    static bool IsFile(const std::string& path)
    {
        struct stat st;
        return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }
    // The folder of an effect file; "" for an effect named in the container.
    static std::string BaseDir(const std::string& effect);
    // The folder whose images the effect uses: BaseDir, unless the effect
    // file stands in for a document that lies elsewhere (see StandIn).
    std::string ImageFolder(const std::string& effect) const;
    // Reads the file standIn as if it lay in folder: for a copy of a document
    // held elsewhere, such as the text an editor has not saved yet.
    void StandIn(const std::string& standIn, const std::string& folder) { m_standIns[standIn] = folder; }
    void SetQuiet(bool quiet) { m_quiet = quiet; }
    // The data folder the tool uses when given no resource folder.
    static std::string DefaultResources();
    const std::string& Resources() const { return m_resources; }

private:
    std::string m_resources;
    std::map<std::string, std::string> m_standIns;
    bool m_quiet = false;
};

} // namespace nbparticle
