#include "VexaFeature.h"

namespace VEXA {

VexaFeature::VexaFieldDefine::VexaFieldDefine() : m_nType(0) {}
VexaFeature::VexaFieldDefine::VexaFieldDefine(const VexaFieldDefine& other) = default;
VexaFeature::VexaFieldDefine& VexaFeature::VexaFieldDefine::operator=(const VexaFieldDefine& other) = default;
VexaFeature::VexaFieldDefine::~VexaFieldDefine() = default;

} // namespace VEXA
