#include "ZrCompress.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

using ZRC::ZrCompress;
using Bytes = std::vector<unsigned char>;

namespace {

Bytes Sample(size_t size)
{
    Bytes data(size);
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<unsigned char>((i * 7) % 23 + (i / 100) % 5);
    return data;
}

Bytes RawDeflate(const Bytes& data)
{
    z_stream s;
    std::memset(&s, 0, sizeof(s));
    deflateInit2(&s, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&s, data.size()) + 16);
    s.next_in = const_cast<Bytef*>(data.data());
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = out.data();
    s.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

// The container's frame: "ZrCF", method, declared size and CRC, then the data.
Bytes Frame(unsigned int method, const Bytes& plain, const Bytes& stored)
{
    Bytes f = {'Z', 'r', 'C', 'F', static_cast<unsigned char>(method), 0};
    for (unsigned long x : {static_cast<unsigned long>(plain.size()), crc32(0, plain.data(), static_cast<uInt>(plain.size()))})
        for (int i = 0; i < 4; ++i)
            f.push_back(static_cast<unsigned char>(x >> (8 * i)));
    f.insert(f.end(), stored.begin(), stored.end());
    return f;
}

Bytes ZlibStream(const Bytes& data)
{
    unsigned int len = ZrCompress::ZipBound(static_cast<unsigned int>(data.size()));
    Bytes out(len);
    EXPECT_EQ(ZrCompress::Zip(out.data(), len, data.data(), static_cast<unsigned int>(data.size())), 1);
    out.resize(len);
    return out;
}

// Decompresses into `capacity` bytes followed by a guard region that must stay untouched.
struct Guarded {
    Bytes buffer;
    unsigned int length;
    unsigned char result;

    Guarded(const Bytes& src, unsigned int capacity) : buffer(capacity + 64, 0xA5), length(capacity)
    {
        result = ZrCompress::UnZip(buffer.data(), length, src.data(), static_cast<unsigned int>(src.size()));
        for (size_t i = capacity; i < buffer.size(); ++i)
            EXPECT_EQ(buffer[i], 0xA5) << "overrun at " << i;
    }
    Bytes Output() const { return Bytes(buffer.begin(), buffer.begin() + length); }
};

} // namespace

TEST(ZrCompressTest, GoodStreamsAndFramesUnpackWithinCapacity)
{
    const struct {
        size_t size;
        unsigned int capacity;
        int kind;   // 0 zlib, 1 stored frame, 2 deflated frame
    } cases[] = {{0, 100000, 0}, {1, 100000, 0}, {70000, 100000, 0}, {10240, 10240, 0}, {3000, 3000, 1},
                 {3000, 10240, 2}, {0, 16, 1}, {0, 16, 2}};
    for (const auto& c : cases) {
        const Bytes data = Sample(c.size);
        const Bytes src = c.kind == 0 ? ZlibStream(data) : Frame(c.kind == 1 ? 0 : 8, data, c.kind == 1 ? data : RawDeflate(data));
        Guarded out(src, c.capacity);
        EXPECT_EQ(out.result, 1) << c.size << " " << c.kind;
        EXPECT_EQ(out.Output(), data) << c.size << " " << c.kind;
    }
}

TEST(ZrCompressTest, BadInputFailsWithZeroLengthAndNoOverrun)
{
    const Bytes data = Sample(2000), raw = RawDeflate(data), zlib = ZlibStream(data);
    std::vector<std::pair<Bytes, unsigned int>> cases = {
        {ZlibStream(Sample(10241)), 10240},                    // output above capacity
        {Bytes(zlib.begin(), zlib.end() - 5), 10240},          // truncated
        {Bytes{'n', 'o', 't', ' ', 'z', 'l', 'i', 'b'}, 10240},
        {Frame(0, data, data), 1999},                          // declared size above capacity
        {Frame(8, data, raw), 1999},
        {Frame(8, data, Bytes(raw.begin(), raw.end() - 3)), 4096},
        {Frame(0, data, Bytes(data.begin(), data.end() - 1)), 4096},
        {Frame(12, data, data), 4096},                         // unknown method
        {Bytes{'Z', 'r', 'C', 'F', 0, 0, 0, 0}, 4096},         // header cut short
    };
    Bytes trailing = zlib;
    trailing.push_back(0);
    cases.push_back({trailing, 10240});
    Bytes badSum = zlib;
    badSum.back() ^= 0xFF;
    cases.push_back({badSum, 10240});
    Bytes badCrc = Frame(0, data, data);
    badCrc[10] ^= 1;
    cases.push_back({badCrc, 4096});
    Bytes flipped = Frame(0, data, data);
    flipped[100] ^= 0x10;
    cases.push_back({flipped, 4096});
    // The header claims 100 bytes, the stream holds 2000: output stops at the declared size.
    Bytes longer = Frame(8, data, raw);
    longer[6] = 100;
    longer[7] = longer[8] = longer[9] = 0;
    cases.push_back({longer, 100});
    for (size_t i = 0; i < cases.size(); ++i) {
        Guarded out(cases[i].first, cases[i].second);
        EXPECT_EQ(out.result, 0) << "case " << i;
        EXPECT_EQ(out.length, 0u) << "case " << i;
    }

    unsigned char dst[32];
    unsigned int len = sizeof(dst);
    EXPECT_EQ(ZrCompress::UnZip(nullptr, len, zlib.data(), static_cast<unsigned int>(zlib.size())), 0);
    EXPECT_EQ(len, 0u);
    len = sizeof(dst);
    EXPECT_EQ(ZrCompress::UnZip(dst, len, zlib.data(), 0), 0);
    EXPECT_EQ(len, 0u);
    len = 8;   // too small for the compressed form
    EXPECT_EQ(ZrCompress::Zip(dst, len, data.data(), static_cast<unsigned int>(data.size())), 0);
    EXPECT_EQ(len, 0u);
    len = 100;
    EXPECT_EQ(ZrCompress::Zip(dst, len, data.data(), 1, 42), 0);   // bad level
    EXPECT_EQ(len, 0u);
}
