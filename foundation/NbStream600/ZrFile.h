#pragma once
#include "NbExport.h"
#include "VexaString.h"

namespace ZRC {

class NBPS_API ZrFile {
public:
    // Non-zero when a regular file of that path exists.
    static unsigned char IsExist(const VEXA::VexaString& path);
    // The extension with its leading dot ("a/b.par" -> ".par"); empty when none.
    static VEXA::VexaString GetExt(const VEXA::VexaString& path);
    // Folder, with a trailing separator, of the loaded module that carries the
    // named library: "NbBase" and the other foundation libraries are linked into
    // this shared library, so any of them yields this library's folder.
    static VEXA::VexaString GetModulePath(const VEXA::VexaString& module);
};

// Non-zero when |a - b| <= 1e-6 (absolute tolerance).
NBPS_API unsigned char zrequal(double a, double b);

} // namespace ZRC
