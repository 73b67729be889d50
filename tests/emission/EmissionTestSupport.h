#pragma once
// Helpers shared by the emission tests: reproducible rand() sequences and
// counting how many numbers an operation drew.
#include <cstdlib>
#include <functional>
#include <vector>

namespace emission_test {

// The first n numbers rand() yields after srand(seed).
inline std::vector<int> Draws(unsigned seed, int n)
{
    std::srand(seed);
    std::vector<int> draws;
    for (int i = 0; i < n; ++i)
        draws.push_back(std::rand());
    return draws;
}

// The number of rand() calls action makes when started from srand(seed):
// the first number drawn after it is looked up in the seeded sequence.
inline int CountDraws(unsigned seed, const std::function<void()>& action, int limit = 32)
{
    std::srand(seed);
    action();
    const int next = std::rand();
    std::srand(seed);
    for (int i = 0; i <= limit; ++i) {
        if (std::rand() == next)
            return i;
    }
    return -1;
}

// The first seed from 1 on whose first n draws satisfy accept; 0 when none
// is found within the bound.
inline unsigned FindSeed(int n, const std::function<bool(const std::vector<int>&)>& accept,
                         unsigned bound = 20000000u)
{
    for (unsigned seed = 1; seed < bound; ++seed) {
        if (accept(Draws(seed, n)))
            return seed;
    }
    return 0;
}

} // namespace emission_test
