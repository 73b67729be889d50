#pragma once
#include "NbExport.h"
#include "VexaString.h"

namespace VEXA {

// Description of one attribute field of a map feature.
class NBPS_API VexaFieldInfo {
public:
    VexaFieldInfo();
    VexaFieldInfo(const VexaFieldInfo& other);
    VexaFieldInfo& operator=(const VexaFieldInfo& other);
    ~VexaFieldInfo();

    VexaString m_strName;
    int m_nType;
    int m_nLength;
};

} // namespace VEXA
