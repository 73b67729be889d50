#pragma once
#include "NbExport.h"
#include "VexaString.h"

namespace VEXA {

class NBPS_API VexaFeature {
public:
    // Definition of one field of a feature class.
    class NBPS_API VexaFieldDefine {
    public:
        VexaFieldDefine();
        VexaFieldDefine(const VexaFieldDefine& other);
        VexaFieldDefine& operator=(const VexaFieldDefine& other);
        ~VexaFieldDefine();

        VexaString m_strName;
        int m_nType;
    };
};

} // namespace VEXA
