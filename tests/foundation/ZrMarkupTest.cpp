#include "NbTestSupport.h"
#include "ZrMarkup.h"

#include <gtest/gtest.h>

#include <sstream>
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

// Runs cursor steps and joins what they give: F/C[:name] find the main or a
// child element, I into, O out of, R reset, t the tag names, d the child's
// text, * the children after the current one; a/b:name[=text] add a child
// after/before the current one, m/n:name[=text] a main-level element.
std::string Steps(ZrMarkup& xml, const std::string& steps)
{
    std::istringstream in(steps);
    std::string step, out;
    while (in >> step) {
        const size_t eq = step.find('=');
        const std::string text = eq == std::string::npos ? "" : step.substr(eq + 1);
        step = step.substr(0, eq);
        const char* name = step.size() > 2 ? step.c_str() + 2 : nullptr;
        switch (step[0]) {
        case 'a': case 'b': case 'm': case 'n':
            out += std::to_string(xml.AddElem(name, text.c_str(), step[0] == 'b' || step[0] == 'n', step[0] < 'm'));
            break;
        case 'F': out += std::to_string(xml.FindElem(name)); break;
        case 'C': out += std::to_string(xml.FindChildElem(name)); break;
        case 'I': out += std::to_string(xml.IntoElem()); break;
        case 'O': out += std::to_string(xml.OutOfElem()); break;
        case 'R': xml.ResetPos(); break;
        case 't': out += "<" + Text(xml.GetTagName()) + "," + Text(xml.GetChildTagName()) + ">"; break;
        case 'd': out += "[" + Text(xml.GetChildData()) + "]"; break;
        default: out += Children(xml, true); break;
        }
        out += step[0] == 'R' ? "" : " ";
    }
    return out;
}

} // namespace

TEST(ZrMarkupTest, CursorSearchesForwardAndKeepsPlaceOnFailure)
{
    // A failed search leaves the current child where it was; B lies before it.
    ZrMarkup xml("<R><A>1</A><B>2</B><!-- note --><A>3</A>text<C><D>4</D></C></R>");
    EXPECT_EQ(Steps(xml, "C:A I F t C:A C:Missing C:A d C:B d C:C d I t * O t O R F:R * F"),
              "0 0 1 <R,> 1 0 1 [3] 0 [3] 1 [] 1 <C,> D4 1 <R,C> 0 1 A1B2A3C 0 ");
}

TEST(ZrMarkupTest, ParsingReadsTextAndRejectsMalformedDocuments)
{
    ZrMarkup xml("<R><A>0.5</A></R>");
    ASSERT_EQ(Steps(xml, "F:R C:A"), "1 1 ");
    const char* text = "<?xml version=\"1.0\"?>\n<Q>\n  <A>a &amp; b &lt;c&gt;</A>\n  <B><![CDATA[x<y]]></B>\n"
                       "  <C>  </C><D>&#65;</D><E/><Speed:X>1</Speed:X>\n</Q>\n";
    EXPECT_EQ(xml.SetDoc(text), 1);   // replaces the document and resets the cursor
    EXPECT_EQ(Text(xml.m_strDocText), text);
    EXPECT_EQ(Steps(xml, "t F:R F:Q *"), "<,> 0 1 Aa & b <c>Bx<yC  DAESpeed:X1 ");
    EXPECT_EQ(Text(xml.GetData()), "");   // indentation is not text of the element

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
    ASSERT_EQ(xml.AddElem("A", "a", 0, 1), 1);
    EXPECT_NE(Text(xml.m_strDocText).find("<A>a</A>"), std::string::npos);
    // B before the current child C, T into B, D after B, Z before the main element, Y after Z.
    EXPECT_EQ(Steps(xml, "a:C b:B t I a:T=t O a:D n:Z m:Y=9 t"), "1 1 <_R-1.x:y,B> 1 1 1 1 1 1 <Y,> ");
    EXPECT_EQ(Text(xml.GetData()), "9");

    ZrMarkup read(xml.m_strDocText);
    EXPECT_EQ(Steps(read, "F:Z F:Y F:_R-1.x:y F C:A C:B I * O *"), "1 1 1 0 1 1 1 Tt 1 DC ");
}

TEST(ZrMarkupTest, ElementTextRoundTripsExactly)
{
    ZrMarkup xml;
    std::string expected;
    ASSERT_EQ(xml.AddElem("R", nullptr, 0, 0), 1);
    for (const char* v : {"", " ", "  lead", "trail  ", "a & b", "<tag>", "x > y", "\"quoted\" 'single'", "tab\there",
                          "line1\nline2", "caf\xc3\xa9", "]]>"})
        expected += std::string("V") + v + (xml.AddElem("V", v, 0, 1) ? "" : "!");
    ZrMarkup read(xml.m_strDocText);
    ASSERT_EQ(read.FindElem("R"), 1);
    EXPECT_EQ(Children(read, true), expected);
}

TEST(ZrMarkupTest, SubDocumentsAreCompleteAndNest)
{
    ZrMarkup xml("<E><S><N>a</N><M><R>2</R></M></S><S><N>b</N></S></E>");
    EXPECT_EQ(Text(xml.GetSubDoc()) + Text(xml.GetChildSubDoc()), "");   // nothing without a main element
    ASSERT_EQ(Steps(xml, "F:E C:S"), "1 1 ");
    ZrMarkup system(xml.GetChildSubDoc());
    EXPECT_EQ(Steps(system, "F:S * I"), "1 NaM 1 ");   // into M
    ZrMarkup inner(system.GetSubDoc());
    EXPECT_EQ(Steps(inner, "F:M *"), "1 R2 ");
    ASSERT_EQ(xml.FindChildElem("S"), 1);
    EXPECT_NE(Text(xml.GetChildSubDoc()).find("<N>b</N>"), std::string::npos);

    ZrMarkup effect;
    EXPECT_EQ(effect.AddSubDoc("<S/>", 0, 1), 0);   // a child needs a main element
    ASSERT_EQ(Steps(effect, "m:E a:First a:Last"), "1 1 1 ");
    ASSERT_EQ(effect.AddSubDoc("<!-- c --><S><N>x</N></S>", 1, 1), 1);   // before Last
    EXPECT_EQ(Text(effect.GetChildTagName()), "S");
    ASSERT_EQ(effect.AddElem("After", nullptr, 0, 1), 1);
    for (const char* bad : {"<broken>", "", "<!-- no element -->", static_cast<const char*>(nullptr)})
        EXPECT_EQ(effect.AddSubDoc(bad, 0, 1), 0);
    ASSERT_EQ(effect.AddSubDoc("<Top/>", 0, 0), 1);
    EXPECT_EQ(Text(effect.GetTagName()), "Top");
    ZrMarkup read(effect.m_strDocText);
    EXPECT_EQ(Steps(read, "F:E * F:Top"), "1 FirstSAfterLast 1 ");
}

TEST(ZrMarkupTest, FilesSaveAndLoadWithByteOrderMarks)
{
    nbtest::TempDir dir;
    ZrMarkup xml("<R><Speed:X>0.5</Speed:X></R>"), loaded;
    EXPECT_EQ(std::to_string(xml.Save((dir / "doc.xml").c_str())) + std::to_string(xml.Save("")) +
                  std::to_string(xml.Save((dir / "no/such/dir.xml").c_str())), "100");
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
