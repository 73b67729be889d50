#include "VexaFieldInfo.h"

namespace VEXA {

VexaFieldInfo::VexaFieldInfo() : m_nType(0), m_nLength(0) {}
VexaFieldInfo::VexaFieldInfo(const VexaFieldInfo& other) = default;
VexaFieldInfo& VexaFieldInfo::operator=(const VexaFieldInfo& other) = default;
VexaFieldInfo::~VexaFieldInfo() = default;

} // namespace VEXA
