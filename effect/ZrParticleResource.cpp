#include "ZrParticleResource.h"

#include "ZrCacheFile.h"
#include "ZrCommon3D.h"
#include "ZrCompress.h"
#include "ZrFile.h"

#include <memory>
#include <new>

namespace ZRC {

VEXA::VexaString ZrParticleResource::GetContainerPath()
{
    if (ZrCommon3D::ms_strSceneResFoloderPath.CompareNoCase("") != 0)
        return ZrCommon3D::ms_strSceneResFoloderPath + "./particle/particle.sc";
    return ZrFile::GetModulePath("NbBase") + "./Resource/particle/particle.sc";
}

unsigned char ZrParticleResource::ReadEntry(const VEXA::VexaString& name, unsigned int capacity, ZrByteArray& out)
{
    return Read(name, capacity, out) == ZrCacheFile::kOk ? 1 : 0;
}

int ZrParticleResource::Read(const VEXA::VexaString& name, unsigned int capacity, ZrByteArray& out)
{
    out.RemoveAll();
    // The container lives for this one read and is closed on every path.
    ZrCacheFile container;
    const int opened = container.Open(GetContainerPath(), "5KPOV");
    if (opened != ZrCacheFile::kOk)
        return opened;
    ZrByteArray packed;
    const int read = container.ReadFile(name, packed, capacity);
    if (read != ZrCacheFile::kOk)
        return read;

    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[capacity > 0 ? capacity : 1]);
    if (!buffer)
        return ZrCacheFile::kTooLarge;
    unsigned int produced = capacity;
    // An entry that does not decompress, or would not fit, is a failed read:
    // only bytes that decompression really produced are handed on.
    if (!ZrCompress::UnZip(buffer.get(), produced, packed.GetData(), static_cast<unsigned int>(packed.GetSize())) ||
        produced > capacity)
        return ZrCacheFile::kDamaged;
    out.SetCapacity(static_cast<int>(produced));
    out.SetGrowSize(1024);
    out.Add(buffer.get(), static_cast<int>(produced));
    return ZrCacheFile::kOk;
}

} // namespace ZRC
