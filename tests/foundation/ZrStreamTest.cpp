#include "NbTestSupport.h"
#include "ZrByteArray.h"
#include "ZrFile.h"
#include "ZrStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;
using VEXA::VexaString;
using ZRC::ZrFile;

TEST(ZrStreamTest, LengthPrefixedStringsRoundTripAndCutsFail)
{
    const std::string big(100000, 'x'), withNul("a\0b", 3);
    ZRC::ZrStream out;
    out << VexaString("first") << VexaString("") << VexaString(big) << VexaString(withNul);
    ASSERT_EQ(out.GetSize(), 4u * 4 + 5 + big.size() + 3);
    EXPECT_EQ(Bytes(out.GetData(), out.GetData() + 9), (Bytes{5, 0, 0, 0, 'f', 'i', 'r', 's', 't'}));
    std::vector<Bytes> inputs = {Bytes(out.GetData(), out.GetData() + out.GetSize()),
                                 {5, 0, 0, 0, 'f', 'i', 'r', 's', 't', 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'}};
    // Every cut inside the third string, and inside its length, fails on it.
    for (unsigned int cut = 13; cut < 17 + big.size(); cut += cut < 40 ? 1 : 25000)
        inputs.emplace_back(out.GetData(), out.GetData() + cut);
    for (const Bytes& bytes : inputs) {
        ZRC::ZrStream in(bytes.data(), static_cast<unsigned int>(bytes.size()));
        VexaString first, second("x"), third("x");
        in >> first >> second;
        const unsigned int pos = in.GetReadPos();
        in >> third;
        const bool whole = bytes.size() == out.GetSize();
        EXPECT_EQ(first.Str() + "|" + second.Str() + "|" + third.Str().substr(0, 2), whole ? "first||xx" : "first||")
            << bytes.size();
        EXPECT_EQ(in.IsFailed(), whole ? 0 : 1);
        EXPECT_EQ(in.GetReadPos(), whole ? pos + 4 + big.size() : pos) << bytes.size();
        in >> first;   // past the end, or the failure sticks until the stream is rewound
        EXPECT_EQ(first.Str(), whole ? withNul : "");
        in >> first;
        EXPECT_EQ(first.Str() + std::to_string(in.IsFailed()), "1");
        in.SetData(in.GetData(), in.GetSize());   // from its own bytes, rewound
        in >> first;
        EXPECT_EQ(first.Str() + std::to_string(in.IsFailed()), "first0");
    }
}

TEST(ZrByteArrayTest, AddCopyAndResize)
{
    ZRC::ZrByteArray bytes, assigned;
    EXPECT_EQ(bytes.GetData(), nullptr);
    bytes.SetCapacity(1048576);
    const unsigned char data[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(bytes.Add(data, 5) + bytes.Add(data, 0) + bytes.Add(data, -1) + bytes.Add(nullptr, 3), 20);
    EXPECT_EQ(bytes.Add(data + 3, 2), 7);
    ZRC::ZrByteArray copy(bytes);
    assigned = bytes;
    bytes.RemoveAll();
    EXPECT_EQ(bytes.GetData(), nullptr);
    for (const ZRC::ZrByteArray* b : {&copy, &assigned})
        EXPECT_EQ(Bytes(b->GetData(), b->GetData() + b->GetSize()), (Bytes{1, 2, 3, 4, 5, 4, 5}));
    copy.SetSize(-4);
    EXPECT_EQ(copy.GetSize(), 0);
    // From its own bytes, doubling and reallocating on the way.
    bytes.SetGrowSize(1);
    bytes.Add(data, 3);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(bytes.Add(bytes.GetData(), bytes.GetSize()), 3 << (i + 1));
    for (int i = 0; i < bytes.GetSize(); ++i)
        ASSERT_EQ(bytes.GetData()[i], data[i % 3]) << i;
}

TEST(ZrFileTest, ExtensionExistenceModulePathAndTolerance)
{
    const char* const exts[][2] = {{"a/b.par", ".par"}, {"fire.PAR", ".PAR"}, {"dir.d/file", ""}, {"d.d\\r.png", ".png"},
                                   {"archive.tar.gz", ".gz"}, {"fire", ""}, {"/home/.hidden", ""}, {"", ""}};
    for (const auto& e : exts)
        EXPECT_EQ(ZrFile::GetExt(e[0]).Str(), e[1]) << e[0];
    nbtest::TempDir dir;
    EXPECT_NE(ZrFile::IsExist(dir.Write("x.par", "x").c_str()), 0);
    EXPECT_EQ(ZrFile::IsExist(dir.Folder().c_str()), 0);
    EXPECT_EQ(ZrFile::IsExist((dir / "none.par").c_str()), 0);
    const std::string folder = ZrFile::GetModulePath("NbBase").Str();
    EXPECT_TRUE(nbtest::ReadFile(folder + "libNbParticleSystem600.so").size() > 0) << folder;
    // rand() / RAND_MAX rounded to float can sit exactly at 1.
    EXPECT_EQ(ZRC::zrequal(1.0, 1.0 + 0.9e-6) + ZRC::zrequal(-3.0000005, -3.0) +
                  ZRC::zrequal(static_cast<float>(2147483646 / 2147483647.0), 1.0), 3);
    EXPECT_EQ(ZRC::zrequal(1.0, 1.0 + 1.1e-6), 0);
}
