#include "ZrGeoTransParams.h"

namespace ZRC {

ZrGeoTransParams::ZrGeoTransParams() : m_dDx(0.0), m_dDy(0.0), m_dDz(0.0) {}
ZrGeoTransParams::~ZrGeoTransParams() = default;

} // namespace ZRC
