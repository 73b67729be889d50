// A "ParticleSystem" element from arbitrary text: read, write, read back, copy
// and update, every getter asked on the way.
#include "FuzzGetters.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace ZRC;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 64 * 1024)
        return 0;
    VEXA::VexaString text(std::string(reinterpret_cast<const char*>(data), size));
    ZrParticleSystem system;
    system.FromXML(text);
    VEXA::VexaString written;
    system.ToXML(written);
    ZrParticleSystem again;
    again.FromXML(written);
    ZrParticleSystem copy(system);
    fuzz::TouchSystem(system);
    for (int step = 0; step < 3; ++step) {
        copy.UpdateParticleSystem(0.01);
        fuzz::TouchSystem(copy);
    }
    return 0;
}
