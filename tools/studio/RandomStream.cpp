#include "RandomStream.h"

#include <cstdlib>

namespace nbparticle {

RandomStream::RandomStream()
{
    // initstate switches to the new state; switch straight back.
    char* previous = ::initstate(1, m_state, sizeof m_state);
    ::setstate(previous);
}

RandomStream::Scope::Scope(RandomStream& stream) : m_previous(::setstate(stream.m_state)) {}

RandomStream::Scope::~Scope() { ::setstate(m_previous); }

} // namespace nbparticle
