#include "ZrFileParseToolkit.h"

#include "ZrFileType.h"

#include <stb_image.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <new>
#include <vector>

namespace ZRC {

namespace {

// Images are refused before decoding when a side exceeds this or the decoded
// pixels would exceed kMaxPixelBytes; files above kMaxFileBytes are not read.
const int kMaxSide = 16384;
const unsigned long long kMaxPixelBytes = 64ull << 20;
const unsigned long long kMaxFileBytes = 256ull << 20;
// Pixels times scans a JPEG file may ask the decoder to walk: sixty-four
// scans of the largest image.
const unsigned long long kMaxPixelScans = 64ull * (kMaxPixelBytes / 4);

bool StartsWith(const unsigned char* data, size_t size, const char* magic, size_t length)
{
    return size >= length && std::memcmp(data, magic, length) == 0;
}

// The formats the decoder tells apart by their first bytes. Targa has no
// signature, so anything else counts as Targa.
enum class Format { Jpeg, Png, Bmp, Gif, Psd, Pnm, Radiance, Targa };

Format FormatOf(const unsigned char* data, size_t size)
{
    if (StartsWith(data, size, "\xFF\xD8", 2))
        return Format::Jpeg;
    if (StartsWith(data, size, "\x89PNG\r\n\x1a\n", 8))
        return Format::Png;
    if (StartsWith(data, size, "BM", 2))
        return Format::Bmp;
    if (StartsWith(data, size, "GIF8", 4))
        return Format::Gif;
    if (StartsWith(data, size, "8BPS", 4))
        return Format::Psd;
    if (StartsWith(data, size, "P5", 2) || StartsWith(data, size, "P6", 2))
        return Format::Pnm;
    if (StartsWith(data, size, "#?RADIANCE\n", 11) || StartsWith(data, size, "#?RGBE\n", 7))
        return Format::Radiance;
    return Format::Targa;
}

// True when the chunks of a PNG file run whole up to "IEND". The decoder grows
// its buffer to a chunk's declared length before it reads the data, so a few
// bytes that declare a gigabyte would otherwise cost a gigabyte-sized
// allocation before the read fails. A trailing header cut short of its CRC
// counts too: the decoder acts on any length it can read, and a file that
// ends before "IEND" fails to decode anyway.
bool PngChunksFit(const unsigned char* data, size_t size)
{
    size_t at = 8;
    while (at + 12 <= size) {
        const unsigned long long length = (static_cast<unsigned long long>(data[at]) << 24) |
                                          (static_cast<unsigned long long>(data[at + 1]) << 16) |
                                          (static_cast<unsigned long long>(data[at + 2]) << 8) | data[at + 3];
        if (length > size - at - 12)
            return false;
        if (std::memcmp(data + at + 4, "IEND", 4) == 0)
            return true;
        at += 12 + static_cast<size_t>(length);
    }
    return false;
}

// The most pixels one byte of a file can stand for in its format: its best
// compression, rounded up. The decoder fills whatever a short file leaves out
// with zeros, so without this bound a header of a few bytes would make a
// full-size image of nothing.
unsigned long long PixelsPerByte(Format format)
{
    switch (format) {
    case Format::Png: return 16384;      // deflate of 1-bit rows
    case Format::Gif: return 4096;       // LZW strings of up to 4096 pixels
    case Format::Jpeg: return 1024;      // progressive scans: at least a bit per block and component
    case Format::Pnm: return 1;
    case Format::Bmp: return 8;          // 1-bit rows; compressed bitmaps are not decoded
    case Format::Radiance: return 32;    // runs of 127 in each of four planes
    case Format::Psd:
    case Format::Targa: break;
    }
    return 64;                           // run-length packets of 128
}

// Walks the segments of a JPEG file in the order the decoder reads them and
// counts its scans. False when a scan uses a Huffman table that no earlier
// segment defined (the decoder would read memory it never set) or when the
// segments do not hold together. A progressive file with thousands of empty
// scans over a large image would keep the decoder busy for minutes, so the
// caller bounds pixels times scans.
bool JpegScansUseDefinedTables(const unsigned char* data, size_t size, unsigned long long& scans)
{
    bool defined[2][4] = {};
    bool progressive = false;
    scans = 0;
    size_t at = 2;   // past the start of image
    while (at + 1 < size) {
        if (data[at] != 0xFF)
            return false;
        const unsigned char marker = data[at + 1];
        if (marker == 0xFF) {   // fill byte
            ++at;
            continue;
        }
        at += 2;
        if (marker == 0xD9)
            break;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue;   // no length follows
        if (size - at < 2)
            return false;
        const size_t length = (static_cast<size_t>(data[at]) << 8) | data[at + 1];
        if (length < 2 || length > size - at)
            return false;
        const unsigned char* body = data + at + 2;
        const size_t n = length - 2;
        at += length;
        if (marker == 0xC2) {
            progressive = true;
        } else if (marker == 0xC4) {
            for (size_t i = 0; i < n;) {
                const unsigned kind = body[i] >> 4, slot = body[i] & 15u;
                if (kind > 1 || slot > 3 || n - i < 17)
                    return false;
                size_t codes = 0;
                for (size_t k = 1; k <= 16; ++k)
                    codes += body[i + k];
                if (codes > n - i - 17)
                    return false;
                defined[kind][slot] = true;
                i += 17 + codes;
            }
        } else if (marker == 0xDA) {
            ++scans;
            const size_t components = n > 0 ? body[0] : 0;
            if (components == 0 || n < 4 + 2 * components)
                return false;
            const unsigned char start = body[1 + 2 * components], end = body[2 + 2 * components];
            const bool refining = (body[3 + 2 * components] >> 4) != 0;
            for (size_t c = 0; c < components; ++c) {
                const unsigned dc = body[2 + 2 * c] >> 4, ac = body[2 + 2 * c] & 15u;
                if (dc > 3 || ac > 3)
                    return false;
                if ((!progressive || (start == 0 && !refining)) && !defined[0][dc])
                    return false;
                if ((!progressive || end > 0) && !defined[1][ac])
                    return false;
            }
            // The coded data runs to the next marker; 0xFF 0x00 and restart
            // markers belong to it.
            while (at + 1 < size && !(data[at] == 0xFF && data[at + 1] != 0 && (data[at + 1] < 0xD0 || data[at + 1] > 0xD7)))
                ++at;
        }
    }
    return true;
}

// Bytes of a Radiance file read as the decoder reads them: a byte past the
// end reads as zero and leaves the position where it is.
struct RadianceCursor {
    const unsigned char* data;
    size_t size;
    size_t at;
    bool AtEnd() const { return at >= size; }
    unsigned char Next() { return at < size ? data[at++] : 0; }
    bool Has(unsigned long long count) const { return at <= size && count <= size - at; }
    void Line()
    {
        char c = static_cast<char>(Next());
        for (int length = 0; !AtEnd() && c != '\n'; c = static_cast<char>(Next())) {
            if (++length == 1023) {
                while (!AtEnd() && Next() != '\n') {
                }
                break;
            }
        }
    }
};

// True when the pixel data of a Radiance file of the given size is whole and
// every run makes progress. The decoder loops for ever on a run of length zero
// (which is also what it reads past the end of a cut file), so such a file
// must not reach it.
bool RadianceRunsEnd(const unsigned char* data, size_t size, int width, int height)
{
    RadianceCursor in{data, size, 0};
    in.Line();
    for (bool header = true; header && !in.AtEnd();) {
        const size_t start = in.at;
        in.Line();
        header = in.at - start > 1;
    }
    in.Line();   // the resolution
    const unsigned long long flat = 4ull * static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height);
    if (width < 8 || width >= 32768)
        return in.Has(flat);
    for (int row = 0; row < height; ++row) {
        if (!in.Has(4))
            return false;
        const unsigned char c1 = in.Next(), c2 = in.Next(), high = in.Next();
        if (c1 != 2 || c2 != 2 || (high & 0x80) != 0)
            return in.Has(flat - 3);   // not run-length encoded: the whole image follows flat
        if (((high << 8) | in.Next()) != width)
            return false;
        for (int plane = 0; plane < 4; ++plane) {
            for (int x = 0; x < width;) {
                if (!in.Has(1))
                    return false;
                int count = in.Next();
                const bool run = count > 128;
                count -= run ? 128 : 0;
                if (count == 0 || count > width - x || !in.Has(run ? 1u : static_cast<unsigned>(count)))
                    return false;
                in.at += run ? 1u : static_cast<unsigned>(count);
                x += count;
            }
        }
    }
    return true;
}

void FlipRows(ZrImageData& image)
{
    const size_t row = static_cast<size_t>(image.m_nWidth) * (image.m_nDepth / 8u);
    std::vector<unsigned char> scratch(row);
    unsigned char* top = image.m_pData;
    unsigned char* bottom = image.m_pData + row * (image.m_nHeight - 1);
    for (; top < bottom; top += row, bottom -= row) {
        std::memcpy(scratch.data(), top, row);
        std::memcpy(top, bottom, row);
        std::memcpy(bottom, scratch.data(), row);
    }
}

// Decodes one image into a new record: 8-bit grey, 24-bit B,G,R or 32-bit
// B,G,R,A (grey with alpha is widened to 32 bits). Null on failure.
ZrImageData* Decode(int fileType, const unsigned char* data, size_t size, bool flipVertical)
{
    if (fileType <= ZrFileType::FT_UNKNOWN || fileType > ZrFileType::FT_HDR || !data || size == 0 ||
        size > static_cast<size_t>(INT_MAX))
        return nullptr;
    const Format format = FormatOf(data, size);
    if (fileType != ZrFileType::FT_TGA && format == Format::Targa)
        return nullptr;
    if (format == Format::Png && !PngChunksFit(data, size))
        return nullptr;
    const int length = static_cast<int>(size);
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info_from_memory(data, length, &width, &height, &channels))
        return nullptr;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || channels < 1 || channels > 4)
        return nullptr;
    const int wanted = channels == 2 ? 4 : channels;
    const unsigned long long area = static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height);
    // Radiance pixels pass through four floats each before they are bytes.
    const bool radiance = format == Format::Radiance;
    if (area * (radiance ? 16ull : 4ull) > kMaxPixelBytes || area > PixelsPerByte(format) * size)
        return nullptr;
    if (radiance && !RadianceRunsEnd(data, size, width, height))
        return nullptr;
    unsigned long long scans = 0;
    if (format == Format::Jpeg && (!JpegScansUseDefinedTables(data, size, scans) || area * scans > kMaxPixelScans))
        return nullptr;

    int w = 0;
    int h = 0;
    int n = 0;
    unsigned char* pixels = stbi_load_from_memory(data, length, &w, &h, &n, wanted);
    if (!pixels)
        return nullptr;
    if (w != width || h != height) {
        stbi_image_free(pixels);
        return nullptr;
    }
    ZrImageData* image = new (std::nothrow) ZrImageData;
    if (!image || !image->Allocate(static_cast<unsigned int>(w), static_cast<unsigned int>(h),
                                   static_cast<unsigned char>(wanted * 8))) {
        delete image;
        stbi_image_free(pixels);
        return nullptr;
    }
    const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
    if (wanted == 1) {
        std::memcpy(image->m_pData, pixels, count);
    } else {
        // The decoder gives R, G, B(, A); records hold B, G, R(, A).
        const unsigned char* in = pixels;
        unsigned char* out = image->m_pData;
        const size_t step = static_cast<size_t>(wanted);
        for (size_t i = 0; i < count; ++i, in += step, out += step) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            if (step == 4)
                out[3] = in[3];
        }
    }
    stbi_image_free(pixels);
    if (flipVertical)
        FlipRows(*image);
    return image;
}

bool ReadFileBytes(const VEXA::VexaString& path, std::vector<unsigned char>& bytes)
{
    if (path.IsEmpty())
        return false;
    std::ifstream in(path.Str(), std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    const std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<unsigned long long>(size) > kMaxFileBytes)
        return false;
    bytes.resize(static_cast<size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    return static_cast<std::streamoff>(in.gcount()) == size;
}

} // namespace

unsigned char ZrFileParseToolkit::GetImageData(ZrImportParams* params, VEXA::VexaArray<ZrImageData*>& images,
                                               unsigned char flipVertical, int maxImages)
{
    if (!params || maxImages == 0)
        return 0;
    std::vector<unsigned char> bytes;
    if (!ReadFileBytes(params->GetFilePathName(), bytes))
        return 0;
    ZrImageData* image = Decode(params->GetFileType(), bytes.data(), bytes.size(), flipVertical != 0);
    if (!image)
        return 0;
    images.Add(image);
    return 1;
}

int ZrFileParseToolkit::GetImageData(int fileType, const ZrByteArray& bytes, VEXA::VexaArray<ZrImageData*>& images)
{
    if (bytes.GetSize() <= 0)
        return 0;
    ZrImageData* image = Decode(fileType, bytes.GetData(), static_cast<size_t>(bytes.GetSize()), false);
    if (!image)
        return 0;
    images.Add(image);
    return 1;
}

} // namespace ZRC
