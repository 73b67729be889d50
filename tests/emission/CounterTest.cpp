#include "ZrCommonCounter.h"
#include "ZrCounter.h"
#include "ZrFadeCounter.h"
#include "ZrMarkup.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>

using namespace ZRC;

namespace {

VEXA::VexaString CounterDoc(const char* type, const char* num)
{
    VEXA::VexaString text("<Counter>");
    if (type)
        text += (VEXA::VexaString("<CounterType>") + type + "</CounterType>").GetString();
    if (num)
        text += (VEXA::VexaString("<NumPerSecond>") + num + "</NumPerSecond>").GetString();
    text += "</Counter>";
    return text;
}

} // namespace

TEST(CommonCounter, RoundsHalfUpWithAMinimumOfOne)
{
    ZrCommonCounter counter;
    EXPECT_EQ(counter.GetType(), 1);
    EXPECT_EQ(counter.GetCountPerSecond(), 50);
    EXPECT_EQ(counter.GetCount(0.1), 5);   // 5.5 truncated
    EXPECT_EQ(counter.GetCount(0.05), 3);  // 2.5 + 0.5
    EXPECT_EQ(counter.GetCount(0.001), 1); // 0.55 truncated to 0, raised to 1
    EXPECT_EQ(counter.GetCount(0.0), 1);
    EXPECT_EQ(counter.GetCount(1.0), 50);
    counter.SetCountPerSecond(10);
    EXPECT_EQ(counter.GetCount(0.25), 3);
    EXPECT_EQ(counter.GetCount(0.24), 2);
}

TEST(CommonCounter, NonPositiveRatesStillGiveOne)
{
    ZrCommonCounter counter;
    for (int rate : {0, -20}) {
        counter.SetCountPerSecond(rate);
        for (double dt : {0.0, 0.1, 1.0, 100.0})
            EXPECT_EQ(counter.GetCount(dt), 1) << rate << " " << dt;
    }
}

TEST(CommonCounter, HugeOrNonFiniteProductsSaturateInsteadOfOverflowing)
{
    ZrCommonCounter counter;
    counter.SetCountPerSecond(INT_MAX);
    EXPECT_EQ(counter.GetCount(10.0), INT_MAX);
    counter.SetCountPerSecond(50);
    EXPECT_EQ(counter.GetCount(1e300), INT_MAX);
    EXPECT_EQ(counter.GetCount(std::numeric_limits<double>::infinity()), INT_MAX);
    EXPECT_EQ(counter.GetCount(-std::numeric_limits<double>::infinity()), 1);
    EXPECT_EQ(counter.GetCount(std::numeric_limits<double>::quiet_NaN()), 1);
    counter.SetCountPerSecond(INT_MIN);
    EXPECT_EQ(counter.GetCount(1e10), 1);
}

TEST(CommonCounter, ResetDoesNothing)
{
    ZrCommonCounter counter;
    counter.SetCountPerSecond(7);
    EXPECT_EQ(counter.Reset(), 0);
    EXPECT_EQ(counter.GetCountPerSecond(), 7);
}

TEST(FadeCounter, ReleasesOneBurstUntilReset)
{
    ZrFadeCounter counter;
    EXPECT_EQ(counter.GetType(), 2);
    counter.SetCountPerSecond(40);
    EXPECT_EQ(counter.IsFired(), 0);
    EXPECT_EQ(counter.GetCount(0.1), 40);
    EXPECT_EQ(counter.IsFired(), 1);
    EXPECT_EQ(counter.GetCount(0.1), 0);
    EXPECT_EQ(counter.GetCount(5.0), 0);
    EXPECT_EQ(counter.Reset(), 1);
    EXPECT_EQ(counter.GetCount(0.0), 40);
    EXPECT_EQ(counter.GetCount(0.0), 0);
}

TEST(FadeCounter, NonPositiveBurstStillSpendsTheCounter)
{
    ZrFadeCounter counter;
    counter.SetCountPerSecond(-3);
    EXPECT_EQ(counter.GetCount(1.0), -3);
    EXPECT_EQ(counter.IsFired(), 1);
    EXPECT_EQ(counter.GetCount(1.0), 0);
}

TEST(CounterDocument, WritesTypeAndNumberInOrder)
{
    ZrCommonCounter common;
    common.SetCountPerSecond(-12);
    VEXA::VexaString text("old content");
    EXPECT_EQ(common.ToXML(text), 1);
    ZrMarkup doc(text);
    ASSERT_TRUE(doc.FindElem("Counter"));
    ASSERT_TRUE(doc.FindChildElem(nullptr));
    EXPECT_STREQ(doc.GetChildTagName(), "CounterType");
    EXPECT_STREQ(doc.GetChildData(), "CommonCounter");
    ASSERT_TRUE(doc.FindChildElem(nullptr));
    EXPECT_STREQ(doc.GetChildTagName(), "NumPerSecond");
    EXPECT_STREQ(doc.GetChildData(), "-12");
    EXPECT_FALSE(doc.FindChildElem(nullptr));

    ZrFadeCounter fade;
    EXPECT_EQ(fade.ToXML(text), 1);
    ZrMarkup fadeDoc(text);
    ASSERT_TRUE(fadeDoc.FindElem("Counter"));
    ASSERT_TRUE(fadeDoc.FindChildElem("CounterType"));
    EXPECT_STREQ(fadeDoc.GetChildData(), "FadeCounter");
}

TEST(CounterDocument, RoundTripsAndComesBackArmed)
{
    ZrCommonCounter common;
    VEXA::VexaString text;
    common.ToXML(text);
    ZrCommonCounter commonRead;
    commonRead.SetCountPerSecond(3);
    EXPECT_EQ(commonRead.FromXML(text), 1);
    EXPECT_EQ(commonRead.GetCountPerSecond(), 50);

    ZrFadeCounter spent;
    spent.SetCountPerSecond(40);
    spent.GetCount(0.1);
    ASSERT_EQ(spent.IsFired(), 1);
    spent.ToXML(text);
    ZrFadeCounter fresh;
    EXPECT_EQ(fresh.FromXML(text), 1);
    EXPECT_EQ(fresh.GetCountPerSecond(), 40);
    EXPECT_EQ(fresh.IsFired(), 0);
    // A spent counter that reads a document is armed again.
    EXPECT_EQ(spent.FromXML(text), 1);
    EXPECT_EQ(spent.IsFired(), 0);
    EXPECT_EQ(spent.GetCount(0.1), 40);
}

TEST(CounterDocument, RefusesMissingElementAndForeignType)
{
    ZrCommonCounter common;
    common.SetCountPerSecond(9);
    VEXA::VexaString fadeDoc = CounterDoc("FadeCounter", "77");
    EXPECT_EQ(common.FromXML(fadeDoc), 0);
    EXPECT_EQ(common.GetCountPerSecond(), 9);
    VEXA::VexaString lower = CounterDoc("commoncounter", "77");
    EXPECT_EQ(common.FromXML(lower), 0);
    EXPECT_EQ(common.GetCountPerSecond(), 9);
    VEXA::VexaString other("<Emitter><NumPerSecond>5</NumPerSecond></Emitter>");
    EXPECT_EQ(common.FromXML(other), 0);
    VEXA::VexaString broken("<Counter><NumPerSecond>5</Counter>");
    EXPECT_EQ(common.FromXML(broken), 0);
    EXPECT_EQ(common.GetCountPerSecond(), 9);

    ZrFadeCounter fade;
    fade.GetCount(0.0);
    VEXA::VexaString commonDoc = CounterDoc("CommonCounter", "77");
    EXPECT_EQ(fade.FromXML(commonDoc), 0);
    EXPECT_EQ(fade.GetCountPerSecond(), 50);
    EXPECT_EQ(fade.IsFired(), 1);
}

TEST(CounterDocument, NumbersFollowAtoi)
{
    ZrCommonCounter counter;
    VEXA::VexaString untyped = CounterDoc(nullptr, "12.7");
    EXPECT_EQ(counter.FromXML(untyped), 1);
    EXPECT_EQ(counter.GetCountPerSecond(), 12);
    VEXA::VexaString words = CounterDoc("CommonCounter", "many");
    EXPECT_EQ(counter.FromXML(words), 1);
    EXPECT_EQ(counter.GetCountPerSecond(), 0);
    counter.SetCountPerSecond(8);
    VEXA::VexaString missing = CounterDoc("CommonCounter", nullptr);
    EXPECT_EQ(counter.FromXML(missing), 1);
    EXPECT_EQ(counter.GetCountPerSecond(), 8);
    // Numbers beyond the range of int saturate.
    VEXA::VexaString huge = CounterDoc("CommonCounter", "99999999999999999999");
    EXPECT_EQ(counter.FromXML(huge), 1);
    EXPECT_EQ(counter.GetCountPerSecond(), INT_MAX);
    VEXA::VexaString hugeNegative = CounterDoc("CommonCounter", "-3000000000");
    EXPECT_EQ(counter.FromXML(hugeNegative), 1);
    EXPECT_EQ(counter.GetCountPerSecond(), INT_MIN);
    VEXA::VexaString spaced = CounterDoc("CommonCounter", "  +42abc");
    EXPECT_EQ(counter.FromXML(spaced), 1);
    EXPECT_EQ(counter.GetCountPerSecond(), 42);
    counter.SetCountPerSecond(8);
    // The number must follow the type element.
    VEXA::VexaString reversed("<Counter><NumPerSecond>5</NumPerSecond><CounterType>CommonCounter</CounterType></Counter>");
    EXPECT_EQ(counter.FromXML(reversed), 1);
    EXPECT_EQ(counter.GetCountPerSecond(), 8);
}

TEST(CounterCopy, CopiesFieldsAndRefusesSelf)
{
    ZrFadeCounter a;
    a.SetCountPerSecond(11);
    a.GetCount(0.0);
    ZrFadeCounter b;
    EXPECT_EQ(b.Copy(a), 1);
    EXPECT_EQ(b.GetCountPerSecond(), 11);
    EXPECT_EQ(b.IsFired(), 1);
    EXPECT_EQ(b.Copy(b), 0);
    EXPECT_EQ(b.GetCountPerSecond(), 11);

    ZrCommonCounter c;
    c.SetCountPerSecond(4);
    ZrCommonCounter d;
    EXPECT_EQ(d.Copy(c), 1);
    EXPECT_EQ(d.GetCountPerSecond(), 4);
    EXPECT_EQ(d.Copy(d), 0);
}

namespace {
class ForeignCounter : public ZrCounter {
public:
    explicit ForeignCounter(int type) : m_type(type) {}
    int GetType() const override { return m_type; }
    int GetCount(double) override { return 0; }
    unsigned char FromXML(VEXA::VexaString&) override { return 1; }
    unsigned char ToXML(VEXA::VexaString&) override { return 1; }

private:
    int m_type;
};
} // namespace

TEST(CounterClone, DispatchesOnTypeAndKeepsState)
{
    EXPECT_EQ(ZrCounter::Clone(nullptr), nullptr);

    ZrFadeCounter spent;
    spent.SetCountPerSecond(25);
    spent.GetCount(0.0);
    std::unique_ptr<ZrCounter> fadeCopy(ZrCounter::Clone(&spent));
    ASSERT_NE(fadeCopy, nullptr);
    EXPECT_EQ(fadeCopy->GetType(), 2);
    EXPECT_EQ(fadeCopy->GetCountPerSecond(), 25);
    EXPECT_EQ(fadeCopy->GetCount(0.0), 0); // still spent
    EXPECT_EQ(fadeCopy->Reset(), 1);
    EXPECT_EQ(fadeCopy->GetCount(0.0), 25);

    ZrCommonCounter common;
    common.SetCountPerSecond(30);
    std::unique_ptr<ZrCounter> commonCopy(ZrCounter::Clone(&common));
    ASSERT_NE(commonCopy, nullptr);
    EXPECT_EQ(commonCopy->GetType(), 1);
    EXPECT_EQ(commonCopy->GetCount(1.0), 30);

    // An interface-only object, or one only claiming a known code, is not cloned.
    ForeignCounter none(0), claimsCommon(1), claimsFade(2), unknown(3);
    EXPECT_EQ(none.ZrCounter::GetType(), 0);
    EXPECT_EQ(none.ZrCounter::Reset(), 0);
    EXPECT_EQ(ZrCounter::Clone(&none), nullptr);
    EXPECT_EQ(ZrCounter::Clone(&claimsCommon), nullptr);
    EXPECT_EQ(ZrCounter::Clone(&claimsFade), nullptr);
    EXPECT_EQ(ZrCounter::Clone(&unknown), nullptr);
}
