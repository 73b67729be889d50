#include "ZrFile.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace ZRC {

unsigned char ZrFile::IsExist(const VEXA::VexaString& path)
{
    if (path.IsEmpty())
        return 0;
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(path.Str()), ec) ? 1 : 0;
}

VEXA::VexaString ZrFile::GetExt(const VEXA::VexaString& path)
{
    const std::string& text = path.Str();
    const size_t slash = text.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = text.rfind('.');
    // No dot in the file name, or a leading dot only (a hidden file): no extension.
    if (dot == std::string::npos || dot <= nameStart)
        return VEXA::VexaString();
    return VEXA::VexaString(text.substr(dot));
}

VEXA::VexaString ZrFile::GetModulePath(const VEXA::VexaString& /*module*/)
{
    // Every foundation library is linked into this shared library, so the
    // module that holds this function is the one asked for.
#if defined(_WIN32)
    HMODULE handle = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&ZrFile::GetModulePath), &handle))
        return VEXA::VexaString();
    char buffer[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(handle, buffer, static_cast<DWORD>(sizeof(buffer)));
    if (length == 0 || length >= sizeof(buffer))
        return VEXA::VexaString();
    std::string file(buffer, length);
    const size_t slash = file.find_last_of("/\\");
    if (slash == std::string::npos)
        return VEXA::VexaString();
    return VEXA::VexaString(file.substr(0, slash + 1));
#else
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&ZrFile::GetModulePath), &info) == 0 || !info.dli_fname || !*info.dli_fname)
        return VEXA::VexaString();
    std::error_code ec;
    std::filesystem::path file = std::filesystem::absolute(std::filesystem::path(info.dli_fname), ec);
    if (ec)
        return VEXA::VexaString();
    std::string folder = file.parent_path().string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return VEXA::VexaString(folder);
#endif
}

unsigned char zrequal(double a, double b) { return std::fabs(a - b) <= 1e-6 ? 1 : 0; }

} // namespace ZRC
