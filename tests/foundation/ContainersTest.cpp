#include "VexaArray.h"
#include "VexaDict.h"
#include "VexaInstances.h"
#include "VexaPoint2D.h"
#include "VexaString.h"
#include "ZrSort.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using VEXA::VexaArray;
using VEXA::VexaPoint2D;
using VEXA::VexaString;

TEST(VexaArrayTest, GrowthIndexingAppendAndCopies)
{
    VexaArray<float> a;
    EXPECT_EQ(a.GetGrowBy(), 0);
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_THROW(a[0], std::out_of_range);
    a.SetGrowBy(10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(a.Add(static_cast<float>(i) + 0.5f), i);
    EXPECT_EQ(a.GetCapacity(), 10);
    EXPECT_EQ(a.Add(10.0f), 10);
    EXPECT_EQ(a.GetCapacity(), 20);
    EXPECT_EQ(a[1], 1.5f);
    EXPECT_EQ(a.GetData()[10], 10.0f);
    const VexaArray<float>& c = a;
    for (int bad : {-1, 11, -2147483647 - 1})
        EXPECT_THROW(c[bad], std::out_of_range) << bad;

    VexaArray<VexaPoint2D> p;
    p.SetGrowBy(4);
    p.Add(VexaPoint2D(1, 2));
    p.Add(VexaPoint2D(3, 4));
    EXPECT_EQ(p.Append(VexaArray<VexaPoint2D>()), 2);
    EXPECT_EQ(p.Append(p), 2);   // onto itself: returns the old size
    ASSERT_EQ(p.GetSize(), 4);
    EXPECT_EQ(p[3].y, 4.0);
    VexaArray<VexaPoint2D> q;
    q.Copy(p);
    q.Copy(q);
    EXPECT_EQ(q.GetSize(), 4);
    EXPECT_EQ(q.GetGrowBy(), 4);
    VexaArray<VexaPoint2D> r(q);
    r[0].x = 99;
    EXPECT_EQ(q[0].x, 1.0);
    q.Add(VexaPoint2D());
    q.FreeExtra();
    EXPECT_EQ(q.GetCapacity(), 5);
    p.RemoveAll();
    EXPECT_EQ(p.GetCapacity(), 0);
    EXPECT_EQ(p.GetData(), nullptr);
    EXPECT_EQ(p.Add(VexaPoint2D(5, 6)), 0);
    EXPECT_EQ(p.GetCapacity(), 4);   // the step survives RemoveAll
}

TEST(ZrSortTest, SortsInclusiveRangeEitherWay)
{
    float v[] = {3, 1, 2};
    ZRC::ZrSort<float>::QSort(v, 0, 2, 1);
    EXPECT_EQ(std::vector<float>(v, v + 3), (std::vector<float>{1, 2, 3}));
    ZRC::ZrSort<float>::QSort(v, 0, 2, 0);
    EXPECT_EQ(std::vector<float>(v, v + 3), (std::vector<float>{3, 2, 1}));
    float w[] = {9, 5, 7, 1, 0};
    ZRC::ZrSort<float>::QSort(w, 1, 3, 1);   // 9 and 0 stay put
    ZRC::ZrSort<float>::QSort(w, 3, 1, 0);   // reversed bounds: nothing
    EXPECT_EQ(std::vector<float>(w, w + 5), (std::vector<float>{9, 1, 5, 7, 0}));
    ZRC::ZrSort<float>::QSort(nullptr, 0, 4, 1);
}

TEST(VexaDictTest, LookupSetRemoveAndOrderedIteration)
{
    VEXA::VexaDict<VexaString, int*, std::less<VexaString>> d;
    int one = 1;
    int* value = &one;
    EXPECT_EQ(d.IsEOF(d.GetStartPosition()), 1);
    EXPECT_EQ(d.Lookup("fire", value), 0);
    EXPECT_EQ(value, &one);   // untouched
    d.SetAt("fire", nullptr);
    d.SetAt("fire", &one);
    EXPECT_EQ(d.GetCount(), 1);
    ASSERT_EQ(d.Lookup("fire", value), 1);
    EXPECT_EQ(value, &one);
    EXPECT_EQ(d.Lookup("Fire", value), 0);
    d.SetAt("smoke", &one);
    d.SetAt("Snow", &one);
    EXPECT_EQ(d["rain"], nullptr);   // inserted by the lookup
    std::string keys;
    for (auto pos = d.GetStartPosition(); !d.IsEOF(pos);) {
        VexaString key;
        d.GetNextAssoc(pos, key, value);
        keys += key.Str() + (value ? "," : "0,");
    }
    EXPECT_EQ(keys, "Snow,fire,rain0,smoke,");   // byte order: upper case first
    EXPECT_EQ(d.RemoveKey("absent"), 0);
    EXPECT_EQ(d.RemoveKey("fire"), 1);
    EXPECT_EQ(d.RemoveKey("fire"), 0);
    decltype(d) copy(d);
    d.RemoveAll();
    EXPECT_EQ(d.Lookup("smoke", value), 0);
    EXPECT_EQ(copy.Lookup("smoke", value), 1);
    EXPECT_EQ(copy.GetCount(), 3);
}
