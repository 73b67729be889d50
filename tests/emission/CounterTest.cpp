#include "EmissionTestSupport.h"
#include "ZrCommonCounter.h"
#include "ZrFadeCounter.h"

#include <climits>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace ZRC;
using namespace emission_test;

// rate * dt + 0.5 truncated, at least one, saturating at INT_MAX.
TEST(Counter, CommonCountRoundsHalfUpWithAMinimumOfOne)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        int rate;
        double dt;
        int expected;
    } cases[] = {
        {50, 0.1, 5},  {50, 0.05, 3}, {50, 0.001, 1}, {50, 0.0, 1},      {50, 1.0, 50},
        {10, 0.25, 3}, {10, 0.24, 2}, {3, 0.5, 2},    {0, 100.0, 1},     {-20, 1.0, 1},
        {INT_MAX, 10.0, INT_MAX},     {50, 1e300, INT_MAX},              {50, inf, INT_MAX},
        {50, -inf, 1}, {50, std::numeric_limits<double>::quiet_NaN(), 1}, {INT_MIN, 1e10, 1},
    };
    for (const auto& c : cases) {
        ZrCommonCounter counter;
        counter.SetCountPerSecond(c.rate);
        EXPECT_EQ(counter.GetCount(c.dt), c.expected) << c.rate << " " << c.dt;
    }
    ZrCommonCounter counter;
    EXPECT_EQ(counter.GetCount(0.1), 5) << "50 a second by default";
    EXPECT_EQ(counter.Reset(), 0);
}

TEST(Counter, FadeReleasesOneBurstUntilResetOrRead)
{
    ZrFadeCounter counter;
    counter.SetCountPerSecond(-3);
    EXPECT_EQ(counter.GetCount(1.0), -3);
    EXPECT_EQ(counter.GetCount(1.0), 0);
    counter.SetCountPerSecond(40);
    EXPECT_EQ(counter.Reset(), 1);
    EXPECT_EQ(counter.IsFired(), 0);
    EXPECT_EQ(counter.GetCount(0.1), 40);
    EXPECT_EQ(counter.IsFired(), 1);
    EXPECT_EQ(counter.GetCount(5.0), 0);
    // The fired state is not in the document: a counter reading one is armed again.
    VEXA::VexaString text(Xml(counter).c_str());
    EXPECT_EQ(counter.FromXML(text), 1);
    EXPECT_EQ(counter.GetCount(0.1), 40);
}

TEST(Counter, DocumentsCopiesAndClones)
{
    ZrCommonCounter common;
    common.SetCountPerSecond(-12);
    EXPECT_EQ(Xml(common), "<Counter>\n\t<CounterType>CommonCounter</CounterType>\n\t<NumPerSecond>-12</NumPerSecond>\n</Counter>\n");
    ZrFadeCounter fade;
    fade.SetCountPerSecond(25);
    fade.GetCount(0.0);
    CheckFamily<ZrCounter, MockCounter, ZrCommonCounter, ZrFadeCounter>({&common, &fade});
    std::unique_ptr<ZrCounter> spent(ZrCounter::Clone(&fade));
    EXPECT_EQ(spent->GetCount(0.0), 0) << "a clone of a spent burst is spent";
    EXPECT_EQ(common.Copy(common) + fade.Copy(fade), 0);
    MockCounter bare; // only the interface
    EXPECT_EQ(bare.ZrCounter::GetType() + bare.ZrCounter::Reset(), 0);
}

TEST(Counter, NumbersFollowAtoiAndTheWrittenOrder)
{
    const struct {
        const char* body;
        unsigned char result;
        int expected;
    } cases[] = {
        {"<NumPerSecond>12.7</NumPerSecond>", 1, 12},
        {"<CounterType>CommonCounter</CounterType><NumPerSecond>many</NumPerSecond>", 1, 0},
        {"<CounterType>CommonCounter</CounterType>", 1, 8},
        {"<NumPerSecond>99999999999999999999</NumPerSecond>", 1, INT_MAX},
        {"<NumPerSecond>-3000000000</NumPerSecond>", 1, INT_MIN},
        {"<NumPerSecond>  +42abc</NumPerSecond>", 1, 42},
        {"<NumPerSecond>5</NumPerSecond><CounterType>CommonCounter</CounterType>", 1, 8},
        {"<CounterType>FadeCounter</CounterType><NumPerSecond>77</NumPerSecond>", 0, 8},
        {"<CounterType>commoncounter</CounterType><NumPerSecond>77</NumPerSecond>", 0, 8},
        {"<NumPerSecond>5</Counter>", 0, 8},
    };
    for (const auto& c : cases) {
        ZrCommonCounter counter;
        counter.SetCountPerSecond(8);
        VEXA::VexaString text((std::string("<Counter>") + c.body + "</Counter>").c_str());
        EXPECT_EQ(counter.FromXML(text), c.result) << c.body;
        EXPECT_EQ(counter.GetCountPerSecond(), c.expected) << c.body;
    }
    ZrCommonCounter counter;
    VEXA::VexaString other("<Emitter><NumPerSecond>5</NumPerSecond></Emitter>");
    EXPECT_EQ(counter.FromXML(other), 0);
}

// Steady emission: after any run of steps the counter has answered
// round(rate * time), halves up; rates of 0 or below answer nothing.
TEST(Counter, SteadyEmissionCarriesTheFractionAcrossSteps)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        int rate;
        double dt;
        int steps;
        std::vector<int> firstCounts;
        long long total;
    } cases[] = {
        {8, 1.0 / 30.0, 30, {0, 1, 0, 0}, 8},    {8, 1.0 / 60.0, 60, {0, 0, 0, 1}, 8},
        {50, 0.05, 4, {3, 2, 3, 2}, 10},         {160, 1.0 / 60.0, 600, {3, 2, 3, 3}, 1600},
        {0, 1.0, 3, {0, 0, 0}, 0},               {-20, 1.0, 3, {0, 0, 0}, 0},
        {50, 0.0, 3, {0, 0, 0}, 0},              {50, -1.0, 2, {0, 0}, 0},
        {50, nan, 2, {0, 0}, 0},                 {INT_MAX, 10.0, 1, {INT_MAX}, INT_MAX},
    };
    for (const auto& c : cases) {
        ZrCommonCounter counter;
        counter.SetCountPerSecond(c.rate);
        counter.SetSteadyEmission(true);
        long long total = 0;
        std::vector<int> first;
        for (int i = 0; i < c.steps; ++i) {
            const int n = counter.GetCount(c.dt);
            total += n;
            if (first.size() < c.firstCounts.size())
                first.push_back(n);
        }
        EXPECT_EQ(first, c.firstCounts) << c.rate << " " << c.dt;
        EXPECT_EQ(total, c.total) << c.rate << " " << c.dt;
    }
    // A copy carries the fraction; switching back restores the prescribed rule.
    ZrCommonCounter counter;
    counter.SetCountPerSecond(8);
    counter.SetSteadyEmission(true);
    for (int i = 0; i < 3; ++i)
        counter.GetCount(1.0 / 60.0);
    std::unique_ptr<ZrCounter> clone(ZrCounter::Clone(&counter));
    EXPECT_EQ(clone->GetCount(1.0 / 60.0), 1) << "the fourth step of 1/60 s completes the first particle";
    EXPECT_TRUE(static_cast<ZrCommonCounter*>(clone.get())->GetSteadyEmission());
    counter.SetSteadyEmission(false);
    EXPECT_EQ(counter.GetCount(1.0 / 60.0), 1);
    EXPECT_EQ(ZrCommonCounter().GetSteadyEmission(), false);
}
