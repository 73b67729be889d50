#include "VexaArray.h"
#include "VexaDict.h"
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
