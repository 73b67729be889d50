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
#include <cstdlib>
#include <thread>
#include <vector>

using VEXA::VexaString;
using ZRC::ZrBoundingBox;
using ZRC::ZrVector3d;

TEST(VexaStringTest, FormatNumbersAsDocumentsWriteThem)
{
    VexaString s;
    s.Format("%f", 0.5);
    EXPECT_EQ(s.Str(), "0.500000");
    s.Format("%i", -3);
    EXPECT_EQ(s.Str(), "-3");
    s.Format("%f", static_cast<double>(0.1f));
    EXPECT_EQ(s.Str(), "0.100000");
    s.Format("%f", 1e20);
    EXPECT_EQ(s.Str(), "100000000000000000000.000000");
    EXPECT_DOUBLE_EQ(std::atof(s), 1e20);
    s.Format("%s", "");
    EXPECT_EQ(s.Str(), "");
}

TEST(VexaStringTest, CompareAndCompareNoCase)
{
    const VexaString tag("AccelInfluence");
    EXPECT_EQ(tag.Compare("AccelInfluence"), 0);
    EXPECT_NE(tag.Compare("accelinfluence"), 0);
    EXPECT_EQ(tag.CompareNoCase("accelINFLUENCE"), 0);
    EXPECT_NE(tag.CompareNoCase("AccelInfluenc"), 0);
    EXPECT_EQ(VexaString().CompareNoCase(""), 0);
    EXPECT_NE(VexaString("x").CompareNoCase(""), 0);
    EXPECT_EQ(VexaString(".PAR").CompareNoCase(".par"), 0);
    EXPECT_EQ(VexaString(static_cast<const char*>(nullptr)).Compare(nullptr), 0);
    EXPECT_LT(VexaString("a").Compare("b"), 0);
    EXPECT_TRUE(VexaString("Snow") < VexaString("fire"));
    EXPECT_FALSE(VexaString("fire") < VexaString("fire"));
}

TEST(VexaStringTest, ConcatenationAndAssignment)
{
    VexaString folder("/scene/");
    const VexaString path = folder + "./particle/particle.sc";
    EXPECT_EQ(path.Str(), "/scene/./particle/particle.sc");
    EXPECT_EQ(folder.Str(), "/scene/");
    folder = "x";
    EXPECT_EQ(folder.GetLength(), 1);
    folder = static_cast<const char*>(nullptr);
    EXPECT_TRUE(folder.IsEmpty());
    VexaString copy(path);
    copy += "!";
    EXPECT_EQ(path.Str(), "/scene/./particle/particle.sc");
    EXPECT_EQ(VexaString("abcdef", 3).Str(), "abc");
}

TEST(VexaPoint2DTest, SumAndDifference)
{
    const VEXA::VexaPoint2D a(1.5, -2), b(0.5, 4);
    EXPECT_EQ((a + b).x, 2.0);
    EXPECT_EQ((a + b).y, 2.0);
    EXPECT_EQ((a - b).x, 1.0);
    EXPECT_EQ((a - b).y, -6.0);
    EXPECT_EQ(VEXA::VexaPoint2D().x, 0.0);
}

TEST(ZrVectorTest, ArithmeticLengthAndFolding)
{
    ZrVector3d v(1, 2, 2);
    EXPECT_EQ(v.Length(), 3.0);
    EXPECT_EQ(ZrVector3d().Length(), 0.0);
    ZrVector3d w = v * 2.0 - ZrVector3d(1, 1, 1) + -v;
    EXPECT_EQ(w.x, 0.0);
    EXPECT_EQ(w.y, 1.0);
    EXPECT_EQ(w.z, 1.0);
    w += v;
    w -= ZrVector3d(0, 0, 3);
    w *= 0.5;
    EXPECT_EQ(w.x, 0.5);
    EXPECT_EQ(w.y, 1.5);
    EXPECT_EQ(w.z, 0.0);

    // MakeCeil keeps the smaller components, MakeFloor the larger.
    ZrVector3d lo(1, 5, -1), hi(1, 5, -1);
    lo.MakeCeil(ZrVector3d(0, 6, -2));
    hi.MakeFloor(ZrVector3d(0, 6, -2));
    EXPECT_EQ(lo.x, 0.0);
    EXPECT_EQ(lo.y, 5.0);
    EXPECT_EQ(lo.z, -2.0);
    EXPECT_EQ(hi.x, 1.0);
    EXPECT_EQ(hi.y, 6.0);
    EXPECT_EQ(hi.z, -1.0);

    const ZRC::ZrVector4d start(1, 0, 0, 1), end(0, 1, 0, 0);
    const ZRC::ZrVector4d mid = start + (end - start) * 0.25;
    EXPECT_EQ(mid.x, 0.75);
    EXPECT_EQ(mid.y, 0.25);
    EXPECT_EQ(mid.w, 0.75);
}

TEST(ZrBoundingBoxTest, NullStateFoldingAndMerge)
{
    ZrBoundingBox box;
    EXPECT_NE(box.IsNULL(), 0);
    // Folding a first point into the corners of a null box yields that point.
    ZrVector3d lo = box.GetMin(), hi = box.GetMax();
    const ZrVector3d p(3, -4, 5);
    lo.MakeCeil(p);
    hi.MakeFloor(p);
    EXPECT_EQ(lo.x, 3.0);
    EXPECT_EQ(lo.y, -4.0);
    EXPECT_EQ(hi.z, 5.0);
    box.SetExtents(lo, hi);
    EXPECT_EQ(box.IsNULL(), 0);
    EXPECT_EQ(box.GetMin().x, box.GetMax().x);

    ZrBoundingBox nullBox, other;
    nullBox.Merge(other);
    EXPECT_NE(nullBox.IsNULL(), 0);
    box.Merge(nullBox);
    EXPECT_EQ(box.GetMax().y, -4.0);
    nullBox.Merge(box);
    EXPECT_EQ(nullBox.IsNULL(), 0);
    EXPECT_EQ(nullBox.GetMin().z, 5.0);

    ZrBoundingBox b2(ZrVector3d(-1, -1, -1), ZrVector3d(0, 0, 0));
    box.Merge(b2);
    EXPECT_EQ(box.GetMin().x, -1.0);
    EXPECT_EQ(box.GetMax().x, 3.0);
    EXPECT_EQ(box.GetMin().y, -4.0);
    EXPECT_EQ(box.GetMax().y, 0.0);
    box.SetNULL();
    EXPECT_NE(box.IsNULL(), 0);
    EXPECT_EQ(box.GetMin().x, DBL_MAX);
    box.SetMin(ZrVector3d(1, 1, 1));
    EXPECT_EQ(box.IsNULL(), 0);
}

TEST(ZrMathEngineTest, SphericalToCartesian)
{
    const double r = 6378137.0;
    const ZrVector3d origin = ZRC::ZrMathEngine::SphericalToCartesian(0, 0, r);
    EXPECT_DOUBLE_EQ(origin.x, r);
    EXPECT_NEAR(origin.y, 0, 1e-6);
    EXPECT_NEAR(origin.z, 0, 1e-6);
    const double deg = 0.017453292519943295;
    const ZrVector3d pole = ZRC::ZrMathEngine::SphericalToCartesian(45 * deg, 90 * deg, r);
    EXPECT_NEAR(pole.z, r, 1e-6);
    EXPECT_NEAR(std::hypot(pole.x, pole.y), 0, 1e-6);
    const ZrVector3d p = ZRC::ZrMathEngine::SphericalToCartesian(90 * deg, 30 * deg, r);
    EXPECT_NEAR(p.x, 0, 1e-6);
    EXPECT_NEAR(p.y, r * std::cos(30 * deg), 1e-6);
    EXPECT_NEAR(p.z, r * 0.5, 1e-6);
    EXPECT_NEAR(p.Length(), r, 1e-6);
}

TEST(ZrMutexTest, ExcludesOtherThreads)
{
    ZRC::ZrMutex mutex(0);
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

    mutex.lock();
    std::atomic<bool> acquired(true);
    std::thread other([&] { acquired = mutex.try_lock(); });
    other.join();
    EXPECT_FALSE(acquired);
    mutex.unlock();
    EXPECT_TRUE(mutex.try_lock());
    mutex.unlock();

    ZRC::ZrMutex owned(1);
    std::thread probe([&] { acquired = owned.try_lock(); });
    probe.join();
    EXPECT_FALSE(acquired);
    owned.unlock();
}
