// Library entry point and load-time state.
#include "NbExport.h"
#include "ZrGeoTransParams.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {
// Held from load to unload; nothing uses it yet.
ZRC::ZrGeoTransParams g_geoTransParams;
} // namespace

#if defined(_WIN32)
BOOL APIENTRY DllMain(HMODULE module, DWORD reason, LPVOID /*reserved*/)
{
    // The library keeps no per-thread state: switch thread notifications off.
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(module);
    return TRUE;
}
#endif
