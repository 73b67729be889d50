#pragma once
// Helpers shared by the emission tests: reproducible rand() sequences and
// counting how many numbers an operation drew.
#include "VexaString.h"
#include "ZrVector3d.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
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

inline void ExpectVector(const ZRC::ZrVector3d& v, double x, double y, double z, double tolerance = 0.0)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

// The document a part writes.
template <class T>
std::string Xml(T& part)
{
    VEXA::VexaString text;
    EXPECT_EQ(part.ToXML(text), 1);
    return std::string(text);
}

} // namespace emission_test
