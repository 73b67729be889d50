#include "ZrCompress.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

using ZRC::ZrCompress;

namespace {

std::vector<unsigned char> Bytes(const std::string& s) { return std::vector<unsigned char>(s.begin(), s.end()); }

std::vector<unsigned char> Sample(size_t size)
{
    std::vector<unsigned char> data(size);
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<unsigned char>((i * 7) % 23 + (i / 100) % 5);
    return data;
}

std::vector<unsigned char> RawDeflate(const std::vector<unsigned char>& data)
{
    z_stream s;
    std::memset(&s, 0, sizeof(s));
    EXPECT_EQ(deflateInit2(&s, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::vector<unsigned char> out(deflateBound(&s, data.size()) + 16);
    s.next_in = const_cast<Bytef*>(data.data());
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = out.data();
    s.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

void PutU32(std::vector<unsigned char>& v, unsigned int x)
{
    for (int i = 0; i < 4; ++i)
        v.push_back(static_cast<unsigned char>(x >> (8 * i)));
}

std::vector<unsigned char> Frame(unsigned int method, const std::vector<unsigned char>& plain,
                                 const std::vector<unsigned char>& stored)
{
    std::vector<unsigned char> f = {'Z', 'r', 'C', 'F', static_cast<unsigned char>(method), 0};
    PutU32(f, static_cast<unsigned int>(plain.size()));
    PutU32(f, static_cast<unsigned int>(crc32(0, plain.data(), static_cast<uInt>(plain.size()))));
    f.insert(f.end(), stored.begin(), stored.end());
    return f;
}

std::vector<unsigned char> ZlibStream(const std::vector<unsigned char>& data)
{
    unsigned int len = ZrCompress::ZipBound(static_cast<unsigned int>(data.size()));
    std::vector<unsigned char> out(len);
    EXPECT_EQ(ZrCompress::Zip(out.data(), len, data.data(), static_cast<unsigned int>(data.size())), 1);
    out.resize(len);
    return out;
}

// Decompresses into a buffer of `capacity` bytes followed by a guard region and
// checks that the guard is untouched.
struct Guarded {
    static const size_t kGuard = 64;
    std::vector<unsigned char> buffer;
    unsigned int length = 0;
    unsigned char result = 0;

    Guarded(const std::vector<unsigned char>& src, unsigned int capacity)
        : buffer(capacity + kGuard, 0xA5), length(capacity)
    {
        result = ZrCompress::UnZip(buffer.data(), length, src.data(), static_cast<unsigned int>(src.size()));
    }
    bool GuardIntact() const
    {
        for (size_t i = buffer.size() - kGuard; i < buffer.size(); ++i) {
            if (buffer[i] != 0xA5)
                return false;
        }
        return true;
    }
    std::vector<unsigned char> Output() const { return std::vector<unsigned char>(buffer.begin(), buffer.begin() + length); }
};

} // namespace

TEST(ZrCompressZlib, RoundTripThroughZipAndUnZip)
{
    for (size_t size : {size_t(0), size_t(1), size_t(1000), size_t(70000)}) {
        const std::vector<unsigned char> data = Sample(size);
        Guarded out(ZlibStream(data), 100000);
        EXPECT_EQ(out.result, 1) << size;
        EXPECT_EQ(out.Output(), data) << size;
        EXPECT_TRUE(out.GuardIntact());
    }
}

TEST(ZrCompressZlib, OutputExactlyAtCapacitySucceeds)
{
    const std::vector<unsigned char> data = Sample(10240);
    Guarded out(ZlibStream(data), 10240);
    EXPECT_EQ(out.result, 1);
    EXPECT_EQ(out.length, 10240u);
    EXPECT_EQ(out.Output(), data);
    EXPECT_TRUE(out.GuardIntact());
}

TEST(ZrCompressZlib, OutputAboveCapacityFailsWithoutOverrun)
{
    const std::vector<unsigned char> data = Sample(10241);
    Guarded out(ZlibStream(data), 10240);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.length, 0u);
    EXPECT_TRUE(out.GuardIntact());
}

TEST(ZrCompressZlib, CorruptTruncatedAndTrailingInputFails)
{
    const std::vector<unsigned char> data = Sample(5000);
    const std::vector<unsigned char> stream = ZlibStream(data);

    std::vector<unsigned char> truncated(stream.begin(), stream.end() - 5);
    Guarded a(truncated, 10240);
    EXPECT_EQ(a.result, 0);
    EXPECT_EQ(a.length, 0u);

    std::vector<unsigned char> corrupt = stream;
    corrupt[corrupt.size() - 1] ^= 0xFF;   // checksum
    Guarded b(corrupt, 10240);
    EXPECT_EQ(b.result, 0);
    EXPECT_EQ(b.length, 0u);

    std::vector<unsigned char> trailing = stream;
    trailing.push_back(0);
    Guarded c(trailing, 10240);
    EXPECT_EQ(c.result, 0);

    Guarded d(Bytes("not compressed at all"), 10240);
    EXPECT_EQ(d.result, 0);
    EXPECT_EQ(d.length, 0u);
    EXPECT_TRUE(a.GuardIntact() && b.GuardIntact() && d.GuardIntact());
}

TEST(ZrCompressZlib, NullPointersAndEmptyInputFail)
{
    const std::vector<unsigned char> stream = ZlibStream(Sample(10));
    unsigned char dst[32];
    unsigned int len = sizeof(dst);
    EXPECT_EQ(ZrCompress::UnZip(nullptr, len, stream.data(), static_cast<unsigned int>(stream.size())), 0);
    EXPECT_EQ(len, 0u);
    len = sizeof(dst);
    EXPECT_EQ(ZrCompress::UnZip(dst, len, nullptr, 10), 0);
    EXPECT_EQ(len, 0u);
    len = sizeof(dst);
    EXPECT_EQ(ZrCompress::UnZip(dst, len, stream.data(), 0), 0);
    EXPECT_EQ(len, 0u);
    len = sizeof(dst);
    EXPECT_EQ(ZrCompress::Zip(nullptr, len, stream.data(), 4), 0);
    EXPECT_EQ(len, 0u);
}

TEST(ZrCompressZlib, ZipFailsWhenCapacityTooSmall)
{
    const std::vector<unsigned char> data = Sample(4000);
    std::vector<unsigned char> out(8, 0);
    unsigned int len = static_cast<unsigned int>(out.size());
    EXPECT_EQ(ZrCompress::Zip(out.data(), len, data.data(), static_cast<unsigned int>(data.size())), 0);
    EXPECT_EQ(len, 0u);
    EXPECT_GE(ZrCompress::ZipBound(4000), 4000u);
    len = 100;
    EXPECT_EQ(ZrCompress::Zip(out.data(), len, data.data(), 1, 42), 0);   // bad level
}

TEST(ZrCompressFrame, StoredAndDeflatedEntries)
{
    const std::vector<unsigned char> data = Sample(3000);
    Guarded stored(Frame(0, data, data), 3000);
    EXPECT_EQ(stored.result, 1);
    EXPECT_EQ(stored.Output(), data);
    EXPECT_TRUE(stored.GuardIntact());

    Guarded deflated(Frame(8, data, RawDeflate(data)), 10240);
    EXPECT_EQ(deflated.result, 1);
    EXPECT_EQ(deflated.Output(), data);

    const std::vector<unsigned char> empty;
    Guarded emptyStored(Frame(0, empty, empty), 16);
    EXPECT_EQ(emptyStored.result, 1);
    EXPECT_EQ(emptyStored.length, 0u);
    Guarded emptyDeflated(Frame(8, empty, RawDeflate(empty)), 16);
    EXPECT_EQ(emptyDeflated.result, 1);
    EXPECT_EQ(emptyDeflated.length, 0u);
}

TEST(ZrCompressFrame, SizeAboveCapacityFailsWithoutOverrun)
{
    const std::vector<unsigned char> data = Sample(2000);
    Guarded stored(Frame(0, data, data), 1999);
    EXPECT_EQ(stored.result, 0);
    EXPECT_EQ(stored.length, 0u);
    EXPECT_TRUE(stored.GuardIntact());
    Guarded deflated(Frame(8, data, RawDeflate(data)), 1999);
    EXPECT_EQ(deflated.result, 0);
    EXPECT_TRUE(deflated.GuardIntact());
}

TEST(ZrCompressFrame, StreamLongerThanDeclaredSizeFailsWithoutOverrun)
{
    // The header claims 100 bytes, the stream holds 5000: output stops at the
    // declared size even though the capacity is larger.
    const std::vector<unsigned char> data = Sample(5000);
    std::vector<unsigned char> f = Frame(8, data, RawDeflate(data));
    f[6] = 100;
    f[7] = f[8] = f[9] = 0;
    Guarded out(f, 100);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.length, 0u);
    EXPECT_TRUE(out.GuardIntact());
}

TEST(ZrCompressFrame, CrcMismatchAndDamageFail)
{
    const std::vector<unsigned char> data = Sample(800);
    std::vector<unsigned char> badCrc = Frame(0, data, data);
    badCrc[10] ^= 1;
    EXPECT_EQ(Guarded(badCrc, 1024).result, 0);

    std::vector<unsigned char> flipped = Frame(0, data, data);
    flipped[100] ^= 0x10;
    Guarded f(flipped, 1024);
    EXPECT_EQ(f.result, 0);
    EXPECT_EQ(f.length, 0u);

    std::vector<unsigned char> shortStored = Frame(0, data, std::vector<unsigned char>(data.begin(), data.end() - 1));
    EXPECT_EQ(Guarded(shortStored, 1024).result, 0);

    const std::vector<unsigned char> raw = RawDeflate(data);
    std::vector<unsigned char> truncated = Frame(8, data, std::vector<unsigned char>(raw.begin(), raw.end() - 3));
    EXPECT_EQ(Guarded(truncated, 1024).result, 0);

    std::vector<unsigned char> method = Frame(12, data, data);
    EXPECT_EQ(Guarded(method, 1024).result, 0);

    std::vector<unsigned char> header = {'Z', 'r', 'C', 'F', 0, 0, 0, 0};
    EXPECT_EQ(Guarded(header, 1024).result, 0);
}
