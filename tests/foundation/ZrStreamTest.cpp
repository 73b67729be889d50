#include "ZrByteArray.h"
#include "ZrFile.h"
#include "ZrStream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using ZRC::ZrByteArray;
using ZRC::ZrFile;
using ZRC::ZrStream;

TEST(ZrStreamTest, SeveralStringsRoundTrip)
{
    const std::string big(100000, 'x');
    const std::string withNul("a\0b", 3);
    ZrStream out;
    out << VEXA::VexaString("<QuenmarParticleEffect/>") << VEXA::VexaString("") << VEXA::VexaString(big)
        << VEXA::VexaString(withNul);
    EXPECT_EQ(out.GetSize(), 4u * 4 + 24 + big.size() + 3);

    ZrStream in(out.GetData(), out.GetSize());
    VEXA::VexaString a, b, c, d;
    in >> a >> b >> c >> d;
    EXPECT_EQ(in.IsFailed(), 0);
    EXPECT_EQ(in.IsEOF(), 1);
    EXPECT_EQ(a.Str(), "<QuenmarParticleEffect/>");
    EXPECT_EQ(b.Str(), "");
    EXPECT_EQ(c.Str(), big);
    EXPECT_EQ(d.Str(), withNul);
    // Reading past the end fails and yields an empty string.
    VEXA::VexaString e("stale");
    in >> e;
    EXPECT_EQ(in.IsFailed(), 1);
    EXPECT_EQ(e.Str(), "");
}

TEST(ZrStreamTest, EncodingIsLittleEndianLengthThenBytes)
{
    ZrStream out;
    out << VEXA::VexaString("abc");
    ASSERT_EQ(out.GetSize(), 7u);
    const unsigned char expected[] = {3, 0, 0, 0, 'a', 'b', 'c'};
    EXPECT_EQ(std::vector<unsigned char>(out.GetData(), out.GetData() + 7),
              std::vector<unsigned char>(expected, expected + 7));
}

TEST(ZrStreamTest, EmptyStreamReadFails)
{
    ZrStream empty;
    EXPECT_EQ(empty.GetData(), nullptr);
    EXPECT_EQ(empty.IsEOF(), 1);
    VEXA::VexaString s("x");
    empty >> s;
    EXPECT_EQ(empty.IsFailed(), 1);
    EXPECT_EQ(s.Str(), "");
    ZrStream fromNull(nullptr, 10);
    EXPECT_EQ(fromNull.GetSize(), 0u);
    fromNull >> s;
    EXPECT_EQ(fromNull.IsFailed(), 1);
}

TEST(ZrStreamTest, TruncatedStreamFailsWithoutMoving)
{
    ZrStream out;
    out << VEXA::VexaString("first") << VEXA::VexaString("second string");
    // Every cut inside the second string, and inside its length, fails on it.
    for (unsigned int cut = 9; cut < out.GetSize(); ++cut) {
        // A copy on the heap of exactly `cut` bytes, so a read past it would be caught by tools.
        std::vector<unsigned char> bytes(out.GetData(), out.GetData() + cut);
        ZrStream in(bytes.data(), cut);
        VEXA::VexaString first, second("x");
        in >> first;
        ASSERT_EQ(in.IsFailed(), 0) << cut;
        EXPECT_EQ(first.Str(), "first");
        const unsigned int pos = in.GetReadPos();
        in >> second;
        EXPECT_EQ(in.IsFailed(), 1) << cut;
        EXPECT_EQ(second.Str(), "") << cut;
        EXPECT_EQ(in.GetReadPos(), pos) << cut;
        // The failure sticks until the stream is rewound.
        in >> first;
        EXPECT_EQ(first.Str(), "");
        in.Rewind();
        in >> first;
        EXPECT_EQ(in.IsFailed(), 0);
        EXPECT_EQ(first.Str(), "first");
    }
}

TEST(ZrStreamTest, HugeDeclaredLengthFails)
{
    const unsigned char bytes[] = {0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'};
    ZrStream in(bytes, sizeof(bytes));
    VEXA::VexaString s;
    in >> s;
    EXPECT_EQ(in.IsFailed(), 1);
    EXPECT_EQ(in.GetReadPos(), 0u);
}

TEST(ZrStreamTest, SetDataReplacesAndRewinds)
{
    ZrStream a;
    a << VEXA::VexaString("one") << VEXA::VexaString("two");
    VEXA::VexaString s;
    a >> s;
    a.SetData(a.GetData(), a.GetSize());   // from its own bytes
    EXPECT_EQ(a.GetReadPos(), 0u);
    a >> s;
    EXPECT_EQ(s.Str(), "one");
    a.SetData(nullptr, 0);
    EXPECT_EQ(a.GetSize(), 0u);
}

TEST(ZrByteArrayTest, AddGrowAndRemove)
{
    ZrByteArray bytes;
    EXPECT_EQ(bytes.GetSize(), 0);
    EXPECT_EQ(bytes.GetData(), nullptr);
    bytes.SetCapacity(1048576);
    bytes.SetGrowSize(1024);
    const unsigned char data[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(bytes.Add(data, 5), 5);
    EXPECT_EQ(bytes.Add(data, 0), 5);
    EXPECT_EQ(bytes.Add(nullptr, 3), 5);
    EXPECT_EQ(bytes.Add(data, -1), 5);
    EXPECT_EQ(bytes.Add(data + 3, 2), 7);
    const unsigned char expected[] = {1, 2, 3, 4, 5, 4, 5};
    EXPECT_EQ(std::vector<unsigned char>(bytes.GetData(), bytes.GetData() + 7),
              std::vector<unsigned char>(expected, expected + 7));
    ZrByteArray copy(bytes);
    bytes.RemoveAll();
    EXPECT_EQ(bytes.GetSize(), 0);
    EXPECT_EQ(bytes.GetData(), nullptr);
    EXPECT_EQ(copy.GetSize(), 7);
    const ZrByteArray& alias = copy;
    copy = alias;
    EXPECT_EQ(copy.GetSize(), 7);
    copy.SetSize(2);
    EXPECT_EQ(copy.GetSize(), 2);
    copy.SetSize(-4);
    EXPECT_EQ(copy.GetSize(), 0);
}

TEST(ZrByteArrayTest, AddFromOwnBytesAcrossReallocation)
{
    ZrByteArray bytes;
    const unsigned char seed[] = {9, 8, 7};
    bytes.Add(seed, 3);
    for (int i = 0; i < 12; ++i)
        bytes.Add(bytes.GetData(), bytes.GetSize());   // doubles, reallocating on the way
    ASSERT_EQ(bytes.GetSize(), 3 << 12);
    for (int i = 0; i < bytes.GetSize(); ++i)
        ASSERT_EQ(bytes.GetData()[i], seed[i % 3]) << i;
}

TEST(ZrFileTest, ExtensionKeepsItsDot)
{
    EXPECT_EQ(ZrFile::GetExt("a/b.par").Str(), ".par");
    EXPECT_EQ(ZrFile::GetExt("fire.PAR").Str(), ".PAR");
    EXPECT_EQ(ZrFile::GetExt("dir.d/file").Str(), "");
    EXPECT_EQ(ZrFile::GetExt("dir.d\\ramp.png").Str(), ".png");
    EXPECT_EQ(ZrFile::GetExt("archive.tar.gz").Str(), ".gz");
    EXPECT_EQ(ZrFile::GetExt("fire").Str(), "");
    EXPECT_EQ(ZrFile::GetExt("/home/.hidden").Str(), "");
    EXPECT_EQ(ZrFile::GetExt("").Str(), "");
}

TEST(ZrFileTest, IsExistOnlyForRegularFiles)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("nbps-file-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "x.par").string();
    std::ofstream(file) << "x";
    EXPECT_NE(ZrFile::IsExist(file.c_str()), 0);
    EXPECT_EQ(ZrFile::IsExist(dir.string().c_str()), 0);
    EXPECT_EQ(ZrFile::IsExist((dir / "none.par").string().c_str()), 0);
    EXPECT_EQ(ZrFile::IsExist(""), 0);
    std::filesystem::remove_all(dir);
}

TEST(ZrFileTest, ModulePathIsTheLibraryFolderWithSeparator)
{
    const std::string folder = ZrFile::GetModulePath("NbBase").Str();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::path(folder).is_absolute());
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        found = found || entry.path().filename().string().rfind("libNbParticleSystem600.so", 0) == 0;
    EXPECT_TRUE(found) << folder;
}

TEST(ZrFileTest, EqualityTolerance)
{
    EXPECT_NE(ZRC::zrequal(1.0, 1.0), 0);
    EXPECT_NE(ZRC::zrequal(1.0, 1.0 + 0.9e-6), 0);
    EXPECT_EQ(ZRC::zrequal(1.0, 1.0 + 1.1e-6), 0);
    EXPECT_NE(ZRC::zrequal(-3.0000005, -3.0), 0);
    EXPECT_EQ(ZRC::zrequal(0.0, 1e-5), 0);
    // rand() / RAND_MAX rounded to float can sit exactly at 1.
    EXPECT_NE(ZRC::zrequal(static_cast<float>(2147483646 / 2147483647.0), 1.0), 0);
}
