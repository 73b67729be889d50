#pragma once
#include "NbExport.h"

namespace ZRC {

// Parameters of a geographic transformation (identity by default).
class NBPS_API ZrGeoTransParams {
public:
    ZrGeoTransParams();
    virtual ~ZrGeoTransParams();

    double m_dDx;
    double m_dDy;
    double m_dDz;
};

} // namespace ZRC
