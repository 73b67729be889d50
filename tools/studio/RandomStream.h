#pragma once

namespace nbparticle {

// The library draws its random numbers from the C library's one generator
// (std::rand). A run that is stepped now and then, between other runs, keeps
// its own sequence in a RandomStream: while a Scope is alive, std::rand and
// std::srand use this stream's state, and the state in use before comes back
// when the scope ends. Scopes of different streams must not overlap in time
// (callers serialise them under one lock).
class RandomStream {
public:
    RandomStream();
    RandomStream(const RandomStream&) = delete;
    RandomStream& operator=(const RandomStream&) = delete;

    class Scope {
    public:
        explicit Scope(RandomStream& stream);
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        ~Scope();

    private:
        char* m_previous;
    };

private:
    // The generator's largest state: the same sequences as the default one.
    alignas(8) char m_state[128];
};

} // namespace nbparticle
