#include "ZrEmitter.h"

namespace ZRC {

ZrEmitter::ZrEmitter() : m_pParticleSystem(nullptr) {}

ZrEmitter::~ZrEmitter() {}

int ZrEmitter::GetType() const { return 0; }

} // namespace ZRC
