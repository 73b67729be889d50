#pragma once
#include <string>

// Finds the document text the library reads for an effect name, the way
// ZrParticleEffect::FromXML does: an existing ".par" file, otherwise the entry
// of that name in the resource container (under the scene-resource folder).
// Says why when there is none.
class EffectSource {
public:
    // On success fills text and, for a file, the folder it lies in (empty
    // for a container entry); otherwise fills reason.
    static bool Read(const std::string& name, std::string& text, std::string& folder, std::string& reason);

    // Why the entry name of the container cannot be read with the capacity,
    // in words, from the result of ZrParticleResource::Read (nothing more of
    // the entry is read).
    static std::string WhyNoEntry(const std::string& name, unsigned int capacity, int result);
    // Whether the container holds an entry of exactly that name (nothing of
    // the entry is read).
    static bool InContainer(const std::string& name);

    // Whether a path named in a document (a colour image or a texture)
    // resolves: as given, next to the document, or in the container.
    static bool PathResolves(const std::string& path, const std::string& folder);

    // One line saying why the library could not load the effect name, for
    // tools to print when loading failed.
    static std::string WhyNotLoaded(const std::string& name);
};
