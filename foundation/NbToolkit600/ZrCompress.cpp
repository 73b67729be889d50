#include "ZrCompress.h"

#include <zlib.h>

#include <climits>
#include <cstring>

namespace ZRC {

namespace {

const unsigned char kFrameMagic[4] = {'Z', 'r', 'C', 'F'};
const unsigned int kFrameHeaderSize = 14;   // magic, method u16, size u32, crc u32
const unsigned int kMethodStored = 0;
const unsigned int kMethodDeflated = 8;

unsigned int ReadU16(const unsigned char* p) { return static_cast<unsigned int>(p[0]) | (static_cast<unsigned int>(p[1]) << 8); }

unsigned int ReadU32(const unsigned char* p)
{
    return static_cast<unsigned int>(p[0]) | (static_cast<unsigned int>(p[1]) << 8) |
           (static_cast<unsigned int>(p[2]) << 16) | (static_cast<unsigned int>(p[3]) << 24);
}

// Inflates exactly one stream from src into dst. windowBits selects the
// wrapper (15: zlib, -15: raw deflate). The whole input must be the stream and
// the output must fit within capacity. Returns the produced size, or -1.
long long Inflate(unsigned char* dst, unsigned int capacity, const unsigned char* src, unsigned int srcLen,
                  int windowBits)
{
    z_stream stream;
    std::memset(&stream, 0, sizeof(stream));
    if (inflateInit2(&stream, windowBits) != Z_OK)
        return -1;
    stream.next_in = const_cast<Bytef*>(src);
    stream.avail_in = srcLen;
    stream.next_out = dst;
    stream.avail_out = capacity;
    int rc = Z_OK;
    // With the whole input available inflate either ends the stream, runs out
    // of output space or input (Z_BUF_ERROR), or meets corrupt data.
    do {
        rc = inflate(&stream, Z_FINISH);
    } while (rc == Z_OK && stream.avail_out > 0 && stream.avail_in > 0);
    const bool ok = rc == Z_STREAM_END && stream.avail_in == 0;
    const unsigned long produced = stream.total_out;
    inflateEnd(&stream);
    return ok ? static_cast<long long>(produced) : -1;
}

unsigned char Fail(unsigned int& dstLen)
{
    dstLen = 0;
    return 0;
}

} // namespace

unsigned char ZrCompress::UnZip(unsigned char* dst, unsigned int& dstLen, const unsigned char* src, unsigned int srcLen)
{
    const unsigned int capacity = dstLen;
    if (!dst || !src || srcLen == 0)
        return Fail(dstLen);

    if (srcLen >= sizeof(kFrameMagic) && std::memcmp(src, kFrameMagic, sizeof(kFrameMagic)) == 0) {
        if (srcLen < kFrameHeaderSize)
            return Fail(dstLen);
        const unsigned int method = ReadU16(src + 4);
        const unsigned int size = ReadU32(src + 6);
        const unsigned int crc = ReadU32(src + 10);
        const unsigned char* data = src + kFrameHeaderSize;
        const unsigned int dataLen = srcLen - kFrameHeaderSize;
        if (size > capacity)
            return Fail(dstLen);
        if (method == kMethodStored) {
            if (dataLen != size)
                return Fail(dstLen);
            if (size)
                std::memcpy(dst, data, size);
        } else if (method == kMethodDeflated) {
            // Output space is limited to the declared size: a stream that would
            // produce more is rejected without writing past it.
            if (Inflate(dst, size, data, dataLen, -MAX_WBITS) != static_cast<long long>(size))
                return Fail(dstLen);
        } else {
            return Fail(dstLen);
        }
        if (crc32(crc32(0L, Z_NULL, 0), dst, size) != crc)
            return Fail(dstLen);
        dstLen = size;
        return 1;
    }

    const long long produced = Inflate(dst, capacity, src, srcLen, MAX_WBITS);
    if (produced < 0)
        return Fail(dstLen);
    dstLen = static_cast<unsigned int>(produced);
    return 1;
}

unsigned char ZrCompress::Zip(unsigned char* dst, unsigned int& dstLen, const unsigned char* src, unsigned int srcLen,
                              int level)
{
    if (!dst || (!src && srcLen > 0) || level < Z_DEFAULT_COMPRESSION || level > Z_BEST_COMPRESSION)
        return Fail(dstLen);
    static const unsigned char empty = 0;
    uLongf produced = dstLen;
    if (compress2(dst, &produced, src ? src : &empty, srcLen, level) != Z_OK || produced > UINT_MAX)
        return Fail(dstLen);
    dstLen = static_cast<unsigned int>(produced);
    return 1;
}

unsigned int ZrCompress::ZipBound(unsigned int srcLen)
{
    const uLong bound = compressBound(srcLen);
    return bound > UINT_MAX ? UINT_MAX : static_cast<unsigned int>(bound);
}

} // namespace ZRC
