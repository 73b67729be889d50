#include "ZrImageData.h"

#include <cstddef>
#include <cstring>
#include <limits>
#include <new>

namespace ZRC {

namespace {

bool IsSupportedDepth(unsigned char depth) { return depth == 8 || depth == 24 || depth == 32; }

// width * height * depth / 8 without overflow; false when it does not fit a size_t.
bool PixelBytes(unsigned int width, unsigned int height, unsigned char depth, size_t& bytes)
{
    const unsigned long long pixels = static_cast<unsigned long long>(width) * height;
    const unsigned long long perPixel = depth / 8u;
    if (perPixel == 0 || pixels > std::numeric_limits<unsigned long long>::max() / perPixel)
        return false;
    const unsigned long long total = pixels * perPixel;
    if (total > std::numeric_limits<size_t>::max())
        return false;
    bytes = static_cast<size_t>(total);
    return true;
}

} // namespace

ZrImageData::ZrImageData() : m_nWidth(0), m_nHeight(0), m_nDepth(0), m_pData(nullptr) {}

ZrImageData::~ZrImageData() { delete[] m_pData; }

ZrImageData* ZrImageData::Clone() const
{
    ZrImageData* copy = new (std::nothrow) ZrImageData;
    if (!copy)
        return nullptr;
    copy->m_nWidth = m_nWidth;
    copy->m_nHeight = m_nHeight;
    copy->m_nDepth = m_nDepth;
    copy->m_palette = m_palette;
    if (m_pData) {
        const unsigned long long size = GetDataSize();
        if (size > 0) {
            if (size > std::numeric_limits<size_t>::max()) {
                delete copy;
                return nullptr;
            }
            copy->m_pData = new (std::nothrow) unsigned char[static_cast<size_t>(size)];
            if (!copy->m_pData) {
                delete copy;
                return nullptr;
            }
            std::memcpy(copy->m_pData, m_pData, static_cast<size_t>(size));
        }
    }
    return copy;
}

unsigned char ZrImageData::Allocate(unsigned int width, unsigned int height, unsigned char depth)
{
    size_t bytes = 0;
    if (width == 0 || height == 0 || !IsSupportedDepth(depth) || !PixelBytes(width, height, depth, bytes))
        return 0;
    unsigned char* pixels = new (std::nothrow) unsigned char[bytes];
    if (!pixels)
        return 0;
    std::memset(pixels, 0, bytes);
    delete[] m_pData;
    m_pData = pixels;
    m_nWidth = width;
    m_nHeight = height;
    m_nDepth = depth;
    return 1;
}

unsigned long long ZrImageData::GetDataSize() const
{
    const unsigned long long pixels = static_cast<unsigned long long>(m_nWidth) * m_nHeight;
    // floor(pixels * depth / 8), computed without overflowing for any depth.
    const unsigned long long whole = (pixels / 8) * m_nDepth;
    const unsigned long long rest = (pixels % 8) * m_nDepth / 8;
    return whole + rest;
}

void ZrImageData::Clear()
{
    delete[] m_pData;
    m_pData = nullptr;
    m_nWidth = 0;
    m_nHeight = 0;
    m_nDepth = 0;
    m_palette.m_entries.RemoveAll();
}

} // namespace ZRC
