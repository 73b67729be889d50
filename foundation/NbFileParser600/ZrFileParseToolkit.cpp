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
const unsigned long long kMaxPixelBytes = 256ull << 20;
const unsigned long long kMaxFileBytes = 256ull << 20;

bool StartsWith(const unsigned char* data, size_t size, const char* magic, size_t length)
{
    return size >= length && std::memcmp(data, magic, length) == 0;
}

// True when the bytes open like one of the formats that carry a signature.
// Targa has none, which is why anything else is decoded only as Targa.
bool HasKnownSignature(const unsigned char* data, size_t size)
{
    return StartsWith(data, size, "\x89PNG\r\n\x1a\n", 8) || StartsWith(data, size, "\xFF\xD8", 2) ||
           StartsWith(data, size, "BM", 2) || StartsWith(data, size, "GIF8", 4) ||
           StartsWith(data, size, "8BPS", 4) || StartsWith(data, size, "P5", 2) || StartsWith(data, size, "P6", 2) ||
           StartsWith(data, size, "#?RADIANCE\n", 11) || StartsWith(data, size, "#?RGBE\n", 7);
}

// True when every chunk of a PNG file fits in the bytes that follow its
// header. The decoder grows its buffer to a chunk's declared length before it
// reads the data, so a few bytes that declare a gigabyte would otherwise cost
// a gigabyte-sized allocation before the read fails.
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
    if (fileType != ZrFileType::FT_TGA && !HasKnownSignature(data, size))
        return nullptr;
    if (StartsWith(data, size, "\x89PNG\r\n\x1a\n", 8) && !PngChunksFit(data, size))
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
    if (static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) * 4ull > kMaxPixelBytes)
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
