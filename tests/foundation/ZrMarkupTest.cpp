#include "NbTestSupport.h"
#include "ZrMarkup.h"

#include <gtest/gtest.h>

#include <string>

using ZRC::ZrMarkup;

namespace {

std::string Text(const VEXA::VexaString& s) { return s.Str(); }

// Tag names (and texts, with `data`) of the children after the current one.
std::string Children(ZrMarkup& xml, bool data = false)
{
    std::string out;
    while (xml.FindChildElem(nullptr))
        out += Text(xml.GetChildTagName()) + (data ? Text(xml.GetChildData()) : "");
    return out;
}

} // namespace

TEST(ZrMarkupTest, CursorSearchesForwardAndKeepsPlaceOnFailure)
{
    ZrMarkup xml("<R><A>1</A><B>2</B><!-- note --><A>3</A>text<C><D>4</D></C></R>");
    EXPECT_EQ(xml.FindChildElem("A") + xml.IntoElem(), 0);   // no main element yet
    ASSERT_EQ(xml.FindElem(nullptr), 1);
    EXPECT_EQ(Text(xml.GetTagName()) + "|" + Text(xml.GetChildTagName()), "R|");
    EXPECT_EQ(xml.FindChildElem("A") + xml.FindChildElem("Missing") + xml.FindChildElem("A"), 2);
    EXPECT_EQ(xml.FindChildElem("B"), 0);   // B lies before the current child, which stays
    EXPECT_EQ(Text(xml.GetChildData()), "3");
    ASSERT_EQ(xml.FindChildElem("C"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "");   // only child elements, no text
    ASSERT_EQ(xml.IntoElem(), 1);
    EXPECT_EQ(Text(xml.GetTagName()) + "|" + Text(xml.GetChildTagName()), "C|");
    EXPECT_EQ(Children(xml, true), "D4");
    ASSERT_EQ(xml.OutOfElem(), 1);
    EXPECT_EQ(Text(xml.GetTagName()) + "|" + Text(xml.GetChildTagName()), "R|C");
    EXPECT_EQ(xml.OutOfElem(), 0);   // already at the top level
    xml.ResetPos();
    ASSERT_EQ(xml.FindElem("R"), 1);
    EXPECT_EQ(Children(xml, true), "A1B2A3C");
    EXPECT_EQ(xml.FindElem(nullptr), 0);   // R is the only root
}

TEST(ZrMarkupTest, ParsingReadsTextAndRejectsMalformedDocuments)
{
    ZrMarkup xml("<R><A>0.5</A></R>");
    ASSERT_EQ(xml.FindElem("R"), 1);
    ASSERT_EQ(xml.FindChildElem("A"), 1);
    const char* text = "<?xml version=\"1.0\"?>\n<Q>\n  <A>a &amp; b &lt;c&gt;</A>\n  <B><![CDATA[x<y]]></B>\n"
                       "  <C>  </C><D>&#65;</D><E/><Speed:X>1</Speed:X>\n</Q>\n";
    EXPECT_EQ(xml.SetDoc(text), 1);   // replaces the document and resets the cursor
    EXPECT_EQ(Text(xml.m_strDocText), text);
    EXPECT_EQ(Text(xml.GetTagName()), "");
    EXPECT_EQ(xml.FindElem("R"), 0);
    ASSERT_EQ(xml.FindElem("Q"), 1);
    EXPECT_EQ(Text(xml.GetData()), "");   // indentation is not text of the element
    EXPECT_EQ(Children(xml, true), "Aa & b <c>Bx<yC  DAESpeed:X1");

    EXPECT_EQ(xml.IsWellFormed(), 1);
    for (const char* bad : {"<R><A>1</A>", "<R></S>", "plain text", "", "<!-- only a comment -->", "<R a=1/>"}) {
        EXPECT_EQ(xml.SetDoc(bad) + xml.IsWellFormed() + xml.FindElem(nullptr), 0) << bad;
        EXPECT_EQ(Text(xml.m_strDocText), "") << bad;
    }
}

TEST(ZrMarkupTest, AddingPlacesElementsAndKeepsTextCurrent)
{
    ZrMarkup xml;
    EXPECT_EQ(xml.AddElem("Child", "x", 0, 1), 0);   // a child needs a main element
    for (const char* bad : {static_cast<const char*>(nullptr), "", "a b", "1st", "<x>", "-a", "a!"})
        EXPECT_EQ(xml.AddElem(bad, "x", 0, 0), 0) << (bad ? bad : "null");
    EXPECT_EQ(Text(xml.m_strDocText), "");
    ASSERT_EQ(xml.AddElem("_R-1.x:y", nullptr, 0, 0), 1);
    EXPECT_EQ(Text(xml.m_strDocText).substr(0, 9), "<_R-1.x:y");
    ASSERT_EQ(xml.AddElem("A", "a", 0, 1), 1);
    EXPECT_NE(Text(xml.m_strDocText).find("<A>a</A>"), std::string::npos);
    ASSERT_EQ(xml.AddElem("C", nullptr, 0, 1), 1);
    ASSERT_EQ(xml.AddElem("B", nullptr, 1, 1), 1);   // before the current child C
    EXPECT_EQ(Text(xml.GetChildTagName()), "B");
    ASSERT_EQ(xml.IntoElem(), 1);
    ASSERT_EQ(xml.AddElem("T", "t", 0, 1), 1);
    ASSERT_EQ(xml.OutOfElem(), 1);
    ASSERT_EQ(xml.AddElem("D", nullptr, 0, 1), 1);   // after the current child B
    ASSERT_EQ(xml.AddElem("Z", nullptr, 1, 0), 1);   // before the main element
    ASSERT_EQ(xml.AddElem("Y", "9", 0, 0), 1);   // after the main element, now Z
    EXPECT_EQ(Text(xml.GetTagName()) + Text(xml.GetData()), "Y9");

    ZrMarkup read(xml.m_strDocText);
    std::string roots;
    while (read.FindElem(nullptr))
        roots += Text(read.GetTagName());
    EXPECT_EQ(roots, "ZY_R-1.x:y");
    read.ResetPos();
    ASSERT_EQ(read.FindElem("_R-1.x:y"), 1);
    ASSERT_EQ(read.FindChildElem("B"), 1);
    ASSERT_EQ(read.IntoElem(), 1);
    EXPECT_EQ(Children(read, true), "Tt");
    ASSERT_EQ(read.OutOfElem(), 1);
    EXPECT_EQ(Children(read), "DC");
}

TEST(ZrMarkupTest, ElementTextRoundTripsExactly)
{
    const char* values[] = {"", " ", "  lead", "trail  ", "a & b", "<tag>", "x > y", "\"quoted\" 'single'",
                            "tab\there", "line1\nline2", "caf\xc3\xa9", "]]>"};
    ZrMarkup xml;
    ASSERT_EQ(xml.AddElem("R", nullptr, 0, 0), 1);
    for (const char* v : values)
        ASSERT_EQ(xml.AddElem("V", v, 0, 1), 1);
    ZrMarkup read(xml.m_strDocText);
    ASSERT_EQ(read.FindElem("R"), 1);
    for (const char* v : values) {
        ASSERT_EQ(read.FindChildElem("V"), 1);
        EXPECT_EQ(Text(read.GetChildData()), v);
    }
}

TEST(ZrMarkupTest, SubDocumentsAreCompleteAndNest)
{
    ZrMarkup xml("<E><S><N>a</N><M><R>2</R></M></S><S><N>b</N></S></E>");
    EXPECT_EQ(Text(xml.GetSubDoc()) + Text(xml.GetChildSubDoc()), "");   // nothing without a main element
    ASSERT_EQ(xml.FindElem("E"), 1);
    ASSERT_EQ(xml.FindChildElem("S"), 1);
    ZrMarkup system(xml.GetChildSubDoc());
    ASSERT_EQ(system.FindElem("S"), 1);
    EXPECT_EQ(Children(system, true), "NaM");
    ASSERT_EQ(system.IntoElem(), 1);   // into M
    ZrMarkup inner(system.GetSubDoc());
    ASSERT_EQ(inner.FindElem("M"), 1);
    EXPECT_EQ(Children(inner, true), "R2");
    ASSERT_EQ(xml.FindChildElem("S"), 1);
    EXPECT_NE(Text(xml.GetChildSubDoc()).find("<N>b</N>"), std::string::npos);

    ZrMarkup effect;
    EXPECT_EQ(effect.AddSubDoc("<S/>", 0, 1), 0);   // a child needs a main element
    ASSERT_EQ(effect.AddElem("E", nullptr, 0, 0), 1);
    ASSERT_EQ(effect.AddElem("First", nullptr, 0, 1), 1);
    ASSERT_EQ(effect.AddElem("Last", nullptr, 0, 1), 1);
    ASSERT_EQ(effect.AddSubDoc("<!-- c --><S><N>x</N></S>", 1, 1), 1);   // before Last
    EXPECT_EQ(Text(effect.GetChildTagName()), "S");
    ASSERT_EQ(effect.AddElem("After", nullptr, 0, 1), 1);
    for (const char* bad : {"<broken>", "", "<!-- no element -->", static_cast<const char*>(nullptr)})
        EXPECT_EQ(effect.AddSubDoc(bad, 0, 1), 0);
    ASSERT_EQ(effect.AddSubDoc("<Top/>", 0, 0), 1);
    EXPECT_EQ(Text(effect.GetTagName()), "Top");
    ZrMarkup read(effect.m_strDocText);
    ASSERT_EQ(read.FindElem("E"), 1);
    EXPECT_EQ(Children(read), "FirstSAfterLast");
    ASSERT_EQ(read.FindElem("Top"), 1);
}

TEST(ZrMarkupTest, FilesSaveAndLoadWithByteOrderMarks)
{
    nbtest::TempDir dir;
    ZrMarkup xml("<R><Speed:X>0.5</Speed:X></R>"), loaded;
    ASSERT_EQ(xml.Save((dir / "doc.xml").c_str()), 1);
    EXPECT_EQ(xml.Save(""), 0);
    EXPECT_EQ(xml.Save((dir / "no/such/dir.xml").c_str()), 0);
    std::string utf16 = "\xFF\xFE";   // UTF-16 little endian with a byte order mark
    for (char c : std::string("<R><A>2</A></R>"))
        utf16 += std::string(1, c) + '\0';
    const struct {
        std::string path, text, children;
    } files[] = {{dir / "doc.xml", "<R><Speed:X>0.5</Speed:X></R>", "Speed:X0.5"},
                 {dir.Write("bom.xml", "\xEF\xBB\xBF<R><A>1</A></R>"), "<R><A>1</A></R>", "A1"},
                 {dir.Write("utf16.xml", utf16), "<A>2</A>", "A2"},   // held as UTF-8 text
                 {dir.Write("bad.xml", "<R><Unclosed></R>"), "", ""},
                 {dir / "none.xml", "", ""}};
    for (const auto& f : files) {
        EXPECT_EQ(loaded.Load(f.path.c_str()), f.text.empty() ? 0 : 1) << f.path;
        const size_t at = Text(loaded.m_strDocText).find(f.text);
        EXPECT_TRUE(at == 0 || (at != std::string::npos && f.children == "A2")) << f.path;
        EXPECT_EQ(Text(loaded.m_strDocText).empty(), f.text.empty()) << f.path;
        EXPECT_EQ(loaded.FindElem("R"), f.text.empty() ? 0 : 1);
        EXPECT_EQ(Children(loaded, true), f.children);
    }
    EXPECT_EQ(loaded.Load(nullptr), 0);
}
