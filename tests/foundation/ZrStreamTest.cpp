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
using VEXA::VexaString;

TEST(ZrStreamTest, LengthPrefixedStringsRoundTrip)
{
    const std::string big(100000, 'x'), withNul("a\0b", 3);
    ZrStream out;
    out << VexaString("abc") << VexaString("") << VexaString(big) << VexaString(withNul);
    ASSERT_EQ(out.GetSize(), 4u * 4 + 3 + big.size() + 3);
    EXPECT_EQ(std::vector<unsigned char>(out.GetData(), out.GetData() + 7), (std::vector<unsigned char>{3, 0, 0, 0, 'a', 'b', 'c'}));
    ZrStream in(out.GetData(), out.GetSize());
    VexaString a, b, c, d, e("stale");
    in >> a >> b >> c >> d;
    EXPECT_EQ(in.IsFailed(), 0);
    EXPECT_EQ(in.IsEOF(), 1);
    EXPECT_EQ(a.Str() + "|" + b.Str(), "abc|");
    EXPECT_EQ(c.Str(), big);
    EXPECT_EQ(d.Str(), withNul);
    in >> e;   // past the end
    EXPECT_EQ(in.IsFailed(), 1);
    EXPECT_EQ(e.Str(), "");
    in.SetData(in.GetData(), in.GetSize());   // from its own bytes, rewound
    in >> e;
    EXPECT_EQ(e.Str(), "abc");
    ZrStream fromNull(nullptr, 10);
    EXPECT_EQ(fromNull.GetSize(), 0u);
    EXPECT_EQ(fromNull.GetData(), nullptr);
}

TEST(ZrStreamTest, TruncatedStreamFailsWithoutMoving)
{
    ZrStream out;
    out << VexaString("first") << VexaString("second string");
    // Every cut inside the second string, and inside its length, fails on it;
    // so does a huge declared length.
    std::vector<std::vector<unsigned char>> cuts;
    for (unsigned int cut = 9; cut < out.GetSize(); ++cut)
        cuts.emplace_back(out.GetData(), out.GetData() + cut);
    cuts.push_back({5, 0, 0, 0, 'f', 'i', 'r', 's', 't', 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'});
    for (const std::vector<unsigned char>& bytes : cuts) {
        ZrStream in(bytes.data(), static_cast<unsigned int>(bytes.size()));
        VexaString first, second("x");
        in >> first;
        ASSERT_EQ(in.IsFailed(), 0) << bytes.size();
        EXPECT_EQ(first.Str(), "first");
        in >> second;
        EXPECT_EQ(in.IsFailed(), 1) << bytes.size();
        EXPECT_EQ(second.Str(), "") << bytes.size();
        EXPECT_EQ(in.GetReadPos(), 9u) << bytes.size();
        in >> first;   // the failure sticks until the stream is rewound
        EXPECT_EQ(first.Str(), "");
        in.Rewind();
        in >> first;
        EXPECT_EQ(first.Str(), "first");
    }
}

TEST(ZrByteArrayTest, AddCopyAndResize)
{
    ZrByteArray bytes;
    EXPECT_EQ(bytes.GetData(), nullptr);
    bytes.SetCapacity(1048576);
    bytes.SetGrowSize(1024);
    const unsigned char data[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(bytes.Add(data, 5), 5);
    EXPECT_EQ(bytes.Add(data, 0), 5);
    EXPECT_EQ(bytes.Add(nullptr, 3), 5);
    EXPECT_EQ(bytes.Add(data, -1), 5);
    EXPECT_EQ(bytes.Add(data + 3, 2), 7);
    ZrByteArray copy(bytes), assigned;
    assigned = bytes;
    bytes.RemoveAll();
    EXPECT_EQ(bytes.GetData(), nullptr);
    for (const ZrByteArray* b : {&copy, &assigned})
        EXPECT_EQ(std::vector<unsigned char>(b->GetData(), b->GetData() + b->GetSize()),
                  (std::vector<unsigned char>{1, 2, 3, 4, 5, 4, 5}));
    copy.SetSize(2);
    EXPECT_EQ(copy.GetSize(), 2);
    copy.SetSize(-4);
    EXPECT_EQ(copy.GetSize(), 0);

    // From its own bytes, doubling and reallocating on the way.
    ZrByteArray grow;
    grow.Add(data, 3);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(grow.Add(grow.GetData(), grow.GetSize()), 3 << (i + 1));
    for (int i = 0; i < grow.GetSize(); ++i)
        ASSERT_EQ(grow.GetData()[i], data[i % 3]) << i;
}

TEST(ZrFileTest, ExtensionExistenceModulePathAndTolerance)
{
    const struct {
        const char* path;
        const char* ext;
    } exts[] = {{"a/b.par", ".par"}, {"fire.PAR", ".PAR"}, {"dir.d/file", ""}, {"dir.d\\ramp.png", ".png"},
                {"archive.tar.gz", ".gz"}, {"fire", ""}, {"/home/.hidden", ""}, {"", ""}};
    for (const auto& e : exts)
        EXPECT_EQ(ZrFile::GetExt(e.path).Str(), e.ext) << e.path;

    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("nbps-file-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream((dir / "x.par").string()) << "x";
    EXPECT_NE(ZrFile::IsExist((dir / "x.par").string().c_str()), 0);
    EXPECT_EQ(ZrFile::IsExist(dir.string().c_str()), 0);
    EXPECT_EQ(ZrFile::IsExist((dir / "none.par").string().c_str()), 0);
    std::filesystem::remove_all(dir);

    const std::string folder = ZrFile::GetModulePath("NbBase").Str();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder + "libNbParticleSystem600.so")) << folder;

    EXPECT_NE(ZRC::zrequal(1.0, 1.0 + 0.9e-6), 0);
    EXPECT_EQ(ZRC::zrequal(1.0, 1.0 + 1.1e-6), 0);
    EXPECT_NE(ZRC::zrequal(-3.0000005, -3.0), 0);
    // rand() / RAND_MAX rounded to float can sit exactly at 1.
    EXPECT_NE(ZRC::zrequal(static_cast<float>(2147483646 / 2147483647.0), 1.0), 0);
}
