#include "ZrExchangeParamsManager.h"
#include "ZrFileParseToolkit.h"
#include "ZrFileType.h"
#include "ZrImageData.h"
#include "ZrImageOperator.h"
#include "ZrImgToolkit.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using ZRC::ZrByteArray;
using ZRC::ZrFileParseToolkit;
using ZRC::ZrFileType;
using ZRC::ZrImageData;
using ZRC::ZrImgToolkit;

namespace {

void Append(void* context, void* data, int size)
{
    std::vector<unsigned char>* out = static_cast<std::vector<unsigned char>*>(context);
    out->insert(out->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
}

// A w x h image of `comp` channels in R, G, B, A order: pixel i has the
// channel values i*10 + c*3 + 1 (mod 256).
std::vector<unsigned char> Pixels(int w, int h, int comp)
{
    std::vector<unsigned char> p(static_cast<size_t>(w * h * comp));
    for (int i = 0; i < w * h; ++i)
        for (int c = 0; c < comp; ++c)
            p[static_cast<size_t>(i * comp + c)] = static_cast<unsigned char>(i * 10 + c * 3 + 1);
    return p;
}

std::vector<unsigned char> Encode(int type, int w, int h, int comp, const std::vector<unsigned char>& pixels)
{
    std::vector<unsigned char> out;
    int ok = 0;
    switch (type) {
    case ZrFileType::FT_PNG: ok = stbi_write_png_to_func(Append, &out, w, h, comp, pixels.data(), w * comp); break;
    case ZrFileType::FT_BMP: ok = stbi_write_bmp_to_func(Append, &out, w, h, comp, pixels.data()); break;
    case ZrFileType::FT_TGA: ok = stbi_write_tga_to_func(Append, &out, w, h, comp, pixels.data()); break;
    case ZrFileType::FT_JPG: ok = stbi_write_jpg_to_func(Append, &out, w, h, comp, pixels.data(), 100); break;
    default: break;
    }
    EXPECT_NE(ok, 0);
    return out;
}

ZrByteArray ToBytes(const std::vector<unsigned char>& v)
{
    ZrByteArray bytes;
    bytes.Add(v.data(), static_cast<int>(v.size()));
    return bytes;
}

// Decodes from memory and takes ownership of the single record.
std::unique_ptr<ZrImageData> DecodeOne(int type, const std::vector<unsigned char>& file)
{
    VEXA::VexaArray<ZrImageData*> images;
    if (!ZrFileParseToolkit::GetImageData(type, ToBytes(file), images))
        return nullptr;
    EXPECT_EQ(images.GetSize(), 1);
    return std::unique_ptr<ZrImageData>(images[0]);
}

std::vector<unsigned char> Bytes(const ZrImageData& image)
{
    return std::vector<unsigned char>(image.m_pData, image.m_pData + image.GetDataSize());
}

// A 1 x 1 GIF whose only pixel is palette entry 0, pure red.
const unsigned char kRedGif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0,
                                 ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, ';'};

class TempDir {
public:
    TempDir() : m_path(std::filesystem::temp_directory_path() / ("nbps-image-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_path);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string Write(const std::string& name, const std::vector<unsigned char>& bytes) const
    {
        const std::string path = (m_path / name).string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

private:
    std::filesystem::path m_path;
};

} // namespace

TEST(ZrImageDataTest, AllocateCloneAndClear)
{
    ZrImageData image;
    EXPECT_EQ(image.m_pData, nullptr);
    EXPECT_EQ(image.GetDataSize(), 0u);
    ASSERT_EQ(image.Allocate(3, 2, 24), 1);
    EXPECT_EQ(image.GetDataSize(), 18u);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(image.m_pData[i], 0);
    image.m_pData[5] = 77;
    image.m_palette.m_entries.Add(ZRC::ZrPalette::ZrPaletteEntry{1, 2, 3, 4});

    std::unique_ptr<ZrImageData> copy(image.Clone());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->m_pData, image.m_pData);
    EXPECT_EQ(copy->m_nWidth, 3u);
    EXPECT_EQ(copy->m_nHeight, 2u);
    EXPECT_EQ(copy->m_nDepth, 24);
    EXPECT_EQ(Bytes(*copy), Bytes(image));
    ASSERT_EQ(copy->m_palette.m_entries.GetSize(), 1);
    EXPECT_EQ(copy->m_palette.m_entries[0].b, 3);
    image.m_pData[5] = 1;
    EXPECT_EQ(copy->m_pData[5], 77);

    image.Clear();
    EXPECT_EQ(image.m_pData, nullptr);
    EXPECT_EQ(image.m_nWidth, 0u);
    EXPECT_EQ(image.m_palette.m_entries.GetSize(), 0);
    std::unique_ptr<ZrImageData> emptyCopy(image.Clone());
    ASSERT_NE(emptyCopy, nullptr);
    EXPECT_EQ(emptyCopy->m_pData, nullptr);
}

TEST(ZrImageDataTest, AllocateRefusesBadGeometry)
{
    ZrImageData image;
    ASSERT_EQ(image.Allocate(2, 2, 8), 1);
    unsigned char* before = image.m_pData;
    EXPECT_EQ(image.Allocate(0, 5, 8), 0);
    EXPECT_EQ(image.Allocate(5, 0, 8), 0);
    EXPECT_EQ(image.Allocate(5, 5, 12), 0);
    EXPECT_EQ(image.Allocate(5, 5, 0), 0);
    EXPECT_EQ(image.Allocate(0xFFFFFFFFu, 0xFFFFFFFFu, 32), 0);   // cannot be allocated
    // A refused allocation leaves the record as it was.
    EXPECT_EQ(image.m_pData, before);
    EXPECT_EQ(image.m_nWidth, 2u);
    EXPECT_EQ(image.m_nDepth, 8);
    ZrImageData big;
    big.m_nWidth = 0xFFFFFFFFu;
    big.m_nHeight = 0xFFFFFFFFu;
    big.m_nDepth = 32;
    EXPECT_EQ(big.GetDataSize(), 0xFFFFFFFFull * 0xFFFFFFFFull / 8 * 32 + (0xFFFFFFFFull * 0xFFFFFFFFull % 8) * 4);
}

TEST(ZrImgToolkitTest, GreyAndColourBecomeBgra)
{
    ZrImageData grey;
    ASSERT_EQ(grey.Allocate(2, 1, 8), 1);
    grey.m_pData[0] = 10;
    grey.m_pData[1] = 200;
    ASSERT_EQ(ZrImgToolkit::ImageDataToRGBA(grey, 255), 1);
    EXPECT_EQ(grey.m_nDepth, 32);
    EXPECT_EQ(Bytes(grey), (std::vector<unsigned char>{10, 10, 10, 255, 200, 200, 200, 255}));

    ZrImageData bgr;
    ASSERT_EQ(bgr.Allocate(2, 1, 24), 1);
    const unsigned char px[] = {1, 2, 3, 4, 5, 6};
    std::copy(px, px + 6, bgr.m_pData);
    ASSERT_EQ(ZrImgToolkit::ImageDataToRGBA(bgr, 128), 1);
    EXPECT_EQ(Bytes(bgr), (std::vector<unsigned char>{1, 2, 3, 128, 4, 5, 6, 128}));

    // 32-bit pixels stay as they are.
    ZrImageData bgra;
    ASSERT_EQ(bgra.Allocate(1, 1, 32), 1);
    bgra.m_pData[3] = 9;
    ASSERT_EQ(ZrImgToolkit::ImageDataToRGBA(bgra, 255), 1);
    EXPECT_EQ(Bytes(bgra), (std::vector<unsigned char>{0, 0, 0, 9}));
}

TEST(ZrImgToolkitTest, PaletteIndicesBecomeColours)
{
    ZrImageData indexed;
    ASSERT_EQ(indexed.Allocate(3, 1, 8), 1);
    indexed.m_palette.m_entries.Add(ZRC::ZrPalette::ZrPaletteEntry{255, 0, 0, 255});
    indexed.m_palette.m_entries.Add(ZRC::ZrPalette::ZrPaletteEntry{0, 128, 64, 0});
    indexed.m_pData[0] = 1;
    indexed.m_pData[1] = 0;
    indexed.m_pData[2] = 7;   // outside the table
    ASSERT_EQ(ZrImgToolkit::ImageDataToRGBA(indexed, 200), 1);
    EXPECT_EQ(Bytes(indexed), (std::vector<unsigned char>{64, 128, 0, 0, 0, 0, 255, 255, 0, 0, 0, 200}));
    EXPECT_EQ(indexed.m_palette.m_entries.GetSize(), 0);
}

TEST(ZrImgToolkitTest, EmptyOrUnknownDepthFails)
{
    ZrImageData empty;
    EXPECT_EQ(ZrImgToolkit::ImageDataToRGBA(empty, 255), 0);
    ZrImageData odd;
    ASSERT_EQ(odd.Allocate(2, 2, 8), 1);
    odd.m_nDepth = 16;
    EXPECT_EQ(ZrImgToolkit::ImageDataToRGBA(odd, 255), 0);
    EXPECT_EQ(odd.m_nDepth, 16);
}

TEST(ZrImageOperatorTest, SwapRBExchangesFirstAndThirdByte)
{
    std::vector<unsigned char> px = {1, 2, 3, 4, 5, 6, 7, 8};
    ZrImageOperator::ImageSwapRB(4, 2, 1, px.data());
    EXPECT_EQ(px, (std::vector<unsigned char>{3, 2, 1, 4, 7, 6, 5, 8}));
    std::vector<unsigned char> rgb = {1, 2, 3, 4, 5, 6};
    ZrImageOperator::ImageSwapRB(3, 1, 2, rgb.data());
    EXPECT_EQ(rgb, (std::vector<unsigned char>{3, 2, 1, 6, 5, 4}));
    ZrImageOperator::ImageSwapRB(2, 1, 3, rgb.data());
    EXPECT_EQ(rgb, (std::vector<unsigned char>{3, 2, 1, 6, 5, 4}));
    ZrImageOperator::ImageSwapRB(4, 5, 5, nullptr);
}

TEST(ZrFileTypeTest, ExtensionsAndImportParams)
{
    EXPECT_EQ(ZrFileType::ExtNameToFileType(".png"), ZrFileType::FT_PNG);
    EXPECT_EQ(ZrFileType::ExtNameToFileType(".PNG"), ZrFileType::FT_PNG);
    EXPECT_EQ(ZrFileType::ExtNameToFileType(".jpeg"), ZrFileType::FT_JPG);
    EXPECT_EQ(ZrFileType::ExtNameToFileType(".Jpg"), ZrFileType::FT_JPG);
    EXPECT_EQ(ZrFileType::ExtNameToFileType(".bmp"), ZrFileType::FT_BMP);
    EXPECT_EQ(ZrFileType::ExtNameToFileType(".tga"), ZrFileType::FT_TGA);
    EXPECT_EQ(ZrFileType::ExtNameToFileType(".gif"), ZrFileType::FT_GIF);
    EXPECT_EQ(ZrFileType::ExtNameToFileType("gif"), ZrFileType::FT_GIF);
    EXPECT_EQ(ZrFileType::ExtNameToFileType(".par"), ZrFileType::FT_UNKNOWN);
    EXPECT_EQ(ZrFileType::ExtNameToFileType(""), ZrFileType::FT_UNKNOWN);
    EXPECT_EQ(ZrFileType::ExtNameToFileType(".pngx"), ZrFileType::FT_UNKNOWN);

    EXPECT_EQ(ZRC::ZrExchangeParamsManager::MakeImportParams(ZrFileType::FT_UNKNOWN), nullptr);
    EXPECT_EQ(ZRC::ZrExchangeParamsManager::MakeImportParams(99), nullptr);
    EXPECT_EQ(ZRC::ZrExchangeParamsManager::MakeImportParams(-1), nullptr);
    std::unique_ptr<ZRC::ZrExchangeParams> params(ZRC::ZrExchangeParamsManager::MakeImportParams(ZrFileType::FT_PNG));
    ASSERT_NE(params, nullptr);
    EXPECT_EQ(params->GetFileType(), ZrFileType::FT_PNG);
    params->SetFilePathName("a/b.png");
    EXPECT_EQ(params->GetFilePathName().Str(), "a/b.png");
}

TEST(ZrFileParseToolkitTest, LosslessFormatsDecodeToBgrOrBgra)
{
    const int w = 3, h = 2;
    for (int type : {ZrFileType::FT_PNG, ZrFileType::FT_BMP, ZrFileType::FT_TGA}) {
        for (int comp : {1, 3, 4}) {
            if (type == ZrFileType::FT_BMP && comp == 1)
                continue;   // written as 24-bit
            const std::vector<unsigned char> src = Pixels(w, h, comp);
            std::unique_ptr<ZrImageData> image = DecodeOne(type, Encode(type, w, h, comp, src));
            ASSERT_NE(image, nullptr) << type << " " << comp;
            EXPECT_EQ(image->m_nWidth, 3u);
            EXPECT_EQ(image->m_nHeight, 2u);
            ASSERT_EQ(image->m_nDepth, comp * 8) << type << " " << comp;
            std::vector<unsigned char> expected = src;
            if (comp >= 3) {
                for (int i = 0; i < w * h; ++i)
                    std::swap(expected[static_cast<size_t>(i * comp)], expected[static_cast<size_t>(i * comp + 2)]);
            }
            EXPECT_EQ(Bytes(*image), expected) << type << " " << comp;
        }
    }
}

TEST(ZrFileParseToolkitTest, GreyWithAlphaWidensToBgra)
{
    const std::vector<unsigned char> src = {10, 200, 30, 40};   // two pixels: grey, alpha
    std::unique_ptr<ZrImageData> image = DecodeOne(ZrFileType::FT_PNG, Encode(ZrFileType::FT_PNG, 2, 1, 2, src));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->m_nDepth, 32);
    EXPECT_EQ(Bytes(*image), (std::vector<unsigned char>{10, 10, 10, 200, 30, 30, 30, 40}));
}

TEST(ZrFileParseToolkitTest, ConversionPipelineGivesRgba)
{
    // What the colour-image loader does: decode, to 32 bits, swap R and B.
    const std::vector<unsigned char> src = {250, 20, 5, 90, 160, 30};   // R,G,B of two pixels
    std::unique_ptr<ZrImageData> image = DecodeOne(ZrFileType::FT_PNG, Encode(ZrFileType::FT_PNG, 2, 1, 3, src));
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(ZrImgToolkit::ImageDataToRGBA(*image, 255), 1);
    EXPECT_EQ(Bytes(*image), (std::vector<unsigned char>{5, 20, 250, 255, 30, 160, 90, 255}));
    ZrImageOperator::ImageSwapRB(4, image->m_nWidth, image->m_nHeight, image->m_pData);
    EXPECT_EQ(Bytes(*image), (std::vector<unsigned char>{250, 20, 5, 255, 90, 160, 30, 255}));
}

TEST(ZrFileParseToolkitTest, JpegAndGifDecode)
{
    std::vector<unsigned char> flat(8 * 8 * 3);
    for (size_t i = 0; i < flat.size(); i += 3) {
        flat[i] = 200;
        flat[i + 1] = 100;
        flat[i + 2] = 50;
    }
    std::unique_ptr<ZrImageData> jpeg = DecodeOne(ZrFileType::FT_JPG, Encode(ZrFileType::FT_JPG, 8, 8, 3, flat));
    ASSERT_NE(jpeg, nullptr);
    ASSERT_EQ(jpeg->m_nDepth, 24);
    EXPECT_NEAR(jpeg->m_pData[0], 50, 4);
    EXPECT_NEAR(jpeg->m_pData[1], 100, 4);
    EXPECT_NEAR(jpeg->m_pData[2], 200, 4);

    std::unique_ptr<ZrImageData> gif =
        DecodeOne(ZrFileType::FT_GIF, std::vector<unsigned char>(kRedGif, kRedGif + sizeof(kRedGif)));
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(gif->m_nDepth, 32);
    EXPECT_EQ(Bytes(*gif), (std::vector<unsigned char>{0, 0, 255, 255}));
}

TEST(ZrFileParseToolkitTest, CorruptOrForeignBytesFail)
{
    const std::vector<unsigned char> png = Encode(ZrFileType::FT_PNG, 4, 4, 3, Pixels(4, 4, 3));
    EXPECT_EQ(DecodeOne(ZrFileType::FT_PNG, std::vector<unsigned char>(png.begin(), png.begin() + png.size() / 2)), nullptr);
    std::vector<unsigned char> damaged = png;
    damaged[40] ^= 0xFF;
    EXPECT_EQ(DecodeOne(ZrFileType::FT_PNG, damaged), nullptr);
    const std::vector<unsigned char> text = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e', 0, 0, 0, 0, 0, 0, 0, 0};
    for (int type = ZrFileType::FT_BMP; type <= ZrFileType::FT_HDR; ++type) {
        if (type != ZrFileType::FT_TGA) {
            EXPECT_EQ(DecodeOne(type, text), nullptr) << type;
        }
    }
    EXPECT_EQ(DecodeOne(ZrFileType::FT_UNKNOWN, png), nullptr);
    EXPECT_EQ(DecodeOne(42, png), nullptr);
    VEXA::VexaArray<ZrImageData*> images;
    EXPECT_EQ(ZrFileParseToolkit::GetImageData(ZrFileType::FT_PNG, ZrByteArray(), images), 0);
    EXPECT_EQ(images.GetSize(), 0);
    // A file whose extension names another format still decodes by its content.
    EXPECT_NE(DecodeOne(ZrFileType::FT_JPG, png), nullptr);
}

TEST(ZrFileParseToolkitTest, OversizedImagesAreRefused)
{
    const std::vector<unsigned char> wide(16385, 7);
    EXPECT_EQ(DecodeOne(ZrFileType::FT_PNG, Encode(ZrFileType::FT_PNG, 16385, 1, 1, wide)), nullptr);
    const std::vector<unsigned char> edge(16384, 7);
    std::unique_ptr<ZrImageData> ok = DecodeOne(ZrFileType::FT_PNG, Encode(ZrFileType::FT_PNG, 16384, 1, 1, edge));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->m_nWidth, 16384u);
    // A header that claims a huge image over a few bytes is refused before decoding.
    std::vector<unsigned char> claim = Encode(ZrFileType::FT_PNG, 1, 1, 1, std::vector<unsigned char>(1, 0));
    claim[18] = 0x40;   // width 16384
    claim[19] = 0;
    claim[22] = 0x40;   // height 16384: 1 GiB of pixels
    claim[23] = 0;
    EXPECT_EQ(DecodeOne(ZrFileType::FT_PNG, claim), nullptr);
}

TEST(ZrFileParseToolkitTest, FileDecodingHonoursFlipAndLimit)
{
    TempDir dir;
    const std::vector<unsigned char> src = {1, 2, 3, 4, 5, 6};   // 1 x 2 RGB
    const std::string path = dir.Write("ramp.png", Encode(ZrFileType::FT_PNG, 1, 2, 3, src));
    std::unique_ptr<ZRC::ZrImportParams> params(ZRC::ZrExchangeParamsManager::MakeImportParams(ZrFileType::FT_PNG));
    params->SetFilePathName(path.c_str());

    VEXA::VexaArray<ZrImageData*> images;
    ASSERT_EQ(ZrFileParseToolkit::GetImageData(params.get(), images, 0, -1), 1);
    ASSERT_EQ(images.GetSize(), 1);
    EXPECT_EQ(Bytes(*images[0]), (std::vector<unsigned char>{3, 2, 1, 6, 5, 4}));
    ASSERT_EQ(ZrFileParseToolkit::GetImageData(params.get(), images, 1, 1), 1);
    ASSERT_EQ(images.GetSize(), 2);
    EXPECT_EQ(Bytes(*images[1]), (std::vector<unsigned char>{6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(ZrFileParseToolkit::GetImageData(params.get(), images, 0, 0), 0);
    EXPECT_EQ(images.GetSize(), 2);
    for (int i = 0; i < images.GetSize(); ++i)
        delete images[i];
    images.RemoveAll();

    params->SetFilePathName(dir.Write("missing-dir/none.png", {}).c_str());
    EXPECT_EQ(ZrFileParseToolkit::GetImageData(params.get(), images, 0, -1), 0);
    params->SetFilePathName(dir.Write("empty.png", {}).c_str());
    EXPECT_EQ(ZrFileParseToolkit::GetImageData(params.get(), images, 0, -1), 0);
    EXPECT_EQ(ZrFileParseToolkit::GetImageData(nullptr, images, 0, -1), 0);
    EXPECT_EQ(images.GetSize(), 0);
}
