#pragma once
#include "TextureLibrary.h"

#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace ZRC {
class ZrParticleEffect;
}

namespace nbparticle {

// Reads effects for the tool: a ".par" file, or a name looked up in the
// resource container. Images that an effect names by a relative path are found
// next to its file, whatever the working folder, and images that neither the
// document's folder nor the container holds are taken from the bundled data
// folder, so that an effect built on the bundled textures previews the same
// with any container.
class EffectLoader {
public:
    // resources: the folder holding particle/particle.sc, or a container file
    // of any name; "" picks the installed data folder (or the build tree's,
    // when run from there). Makes it the scene-resource folder.
    explicit EffectLoader(const std::string& resources);
    ~EffectLoader();
    EffectLoader(const EffectLoader&) = delete;
    EffectLoader& operator=(const EffectLoader&) = delete;

    // The effect, or null when it cannot be read or has no particle system.
    // With notes, adds one line for each image the effect names that the
    // preview cannot use, or takes from the bundled data folder only.
    std::unique_ptr<ZRC::ZrParticleEffect> Load(const std::string& effect,
                                                std::vector<std::string>* notes = nullptr) const;

    // Where an image path named by an effect is found, in the order it is
    // looked for; file is set to the file for Beside, AsFile and Bundled.
    enum Place { Nowhere, Beside, AsFile, InContainer, Bundled };
    static Place Locate(const std::string& path, const std::string& baseDir, std::string& file);

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
    // The data folder the tool uses when given no resource folder: the
    // bundled effects, their images and particle/particle.sc.
    static const std::string& DefaultResources();
    // The scene-resource folder in use (for a container file given by its
    // own name, a private folder that leads to it).
    const std::string& Resources() const { return m_resources; }

private:
    std::string m_resources;
    std::string m_linkFolder;   // the private folder, removed again
    std::map<std::string, std::string> m_standIns;
};

} // namespace nbparticle
