#include "ZrRandomStream.h"

namespace ZRC {

namespace {

const unsigned long long kMultiplier = 6364136223846793005ull;

// The calling thread's stream; a plain pointer, so that reading it needs no
// initialisation guard.
thread_local ZrRandomStream* t_current = nullptr;

} // namespace

ZrRandomStream::ZrRandomStream(unsigned long long seed, unsigned long long sequence)
    : m_state(0), m_inc((sequence << 1u) | 1u)
{
    NextWord();
    m_state += seed;
    NextWord();
}

unsigned int ZrRandomStream::NextWord()
{
    const unsigned long long old = m_state;
    m_state = old * kMultiplier + m_inc;
    const unsigned int shifted = static_cast<unsigned int>(((old >> 18u) ^ old) >> 27u);
    const unsigned int rot = static_cast<unsigned int>(old >> 59u);
    return (shifted >> rot) | (shifted << ((32u - rot) & 31u));
}

int ZrRandomStream::Draw()
{
    ZrRandomStream* stream = t_current;
    return stream != nullptr ? stream->Next() : std::rand();
}

ZrRandomStream* ZrRandomStream::Install(ZrRandomStream* stream)
{
    ZrRandomStream* previous = t_current;
    t_current = stream;
    return previous;
}

ZrRandomStream* ZrRandomStream::Current() { return t_current; }

} // namespace ZRC
