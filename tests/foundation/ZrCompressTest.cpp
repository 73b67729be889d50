#include "ZrCompress.h"

#include <gtest/gtest.h>
#include <zlib.h>

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

Bytes ZlibStream(const Bytes& data)
{
    unsigned int len = ZrCompress::ZipBound(static_cast<unsigned int>(data.size()));
    Bytes out(len);
    EXPECT_EQ(ZrCompress::Zip(out.data(), len, data.data(), static_cast<unsigned int>(data.size())), 1);
    out.resize(len);
    return out;
}

// The container's frame: "ZrCF", method (0 stored, 8 raw deflate), declared size and CRC, then the data.
Bytes Frame(unsigned int method, const Bytes& plain, long cut = 0)
{
    Bytes f = {'Z', 'r', 'C', 'F', static_cast<unsigned char>(method), 0};
    for (unsigned long x : {static_cast<unsigned long>(plain.size()), crc32(0, plain.data(), static_cast<uInt>(plain.size()))})
        for (int i = 0; i < 4; ++i)
            f.push_back(static_cast<unsigned char>(x >> (8 * i)));
    const Bytes zlib = ZlibStream(plain);   // raw deflate: without the 2-byte header and the checksum
    const Bytes stored = method == 8 ? Bytes(zlib.begin() + 2, zlib.end() - 4) : plain;
    f.insert(f.end(), stored.begin(), stored.end() - cut);
    return f;
}

// Unpacks into `capacity` bytes followed by a guard region that must stay untouched;
// the output, or "!" and a zero length on failure.
Bytes Unpack(const Bytes& src, unsigned int capacity)
{
    Bytes buffer(capacity + 64, 0xA5);
    unsigned int length = capacity;
    const unsigned char ok = ZrCompress::UnZip(buffer.data(), length, src.data(), static_cast<unsigned int>(src.size()));
    EXPECT_EQ(Bytes(buffer.begin() + capacity, buffer.end()), Bytes(64, 0xA5)) << "overrun";
    EXPECT_EQ(ok ? 1u : length + 1, 1u);
    return ok ? Bytes(buffer.begin(), buffer.begin() + length) : Bytes{'!'};
}

} // namespace

TEST(ZrCompressTest, StreamsAndFramesUnpackWithinCapacityOnly)
{
    const struct {
        size_t size;
        unsigned int capacity;
        int kind;   // 0 zlib, 1 stored frame, 8 deflated frame
        bool fits;
    } cases[] = {{0, 100, 0, true},      {70000, 100000, 0, true}, {10240, 10240, 0, true}, {10241, 10240, 0, false},
                 {3000, 3000, 1, true},   {3000, 2999, 1, false},   {3000, 3000, 8, true},   {3000, 2999, 8, false},
                 {0, 16, 1, true},        {0, 16, 8, true}};
    for (const auto& c : cases) {
        const Bytes data = Sample(c.size);
        const Bytes src = c.kind == 0 ? ZlibStream(data) : Frame(c.kind == 1 ? 0 : 8, data);
        EXPECT_EQ(Unpack(src, c.capacity), c.fits ? data : Bytes{'!'}) << c.size << " " << c.kind;
    }
}

TEST(ZrCompressTest, DamagedInputFails)
{
    const Bytes data = Sample(2000), zlib = ZlibStream(data);
    std::vector<Bytes> cases = {Bytes(zlib.begin(), zlib.end() - 5), zlib, zlib, Bytes{'n', 'o', 't', ' ', 'z', 'l', 'i', 'b'},
                                Frame(8, data, 3), Frame(0, data, 1), Frame(12, data), Bytes{'Z', 'r', 'C', 'F', 0, 0, 0, 0},
                                Frame(0, data), Frame(0, data), Frame(8, data)};
    cases[1].push_back(0);       // trailing byte
    cases[2].back() ^= 0xFF;     // checksum
    cases[8][10] ^= 1;           // CRC
    cases[9][100] ^= 0x10;       // data
    cases[10][6] = 100;          // declares 100 bytes, holds 2000: output stops at the declared size
    cases[10][7] = 0;
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(Unpack(cases[i], i == 10 ? 100 : 4096), Bytes{'!'}) << "case " << i;

    unsigned char dst[32];
    unsigned int len = sizeof(dst);
    EXPECT_EQ(ZrCompress::UnZip(nullptr, len, zlib.data(), static_cast<unsigned int>(zlib.size())) + len, 0u);
    len = sizeof(dst);
    EXPECT_EQ(ZrCompress::UnZip(dst, len, zlib.data(), 0) + len, 0u);
    len = 8;   // too small for the compressed form
    EXPECT_EQ(ZrCompress::Zip(dst, len, data.data(), static_cast<unsigned int>(data.size())) + len, 0u);
    len = 100;
    EXPECT_EQ(ZrCompress::Zip(dst, len, data.data(), 1, 42) + len, 0u);   // bad level
}
