#include "NbTestSupport.h"
#include "ZrByteArray.h"
#include "ZrCacheFile.h"
#include "ZrCompress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using ZRC::ZrByteArray;
using ZRC::ZrCacheFile;

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

    // ReadFile followed by UnZip, as the resource reader does it; "!" for a failure.
    static std::string Read(ZrCacheFile& cache, const char* name, unsigned int capacity = 1048576)
    {
        ZrByteArray bytes;
        if (cache.ReadFile(name, bytes) != 0)
            return bytes.GetSize() == 0 ? "!" : "!bytes left";
        std::vector<unsigned char> buffer(capacity);
        unsigned int length = capacity;
        if (!ZRC::ZrCompress::UnZip(buffer.data(), length, bytes.GetData(), static_cast<unsigned int>(bytes.GetSize())))
            return "!";
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
    EXPECT_EQ(cache.IsOpen() + cache.GetEntryCount(), 0);
    EXPECT_EQ(Read(cache, "fire"), "!");
    ASSERT_EQ(cache.Open(path.c_str(), "5KPOV"), 0);
    EXPECT_EQ(cache.IsOpen(), 1);
    const std::pair<const char*, std::string> reads[] = {{"fire", doc}, {"dir/Snow", "plain stored text"}, {"bzip", doc},
                                                         {"empty", ""}, {"Fire", "!"}, {"dir/snow", "!"}, {"Snow", "!"}, {"", "!"}};
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
    EXPECT_EQ(Read(cache, "fire"), "!");
    EXPECT_EQ(Read(cache, "two"), "2");
    cache.Close();
    EXPECT_EQ(cache.IsOpen(), 0);
    EXPECT_EQ(Read(cache, "two"), "!");

    // Missing, corrupt and damaged archives fail, and a failed open leaves the container closed.
    const std::string good = nbtest::ReadFile(path);
    ASSERT_EQ(cache.Open(path.c_str(), ""), 0);
    for (const std::string& bad : {m_dir / "nothing.sc", std::string(), m_dir.Folder(), m_dir.Write("empty.sc", ""),
                                    m_dir.Write("text.sc", "this is not an archive, just some text"),
                                    m_dir.Write("cut.sc", good.substr(0, good.size() - 10)),
                                    m_dir.Write("head.sc", good.substr(0, good.size() / 2))}) {
        EXPECT_NE(cache.Open(bad.c_str(), "5KPOV"), 0) << bad;
        EXPECT_EQ(cache.IsOpen(), 0);
    }
    // Damage in the middle of the compressed data (after the local header and the name).
    std::string damaged = good;
    damaged[30 + 4 + 20] = static_cast<char>(damaged[30 + 4 + 20] ^ 0x55);
    ASSERT_EQ(cache.Open(m_dir.Write("damaged.sc", damaged).c_str(), "5KPOV"), 0);
    EXPECT_EQ(Read(cache, "fire"), "!");
}

TEST_F(ZrCacheFileTest, EncryptedEntriesNeedTheAccessString)
{
    const std::string doc = Document(25);
    const std::string path = Build("secret.sc", {{"pk-deflate", doc, true, ZIP_CM_DEFLATE, ZIP_EM_TRAD_PKWARE},
                                                 {"pk-stored", "stored secret", true, ZIP_CM_STORE, ZIP_EM_TRAD_PKWARE},
                                                 {"aes-deflate", doc, true}, {"aes-stored", "aes secret", true, ZIP_CM_STORE},
                                                 {"open", "not secret", false}});
    for (const std::string access : {"5KPOV", "wrong", ""}) {
        ZrCacheFile cache;
        ASSERT_EQ(cache.Open(path.c_str(), access.c_str()), 0);
        const std::string got = Read(cache, "pk-deflate") + "|" + Read(cache, "pk-stored") + "|" + Read(cache, "aes-deflate") +
                                "|" + Read(cache, "aes-stored") + "|" + Read(cache, "open");
        EXPECT_EQ(got, access == "5KPOV" ? doc + "|stored secret|" + doc + "|aes secret|not secret" : "!|!|!|!|not secret");
    }
}
