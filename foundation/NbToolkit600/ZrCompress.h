#pragma once
#include "NbExport.h"

namespace ZRC {

// Decompression. UnZip accepts two inputs, told apart by their first bytes:
//  - a zlib stream (RFC 1950), as written by Zip;
//  - an entry frame as produced by ZrCacheFile::ReadFile: the 4-byte magic
//    "ZrCF", the zip compression method (u16 LE: 0 stored, 8 deflated), the
//    uncompressed size (u32 LE), the CRC-32 of the uncompressed bytes (u32 LE),
//    then the entry's stored bytes (raw deflate data or plain bytes).
// UnZip never writes past dstLen bytes. It returns 1 and the number of bytes
// produced in dstLen on success; on failure (corrupt input, CRC mismatch, or an
// output larger than the capacity) it returns 0 and sets dstLen to 0.
class NBPS_API ZrCompress {
public:
    static unsigned char UnZip(unsigned char* dst, unsigned int& dstLen,
                               const unsigned char* src, unsigned int srcLen);
    // Compress into a zlib stream; dstLen holds the capacity on entry and the
    // size produced on return. 0 when the capacity is too small.
    static unsigned char Zip(unsigned char* dst, unsigned int& dstLen,
                             const unsigned char* src, unsigned int srcLen, int level = 6);
    // Upper bound of Zip's output for srcLen bytes.
    static unsigned int ZipBound(unsigned int srcLen);
};

} // namespace ZRC
