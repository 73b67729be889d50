#pragma once
#include "NbExport.h"
#include "VexaString.h"
#include "ZrByteArray.h"

#include <vector>

namespace ZRC {

// What a particle system's texture path names, found the way the library
// finds colour images, with one step before: for an effect read from a ".par"
// file, a relative path is first looked up in the folder of that file. Then
// the path is taken as a file (relative to the working folder), then as the
// name of an entry of the resource container particle.sc. A file is given by
// its absolute path; an entry by its bytes as stored (an encoded image of at
// most ZrParticleResource::ImageCapacity bytes).
class NBPS_API ZrBillboardTexture {
public:
    enum Source {
        TEXTURE_NONE = 0,    // the system names no texture
        TEXTURE_FILE = 1,    // an image file: GetFilePath
        TEXTURE_ENTRY = 2,   // a container entry: GetEntryBytes
        TEXTURE_MISSING = 3  // named, but neither a file nor an entry: draw untextured
    };

    ZrBillboardTexture();

    // Finds what path names. folder: the folder of the effect's document, or
    // empty (EffectFolder gives it for an effect's resource file name).
    void Resolve(const VEXA::VexaString& path, const VEXA::VexaString& folder);

    Source GetSource() const { return m_source; }
    // The path as the system names it.
    const VEXA::VexaString& GetName() const { return m_name; }
    // The absolute path of the file, for TEXTURE_FILE; empty otherwise.
    const VEXA::VexaString& GetFilePath() const { return m_filePath; }
    // The entry's bytes, for TEXTURE_ENTRY; empty otherwise.
    const ZrByteArray& GetEntryBytes() const { return m_entryBytes; }

    // Decodes the file or the entry with the library's image decoder (type
    // from the name's extension, the decoder's size limits) into pixels of four
    // bytes R, G, B, A, rows top to bottom. 0, with the outputs unchanged,
    // when there is nothing to decode or it does not decode.
    unsigned char Decode(std::vector<unsigned char>& rgba, int& width, int& height) const;

    // The absolute folder of an effect's resource file name when it names a
    // ".par" file (letter case ignored) that exists; empty otherwise.
    static VEXA::VexaString EffectFolder(const VEXA::VexaString& resFileName);

private:
    Source m_source;
    VEXA::VexaString m_name;
    VEXA::VexaString m_filePath;
    ZrByteArray m_entryBytes;
};

} // namespace ZRC
