#include "ZrInfluence.h"

namespace ZRC {

ZrInfluence::ZrInfluence() : m_bEnabled(1) {}

ZrInfluence::~ZrInfluence() {}

int ZrInfluence::GetType() const { return 0; }

} // namespace ZRC
