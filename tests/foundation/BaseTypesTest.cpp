#include "VexaArray.h"
#include "VexaDict.h"
#include "VexaPoint2D.h"
#include "VexaString.h"
#include "ZrBoundingBox.h"
#include "ZrMathEngine.h"
#include "ZrMutex.h"
#include "ZrSort.h"
#include "ZrVector4d.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cfloat>
#include <cmath>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using VEXA::VexaArray;
using VEXA::VexaPoint2D;
using VEXA::VexaString;
using ZRC::ZrVector3d;

namespace {
std::vector<double> V(const ZrVector3d& v) { return {v.x, v.y, v.z}; }
} // namespace

TEST(VexaStringTest, FormatCompareAndConcatenate)
{
    VexaString s("stale");
    s.Format("%i", -3);
    EXPECT_STREQ(s, "-3");
    EXPECT_EQ(s.GetLength(), 2);
    s.Format("%f", 1e20);
    EXPECT_STREQ(s, "100000000000000000000.000000");
    s.Format("%f|%f", 0.5, static_cast<double>(0.1f));
    EXPECT_STREQ(s, "0.500000|0.100000");
    const VexaString tag("AccelInfluence");
    EXPECT_EQ(tag.Compare("AccelInfluence") + tag.CompareNoCase("accelINFLUENCE"), 0);
    EXPECT_NE(tag.Compare("accelinfluence"), 0);
    EXPECT_NE(tag.CompareNoCase("AccelInfluencf"), 0);   // same length, one letter apart
    EXPECT_LT(VexaString("a").Compare("b"), 0);
    EXPECT_TRUE(VexaString("a") != "b");
    EXPECT_FALSE(VexaString("a") != "a");
    VexaString folder("/scene/");
    const VexaString path = folder + "./particle/particle.sc";
    folder += "!";
    EXPECT_STREQ(path, "/scene/./particle/particle.sc");
    EXPECT_EQ(VexaString("abcdef", 3).Str(), "abc");
}

TEST(ZrVectorTest, ArithmeticFoldingBoxesAndSpherical)
{
    const VexaPoint2D a(1.5, -2), b(0.5, 4);
    EXPECT_EQ(std::vector<double>({(a + b).y, (a - b).x}), std::vector<double>({2, 1}));
    ZrVector3d w = ZrVector3d(1, 2, 2) * 2.0 - ZrVector3d(1, 1, 1) + -ZrVector3d(1, 2, 2);   // (0, 1, 1)
    w += ZrVector3d(1, 2, 3);
    w -= ZrVector3d(0, 0, 1);
    w *= 0.5;
    EXPECT_EQ(V(w), std::vector<double>({0.5, 1.5, 1.5}));
    EXPECT_EQ(ZrVector3d(1, 2, 2).Length(), 3.0);
    const ZRC::ZrVector4d s(1, 0, 2, 1), e(0, 1, 4, 0), mid = s + (e - s) * 0.25;
    EXPECT_EQ(std::vector<double>({mid.x, mid.y, mid.z, mid.w}), std::vector<double>({0.75, 0.25, 2.5, 0.75}));

    // Folding into the corners of a null box: MakeCeil keeps the smaller components, MakeFloor the larger.
    ZRC::ZrBoundingBox box, empty;
    EXPECT_NE(box.IsNULL(), 0);
    ZrVector3d lo = box.GetMin(), hi = box.GetMax();
    for (const ZrVector3d& p : {ZrVector3d(3, -4, 5), ZrVector3d(2, -3, 6)}) {
        lo.MakeCeil(p);
        hi.MakeFloor(p);
    }
    box.SetExtents(lo, hi);
    EXPECT_EQ(box.IsNULL(), 0);
    box.Merge(empty);
    empty.Merge(box);
    EXPECT_EQ(V(empty.GetMin()), std::vector<double>({2, -4, 5}));
    EXPECT_EQ(V(empty.GetMax()), std::vector<double>({3, -3, 6}));
    box.Merge(ZRC::ZrBoundingBox(ZrVector3d(-1, -1, -1), ZrVector3d(0, 0, 0)));
    EXPECT_EQ(V(box.GetMin()), std::vector<double>({-1, -4, -1}));
    EXPECT_EQ(V(box.GetMax()), std::vector<double>({3, 0, 6}));
    box.SetNULL();
    EXPECT_NE(box.IsNULL(), 0);
    EXPECT_EQ(box.GetMin().x, DBL_MAX);

    const double r = 6378137.0, deg = 0.017453292519943295;
    const ZrVector3d p = ZRC::ZrMathEngine::SphericalToCartesian(90 * deg, 30 * deg, r);
    EXPECT_NEAR(p.x, 0, 1e-6);
    EXPECT_NEAR(p.y, r * std::cos(30 * deg), 1e-6);
    EXPECT_NEAR(p.z, r * 0.5, 1e-6);
}

TEST(ZrMutexTest, NewMutexIsFreeOwnedOneIsNot)
{
    ZRC::ZrMutex mutex, owned(1);
    std::atomic<int> acquired(0);
    std::thread([&] {
        acquired = mutex.try_lock() * 2 + owned.try_lock();
        if (acquired & 2)
            mutex.unlock();
    }).join();
    EXPECT_EQ(acquired, 2);   // a new mutex is free, an owned one is not
    owned.unlock();
}

TEST(VexaArrayTest, GrowthIndexingAppendAndCopies)
{
    VexaArray<VexaPoint2D> a;
    EXPECT_EQ(a.GetGrowBy(), 0);
    EXPECT_THROW(a[0], std::out_of_range);
    a.SetGrowBy(3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(a.Add(VexaPoint2D(i, 0.5)), i);
    EXPECT_EQ(a.GetCapacity(), 3);
    EXPECT_EQ(a.Append(VexaArray<VexaPoint2D>()), 3);
    EXPECT_EQ(a.Append(a), 3);   // onto itself: returns the old size
    EXPECT_EQ(a.GetCapacity(), 6);
    const VexaArray<VexaPoint2D>& c = a;
    EXPECT_EQ(c[5].x + c.GetData()[4].x, 3.0);
    for (int bad : {-1, 6, -2147483647 - 1})
        EXPECT_THROW(c[bad], std::out_of_range) << bad;
    VexaArray<VexaPoint2D> b, d;
    b.Copy(a);
    b.Copy(b);
    d = b;
    d[0].x = 99;
    b.Add(VexaPoint2D());
    b.FreeExtra();
    EXPECT_EQ(b[0].x + b.GetSize() * 10 + b.GetGrowBy() * 100 + b.GetCapacity() * 1000, 7370.0);
    a.RemoveAll();
    EXPECT_EQ(a.GetCapacity() + a.Add(VexaPoint2D()), 0);
    EXPECT_EQ(a.GetCapacity(), 3);   // the step survives RemoveAll
}

TEST(ZrSortTest, SortsInclusiveRangeEitherWay)
{
    float v[] = {3, 1, 2}, w[] = {9, 5, 7, 1, 0};
    ZRC::ZrSort<float>::QSort(v, 0, 2, 0);
    EXPECT_EQ(std::vector<float>(v, v + 3), (std::vector<float>{3, 2, 1}));
    ZRC::ZrSort<float>::QSort(w, 1, 3, 1);   // 9 and 0 stay put
    ZRC::ZrSort<float>::QSort(w, 3, 1, 0);   // reversed bounds: nothing
    ZRC::ZrSort<float>::QSort(nullptr, 0, 4, 1);
    EXPECT_EQ(std::vector<float>(w, w + 5), (std::vector<float>{9, 1, 5, 7, 0}));
}

TEST(VexaDictTest, LookupSetRemoveAndOrderedIteration)
{
    VEXA::VexaDict<VexaString, int*, std::less<VexaString>> d;
    int one = 1;
    int* value = &one;
    EXPECT_EQ(d.IsEOF(d.GetStartPosition()), 1);
    EXPECT_EQ(d.Lookup("fire", value), 0);
    d.SetAt("fire", nullptr);
    EXPECT_EQ(d.Lookup("fire", value) + d.Lookup("Fire", value), 1);
    EXPECT_EQ(value, nullptr);
    d.SetAt("smoke", &one);
    d.SetAt("Snow", &one);
    EXPECT_EQ(d["rain"], nullptr);   // inserted by the lookup
    std::string keys;
    for (auto pos = d.GetStartPosition(); !d.IsEOF(pos);) {
        VexaString key;
        d.GetNextAssoc(pos, key, value);
        keys += key.Str() + (value ? "," : "0,");
    }
    EXPECT_EQ(keys, "Snow,fire0,rain0,smoke,");
    EXPECT_EQ(d.RemoveKey("fire") * 10 + d.RemoveKey("fire"), 10);
    decltype(d) copy(d);
    d.RemoveAll();
    EXPECT_EQ(d.Lookup("smoke", value), 0);
    EXPECT_EQ(copy.Lookup("smoke", value), 1);
    EXPECT_EQ(copy.GetCount(), 3);
}
