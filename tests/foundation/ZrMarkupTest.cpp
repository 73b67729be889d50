#include "ZrMarkup.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using ZRC::ZrMarkup;

namespace {

std::string Text(const VEXA::VexaString& s) { return std::string(static_cast<const char*>(s)); }

std::string TempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / (std::string("nbps-markup-") + std::to_string(::getpid()) + "-" + name))
        .string();
}

} // namespace

TEST(ZrMarkupCursor, FreshDocumentHasNoMainElementAndNoChild)
{
    ZrMarkup xml("<R><A>1</A></R>");
    EXPECT_EQ(Text(xml.GetTagName()), "");
    EXPECT_EQ(Text(xml.GetChildTagName()), "");
    EXPECT_EQ(xml.FindChildElem("A"), 0);   // no main element yet
    EXPECT_EQ(xml.IntoElem(), 0);
    EXPECT_EQ(xml.OutOfElem(), 0);
    ASSERT_EQ(xml.FindElem("R"), 1);
    EXPECT_EQ(Text(xml.GetTagName()), "R");
    EXPECT_EQ(Text(xml.GetChildTagName()), "");
}

TEST(ZrMarkupCursor, RepeatedSearchVisitsSameNamedChildrenInOrderThenFails)
{
    ZrMarkup xml("<R><A>1</A><B>2</B><A>3</A></R>");
    ASSERT_EQ(xml.FindElem("R"), 1);
    ASSERT_EQ(xml.FindChildElem("A"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "1");
    ASSERT_EQ(xml.FindChildElem("A"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "3");
    // B lies before the current child.
    EXPECT_EQ(xml.FindChildElem("B"), 0);
    EXPECT_EQ(xml.FindChildElem("A"), 0);
    // A failed search leaves the current child where it was.
    EXPECT_EQ(Text(xml.GetChildData()), "3");
}

TEST(ZrMarkupCursor, LoopOverSameNamedChildrenVisitsEachOnce)
{
    ZrMarkup xml("<R><P>a</P><Q/><P>b</P><P>c</P><Q/></R>");
    ASSERT_EQ(xml.FindElem("R"), 1);
    std::string seen;
    if (xml.FindChildElem("P")) {
        do {
            seen += Text(xml.GetChildData());
        } while (xml.FindChildElem("P"));
    }
    EXPECT_EQ(seen, "abc");
}

TEST(ZrMarkupCursor, FailedSearchForMissingNameKeepsPosition)
{
    ZrMarkup xml("<R><A>1</A><B>2</B><C>3</C></R>");
    ASSERT_EQ(xml.FindElem("R"), 1);
    ASSERT_EQ(xml.FindChildElem("A"), 1);
    EXPECT_EQ(xml.FindChildElem("Missing"), 0);
    ASSERT_EQ(xml.FindChildElem("C"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "3");
    EXPECT_EQ(xml.FindChildElem("B"), 0);
}

TEST(ZrMarkupCursor, NullNameMatchesAnyChild)
{
    ZrMarkup xml("<R><A/><!-- note --><B>x</B>text<C/></R>");
    ASSERT_EQ(xml.FindElem(nullptr), 1);
    EXPECT_EQ(Text(xml.GetTagName()), "R");
    std::string names;
    while (xml.FindChildElem(nullptr))
        names += Text(xml.GetChildTagName());
    EXPECT_EQ(names, "ABC");
}

TEST(ZrMarkupCursor, EmptyChildDataReadsAsEmptyAndZero)
{
    ZrMarkup xml("<R><A></A><B/><C><D>1</D></C></R>");
    ASSERT_EQ(xml.FindElem("R"), 1);
    ASSERT_EQ(xml.FindChildElem("A"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "");
    EXPECT_EQ(std::atof(xml.GetChildData()), 0.0);
    ASSERT_EQ(xml.FindChildElem("B"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "");
    ASSERT_EQ(xml.FindChildElem("C"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "");
}

TEST(ZrMarkupCursor, IntoAndOutOfElemContinueAfterTheVisitedChild)
{
    ZrMarkup xml("<R><S><T>t1</T><T>t2</T></S><U>u</U><S><T>t3</T></S></R>");
    ASSERT_EQ(xml.FindElem("R"), 1);
    ASSERT_EQ(xml.FindChildElem("S"), 1);
    ASSERT_EQ(xml.IntoElem(), 1);
    EXPECT_EQ(Text(xml.GetTagName()), "S");
    EXPECT_EQ(Text(xml.GetChildTagName()), "");
    ASSERT_EQ(xml.FindChildElem("T"), 1);
    ASSERT_EQ(xml.FindChildElem("T"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "t2");
    ASSERT_EQ(xml.OutOfElem(), 1);
    EXPECT_EQ(Text(xml.GetTagName()), "R");
    EXPECT_EQ(Text(xml.GetChildTagName()), "S");
    ASSERT_EQ(xml.FindChildElem("U"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "u");
    ASSERT_EQ(xml.FindChildElem("S"), 1);
    ASSERT_EQ(xml.IntoElem(), 1);
    ASSERT_EQ(xml.FindChildElem("T"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "t3");
    EXPECT_EQ(xml.IntoElem(), 1);   // into T, which has no children
    EXPECT_EQ(xml.FindChildElem(nullptr), 0);
    EXPECT_EQ(Text(xml.GetData()), "t3");
    EXPECT_EQ(xml.OutOfElem(), 1);
    EXPECT_EQ(xml.OutOfElem(), 1);
    EXPECT_EQ(xml.OutOfElem(), 0);   // already at the top level
    EXPECT_EQ(Text(xml.GetTagName()), "R");
}

TEST(ZrMarkupCursor, FindElemSearchesTopLevelSiblingsInOrder)
{
    ZrMarkup xml;
    ASSERT_EQ(xml.AddElem("First", "1"), 1);
    ASSERT_EQ(xml.AddElem("Second", "2"), 1);
    ZrMarkup copy(xml.m_strDocText);
    ASSERT_EQ(copy.FindElem("Second"), 1);
    EXPECT_EQ(copy.FindElem("First"), 0);
    EXPECT_EQ(Text(copy.GetData()), "2");
    copy.ResetPos();
    EXPECT_EQ(copy.FindElem("First"), 1);
    EXPECT_EQ(copy.FindElem("Second"), 1);
}

TEST(ZrMarkupCursor, ColonNamesAreOrdinaryNames)
{
    ZrMarkup xml;
    ASSERT_EQ(xml.AddElem("Emitter", nullptr, 0, 0), 1);
    ASSERT_EQ(xml.AddElem("Position:X", "1.500000", 0, 1), 1);
    ASSERT_EQ(xml.AddElem("Position:Y", "-2.000000", 0, 1), 1);
    ASSERT_EQ(xml.AddElem("Color:A", "", 0, 1), 1);

    ZrMarkup read(xml.m_strDocText);
    ASSERT_EQ(read.FindElem("Emitter"), 1);
    ASSERT_EQ(read.FindChildElem("Position:X"), 1);
    EXPECT_DOUBLE_EQ(std::atof(read.GetChildData()), 1.5);
    EXPECT_EQ(read.FindChildElem("Position:Z"), 0);
    ASSERT_EQ(read.FindChildElem("Position:Y"), 1);
    EXPECT_DOUBLE_EQ(std::atof(read.GetChildData()), -2.0);
    ASSERT_EQ(read.FindChildElem("Color:A"), 1);
    EXPECT_EQ(Text(read.GetChildData()), "");
    EXPECT_EQ(read.FindChildElem("Position"), 0);
}

TEST(ZrMarkupParse, MalformedTextGivesEmptyDocument)
{
    const char* bad[] = {"<R><A>1</A>", "<R></S>", "plain text", "", "<!-- only a comment -->", "<R a=1/>"};
    for (const char* text : bad) {
        ZrMarkup xml;
        EXPECT_EQ(xml.SetDoc(text), 0) << text;
        EXPECT_EQ(xml.IsWellFormed(), 0) << text;
        EXPECT_EQ(xml.FindElem(nullptr), 0) << text;
        EXPECT_EQ(xml.FindElem("R"), 0) << text;
        EXPECT_EQ(xml.FindChildElem(nullptr), 0) << text;
        EXPECT_EQ(Text(xml.m_strDocText), "") << text;
    }
    ZrMarkup none(nullptr);
    EXPECT_EQ(none.FindElem(nullptr), 0);
}

TEST(ZrMarkupParse, SetDocReplacesDocumentAndResetsCursor)
{
    ZrMarkup xml("<R><A>1</A></R>");
    ASSERT_EQ(xml.FindElem("R"), 1);
    ASSERT_EQ(xml.FindChildElem("A"), 1);
    const char* text = "<Q><A>2</A></Q>";
    EXPECT_EQ(xml.SetDoc(text), 1);
    EXPECT_EQ(xml.IsWellFormed(), 1);
    EXPECT_EQ(Text(xml.m_strDocText), text);
    EXPECT_EQ(Text(xml.GetTagName()), "");
    EXPECT_EQ(xml.FindElem("R"), 0);
    ASSERT_EQ(xml.FindElem("Q"), 1);
    ASSERT_EQ(xml.FindChildElem("A"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "2");
    // A malformed text after a good one empties the document.
    EXPECT_EQ(xml.SetDoc("<Q>"), 0);
    EXPECT_EQ(xml.FindElem("Q"), 0);
}

TEST(ZrMarkupParse, DeclarationEntitiesAndCdataAreRead)
{
    ZrMarkup xml("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<R>\n  <A>a &amp; b &lt;c&gt;</A>\n  <B><![CDATA[x<y]]></B>\n"
                 "  <C>  </C>\n  <D>&#65;</D>\n</R>\n");
    ASSERT_EQ(xml.FindElem("R"), 1);
    ASSERT_EQ(xml.FindChildElem("A"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "a & b <c>");
    ASSERT_EQ(xml.FindChildElem("B"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "x<y");
    ASSERT_EQ(xml.FindChildElem("C"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "  ");
    ASSERT_EQ(xml.FindChildElem("D"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "A");
    // Indentation between elements is not text of the root.
    EXPECT_EQ(Text(xml.GetData()), "");
}

TEST(ZrMarkupBuild, RootChildIntoOutOfOrder)
{
    ZrMarkup xml;
    ASSERT_EQ(xml.AddElem("R", nullptr, 0, 0), 1);
    ASSERT_EQ(xml.AddElem("S", nullptr, 0, 1), 1);
    ASSERT_EQ(xml.IntoElem(), 1);
    ASSERT_EQ(xml.AddElem("T", "t", 0, 1), 1);
    ASSERT_EQ(xml.OutOfElem(), 1);
    ASSERT_EQ(xml.AddElem("U", "u", 0, 1), 1);

    ZrMarkup read(xml.m_strDocText);
    ASSERT_EQ(read.FindElem("R"), 1);
    ASSERT_EQ(read.FindChildElem(nullptr), 1);
    EXPECT_EQ(Text(read.GetChildTagName()), "S");
    ASSERT_EQ(read.IntoElem(), 1);
    ASSERT_EQ(read.FindChildElem(nullptr), 1);
    EXPECT_EQ(Text(read.GetChildTagName()), "T");
    EXPECT_EQ(Text(read.GetChildData()), "t");
    EXPECT_EQ(read.FindChildElem(nullptr), 0);
    ASSERT_EQ(read.OutOfElem(), 1);
    ASSERT_EQ(read.FindChildElem(nullptr), 1);
    EXPECT_EQ(Text(read.GetChildTagName()), "U");
    EXPECT_EQ(Text(read.GetChildData()), "u");
    EXPECT_EQ(read.FindChildElem(nullptr), 0);
    EXPECT_EQ(read.FindElem(nullptr), 0);   // R is the only root
}

TEST(ZrMarkupBuild, ChildIsAddedAfterCurrentChild)
{
    ZrMarkup xml("<R><A/><C/></R>");
    ASSERT_EQ(xml.FindElem("R"), 1);
    ASSERT_EQ(xml.FindChildElem("A"), 1);
    ASSERT_EQ(xml.AddElem("B", "b", 0, 1), 1);
    EXPECT_EQ(Text(xml.GetChildTagName()), "B");
    ASSERT_EQ(xml.FindChildElem(nullptr), 1);
    EXPECT_EQ(Text(xml.GetChildTagName()), "C");
    // Without a current child a new child goes after the last one.
    xml.ResetPos();
    ASSERT_EQ(xml.FindElem("R"), 1);
    ASSERT_EQ(xml.AddElem("D", nullptr, 0, 1), 1);

    ZrMarkup read(xml.m_strDocText);
    ASSERT_EQ(read.FindElem("R"), 1);
    std::string names;
    while (read.FindChildElem(nullptr))
        names += Text(read.GetChildTagName());
    EXPECT_EQ(names, "ABCD");
}

TEST(ZrMarkupBuild, MainLevelElementIsAddedAfterMainElement)
{
    ZrMarkup xml;
    ASSERT_EQ(xml.AddElem("A", "1", 0, 0), 1);
    ASSERT_EQ(xml.AddElem("C", "3", 0, 0), 1);
    xml.ResetPos();
    ASSERT_EQ(xml.FindElem("A"), 1);
    ASSERT_EQ(xml.AddElem("B", "2", 0, 0), 1);
    EXPECT_EQ(Text(xml.GetTagName()), "B");
    EXPECT_EQ(Text(xml.GetData()), "2");

    ZrMarkup read(xml.m_strDocText);
    std::string names;
    while (read.FindElem(nullptr))
        names += Text(read.GetTagName()) + Text(read.GetData());
    EXPECT_EQ(names, "A1B2C3");
}

TEST(ZrMarkupBuild, AddingAChildNeedsAMainElementAndAValidName)
{
    ZrMarkup xml;
    EXPECT_EQ(xml.AddElem("Child", "x", 0, 1), 0);
    EXPECT_EQ(Text(xml.m_strDocText), "");
    EXPECT_EQ(xml.AddElem(nullptr, "x", 0, 0), 0);
    EXPECT_EQ(xml.AddElem("", "x", 0, 0), 0);
    EXPECT_EQ(xml.AddElem("a b", "x", 0, 0), 0);
    EXPECT_EQ(xml.AddElem("1st", "x", 0, 0), 0);
    EXPECT_EQ(xml.AddElem("<x>", "x", 0, 0), 0);
    EXPECT_EQ(Text(xml.m_strDocText), "");
    EXPECT_EQ(xml.AddElem("_ok-name.1", "x", 0, 0), 1);
}

TEST(ZrMarkupBuild, DocTextIsCurrentAfterEveryChange)
{
    ZrMarkup xml;
    EXPECT_EQ(Text(xml.m_strDocText), "");
    std::string previous;
    const char* names[] = {"R", "A", "B", "C"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(xml.AddElem(names[i], "v", 0, i == 0 ? 0 : 1), 1);
        const std::string now = Text(xml.m_strDocText);
        EXPECT_NE(now, previous);
        EXPECT_NE(now.find(std::string("<") + names[i] + ">v</" + names[i] + ">"), std::string::npos) << now;
        ZrMarkup reread(xml.m_strDocText);
        EXPECT_EQ(reread.IsWellFormed(), 1);
        previous = now;
    }
    ASSERT_EQ(xml.AddSubDoc("<Sub><X>1</X></Sub>", 0, 1), 1);
    EXPECT_NE(Text(xml.m_strDocText).find("<X>1</X>"), std::string::npos);
}

TEST(ZrMarkupBuild, ElementTextRoundTripsExactly)
{
    const char* values[] = {"", " ", "  lead", "trail  ", "a & b", "<tag>", "x > y", "\"quoted\" 'single'",
                            "tab\there", "line1\nline2", "0.500000", "caf\xc3\xa9", "]]>"};
    ZrMarkup xml;
    ASSERT_EQ(xml.AddElem("R", nullptr, 0, 0), 1);
    for (const char* v : values)
        ASSERT_EQ(xml.AddElem("V", v, 0, 1), 1);
    // Twice through text and back: the values and the text stay the same.
    ZrMarkup first(xml.m_strDocText);
    ASSERT_EQ(first.FindElem("R"), 1);
    ZrMarkup second;
    ASSERT_EQ(second.AddElem("R", nullptr, 0, 0), 1);
    for (const char* v : values) {
        ASSERT_EQ(first.FindChildElem("V"), 1);
        EXPECT_EQ(Text(first.GetChildData()), v);
        ASSERT_EQ(second.AddElem("V", first.GetChildData(), 0, 1), 1);
    }
    EXPECT_EQ(first.FindChildElem("V"), 0);
    EXPECT_EQ(Text(second.m_strDocText), Text(xml.m_strDocText));
}

TEST(ZrMarkupSubDoc, ChildSubDocIsACompleteDocument)
{
    ZrMarkup xml("<Effect><Type>1</Type><System><Name>a</Name><Emitter><Rate>2</Rate></Emitter></System>"
                 "<System><Name>b</Name></System></Effect>");
    ASSERT_EQ(xml.FindElem("Effect"), 1);
    ASSERT_EQ(xml.FindChildElem("System"), 1);
    const VEXA::VexaString sub = xml.GetChildSubDoc();
    ZrMarkup system(sub);
    EXPECT_EQ(system.IsWellFormed(), 1);
    ASSERT_EQ(system.FindElem("System"), 1);
    ASSERT_EQ(system.FindChildElem("Name"), 1);
    EXPECT_EQ(Text(system.GetChildData()), "a");
    ASSERT_EQ(system.FindChildElem("Emitter"), 1);
    ZrMarkup emitter(system.GetChildSubDoc());
    ASSERT_EQ(emitter.FindElem("Emitter"), 1);
    ASSERT_EQ(emitter.FindChildElem("Rate"), 1);
    EXPECT_EQ(Text(emitter.GetChildData()), "2");
    // GetSubDoc gives the main element the same way.
    ASSERT_EQ(system.IntoElem(), 1);
    ZrMarkup again(system.GetSubDoc());
    ASSERT_EQ(again.FindElem("Emitter"), 1);
    EXPECT_EQ(Text(again.GetSubDoc()), Text(system.GetSubDoc()));
    // The second system is still found after the first.
    ASSERT_EQ(xml.FindChildElem("System"), 1);
    ZrMarkup second(xml.GetChildSubDoc());
    ASSERT_EQ(second.FindElem("System"), 1);
    ASSERT_EQ(second.FindChildElem("Name"), 1);
    EXPECT_EQ(Text(second.GetChildData()), "b");
    // Nothing to give without a child or a main element.
    ZrMarkup empty;
    EXPECT_EQ(Text(empty.GetSubDoc()), "");
    EXPECT_EQ(Text(empty.GetChildSubDoc()), "");
}

TEST(ZrMarkupSubDoc, AddSubDocNestsWholeElements)
{
    ZrMarkup emitter;
    ASSERT_EQ(emitter.AddElem("Emitter", nullptr, 0, 0), 1);
    ASSERT_EQ(emitter.AddElem("Rate", "2", 0, 1), 1);
    ZrMarkup system;
    ASSERT_EQ(system.AddElem("System", nullptr, 0, 0), 1);
    ASSERT_EQ(system.AddElem("Name", "a", 0, 1), 1);
    ASSERT_EQ(system.AddSubDoc(emitter.m_strDocText, 0, 1), 1);
    EXPECT_EQ(Text(system.GetChildTagName()), "Emitter");
    ASSERT_EQ(system.AddElem("After", "z", 0, 1), 1);
    ZrMarkup effect;
    ASSERT_EQ(effect.AddElem("Effect", nullptr, 0, 0), 1);
    ASSERT_EQ(effect.AddSubDoc(system.m_strDocText, 0, 1), 1);
    ASSERT_EQ(effect.AddSubDoc(system.m_strDocText, 0, 1), 1);

    ZrMarkup read(effect.m_strDocText);
    ASSERT_EQ(read.FindElem("Effect"), 1);
    int systems = 0;
    while (read.FindChildElem("System")) {
        ++systems;
        ASSERT_EQ(read.IntoElem(), 1);
        ASSERT_EQ(read.FindChildElem("Name"), 1);
        ASSERT_EQ(read.FindChildElem("Emitter"), 1);
        ASSERT_EQ(read.IntoElem(), 1);
        ASSERT_EQ(read.FindChildElem("Rate"), 1);
        EXPECT_EQ(Text(read.GetChildData()), "2");
        ASSERT_EQ(read.OutOfElem(), 1);
        ASSERT_EQ(read.FindChildElem("After"), 1);
        EXPECT_EQ(Text(read.GetChildData()), "z");
        ASSERT_EQ(read.OutOfElem(), 1);
    }
    EXPECT_EQ(systems, 2);
    // A text that is not a document adds nothing.
    EXPECT_EQ(effect.AddSubDoc("<broken>", 0, 1), 0);
    EXPECT_EQ(effect.AddSubDoc("", 0, 1), 0);
    EXPECT_EQ(effect.AddSubDoc(nullptr, 0, 1), 0);
    ZrMarkup unchanged(effect.m_strDocText);
    ASSERT_EQ(unchanged.FindElem("Effect"), 1);
    int count = 0;
    while (unchanged.FindChildElem(nullptr))
        ++count;
    EXPECT_EQ(count, 2);
}

TEST(ZrMarkupFile, SaveAndLoadRoundTrip)
{
    const std::string path = TempPath("doc.xml");
    ZrMarkup xml;
    ASSERT_EQ(xml.AddElem("R", nullptr, 0, 0), 1);
    ASSERT_EQ(xml.AddElem("Speed:X", "0.500000", 0, 1), 1);
    ASSERT_EQ(xml.Save(path.c_str()), 1);
    ZrMarkup loaded;
    ASSERT_EQ(loaded.Load(path.c_str()), 1);
    EXPECT_EQ(Text(loaded.m_strDocText), Text(xml.m_strDocText));
    ASSERT_EQ(loaded.FindElem("R"), 1);
    ASSERT_EQ(loaded.FindChildElem("Speed:X"), 1);
    EXPECT_EQ(Text(loaded.GetChildData()), "0.500000");

    {
        std::ofstream out(path, std::ios::binary);
        out << "<R><Unclosed></R>";
    }
    EXPECT_EQ(loaded.Load(path.c_str()), 0);
    EXPECT_EQ(loaded.FindElem("R"), 0);
    std::remove(path.c_str());
    EXPECT_EQ(loaded.Load(path.c_str()), 0);
    EXPECT_EQ(loaded.Load(nullptr), 0);
    EXPECT_EQ(xml.Save(""), 0);
}

TEST(ZrMarkupFile, LoadAcceptsByteOrderMarks)
{
    const std::string path = TempPath("bom.xml");
    {
        std::ofstream out(path, std::ios::binary);
        out << "\xEF\xBB\xBF<R><A>1</A></R>";
    }
    ZrMarkup xml;
    ASSERT_EQ(xml.Load(path.c_str()), 1);
    EXPECT_EQ(Text(xml.m_strDocText), "<R><A>1</A></R>");
    {
        // UTF-16 little endian with a byte order mark.
        const char text[] = "<R><A>2</A></R>";
        std::ofstream out(path, std::ios::binary);
        out.put('\xFF');
        out.put('\xFE');
        for (const char* p = text; *p; ++p) {
            out.put(*p);
            out.put('\0');
        }
    }
    ASSERT_EQ(xml.Load(path.c_str()), 1);
    ASSERT_EQ(xml.FindElem("R"), 1);
    ASSERT_EQ(xml.FindChildElem("A"), 1);
    EXPECT_EQ(Text(xml.GetChildData()), "2");
    ZrMarkup again(xml.m_strDocText);
    EXPECT_EQ(again.FindElem("R"), 1);
    std::remove(path.c_str());
}

TEST(ZrMarkupBuild, NonZeroInsertFlagAddsBefore)
{
    ZrMarkup xml("<R><A/><C/></R>");
    ASSERT_EQ(xml.FindElem("R"), 1);
    ASSERT_EQ(xml.FindChildElem("C"), 1);
    ASSERT_EQ(xml.AddElem("B", nullptr, 1, 1), 1);
    ASSERT_EQ(xml.AddSubDoc("<Z><Y/></Z>", 1, 0), 1);   // before R at the top level
    EXPECT_EQ(Text(xml.GetTagName()), "Z");
    ZrMarkup read(xml.m_strDocText);
    ASSERT_EQ(read.FindElem(nullptr), 1);
    EXPECT_EQ(Text(read.GetTagName()), "Z");
    ASSERT_EQ(read.FindElem(nullptr), 1);
    EXPECT_EQ(Text(read.GetTagName()), "R");
    std::string names;
    while (read.FindChildElem(nullptr))
        names += Text(read.GetChildTagName());
    EXPECT_EQ(names, "ABC");
}
