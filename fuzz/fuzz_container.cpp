// A resource container read from arbitrary bytes: open it, read and
// decompress every entry within the image capacity, and read an effect from it
// and run it, every getter asked on the way.
#include "FuzzGetters.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using namespace ZRC;

namespace {
std::string ScratchFolder()
{
    static std::string folder = [] {
        std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("nbps-fuzz-container-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "particle");
        return dir.string() + "/";
    }();
    return folder;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4 << 20)
        return 0;
    const std::string folder = ScratchFolder();
    const std::string path = folder + "./particle/particle.sc";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size)
            std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    ZrCacheFile container;
    if (container.Open(path.c_str(), "5KPOV") == 0) {
        const int count = container.GetEntryCount();
        std::vector<unsigned char> buffer(ZrParticleResource::ImageCapacity);
        for (int i = 0; i < count && i < 64; ++i) {
            ZrByteArray bytes;
            if (container.ReadFile(container.GetEntryName(i), bytes) != 0)
                continue;
            unsigned int length = static_cast<unsigned int>(buffer.size());
            ZrCompress::UnZip(buffer.data(), length, bytes.GetData(), static_cast<unsigned int>(bytes.GetSize()));
        }
    }
    ZrCommon3D::ms_strSceneResFoloderPath = folder.c_str();
    ZrParticleEffect effect;
    effect.FromXML("fire");
    fuzz::TouchEffect(effect);
    for (int step = 0; step < 3; ++step) {
        effect.Update(0.05);
        fuzz::TouchEffect(effect);
    }
    ZrByteArray entry;
    ZrParticleResource::ReadEntry("fire_ramp.png", ZrParticleResource::ImageCapacity, entry);
    return 0;
}
