#include "ZrRandomStream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

using namespace ZRC;

TEST(RandomStream, MatchesTheGeneratorsReferenceOutput)
{
    // The published first outputs of the generator seeded with state 42, sequence 54.
    ZrRandomStream stream(42, 54), twin(42, 54);
    for (unsigned int want : {0xa15c02b7u, 0x7b47f409u, 0xba1d3330u, 0x83d2f293u, 0xbfa4784bu, 0xcbed606eu}) {
        EXPECT_EQ(stream.NextWord(), want);
        EXPECT_EQ(twin.Next(), static_cast<int>(want >> 1)); // the range of rand(): 0 to RAND_MAX
    }
    EXPECT_TRUE(stream == twin);
    EXPECT_TRUE(ZrRandomStream(7) != ZrRandomStream(8));
}

TEST(RandomStream, DrawTakesTheThreadsStreamOrRand)
{
    std::srand(11);
    const int r1 = std::rand(), r2 = std::rand();
    std::srand(11);
    EXPECT_EQ(ZrRandomStream::Draw(), r1);

    ZrRandomStream stream(5), copy(5);
    EXPECT_EQ(ZrRandomStream::Install(&stream), nullptr);
    EXPECT_EQ(ZrRandomStream::Draw(), copy.Next());
    EXPECT_EQ(ZrRandomStream::Draw(), copy.Next());
    std::thread([] { EXPECT_EQ(ZrRandomStream::Current(), nullptr); }).join();
    EXPECT_EQ(ZrRandomStream::Install(nullptr), &stream);
    EXPECT_EQ(ZrRandomStream::Draw(), r2); // rand() was left where it was
}
