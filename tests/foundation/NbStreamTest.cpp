#include "NbTestSupport.h"
#include "ZrByteArray.h"
#include "ZrCacheFile.h"
#include "ZrCompress.h"
#include "ZrFile.h"
#include "ZrStream.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;
using VEXA::VexaString;
using ZRC::ZrByteArray;
using ZRC::ZrCacheFile;
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
    ZrByteArray bytes, assigned;
    EXPECT_EQ(bytes.GetData(), nullptr);
    bytes.SetCapacity(1048576);
    const unsigned char data[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(bytes.Add(data, 5) + bytes.Add(data, 0) + bytes.Add(data, -1) + bytes.Add(nullptr, 3), 20);
    EXPECT_EQ(bytes.Add(data + 3, 2), 7);
    ZrByteArray copy(bytes);
    assigned = bytes;
    bytes.RemoveAll();
    EXPECT_EQ(bytes.GetData(), nullptr);
    for (const ZrByteArray* b : {&copy, &assigned})
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

namespace {

std::string Document(int n)
{
    return n == 0 ? "" : Document(n - 1) + "<ParticleSystem><Speed:X>" + std::to_string(n) + ".000000</Speed:X></ParticleSystem>";
}

class ZrCacheFileTest : public ::testing::Test {
protected:
    std::string Build(const std::string& file, const std::vector<nbtest::ZipEntry>& entries)
    {
        nbtest::WriteZip(m_dir / file, entries);
        return m_dir / file;
    }

    // ReadFile followed by UnZip, as the resource reader does it; "!" and the
    // result for a failed read, "!!" for one that UnZip refuses.
    static std::string No(int result) { return "!" + std::string(ZrCacheFile::Describe(result)); }
    static std::string Read(ZrCacheFile& cache, const char* name, unsigned int capacity = 1048576)
    {
        ZrByteArray bytes;
        bytes.Add(reinterpret_cast<const unsigned char*>("stale"), 5);
        const int result = cache.ReadFile(name, bytes);
        if (result != ZrCacheFile::kOk)
            return bytes.GetSize() == 0 ? No(result) : "!bytes left";
        std::vector<unsigned char> buffer(capacity);
        unsigned int length = capacity;
        if (!ZRC::ZrCompress::UnZip(buffer.data(), length, bytes.GetData(), static_cast<unsigned int>(bytes.GetSize())))
            return "!!";
        return std::string(reinterpret_cast<const char*>(buffer.data()), length);
    }

    nbtest::TempDir m_dir;
};

} // namespace

TEST_F(ZrCacheFileTest, EntriesReadBackByExactName)
{
    const std::string doc = Document(40);
    const std::string path = Build("particle.sc", {{"fire", doc, false}, {"dir/Snow", "plain stored text", false, ZIP_CM_STORE},
                                                   {"bzip", doc, false, ZIP_CM_BZIP2}, {"empty", "", false, ZIP_CM_STORE}});
    ZrCacheFile cache;
    EXPECT_EQ(cache.IsOpen() + cache.GetEntryCount() + cache.GetEntryName(0).Str().size(), 0u);
    ASSERT_EQ(cache.Open(path.c_str(), "5KPOV"), 0);
    EXPECT_EQ(cache.IsOpen(), 1);
    const std::string none = No(ZrCacheFile::kNoEntry);
    const std::pair<const char*, std::string> reads[] = {{"fire", doc}, {"dir/Snow", "plain stored text"}, {"bzip", doc},
                                                         {"empty", ""}, {"Fire", none}, {"dir/snow", none}, {"Snow", none}, {"", none}};
    for (const auto& r : reads)
        EXPECT_EQ(Read(cache, r.first), r.second) << r.first;
    // Deflated entries are handed out still compressed.
    ZrByteArray bytes;
    ASSERT_EQ(cache.ReadFile("fire", bytes), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.GetData()), 5), std::string("ZrCF\x08", 5));

    ASSERT_EQ(cache.GetEntryCount(), 4);
    EXPECT_EQ(std::string(cache.GetEntryName(0)) + "|" + cache.GetEntryName(1).Str() + "|" + cache.GetEntryName(4).Str() +
                  "|" + cache.GetEntryName(-1).Str(), "fire|dir/Snow||");

    // Reopening switches archives; closing or a failed open leaves it closed.
    ASSERT_EQ(cache.Open(Build("b.sc", {{"two", "2", false, ZIP_CM_STORE}}).c_str(), ""), 0);
    EXPECT_EQ(Read(cache, "fire") + Read(cache, "two"), none + "2");
    cache.Close();
    EXPECT_EQ(std::to_string(cache.IsOpen()) + Read(cache, "two"), "0" + No(ZrCacheFile::kNotOpen));

    // Missing, corrupt and damaged archives fail, and a failed open leaves the container closed.
    const std::string good = nbtest::ReadFile(path);
    ASSERT_EQ(cache.Open(path.c_str(), ""), 0);
    const std::pair<std::string, int> opens[] = {
        {m_dir / "nothing.sc", ZrCacheFile::kNoFile}, {"", ZrCacheFile::kNoFile}, {m_dir.Folder(), ZrCacheFile::kNoFile},
        {m_dir.Write("empty.sc", ""), ZrCacheFile::kNotArchive},
        {m_dir.Write("text.sc", "this is not an archive, just some text"), ZrCacheFile::kNotArchive},
        {m_dir.Write("cut.sc", good.substr(0, good.size() - 10)), ZrCacheFile::kNotArchive},
        {m_dir.Write("head.sc", good.substr(0, good.size() / 2)), ZrCacheFile::kNotArchive}};
    for (const auto& bad : opens) {
        EXPECT_EQ(cache.Open(bad.first.c_str(), "5KPOV"), bad.second) << bad.first;
        EXPECT_EQ(cache.IsOpen(), 0);
    }
    // Damage in the middle of the compressed data (after the local header and the name).
    std::string damaged = good;
    damaged[30 + 4 + 20] = static_cast<char>(damaged[30 + 4 + 20] ^ 0x55);
    ASSERT_EQ(cache.Open(m_dir.Write("damaged.sc", damaged).c_str(), "5KPOV"), 0);
    EXPECT_EQ(Read(cache, "fire"), "!!");
}

// Encrypted entries read with the access string only; every way a read fails
// has its own result and text.
TEST_F(ZrCacheFileTest, EncryptedEntriesAndFailedReads)
{
    const std::string doc = Document(25);
    std::string zip = nbtest::ReadFile(Build("why.sc", {{"pk", doc, true, ZIP_CM_DEFLATE, ZIP_EM_TRAD_PKWARE},
                                                        {"pk-stored", "pk secret", true, ZIP_CM_STORE, ZIP_EM_TRAD_PKWARE},
                                                        {"aes", doc, true}, {"aes-stored", "aes secret", true, ZIP_CM_STORE},
                                                        {"pk-other", doc, true, ZIP_CM_DEFLATE, ZIP_EM_TRAD_PKWARE, "other"},
                                                        {"aes-other", doc, true, ZIP_CM_STORE, ZIP_EM_AES_128, "other"},
                                                        {"strong", doc, true, ZIP_CM_DEFLATE, ZIP_EM_TRAD_PKWARE},
                                                        {"method", doc, false}, {"bzip", "z", false, ZIP_CM_BZIP2}, {"deflate", doc, false},
                                                        {"lie", std::string(5221, 'l'), false, ZIP_CM_STORE},
                                                        {"big lie", std::string(8000, 'b'), false, ZIP_CM_STORE}}));
    auto patch = [&zip](const char* name, size_t central, size_t local, char value) {
        zip[nbtest::CentralRecord(zip, name) + central] = zip[nbtest::LocalRecord(zip, name) + local] = value;
    };
    patch("strong", 8, 6, zip[nbtest::CentralRecord(zip, "strong") + 8] | 0x40);   // strong encryption, a method not known here
    patch("method", 10, 8, 97);                                                     // a compression method not known here
    patch("bzip", 16, 14, zip[nbtest::CentralRecord(zip, "bzip") + 16] ^ 1);         // a wrong CRC, which libzip finds
    zip[nbtest::EntryData(zip, "deflate") + 20] ^= 0x55;                             // damaged data, which UnZip finds
    for (const char* name : {"lie", "big lie"})                                      // 1000 bytes, says the index
        patch(name, 24, 22, char(1000 % 256)), patch(name, 25, 23, char(1000 / 256));
    const std::string path = m_dir.Write("why.sc", zip);
    const std::string wrong = No(ZrCacheFile::kWrongPassword), tail = "|" + No(ZrCacheFile::kUnsupportedEncryption) + "|" +
        No(ZrCacheFile::kUnsupportedCompression) + "|" + No(ZrCacheFile::kDamaged) + "|!!|" + No(ZrCacheFile::kNoEntry);
    for (const char* access : {"5KPOV", ""}) {
        ZrCacheFile cache;
        ASSERT_EQ(cache.Open(path.c_str(), access), 0);
        std::string got;
        for (const char* name : {"pk", "pk-stored", "aes", "aes-stored", "pk-other", "aes-other", "strong", "method", "bzip", "deflate", "PK"})
            got += (got.empty() ? "" : "|") + Read(cache, name);
        EXPECT_EQ(got, (*access ? doc + "|pk secret|" + doc + "|aes secret|" : wrong + "|" + wrong + "|" + wrong + "|" + wrong + "|") +
                           wrong + "|" + wrong + tail);
    }
    // The content's own limit applies, whatever the stored bytes around it (an
    // encrypted entry's header) or up to an eighth and 4 KiB beyond it.
    ZrCacheFile cache;
    ZrByteArray bytes;
    ASSERT_EQ(cache.Open(path.c_str(), "5KPOV"), 0);
    EXPECT_EQ(cache.ReadFile("pk-stored", bytes, 9) + cache.ReadFile("aes-stored", bytes, 10), ZrCacheFile::kOk);
    EXPECT_EQ(cache.ReadFile("aes", bytes, static_cast<unsigned int>(doc.size() - 1)), ZrCacheFile::kTooLarge);
    EXPECT_EQ(cache.ReadFile("lie", bytes, 1000), ZrCacheFile::kDamaged);
    EXPECT_EQ(cache.ReadFile("big lie", bytes, 1000), ZrCacheFile::kTooLarge);

    std::set<std::string> texts;
    for (int result = ZrCacheFile::kOk; result <= ZrCacheFile::kDamaged + 1; ++result)
        texts.insert(ZrCacheFile::Describe(result));
    EXPECT_EQ(texts.size(), 12u);
    EXPECT_STREQ(ZrCacheFile::Describe(ZrCacheFile::kWrongPassword), "cannot be decrypted: wrong password");
    EXPECT_STREQ(ZrCacheFile::Describe(-1), "unknown result");
}
