#include "NbTestSupport.h"
#include "ZrExchangeParamsManager.h"
#include "ZrFileParseToolkit.h"
#include "ZrFileType.h"
#include "ZrImageData.h"
#include "ZrImageOperator.h"
#include "ZrImgToolkit.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace ZRC;
using Bytes = std::vector<unsigned char>;

namespace {

Bytes Encode(int type, int w, int h, int comp, const Bytes& pixels)
{
    std::string out;
    switch (type) {
    case ZrFileType::FT_PNG: stbi_write_png_to_func(nbtest::AppendBytes, &out, w, h, comp, pixels.data(), w * comp); break;
    case ZrFileType::FT_BMP: stbi_write_bmp_to_func(nbtest::AppendBytes, &out, w, h, comp, pixels.data()); break;
    default: stbi_write_tga_to_func(nbtest::AppendBytes, &out, w, h, comp, pixels.data()); break;
    }
    return Bytes(out.begin(), out.end());
}

// A Radiance file of w x h grey pixels: run-length rows from a width of 8, flat below.
Bytes Radiance(int w, int h)
{
    std::string out;
    std::vector<float> pixels(static_cast<size_t>(w * h), 0.5f);
    stbi_write_hdr_to_func(nbtest::AppendBytes, &out, w, h, 1, pixels.data());
    return Bytes(out.begin(), out.end());
}

// A progressive grey JPEG whose scans carry no data (the decoder reads zeros:
// every block empty), padded with a comment to about `bytes`; its second code
// table goes to the slot `acSlot` names (0x10: the first AC table).
Bytes EmptyScans(int side, int scans, size_t bytes, unsigned char acSlot = 0x10)
{
    Bytes out = {0xFF, 0xD8};
    auto segment = [&out](unsigned char marker, const Bytes& payload) {
        const size_t length = payload.size() + 2;
        out.insert(out.end(), {0xFF, marker, static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)});
        out.insert(out.end(), payload.begin(), payload.end());
    };
    Bytes table(65, 1), codes(18, 0);   // every factor 1; one code of one bit, for symbol 0
    table[0] = 0;
    codes[1] = 1;
    const unsigned char hi = static_cast<unsigned char>(side >> 8), lo = static_cast<unsigned char>(side);
    segment(0xDB, table);
    segment(0xC2, {8, hi, lo, hi, lo, 1, 1, 0x11, 0});
    segment(0xC4, codes);
    codes[0] = acSlot;
    segment(0xC4, codes);
    segment(0xDA, {1, 1, 0, 0, 0, 0});
    for (int i = 1; i < scans; ++i)
        segment(0xDA, {1, 1, 0, 1, 63, 0});
    if (out.size() + 6 < bytes)
        segment(0xFE, Bytes(bytes - out.size() - 6, 'c'));
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

// Decodes from memory and takes ownership of the single record.
std::unique_ptr<ZrImageData> DecodeOne(int type, const Bytes& file)
{
    ZrByteArray bytes;
    bytes.Add(file.data(), static_cast<int>(file.size()));
    VEXA::VexaArray<ZrImageData*> images;
    if (!ZrFileParseToolkit::GetImageData(type, bytes, images))
        return nullptr;
    EXPECT_EQ(images.GetSize(), 1);
    return std::unique_ptr<ZrImageData>(images[0]);
}

Bytes Pixels(const ZrImageData& image) { return Bytes(image.m_pData, image.m_pData + image.GetDataSize()); }

ZrImageData* Image(unsigned int w, unsigned char depth, const Bytes& pixels)
{
    ZrImageData* image = new ZrImageData;
    EXPECT_EQ(image->Allocate(w, 1, depth), 1);
    std::copy(pixels.begin(), pixels.end(), image->m_pData);
    return image;
}

} // namespace

TEST(ZrImageDataTest, AllocateSizeCloneAndConversions)
{
    ZrImageData image;
    EXPECT_EQ(image.m_nHeight + image.GetDataSize(), 0u);
    ASSERT_EQ(image.Allocate(3, 2, 24), 1);
    EXPECT_EQ(Pixels(image), Bytes(18, 0));
    image.m_pData[5] = 77;
    std::unique_ptr<ZrImageData> copy(image.Clone());
    image.m_pData[5] = 1;
    EXPECT_EQ(copy->m_pData[5], 77);
    EXPECT_EQ(copy->m_nWidth * copy->m_nHeight * copy->m_nDepth, 144u);
    // A refused allocation leaves the record as it was.
    const unsigned int refused[][3] = {{0, 5, 8}, {5, 0, 8}, {5, 5, 12}, {5, 5, 0}, {0xFFFFFFFFu, 0xFFFFFFFFu, 32}};
    for (const auto& g : refused)
        EXPECT_EQ(image.Allocate(g[0], g[1], static_cast<unsigned char>(g[2])), 0) << g[0] << " " << g[2];
    EXPECT_EQ(image.GetDataSize() * image.m_nWidth, 54u);
    image.m_nDepth = 1;   // bits are rounded down: floor(6 / 8)
    EXPECT_EQ(image.GetDataSize(), 0u);
    image.m_nWidth = image.m_nHeight = 0xFFFFFFFFu;
    image.m_nDepth = 32;
    EXPECT_EQ(image.GetDataSize(), 0xFFFFFFFFull * 0xFFFFFFFFull / 8 * 32 + (0xFFFFFFFFull * 0xFFFFFFFFull % 8) * 4);

    std::unique_ptr<ZrImageData> palette(Image(5, 8, {1, 0, 7, 7, 9}));
    palette->m_palette.m_entries.Add(ZrPalette::ZrPaletteEntry{255, 0, 0, 255});
    palette->m_palette.m_entries.Add(ZrPalette::ZrPaletteEntry{0, 128, 64, 0});
    const std::pair<ZrImageData*, Bytes> cases[] = {{Image(2, 8, {10, 200}), {10, 10, 10, 99, 200, 200, 200, 99}},
                                                    {Image(2, 24, {1, 2, 3, 4, 5, 6}), {1, 2, 3, 99, 4, 5, 6, 99}},
                                                    {Image(1, 32, {0, 1, 2, 9}), {0, 1, 2, 9}},
                                                    {palette.release(), {64, 128, 0, 0, 0, 0, 255, 255, 0, 0, 0, 99, 0, 0, 0, 99, 0, 0, 0, 99}}};
    for (const auto& c : cases) {
        std::unique_ptr<ZrImageData> image(c.first);
        ASSERT_EQ(ZrImgToolkit::ImageDataToRGBA(*image, 99), 1);
        EXPECT_EQ(image->m_nDepth, 32);
        EXPECT_EQ(Pixels(*image), c.second);
        EXPECT_EQ(image->m_palette.m_entries.GetSize(), 0);
    }
    ZrImageData empty;
    empty.m_nWidth = empty.m_nHeight = 1;   // sizes but no pixels
    empty.m_nDepth = 8;
    EXPECT_EQ(ZrImgToolkit::ImageDataToRGBA(empty, 255), 0);

    Bytes px = {1, 2, 3, 4, 5, 6, 7, 8};
    ZrImageOperator::ImageSwapRB(4, 2, 1, px.data());
    EXPECT_EQ(px, (Bytes{3, 2, 1, 4, 7, 6, 5, 8}));
    ZrImageOperator::ImageSwapRB(4, 5, 5, nullptr);
}

TEST(ZrFileParseToolkitTest, FormatsDecodeToBgrOrBgraAndBadFilesAreRefused)
{
    for (int type : {ZrFileType::FT_PNG, ZrFileType::FT_BMP, ZrFileType::FT_TGA}) {
        for (int comp : {1, 2, 3, 4}) {
            if (type == ZrFileType::FT_BMP && comp < 3)
                continue;   // written as 24-bit
            Bytes src(static_cast<size_t>(6 * comp));
            for (size_t i = 0; i < src.size(); ++i)
                src[i] = static_cast<unsigned char>(i * 37 + 1);
            std::unique_ptr<ZrImageData> image = DecodeOne(type, Encode(type, 3, 2, comp, src));
            ASSERT_NE(image, nullptr) << type << " " << comp;
            EXPECT_EQ(image->m_nWidth * 10 + image->m_nHeight, 32u);
            // Grey with alpha widens to 32 bits; colour swaps R and B.
            const std::vector<std::vector<int>> order = {{}, {0}, {0, 0, 0, 1}, {2, 1, 0}, {2, 1, 0, 3}};
            Bytes expected;
            for (size_t i = 0; i < 6; ++i)
                for (int k : order[static_cast<size_t>(comp)])
                    expected.push_back(src[i * static_cast<size_t>(comp) + static_cast<size_t>(k)]);
            EXPECT_EQ(image->m_nDepth, comp == 2 ? 32 : comp * 8);
            EXPECT_EQ(Pixels(*image), expected) << type << " " << comp;
        }
    }
    const Bytes png = Encode(ZrFileType::FT_PNG, 4, 4, 3, Bytes(48, 9));
    Bytes damaged = png, claim = Encode(ZrFileType::FT_PNG, 1, 1, 1, Bytes(1, 0));
    damaged[40] ^= 0xFF;
    claim[18] = claim[22] = 0x40;   // 16384 x 16384 over a few bytes: refused before decoding
    claim[19] = claim[23] = 0;
    const Bytes text(20, 'n');
    const Bytes bmp = Encode(ZrFileType::FT_BMP, 2, 2, 3, Bytes(12, 9));
    // Radiance rows of runs of length zero, and cut before a row (the decoder would never return).
    const std::string pnmText = "P5 9 9 255\n" + std::string(81, '\0');   // one byte a pixel at the least
    const Bytes runs = Radiance(8, 2), flat = Radiance(5, 3), pnm(pnmText.begin(), pnmText.end());
    Bytes stalled = runs, cut(runs.begin(), runs.end() - 8), truncatedPng = png, shortPnm(pnm.begin(), pnm.begin() + 80);
    std::fill(stalled.end() - 8, stalled.end(), 0);
    // A last chunk header that declares 1.6 GB without the bytes to back it.
    truncatedPng.resize(truncatedPng.size() - 12);
    truncatedPng.insert(truncatedPng.end(), {0x62, 0, 0, 0x88, 'I', 'D', 'A', 'T', 'N', 'D'});
    const std::pair<int, Bytes> bad[] = {{ZrFileType::FT_PNG, Bytes(png.begin(), png.begin() + 30)}, {ZrFileType::FT_PNG, damaged},
               {ZrFileType::FT_PNG, claim}, {ZrFileType::FT_PNG, Encode(ZrFileType::FT_PNG, 16385, 1, 1, Bytes(16385, 7))},
               {ZrFileType::FT_UNKNOWN, png}, {ZrFileType::FT_HDR + 1, png}, {ZrFileType::FT_PNG, truncatedPng},
               {ZrFileType::FT_BMP, text}, {ZrFileType::FT_JPG, text}, {ZrFileType::FT_HDR, stalled}, {ZrFileType::FT_HDR, cut},
               {ZrFileType::FT_HDR, Bytes(flat.begin(), flat.end() - 1)},
               {ZrFileType::FT_PNM, shortPnm}, {ZrFileType::FT_HDR, Radiance(2049, 2048)}};
    for (size_t i = 0; i < sizeof(bad) / sizeof(*bad); ++i)
        EXPECT_EQ(DecodeOne(bad[i].first, bad[i].second), nullptr) << i;
    // Decoded by content, whatever the extension names; the side limit is inclusive.
    EXPECT_NE(DecodeOne(ZrFileType::FT_JPG, png), nullptr);
    EXPECT_NE(DecodeOne(ZrFileType::FT_PNG, bmp), nullptr);
    for (const Bytes& file : {runs, flat, Radiance(1, 1), pnm, EmptyScans(4096, 2, 20000), EmptyScans(64, 1, 0, 0x01)})
        EXPECT_NE(DecodeOne(ZrFileType::FT_HDR, file), nullptr) << file.size();
    // Two thousand scans over 4096 x 4096 pixels in 20 kB: seconds of work for nothing.
    EXPECT_EQ(DecodeOne(ZrFileType::FT_JPG, EmptyScans(4096, 2000, 20000)), nullptr);
    // AC scans with no AC table defined: the decoder would read memory it never set.
    EXPECT_EQ(DecodeOne(ZrFileType::FT_JPG, EmptyScans(64, 3, 0, 0x01)), nullptr);
    EXPECT_NE(DecodeOne(ZrFileType::FT_PNG, Encode(ZrFileType::FT_PNG, 16384, 1, 1, Bytes(16384, 7))), nullptr);
}

TEST(ZrFileParseToolkitTest, FileDecodingTypesFlipAndLimit)
{
    nbtest::TempDir dir;
    const Bytes file = Encode(ZrFileType::FT_PNG, 1, 2, 3, {1, 2, 3, 4, 5, 6});   // 1 x 2 RGB
    std::unique_ptr<ZrImportParams> params(ZrExchangeParamsManager::MakeImportParams(ZrFileType::FT_PNG));
    params->SetFilePathName(dir.Write("ramp.png", std::string(file.begin(), file.end())).c_str());
    VEXA::VexaArray<ZrImageData*> images;
    ASSERT_EQ(ZrFileParseToolkit::GetImageData(params.get(), images, 0, 1), 1);
    ASSERT_EQ(ZrFileParseToolkit::GetImageData(params.get(), images, 1, -1), 1);
    EXPECT_EQ(ZrFileParseToolkit::GetImageData(params.get(), images, 0, 0), 0);
    ASSERT_EQ(images.GetSize(), 2);
    EXPECT_EQ(Pixels(*images[0]), (Bytes{3, 2, 1, 6, 5, 4}));
    EXPECT_EQ(Pixels(*images[1]), (Bytes{6, 5, 4, 3, 2, 1}));
    for (int i = 0; i < images.GetSize(); ++i)
        delete images[i];
    for (const std::string& path : {dir / "none.png", dir.Write("empty.png", "")}) {
        params->SetFilePathName(path.c_str());
        EXPECT_EQ(ZrFileParseToolkit::GetImageData(params.get(), images, 0, -1), 0) << path;
    }
    EXPECT_EQ(ZrFileParseToolkit::GetImageData(nullptr, images, 0, -1), 0);
    EXPECT_EQ(images.GetSize(), 2);
    const std::pair<const char*, int> exts[] = {{".PNG", ZrFileType::FT_PNG}, {".jpeg", ZrFileType::FT_JPG},
                                                {"gif", ZrFileType::FT_GIF},  {".pngx", ZrFileType::FT_UNKNOWN}};
    for (const auto& e : exts)
        EXPECT_EQ(ZrFileType::ExtNameToFileType(e.first), e.second) << e.first;
    EXPECT_EQ(ZrExchangeParamsManager::MakeImportParams(ZrFileType::FT_UNKNOWN), nullptr);
}
