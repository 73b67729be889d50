#pragma once
#include "NbExport.h"
#include <cstdlib>

namespace ZRC {

// The number of bits of a value of the form 2^n - 1.
constexpr int ZrRandomBits(unsigned long long max) { return max == 0 ? 0 : 1 + ZrRandomBits(max >> 1); }
static_assert(((static_cast<unsigned long long>(RAND_MAX) + 1) & static_cast<unsigned long long>(RAND_MAX)) == 0 &&
                  ZrRandomBits(RAND_MAX) <= 32,
              "rand() gives whole bits");

// Where every random number of the library comes from.
//
// Draw() is the one function the emitters, placers, shooters, particles and
// influences call. It returns the next number of the stream installed on the
// calling thread (Install), and, when none is installed, std::rand(): so by
// default every effect draws from the process-wide rand() in the order it
// always did.
//
// An object of this class is an own stream: a PCG32 generator (64-bit linear
// congruential state, output permuted by an xorshift and a state-dependent
// rotation). It was chosen because it is small (16 bytes, copied with the
// effect that holds it), fast (one 64-bit multiply-add and a few shifts per
// draw, no lock, several times cheaper than rand()), and passes the standard
// statistical batteries (TestU01 BigCrush, PractRand) that the LCGs the
// standard library offers fail, while its state is a plain value. Next()
// returns the high bits of a 32-bit output, so its range is that of rand():
// 0 to RAND_MAX.
class NBPS_API ZrRandomStream {
public:
    // Seeded as the generator's reference seeding does (state and sequence).
    explicit ZrRandomStream(unsigned long long seed = 0, unsigned long long sequence = kDefaultSequence);

    // The next 32-bit output of the generator.
    unsigned int NextWord()
    {
        const unsigned long long old = m_state;
        m_state = old * 6364136223846793005ull + m_inc;
        const unsigned int shifted = static_cast<unsigned int>(((old >> 18u) ^ old) >> 27u);
        const unsigned int rot = static_cast<unsigned int>(old >> 59u);
        return (shifted >> rot) | (shifted << ((32u - rot) & 31u));
    }
    // The next number in 0..RAND_MAX.
    int Next() { return static_cast<int>(NextWord() >> kShift); }

    bool operator==(const ZrRandomStream& other) const { return m_state == other.m_state && m_inc == other.m_inc; }
    bool operator!=(const ZrRandomStream& other) const { return !(*this == other); }

    // The next number of the calling thread's stream, or std::rand().
    static int Draw();
    // Makes `stream` the calling thread's stream (null: back to std::rand())
    // and returns the one it replaces. The stream must outlive its
    // installation; each thread has its own.
    static ZrRandomStream* Install(ZrRandomStream* stream);
    static ZrRandomStream* Current();

    static const unsigned long long kDefaultSequence = 0xda3e39cb94b95bdbull;

private:
    static const int kShift = 32 - ZrRandomBits(RAND_MAX);

    unsigned long long m_state;
    unsigned long long m_inc;
};

} // namespace ZRC
