#include "VexaPoint2D.h"
#include "VexaString.h"
#include "ZrBoundingBox.h"
#include "ZrMathEngine.h"
#include "ZrMutex.h"
#include "ZrVector3d.h"
#include "ZrVector4d.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

using VEXA::VexaString;
using ZRC::ZrBoundingBox;
using ZRC::ZrVector3d;

TEST(VexaStringTest, FormatCompareAndConcatenate)
{
    VexaString s("stale");
    s.Format("%f", 0.5);
    EXPECT_STREQ(s, "0.500000");
    s.Format("%i", -3);
    EXPECT_STREQ(s, "-3");
    EXPECT_EQ(s.GetLength(), 2);
    s.Format("%f", 1e20);
    EXPECT_STREQ(s, "100000000000000000000.000000");
    s.Format("%s", "");
    EXPECT_STREQ(s, "");
    const VexaString tag("AccelInfluence");
    EXPECT_EQ(tag.Compare("AccelInfluence"), 0);
    EXPECT_NE(tag.Compare("accelinfluence"), 0);
    EXPECT_EQ(tag.CompareNoCase("accelINFLUENCE"), 0);
    EXPECT_NE(tag.CompareNoCase("AccelInfluenc"), 0);
    EXPECT_NE(tag.CompareNoCase("AccelInfluencf"), 0);   // same length, one letter apart
    EXPECT_NE(VexaString("x").CompareNoCase(""), 0);
    EXPECT_LT(VexaString("a").Compare("b"), 0);
    EXPECT_TRUE(VexaString("Snow") < VexaString("fire"));
    EXPECT_FALSE(VexaString("fire") < VexaString("fire"));
    EXPECT_TRUE(VexaString("a") != "b");
    EXPECT_FALSE(VexaString("a") != "a");

    VexaString folder("/scene/");
    const VexaString path = folder + "./particle/particle.sc";
    EXPECT_STREQ(path, "/scene/./particle/particle.sc");
    EXPECT_EQ(folder.Str(), "/scene/");
    VexaString copy(path);
    copy += "!";
    EXPECT_EQ(path.GetLength(), 29);
    folder = static_cast<const char*>(nullptr);
    EXPECT_TRUE(folder.IsEmpty());
    EXPECT_EQ(VexaString("abcdef", 3).Str(), "abc");
}

TEST(ZrVectorTest, ArithmeticFoldingAndSpherical)
{
    const VEXA::VexaPoint2D a(1.5, -2), b(0.5, 4);
    EXPECT_EQ((a + b).y, 2.0);
    EXPECT_EQ((a - b).x, 1.0);
    ZrVector3d v(1, 2, 2);
    EXPECT_EQ(v.Length(), 3.0);
    ZrVector3d w = v * 2.0 - ZrVector3d(1, 1, 1) + -v;   // (0, 1, 1)
    w += ZrVector3d(1, 2, 3);
    w -= ZrVector3d(0, 0, 1);
    w *= 0.5;
    EXPECT_EQ(std::vector<double>({w.x, w.y, w.z}), std::vector<double>({0.5, 1.5, 1.5}));
    // MakeCeil keeps the smaller components, MakeFloor the larger.
    ZrVector3d lo(1, 5, -1), hi(1, 5, -1);
    lo.MakeCeil(ZrVector3d(0, 6, -2));
    hi.MakeFloor(ZrVector3d(0, 6, -2));
    EXPECT_EQ(std::vector<double>({lo.x, lo.y, lo.z}), std::vector<double>({0, 5, -2}));
    EXPECT_EQ(std::vector<double>({hi.x, hi.y, hi.z}), std::vector<double>({1, 6, -1}));
    const ZRC::ZrVector4d mid = ZRC::ZrVector4d(1, 0, 2, 1) + (ZRC::ZrVector4d(0, 1, 4, 0) - ZRC::ZrVector4d(1, 0, 2, 1)) * 0.25;
    EXPECT_EQ(std::vector<double>({mid.x, mid.y, mid.z, mid.w}), std::vector<double>({0.75, 0.25, 2.5, 0.75}));

    const double r = 6378137.0, deg = 0.017453292519943295;
    const ZrVector3d p = ZRC::ZrMathEngine::SphericalToCartesian(90 * deg, 30 * deg, r);
    EXPECT_NEAR(p.x, 0, 1e-6);
    EXPECT_NEAR(p.y, r * std::cos(30 * deg), 1e-6);
    EXPECT_NEAR(p.z, r * 0.5, 1e-6);
    EXPECT_NEAR(ZRC::ZrMathEngine::SphericalToCartesian(0, 0, r).x, r, 1e-6);
}

TEST(ZrBoundingBoxTest, NullStateFoldingAndMerge)
{
    ZrBoundingBox box;
    EXPECT_NE(box.IsNULL(), 0);
    // Folding a first point into the corners of a null box yields that point.
    ZrVector3d lo = box.GetMin(), hi = box.GetMax();
    lo.MakeCeil(ZrVector3d(3, -4, 5));
    hi.MakeFloor(ZrVector3d(3, -4, 5));
    box.SetExtents(lo, hi);
    EXPECT_EQ(box.IsNULL(), 0);
    EXPECT_EQ(box.GetMin().x, 3.0);
    EXPECT_EQ(box.GetMax().z, 5.0);

    ZrBoundingBox nullBox, other;
    nullBox.Merge(other);
    EXPECT_NE(nullBox.IsNULL(), 0);
    box.Merge(nullBox);
    EXPECT_EQ(box.GetMax().y, -4.0);
    nullBox.Merge(box);
    EXPECT_EQ(nullBox.GetMin().z, 5.0);
    box.Merge(ZrBoundingBox(ZrVector3d(-1, -1, -1), ZrVector3d(0, 0, 0)));
    EXPECT_EQ(std::vector<double>({box.GetMin().x, box.GetMin().y, box.GetMax().x, box.GetMax().y}),
              std::vector<double>({-1, -4, 3, 0}));
    box.SetNULL();
    EXPECT_NE(box.IsNULL(), 0);
    EXPECT_EQ(box.GetMin().x, DBL_MAX);
    box.SetMin(ZrVector3d(1, 1, 1));
    EXPECT_EQ(box.IsNULL(), 0);
}

TEST(ZrMutexTest, ExcludesOtherThreads)
{
    ZRC::ZrMutex mutex;
    std::atomic<bool> acquired(false);
    std::thread([&] { acquired = mutex.try_lock(); if (acquired) mutex.unlock(); }).join();
    EXPECT_TRUE(acquired);   // a new mutex is free
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                mutex.lock();
                ++counter;
                mutex.unlock();
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(counter, 80000);

    ZRC::ZrMutex owned(1);
    std::thread probe([&] { acquired = owned.try_lock(); });
    probe.join();
    EXPECT_FALSE(acquired);
    owned.unlock();
    EXPECT_TRUE(owned.try_lock());
    owned.unlock();
}
