#pragma once
#include "NbExport.h"
#include "VexaString.h"
#include "ZrByteArray.h"

namespace ZRC {

// Reads one entry of the resource container particle.sc. The container lies at
// ZrCommon3D::ms_strSceneResFoloderPath + "./particle/particle.sc" when the
// host set that folder, else at ZrFile::GetModulePath("NbBase") +
// "./Resource/particle/particle.sc"; it is opened with the access string
// "5KPOV" for this one read and closed again on every path (the container
// keeps the index of an unchanged file for the next read, see ZrCacheFile).
// No read holds more than the capacity for the entry's content, whatever its
// compression method: a larger entry is a failed read.
class NBPS_API ZrParticleResource {
public:
    // The container path by the rule above.
    static VEXA::VexaString GetContainerPath();
    // Reads and decompresses the entry into out, using at most capacity bytes
    // (10240 for effect documents, 1048576 for colour images). 1 on success;
    // 0 when the container does not open, has no such entry, or the entry does
    // not decompress within the capacity (out is then empty).
    static unsigned char ReadEntry(const VEXA::VexaString& name, unsigned int capacity, ZrByteArray& out);
    // The same read, saying why it failed: ZrCacheFile::kOk, or the result of
    // the container's Open or ReadFile, or ZrCacheFile::kDamaged for an entry
    // that does not decompress within the capacity.
    static int Read(const VEXA::VexaString& name, unsigned int capacity, ZrByteArray& out);

    static const unsigned int EffectCapacity = 10240;
    static const unsigned int ImageCapacity = 1048576;
};

} // namespace ZRC
