#pragma once
#include "ZrCounter.h"
#include "ZrPlacer.h"
#include "VexaArray.h"
#include "VexaPoint2D.h"
#include "ZrShooter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace emission_test {

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

inline VEXA::VexaArray<VEXA::VexaPoint2D> Ring(const std::vector<std::pair<double, double>>& points)
{
    VEXA::VexaArray<VEXA::VexaPoint2D> ring;
    for (const auto& p : points)
        ring.Add(VEXA::VexaPoint2D(p.first, p.second));
    return ring;
}

inline void ExpectVector(const ZRC::ZrVector3d& v, double x, double y, double z, double tolerance = 0.0)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

template <class T>
std::string Xml(T& part)
{
    VEXA::VexaString text;
    EXPECT_EQ(part.ToXML(text), 1);
    return std::string(text);
}

class MockCounter : public ZRC::ZrCounter {
public:
    MOCK_METHOD(int, GetType, (), (const, override));
    MOCK_METHOD(int, GetCount, (double), (override));
    MOCK_METHOD(unsigned char, FromXML, (VEXA::VexaString&), (override));
    MOCK_METHOD(unsigned char, ToXML, (VEXA::VexaString&), (override));
};

class MockPlacer : public ZRC::ZrPlacer {
public:
    MOCK_METHOD(int, GetType, (), (const, override));
    MOCK_METHOD(void, Place, (ZRC::ZrParticle*, double), (override));
    MOCK_METHOD(ZRC::ZrVector3d, GetPosition, (), (override));
    MOCK_METHOD(unsigned char, FromXML, (VEXA::VexaString&), (override));
    MOCK_METHOD(unsigned char, ToXML, (VEXA::VexaString&), (override));
};

class MockShooter : public ZRC::ZrShooter {
public:
    MOCK_METHOD(int, GetType, (), (const, override));
    MOCK_METHOD(void, Shoot, (ZRC::ZrParticle*, double), (override));
    MOCK_METHOD(unsigned char, FromXML, (VEXA::VexaString&), (override));
    MOCK_METHOD(unsigned char, ToXML, (VEXA::VexaString&), (override));
};

// Each source (type codes 1, 2, ...) is read back by the blank of its own type
// only, the others refuse it unchanged, and its clone writes the same document;
// an object merely claiming the type code is not cloned.
template <class Base, class Mock, class... Blank>
void CheckFamily(const std::vector<Base*>& sources)
{
    std::unique_ptr<Base> blanks[] = {std::unique_ptr<Base>(new Blank)...};
    for (size_t i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sources[i]->GetType(), static_cast<int>(i + 1));
        const std::string text = Xml(*sources[i]);
        VEXA::VexaString xml(text.c_str());
        for (size_t j = 0; j < sizeof...(Blank); ++j) {
            const std::string before = Xml(*blanks[j]);
            EXPECT_EQ(blanks[j]->FromXML(xml), i == j ? 1 : 0) << j;
            EXPECT_EQ(Xml(*blanks[j]), i == j ? text : before) << "a refused document changes nothing";
        }
        std::unique_ptr<Base> clone(Base::Clone(sources[i]));
        EXPECT_EQ(clone && clone->GetType() == sources[i]->GetType() ? Xml(*clone) : "", text);
        Mock foreign;
        EXPECT_CALL(foreign, GetType()).WillRepeatedly(testing::Return(static_cast<int>(i + 1)));
        EXPECT_EQ(Base::Clone(&foreign), nullptr);
    }
    EXPECT_EQ(Base::Clone(nullptr), nullptr);
}

} // namespace emission_test
