#include "ZrByteArray.h"
#include "ZrCacheFile.h"
#include "ZrCompress.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <unistd.h>

using ZRC::ZrByteArray;
using ZRC::ZrCacheFile;
using ZRC::ZrCompress;

namespace {

namespace fs = std::filesystem;

struct Entry {
    std::string name;
    std::string content;
    zip_int32_t method;      // ZIP_CM_STORE, ZIP_CM_DEFLATE, ZIP_CM_BZIP2
    zip_uint16_t encryption; // ZIP_EM_NONE, ZIP_EM_TRAD_PKWARE, ZIP_EM_AES_256
};

std::string Document(int n)
{
    std::string s = "<QuenmarParticleEffect><EffectType>1</EffectType>";
    for (int i = 0; i < n; ++i)
        s += "<ParticleSystem><Speed:X>" + std::to_string(i) + ".000000</Speed:X></ParticleSystem>";
    return s + "</QuenmarParticleEffect>";
}

class ZrCacheFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("nbps-cache-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    std::string Build(const std::string& file, const std::vector<Entry>& entries)
    {
        const std::string path = (m_dir / file).string();
        int error = 0;
        zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        EXPECT_NE(za, nullptr);
        for (const Entry& e : entries) {
            zip_source_t* src = zip_source_buffer(za, e.content.data(), e.content.size(), 0);
            const zip_int64_t idx = zip_file_add(za, e.name.c_str(), src, ZIP_FL_ENC_UTF_8);
            EXPECT_GE(idx, 0) << zip_strerror(za);
            EXPECT_EQ(zip_set_file_compression(za, static_cast<zip_uint64_t>(idx), e.method, 0), 0);
            if (e.encryption != ZIP_EM_NONE) {
                EXPECT_EQ(zip_file_set_encryption(za, static_cast<zip_uint64_t>(idx), e.encryption, "5KPOV"), 0);
            }
        }
        EXPECT_EQ(zip_close(za), 0);
        return path;
    }

    std::string Write(const std::string& file, const std::string& bytes)
    {
        const std::string path = (m_dir / file).string();
        std::ofstream out(path, std::ios::binary);
        out << bytes;
        return path;
    }

    static std::string ReadBytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // ReadFile followed by UnZip, as the resource reader does it.
    static bool ReadEntry(ZrCacheFile& cache, const char* name, std::string& content, unsigned int capacity = 1048576)
    {
        ZrByteArray bytes;
        if (cache.ReadFile(name, bytes) != 0)
            return false;
        std::vector<unsigned char> buffer(capacity);
        unsigned int length = capacity;
        if (!ZrCompress::UnZip(buffer.data(), length, bytes.GetData(), static_cast<unsigned int>(bytes.GetSize())))
            return false;
        content.assign(reinterpret_cast<const char*>(buffer.data()), length);
        return true;
    }

    fs::path m_dir;
};

} // namespace

TEST_F(ZrCacheFileTest, StoredAndDeflatedEntriesReadBack)
{
    const std::string doc = Document(40);
    const std::string path = Build("particle.sc", {{"fire", doc, ZIP_CM_DEFLATE, ZIP_EM_NONE},
                                                   {"smoke", "plain stored text", ZIP_CM_STORE, ZIP_EM_NONE},
                                                   {"texture/ramp.png", std::string(300, '\x7f'), ZIP_CM_DEFLATE, ZIP_EM_NONE},
                                                   {"empty", "", ZIP_CM_STORE, ZIP_EM_NONE}});
    ZrCacheFile cache;
    EXPECT_EQ(cache.IsOpen(), 0);
    ASSERT_EQ(cache.Open(path.c_str(), "5KPOV"), 0);
    EXPECT_EQ(cache.IsOpen(), 1);
    std::string content;
    ASSERT_TRUE(ReadEntry(cache, "fire", content));
    EXPECT_EQ(content, doc);
    ASSERT_TRUE(ReadEntry(cache, "smoke", content));
    EXPECT_EQ(content, "plain stored text");
    ASSERT_TRUE(ReadEntry(cache, "texture/ramp.png", content));
    EXPECT_EQ(content, std::string(300, '\x7f'));
    ASSERT_TRUE(ReadEntry(cache, "empty", content));
    EXPECT_EQ(content, "");

    // The deflated entry is handed out still compressed.
    ZrByteArray bytes;
    ASSERT_EQ(cache.ReadFile("fire", bytes), 0);
    EXPECT_LT(bytes.GetSize(), static_cast<int>(doc.size()));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.GetData()), 4), "ZrCF");
    // A document entry that does not fit the document capacity fails to unpack.
    EXPECT_FALSE(ReadEntry(cache, "fire", content, static_cast<unsigned int>(doc.size() - 1)));
}

TEST_F(ZrCacheFileTest, EntryNamesAreExact)
{
    const std::string path = Build("names.sc", {{"fire", "F", ZIP_CM_STORE, ZIP_EM_NONE},
                                                {"dir/Snow", "S", ZIP_CM_DEFLATE, ZIP_EM_NONE}});
    ZrCacheFile cache;
    ASSERT_EQ(cache.Open(path.c_str(), ""), 0);
    ZrByteArray bytes;
    EXPECT_NE(cache.ReadFile("Fire", bytes), 0);
    EXPECT_EQ(bytes.GetSize(), 0);
    EXPECT_NE(cache.ReadFile("FIRE", bytes), 0);
    EXPECT_NE(cache.ReadFile("Snow", bytes), 0);
    EXPECT_NE(cache.ReadFile("dir/snow", bytes), 0);
    EXPECT_NE(cache.ReadFile("missing", bytes), 0);
    EXPECT_NE(cache.ReadFile("", bytes), 0);
    std::string content;
    ASSERT_TRUE(ReadEntry(cache, "dir/Snow", content));
    EXPECT_EQ(content, "S");

    ASSERT_EQ(cache.GetEntryCount(), 2);
    EXPECT_EQ(std::string(cache.GetEntryName(0)), "fire");
    EXPECT_EQ(std::string(cache.GetEntryName(1)), "dir/Snow");
    EXPECT_EQ(std::string(cache.GetEntryName(2)), "");
    EXPECT_EQ(std::string(cache.GetEntryName(-1)), "");
}

TEST_F(ZrCacheFileTest, OpenFailsForMissingEmptyAndCorruptFiles)
{
    ZrCacheFile cache;
    EXPECT_NE(cache.Open((m_dir / "nothing.sc").string().c_str(), "5KPOV"), 0);
    EXPECT_NE(cache.Open("", "5KPOV"), 0);
    EXPECT_NE(cache.Open(m_dir.string().c_str(), "5KPOV"), 0);   // a folder
    EXPECT_NE(cache.Open(Write("empty.sc", "").c_str(), "5KPOV"), 0);
    EXPECT_NE(cache.Open(Write("text.sc", "this is not an archive, just some text").c_str(), "5KPOV"), 0);

    const std::string good = ReadBytes(Build("good.sc", {{"fire", Document(20), ZIP_CM_DEFLATE, ZIP_EM_NONE}}));
    ASSERT_GT(good.size(), 30u);
    EXPECT_NE(cache.Open(Write("cut.sc", good.substr(0, good.size() - 10)).c_str(), "5KPOV"), 0);
    EXPECT_NE(cache.Open(Write("head.sc", good.substr(0, good.size() / 2)).c_str(), "5KPOV"), 0);
    EXPECT_EQ(cache.IsOpen(), 0);
    ZrByteArray bytes;
    EXPECT_NE(cache.ReadFile("fire", bytes), 0);
    EXPECT_EQ(cache.GetEntryCount(), 0);
}

TEST_F(ZrCacheFileTest, DamagedEntryDataFailsToUnpack)
{
    const std::string doc = Document(30);
    std::string bytes = ReadBytes(Build("damaged.sc", {{"fire", doc, ZIP_CM_DEFLATE, ZIP_EM_NONE}}));
    // Damage the middle of the compressed data (after the 30-byte local header and the name).
    bytes[30 + 4 + 20] = static_cast<char>(bytes[30 + 4 + 20] ^ 0x55);
    ZrCacheFile cache;
    ASSERT_EQ(cache.Open(Write("damaged2.sc", bytes).c_str(), "5KPOV"), 0);
    std::string content;
    EXPECT_FALSE(ReadEntry(cache, "fire", content));
}

TEST_F(ZrCacheFileTest, ReopenAndCloseSwitchArchives)
{
    const std::string a = Build("a.sc", {{"one", "1", ZIP_CM_STORE, ZIP_EM_NONE}});
    const std::string b = Build("b.sc", {{"two", "2", ZIP_CM_STORE, ZIP_EM_NONE}});
    ZrCacheFile cache;
    ASSERT_EQ(cache.Open(a.c_str(), ""), 0);
    ASSERT_EQ(cache.Open(b.c_str(), ""), 0);
    std::string content;
    EXPECT_FALSE(ReadEntry(cache, "one", content));
    ASSERT_TRUE(ReadEntry(cache, "two", content));
    EXPECT_EQ(content, "2");
    cache.Close();
    EXPECT_EQ(cache.IsOpen(), 0);
    EXPECT_FALSE(ReadEntry(cache, "two", content));
    // A failed open leaves the container closed.
    ASSERT_EQ(cache.Open(a.c_str(), ""), 0);
    EXPECT_NE(cache.Open((m_dir / "none").string().c_str(), ""), 0);
    EXPECT_EQ(cache.IsOpen(), 0);
}

TEST_F(ZrCacheFileTest, EncryptedEntriesNeedTheAccessString)
{
    const std::string doc = Document(25);
    const std::string path = Build("secret.sc", {{"pk-deflate", doc, ZIP_CM_DEFLATE, ZIP_EM_TRAD_PKWARE},
                                                 {"pk-stored", "stored secret", ZIP_CM_STORE, ZIP_EM_TRAD_PKWARE},
                                                 {"aes-deflate", doc, ZIP_CM_DEFLATE, ZIP_EM_AES_256},
                                                 {"aes-stored", "aes secret", ZIP_CM_STORE, ZIP_EM_AES_256},
                                                 {"open", "not secret", ZIP_CM_DEFLATE, ZIP_EM_NONE}});
    {
        ZrCacheFile cache;
        ASSERT_EQ(cache.Open(path.c_str(), "5KPOV"), 0);
        std::string content;
        ASSERT_TRUE(ReadEntry(cache, "pk-deflate", content));
        EXPECT_EQ(content, doc);
        ASSERT_TRUE(ReadEntry(cache, "pk-stored", content));
        EXPECT_EQ(content, "stored secret");
        ASSERT_TRUE(ReadEntry(cache, "aes-deflate", content));
        EXPECT_EQ(content, doc);
        ASSERT_TRUE(ReadEntry(cache, "aes-stored", content));
        EXPECT_EQ(content, "aes secret");
        ASSERT_TRUE(ReadEntry(cache, "open", content));
        EXPECT_EQ(content, "not secret");
    }
    for (const char* access : {"wrong", ""}) {
        ZrCacheFile cache;
        ASSERT_EQ(cache.Open(path.c_str(), access), 0);
        std::string content;
        EXPECT_FALSE(ReadEntry(cache, "aes-deflate", content)) << access;
        EXPECT_FALSE(ReadEntry(cache, "aes-stored", content)) << access;
        EXPECT_FALSE(ReadEntry(cache, "pk-deflate", content)) << access;
        ASSERT_TRUE(ReadEntry(cache, "open", content));
        EXPECT_EQ(content, "not secret");
    }
}

TEST_F(ZrCacheFileTest, OtherCompressionMethodsAreFramedAsStored)
{
    const std::string doc = Document(10);
    const std::string path = Build("bzip.sc", {{"fire", doc, ZIP_CM_BZIP2, ZIP_EM_NONE}});
    ZrCacheFile cache;
    ASSERT_EQ(cache.Open(path.c_str(), "5KPOV"), 0);
    ZrByteArray bytes;
    ASSERT_EQ(cache.ReadFile("fire", bytes), 0);
    ASSERT_EQ(bytes.GetSize(), static_cast<int>(doc.size()) + 14);
    EXPECT_EQ(bytes.GetData()[4], 0);   // method: stored
    std::string content;
    ASSERT_TRUE(ReadEntry(cache, "fire", content));
    EXPECT_EQ(content, doc);
}
