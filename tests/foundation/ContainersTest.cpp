#include "VexaArray.h"
#include "VexaDict.h"
#include "VexaInstances.h"
#include "VexaPoint2D.h"
#include "VexaString.h"
#include "ZrSort.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ZRC {
class ZrParticleEffect;
}

using VEXA::VexaArray;
using VEXA::VexaDict;
using VEXA::VexaPoint2D;
using VEXA::VexaString;

TEST(VexaArrayTest, AddReturnsIndexAndGrowsByStep)
{
    VexaArray<float> a;
    EXPECT_EQ(a.GetSize(), 0);
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_EQ(a.GetGrowBy(), 0);
    a.SetGrowBy(10);
    EXPECT_EQ(a.Add(1.5f), 0);
    for (int i = 1; i < 10; ++i)
        EXPECT_EQ(a.Add(static_cast<float>(i)), i);
    EXPECT_EQ(a.GetCapacity(), 10);
    EXPECT_EQ(a.Add(10.0f), 10);
    EXPECT_EQ(a.GetCapacity(), 20);
    EXPECT_EQ(a.GetSize(), 11);
    EXPECT_EQ(a[0], 1.5f);
    EXPECT_EQ(a.GetData()[10], 10.0f);
}

TEST(VexaArrayTest, IndexOutsideThrows)
{
    VexaArray<std::pair<float, float>> a;
    EXPECT_THROW(a[0], std::out_of_range);
    a.Add(std::make_pair(1.0f, 2.0f));
    a.Add(std::make_pair(3.0f, 4.0f));
    EXPECT_EQ(a[1].second, 4.0f);
    EXPECT_THROW(a[-1], std::out_of_range);
    EXPECT_THROW(a[2], std::out_of_range);
    const VexaArray<std::pair<float, float>>& c = a;
    EXPECT_THROW(c[-2147483647 - 1], std::out_of_range);
    EXPECT_EQ(c[0].first, 1.0f);
}

TEST(VexaArrayTest, AppendCopyAndRemoveAll)
{
    VexaArray<VexaPoint2D> a;
    a.SetGrowBy(4);
    a.Add(VexaPoint2D(1, 2));
    a.Add(VexaPoint2D(3, 4));
    VexaArray<VexaPoint2D> empty;
    EXPECT_EQ(a.Append(empty), 2);
    EXPECT_EQ(a.GetSize(), 2);
    EXPECT_EQ(a.Append(a), 2);   // onto itself
    ASSERT_EQ(a.GetSize(), 4);
    EXPECT_EQ(a[3].y, 4.0);

    VexaArray<VexaPoint2D> b;
    b.Copy(a);
    EXPECT_EQ(b.GetSize(), 4);
    EXPECT_EQ(b.GetGrowBy(), 4);
    b.Copy(b);
    EXPECT_EQ(b.GetSize(), 4);
    VexaArray<VexaPoint2D> c(b);
    c[0].x = 99;
    EXPECT_EQ(b[0].x, 1.0);

    a.RemoveAll();
    EXPECT_EQ(a.GetSize(), 0);
    EXPECT_EQ(a.GetCapacity(), 0);
    EXPECT_EQ(a.GetGrowBy(), 4);
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_EQ(a.Add(VexaPoint2D(5, 6)), 0);
    EXPECT_EQ(a.GetCapacity(), 4);

    b.Add(VexaPoint2D());
    b.FreeExtra();
    EXPECT_EQ(b.GetCapacity(), b.GetSize());
    EXPECT_EQ(b[4].x, 0.0);
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
    EXPECT_EQ(std::vector<float>(w, w + 5), (std::vector<float>{9, 1, 5, 7, 0}));
    ZRC::ZrSort<float>::QSort(w, 2, 2, 0);
    EXPECT_EQ(std::vector<float>(w, w + 5), (std::vector<float>{9, 1, 5, 7, 0}));
    ZRC::ZrSort<float>::QSort(w, 3, 1, 1);   // reversed bounds: nothing
    EXPECT_EQ(std::vector<float>(w, w + 5), (std::vector<float>{9, 1, 5, 7, 0}));
    ZRC::ZrSort<float>::QSort(nullptr, 0, 4, 1);
    ZRC::ZrSort<float> s, t;
    s = t;
}

TEST(VexaDictTest, LookupSetAtAndRemove)
{
    typedef VexaDict<VexaString, ZRC::ZrParticleEffect*, std::less<VexaString>> Dict;
    Dict d;
    ZRC::ZrParticleEffect* const fire = reinterpret_cast<ZRC::ZrParticleEffect*>(0x10);
    ZRC::ZrParticleEffect* value = reinterpret_cast<ZRC::ZrParticleEffect*>(0x99);
    EXPECT_EQ(d.Lookup("fire", value), 0);
    EXPECT_EQ(value, reinterpret_cast<ZRC::ZrParticleEffect*>(0x99));   // untouched
    d.SetAt("fire", fire);
    ASSERT_EQ(d.Lookup("fire", value), 1);
    EXPECT_EQ(value, fire);
    d.SetAt("fire", nullptr);
    EXPECT_EQ(d.GetCount(), 1);
    EXPECT_EQ(d.Lookup("fire", value), 1);
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(d.Lookup("Fire", value), 0);

    EXPECT_EQ(d.RemoveKey("absent"), 0);
    EXPECT_EQ(d.RemoveKey("fire"), 1);
    EXPECT_EQ(d.RemoveKey("fire"), 0);
    d.SetAt("a", fire);
    Dict copy(d);
    d.RemoveAll();
    EXPECT_EQ(d.Lookup("a", value), 0);
    EXPECT_EQ(copy.Lookup("a", value), 1);
    const Dict& alias = copy;
    copy = alias;
    EXPECT_EQ(copy.GetCount(), 1);
}

TEST(VexaDictTest, BracketInsertsNullAndIterationIsOrdered)
{
    VexaDict<VexaString, ZRC::ZrParticleEffect*, std::less<VexaString>> d;
    ZRC::ZrParticleEffect* const p = reinterpret_cast<ZRC::ZrParticleEffect*>(0x20);
    d.SetAt("smoke", p);
    d.SetAt("Snow", p);
    d.SetAt("fire", p);
    EXPECT_EQ(d["rain"], nullptr);   // inserted by the lookup
    EXPECT_EQ(d.GetCount(), 4);

    std::string keys;
    int nulls = 0;
    for (auto pos = d.GetStartPosition(); !d.IsEOF(pos);) {
        VexaString key;
        ZRC::ZrParticleEffect* value = p;
        d.GetNextAssoc(pos, key, value);
        keys += key.Str() + ",";
        nulls += value == nullptr;
    }
    EXPECT_EQ(keys, "Snow,fire,rain,smoke,");   // byte order: upper case first
    EXPECT_EQ(nulls, 1);
    decltype(d) empty;
    EXPECT_EQ(empty.IsEOF(empty.GetStartPosition()), 1);
}

TEST(VexaArrayTest, PointerArraysHoldWithoutOwning)
{
    VexaArray<unsigned char*> a;
    unsigned char x = 1;
    a.Add(&x);
    a.Add(nullptr);
    VexaArray<unsigned char*> b;
    b = a;
    EXPECT_EQ(b[0], &x);
    EXPECT_EQ(b[1], nullptr);
    VexaArray<unsigned int> u;
    u.Add(7u);
    VexaArray<unsigned int> v(u);
    EXPECT_EQ(v[0], 7u);
}
