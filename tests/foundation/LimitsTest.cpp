// Limits on untrusted documents and containers: markup size and depth, the
// cost of sub-documents, document numbers, and capped container reads.
#include "NbTestSupport.h"
#include "ZrCacheFile.h"
#include "ZrDocumentValues.h"
#include "ZrMarkup.h"

#include <cfloat>
#include <climits>

using namespace ZRC;

namespace {

std::string Chain(int depth)
{
    std::string s;
    for (int i = 0; i < depth; ++i)
        s += "<e>";
    s += "x";
    for (int i = 0; i < depth; ++i)
        s += "</e>";
    return s;
}

} // namespace

TEST(Limits, MarkupDepthAndSizeAndLinearSubDocs)
{
    const unsigned int max = ZrMarkup::kMaxDepth;
    ZrMarkup deep;
    EXPECT_EQ(deep.SetDoc(Chain(static_cast<int>(max) + 1).c_str()), 0);
    EXPECT_EQ(deep.FindElem("e"), 0);
    ZrMarkup host("<R><S/></R>");
    ASSERT_EQ(host.FindElem("R"), 1);
    EXPECT_EQ(host.AddSubDoc(Chain(static_cast<int>(max) + 1).c_str(), 0, 1), 0);

    // At the limit it reads, and the sub-document of the outer element holds
    // its content without indentation: its size is that of the source.
    const std::string chain = Chain(static_cast<int>(max) - 1);
    ZrMarkup ok(("<R>" + chain + "</R>").c_str());
    ASSERT_EQ(ok.FindElem("R"), 1);
    ASSERT_EQ(ok.FindChildElem("e"), 1);
    EXPECT_EQ(std::string(ok.GetChildSubDoc().Str()), chain);
    ASSERT_EQ(ok.IntoElem(), 1);
    EXPECT_EQ(std::string(ok.GetSubDoc().Str()), chain);

    const std::string big = "<a>" + std::string(ZrMarkup::kMaxDocumentSize, 'x') + "</a>";
    EXPECT_EQ(deep.SetDoc(big.c_str()), 0);
    nbtest::TempDir dir;
    EXPECT_EQ(deep.Load(dir.Write("big.par", big).c_str()), 0);
    EXPECT_EQ(deep.Load(dir.Write("ok.par", chain).c_str()), 1);
}

TEST(Limits, DocumentNumbersMustBeFiniteAndFit)
{
    const struct {
        const char* text;
        double value;
    } cases[] = {{"1.5", 1.5},   {"-2", -2.0}, {"3.4e38", 3.4e38}, {"3.5e38", 0.0}, {"-1e308", 0.0},
                 {"1e400", 0.0}, {"nan", 0.0}, {"-inf", 0.0},      {"abc", 0.0},    {"", 0.0}};
    for (const auto& c : cases)
        EXPECT_EQ(ZrDocumentValues::ParseNumber(c.text), c.value) << c.text;
    EXPECT_EQ(ZrDocumentValues::ParseNumber("2e36", 1e36), 0.0);
    EXPECT_EQ(ZrDocumentValues::ParseWholeNumber("99999999999"), INT_MAX);
    EXPECT_EQ(ZrDocumentValues::ParseWholeNumber("-99999999999"), INT_MIN);
    EXPECT_EQ(ZrDocumentValues::ParseWholeNumber("12x"), 12);

    ZrMarkup doc("<P><A>nan</A><B>1e39</B><C>0.25</C></P>");
    ASSERT_EQ(doc.FindElem("P"), 1);
    float a = 7.0f, b = 7.0f;
    double c = 7.0;
    ZrDocumentValues::ReadNumber(doc, "A", a);
    ZrDocumentValues::ReadNumber(doc, "B", b);
    ZrDocumentValues::ReadNumber(doc, "C", c);
    EXPECT_EQ(a, 0.0f);
    EXPECT_EQ(b, 0.0f);
    EXPECT_EQ(c, 0.25);
}

// A read never holds more than its limit, whatever the method; a container
// that changed is read afresh though its index is kept between opens.
TEST(Limits, ContainerReadsAreCappedAndChangesSeen)
{
    nbtest::TempDir dir;
    const std::string path = dir / "c.sc";
    const std::string bomb(2u << 20, 'z');
    int error = 0;
    zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(za, nullptr);
    zip_file_add(za, "bomb", zip_source_buffer(za, bomb.data(), bomb.size(), 0), 0);
    zip_set_file_compression(za, 0, ZIP_CM_BZIP2, 0);
    zip_file_add(za, "fire", zip_source_buffer(za, "one", 3, 0), 0);
    ASSERT_EQ(zip_close(za), 0);

    ZrCacheFile cache;
    ZrByteArray out;
    ASSERT_EQ(cache.Open(path.c_str(), "5KPOV"), 0);
    EXPECT_NE(cache.ReadFile("bomb", out, 1048576), 0);
    EXPECT_EQ(out.GetSize(), 0);
    EXPECT_EQ(cache.ReadFile("bomb", out, 4u << 20), 0);

    nbtest::WriteZip(path, {{"fire", "two", false}});
    ZrCacheFile again;
    ASSERT_EQ(again.Open(path.c_str(), "5KPOV"), 0);
    EXPECT_EQ(again.GetEntryCount(), 1);
    EXPECT_EQ(cache.GetEntryCount(), 2);   // an object still open keeps the old index
}
