#include "ZrRandomStream.h"

namespace ZRC {

namespace {

// The calling thread's stream; a plain pointer, so that reading it needs no
// initialisation guard. Where the compiler allows, it sits in the block of
// thread storage made at thread start (eight bytes of the reserve the loader
// keeps for libraries loaded later), so that reading it is one instruction
// instead of a call on every draw.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((tls_model("initial-exec")))
#endif
thread_local ZrRandomStream* t_current = nullptr;

} // namespace

ZrRandomStream::ZrRandomStream(unsigned long long seed, unsigned long long sequence)
    : m_state(0), m_inc((sequence << 1u) | 1u)
{
    NextWord();
    m_state += seed;
    NextWord();
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
