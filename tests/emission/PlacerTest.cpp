// The placer interface, the shared "Placer" element, cloning, and the box and
// point placers.
#include "EmissionTestSupport.h"
#include "ZrBoxPlacer.h"
#include "ZrMarkup.h"
#include "ZrParticle.h"
#include "ZrPointPlacer.h"
#include "ZrPolygonPlacer.h"
#include "ZrRegionPlacer.h"
#include "ZrScrewPlacer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace ZRC;
using emission_test::CountDraws;
using emission_test::Draws;

namespace {

const ZrVector3d kSentinel(-123.0, 456.0, -789.0);

void ExpectVector(const ZrVector3d& v, double x, double y, double z, double tolerance = 0.0)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

ZrParticle MarkedParticle()
{
    ZrParticle particle;
    particle.SetPosition(kSentinel);
    return particle;
}

// The names and texts of the children of the root "Placer" element, in order;
// "Position" is listed with its own children flattened after it.
std::vector<std::pair<std::string, std::string>> PlacerChildren(const VEXA::VexaString& text)
{
    std::vector<std::pair<std::string, std::string>> children;
    ZrMarkup doc(text);
    if (!doc.FindElem("Placer"))
        return children;
    while (doc.FindChildElem(nullptr)) {
        const std::string name = doc.GetChildTagName().GetString();
        children.emplace_back(name, doc.GetChildData().GetString());
        if (name == "Position") {
            doc.IntoElem();
            while (doc.FindChildElem(nullptr))
                children.emplace_back(doc.GetChildTagName().GetString(), doc.GetChildData().GetString());
            doc.OutOfElem();
        }
    }
    return children;
}

using Children = std::vector<std::pair<std::string, std::string>>;

class InterfaceOnlyPlacer : public ZrPlacer {
public:
    explicit InterfaceOnlyPlacer(int type = 0) : m_type(type) {}
    int GetType() const override { return m_type == 0 ? ZrPlacer::GetType() : m_type; }
    void Place(ZrParticle*, double) override {}
    ZrVector3d GetPosition() override { return ZrVector3d(); }
    unsigned char FromXML(VEXA::VexaString&) override { return 1; }
    unsigned char ToXML(VEXA::VexaString&) override { return 1; }

private:
    int m_type;
};

} // namespace

TEST(BoxPlacer, NullBoxLeavesParticlesAndDrawsNothing)
{
    ZrBoxPlacer placer;
    EXPECT_EQ(placer.GetType(), 1);
    EXPECT_TRUE(placer.GetBox().IsNULL());
    ZrParticle particle = MarkedParticle();
    EXPECT_EQ(CountDraws(5, [&] { placer.Place(&particle, 0.1); }), 0);
    ExpectVector(particle.GetCurPos(), kSentinel.x, kSentinel.y, kSentinel.z);

    // Read from a document: still no box.
    VEXA::VexaString text("<Placer><PlacerType>BoxPlacer</PlacerType></Placer>");
    ZrBoxPlacer read;
    EXPECT_EQ(read.FromXML(text), 1);
    EXPECT_TRUE(read.GetBox().IsNULL());
    read.Place(&particle, 0.1);
    ExpectVector(particle.GetCurPos(), kSentinel.x, kSentinel.y, kSentinel.z);
}

TEST(BoxPlacer, DrawsEachComponentOverTheWholeRange)
{
    ZrBoxPlacer source;
    source.SetBox(ZrBoundingBox(ZrVector3d(0, 0, 0), ZrVector3d(2, 4, 6)));
    ZrBoxPlacer placer;
    ASSERT_EQ(placer.Copy(source), 1);
    ASSERT_FALSE(placer.GetBox().IsNULL());

    const std::vector<int> r = Draws(99, 3);
    ZrParticle particle = MarkedParticle();
    std::srand(99);
    placer.Place(&particle, 0.0);
    // The draws are scaled by the generator's real maximum, x then y then z.
    const ZrVector3d p = particle.GetCurPos();
    EXPECT_DOUBLE_EQ(p.x, 2.0 * r[0] / static_cast<double>(RAND_MAX));
    EXPECT_DOUBLE_EQ(p.y, 4.0 * r[1] / static_cast<double>(RAND_MAX));
    EXPECT_DOUBLE_EQ(p.z, 6.0 * r[2] / static_cast<double>(RAND_MAX));
    EXPECT_EQ(CountDraws(7, [&] { placer.Place(&particle, 0.0); }), 3);

    double maxX = 0.0;
    std::srand(3);
    for (int i = 0; i < 2000; ++i) {
        placer.Place(&particle, 0.0);
        const ZrVector3d q = particle.GetCurPos();
        ASSERT_GE(q.x, 0.0);
        ASSERT_LE(q.x, 2.0);
        ASSERT_GE(q.y, 0.0);
        ASSERT_LE(q.y, 4.0);
        ASSERT_GE(q.z, 0.0);
        ASSERT_LE(q.z, 6.0);
        maxX = std::max(maxX, q.x);
    }
    EXPECT_GT(maxX, 1.9); // the range is covered, not just its first part
}

TEST(BoxPlacer, DegenerateBoxGivesItsPoint)
{
    ZrBoxPlacer placer;
    placer.SetBox(ZrBoundingBox(ZrVector3d(1.5, -2, 3), ZrVector3d(1.5, -2, 3)));
    ZrParticle particle = MarkedParticle();
    for (int i = 0; i < 5; ++i) {
        placer.Place(&particle, 1.0);
        ExpectVector(particle.GetCurPos(), 1.5, -2.0, 3.0);
    }
}

TEST(BoxPlacer, CopyCarriesPositionAndNullState)
{
    ZrBoxPlacer a;
    a.SetPosition(ZrVector3d(1, 2, 3));
    ZrBoxPlacer b;
    b.SetBox(ZrBoundingBox(ZrVector3d(0, 0, 0), ZrVector3d(1, 1, 1)));
    EXPECT_EQ(b.Copy(a), 1);
    ExpectVector(b.GetPosition(), 1, 2, 3);
    EXPECT_TRUE(b.GetBox().IsNULL());
    EXPECT_EQ(b.Copy(b), 0);
}

TEST(PlacerDocument, BoxWritesTypeAndPositionOnly)
{
    ZrBoxPlacer placer;
    placer.SetPosition(ZrVector3d(1, 2, 3));
    placer.SetBox(ZrBoundingBox(ZrVector3d(0, 0, 0), ZrVector3d(9, 9, 9)));
    VEXA::VexaString text("junk");
    EXPECT_EQ(placer.ToXML(text), 1);
    const Children expected = {{"PlacerType", "BoxPlacer"}, {"Position", ""},        {"Position:X", "1.000000"},
                               {"Position:Y", "2.000000"},  {"Position:Z", "3.000000"}};
    EXPECT_EQ(PlacerChildren(text), expected);

    ZrBoxPlacer other;
    EXPECT_EQ(other.FromXML(text), 1);
    ExpectVector(other.GetPosition(), 1, 2, 3);
    EXPECT_TRUE(other.GetBox().IsNULL());
}

TEST(PlacerDocument, TagIsOptionalButMustMatchExactly)
{
    VEXA::VexaString untyped("<Placer><Position><Position:X>4</Position:X><Position:Y>5</Position:Y>"
                             "<Position:Z>6</Position:Z></Position></Placer>");
    ZrBoxPlacer box;
    EXPECT_EQ(box.FromXML(untyped), 1);
    ExpectVector(box.GetPosition(), 4, 5, 6);

    for (const char* tag : {"PointPlacer", "boxplacer"}) {
        VEXA::VexaString foreign = VEXA::VexaString("<Placer><PlacerType>") + tag +
                                   "</PlacerType><Position><Position:X>9</Position:X></Position></Placer>";
        EXPECT_EQ(box.FromXML(foreign), 0) << tag;
        ExpectVector(box.GetPosition(), 4, 5, 6);
    }
    VEXA::VexaString noPlacer("<Shooter><Position><Position:X>9</Position:X></Position></Shooter>");
    EXPECT_EQ(box.FromXML(noPlacer), 0);
    VEXA::VexaString notXml("<Placer><Position>");
    EXPECT_EQ(box.FromXML(notXml), 0);
    ExpectVector(box.GetPosition(), 4, 5, 6);
}

TEST(PlacerDocument, MissingComponentsKeepTheirValues)
{
    ZrPointPlacer placer;
    placer.SetPosition(ZrVector3d(1, 2, 3));
    VEXA::VexaString onlyY("<Placer><Position><Position:Y>-7.25</Position:Y></Position></Placer>");
    EXPECT_EQ(placer.FromXML(onlyY), 1);
    ExpectVector(placer.GetPosition(), 1, -7.25, 3);
    VEXA::VexaString noPosition("<Placer><PlacerType>PointPlacer</PlacerType></Placer>");
    EXPECT_EQ(placer.FromXML(noPosition), 1);
    ExpectVector(placer.GetPosition(), 1, -7.25, 3);
    // Components are looked for in the order X, Y, Z.
    VEXA::VexaString reversed("<Placer><Position><Position:Z>30</Position:Z><Position:X>10</Position:X>"
                              "</Position></Placer>");
    EXPECT_EQ(placer.FromXML(reversed), 1);
    ExpectVector(placer.GetPosition(), 10, -7.25, 3);
    VEXA::VexaString text("<Placer><Position><Position:X>abc</Position:X></Position></Placer>");
    EXPECT_EQ(placer.FromXML(text), 1);
    EXPECT_EQ(placer.GetPosition().x, 0.0);
}

TEST(PointPlacer, PlacesAtItsPosition)
{
    ZrPointPlacer placer;
    EXPECT_EQ(placer.GetType(), 2);
    ZrParticle particle = MarkedParticle();
    EXPECT_EQ(CountDraws(11, [&] { placer.Place(&particle, 0.5); }), 0);
    ExpectVector(particle.GetCurPos(), 0, 0, 0);

    VEXA::VexaString text("<Placer><PlacerType>PointPlacer</PlacerType><Position><Position:X>10</Position:X>"
                          "<Position:Y>-5</Position:Y><Position:Z>2.5</Position:Z></Position></Placer>");
    EXPECT_EQ(placer.FromXML(text), 1);
    for (double dt : {0.0, 0.1, 3.0}) {
        particle.SetPosition(kSentinel);
        placer.Place(&particle, dt);
        ExpectVector(particle.GetCurPos(), 10, -5, 2.5);
    }
    VEXA::VexaString region("<Placer><PlacerType>RegionPlacer</PlacerType><Position><Position:X>1</Position:X>"
                            "</Position></Placer>");
    EXPECT_EQ(placer.FromXML(region), 0);
    ExpectVector(placer.GetPosition(), 10, -5, 2.5);
}

TEST(PointPlacer, RoundTripsToSixDecimals)
{
    ZrPointPlacer placer;
    placer.SetPosition(ZrVector3d(0.1234564, -98765.4321, 1e-7));
    VEXA::VexaString text;
    ASSERT_EQ(placer.ToXML(text), 1);
    const Children expected = {{"PlacerType", "PointPlacer"},  {"Position", ""},         {"Position:X", "0.123456"},
                               {"Position:Y", "-98765.432100"}, {"Position:Z", "0.000000"}};
    EXPECT_EQ(PlacerChildren(text), expected);
    ZrPointPlacer read;
    EXPECT_EQ(read.FromXML(text), 1);
    ExpectVector(read.GetPosition(), 0.123456, -98765.4321, 0.0, 1e-9);
    ZrPointPlacer copy;
    EXPECT_EQ(copy.Copy(placer), 1);
    EXPECT_EQ(copy.Copy(copy), 0);
    ExpectVector(copy.GetPosition(), 0.1234564, -98765.4321, 1e-7);
}

TEST(PlacerInterface, SetRegionIsIgnoredByAllButThePolygon)
{
    VEXA::VexaArray<VEXA::VexaPoint2D> square;
    square.Add(VEXA::VexaPoint2D(0, 0));
    square.Add(VEXA::VexaPoint2D(1, 1));
    const VEXA::VexaPoint2D centre(45, 45);

    ZrBoxPlacer box;
    ZrPointPlacer point;
    ZrRegionPlacer region;
    ZrScrewPlacer screw;
    std::vector<ZrPlacer*> placers = {&box, &point, &region, &screw};
    for (ZrPlacer* placer : placers) {
        VEXA::VexaString before;
        placer->ToXML(before);
        placer->SetRegion(square, centre);
        VEXA::VexaString after;
        placer->ToXML(after);
        EXPECT_EQ(before, after) << placer->GetType();
        ExpectVector(placer->GetPosition(), 0, 0, 0);
    }
    EXPECT_TRUE(box.GetBox().IsNULL());
    EXPECT_EQ(screw.GetElapsedTime(), 0.0);

    ZrPolygonPlacer polygon;
    static_cast<ZrPlacer&>(polygon).SetRegion(square, centre);
    EXPECT_EQ(polygon.GetPoints().GetSize(), 2);

    InterfaceOnlyPlacer bare;
    EXPECT_EQ(bare.GetType(), 0);
    bare.SetRegion(square, centre); // the interface's own version does nothing
}

TEST(PlacerClone, KeepsClassAndSettings)
{
    EXPECT_EQ(ZrPlacer::Clone(nullptr), nullptr);

    ZrBoxPlacer box;
    box.SetPosition(ZrVector3d(1, 1, 1));
    box.SetBox(ZrBoundingBox(ZrVector3d(-1, -1, -1), ZrVector3d(1, 1, 1)));
    ZrPointPlacer point;
    point.SetPosition(ZrVector3d(2, 2, 2));
    ZrPolygonPlacer polygon;
    VEXA::VexaArray<VEXA::VexaPoint2D> points;
    points.Add(VEXA::VexaPoint2D(0, 0));
    points.Add(VEXA::VexaPoint2D(3, 4));
    polygon.SetRegion(points, VEXA::VexaPoint2D(1, 1));
    ZrRegionPlacer region;
    region.SetRadius(7.5f);
    ZrScrewPlacer screw;
    ZrParticle particle;
    screw.Place(&particle, 1.5);

    const std::vector<ZrPlacer*> sources = {&box, &point, &polygon, &region, &screw};
    for (ZrPlacer* source : sources) {
        std::unique_ptr<ZrPlacer> copy(ZrPlacer::Clone(source));
        ASSERT_NE(copy, nullptr) << source->GetType();
        EXPECT_NE(copy.get(), source);
        EXPECT_EQ(copy->GetType(), source->GetType());
        VEXA::VexaString a, b;
        source->ToXML(a);
        copy->ToXML(b);
        EXPECT_EQ(a, b) << source->GetType();
    }
    std::unique_ptr<ZrPlacer> boxCopy(ZrPlacer::Clone(&box));
    EXPECT_FALSE(static_cast<ZrBoxPlacer*>(boxCopy.get())->GetBox().IsNULL());
    EXPECT_EQ(static_cast<ZrBoxPlacer*>(boxCopy.get())->GetBox().GetMin().x, -1.0);
    std::unique_ptr<ZrPlacer> polygonCopy(ZrPlacer::Clone(&polygon));
    EXPECT_EQ(static_cast<ZrPolygonPlacer*>(polygonCopy.get())->GetPoints().GetSize(), 2);
    EXPECT_EQ(static_cast<ZrPolygonPlacer*>(polygonCopy.get())->GetMaxCorner().y, 4.0);
    std::unique_ptr<ZrPlacer> screwCopy(ZrPlacer::Clone(&screw));
    EXPECT_EQ(static_cast<ZrScrewPlacer*>(screwCopy.get())->GetElapsedTime(), 1.5);
    std::unique_ptr<ZrPlacer> regionCopy(ZrPlacer::Clone(&region));
    EXPECT_EQ(static_cast<ZrRegionPlacer*>(regionCopy.get())->GetRadius(), 7.5f);

    // Unknown codes, and objects only claiming a known code, are not cloned.
    for (int type : {0, 1, 2, 3, 4, 5, 6, -1}) {
        InterfaceOnlyPlacer foreign(type);
        EXPECT_EQ(ZrPlacer::Clone(&foreign), nullptr) << type;
    }
}
