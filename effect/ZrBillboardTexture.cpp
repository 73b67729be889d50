#include "ZrBillboardTexture.h"

#include "VexaArray.h"
#include "ZrExchangeParams.h"
#include "ZrExchangeParamsManager.h"
#include "ZrFile.h"
#include "ZrFileParseToolkit.h"
#include "ZrFileType.h"
#include "ZrImageData.h"
#include "ZrImgToolkit.h"
#include "ZrParticleResource.h"

#include <filesystem>
#include <memory>

namespace ZRC {

namespace {

VEXA::VexaString Absolute(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path full = std::filesystem::weakly_canonical(path, ec);
    if (ec)
        full = std::filesystem::absolute(path, ec).lexically_normal();
    return VEXA::VexaString(full.string());
}

} // namespace

ZrBillboardTexture::ZrBillboardTexture() : m_source(TEXTURE_NONE) {}

void ZrBillboardTexture::Resolve(const VEXA::VexaString& path, const VEXA::VexaString& folder)
{
    m_name = path;
    m_filePath = VEXA::VexaString();
    m_entryBytes.RemoveAll();
    m_source = TEXTURE_NONE;
    if (path.IsEmpty())
        return;
    const std::string& text = path.Str();
    if (!folder.IsEmpty() && !std::filesystem::path(text).is_absolute()) {
        const std::string beside = folder.Str() + "/" + text;
        if (ZrFile::IsExist(VEXA::VexaString(beside))) {
            m_filePath = Absolute(beside);
            m_source = TEXTURE_FILE;
            return;
        }
    }
    if (ZrFile::IsExist(path)) {
        m_filePath = Absolute(text);
        m_source = TEXTURE_FILE;
        return;
    }
    m_source = ZrParticleResource::ReadEntry(path, ZrParticleResource::ImageCapacity, m_entryBytes) ? TEXTURE_ENTRY
                                                                                                   : TEXTURE_MISSING;
}

unsigned char ZrBillboardTexture::Decode(std::vector<unsigned char>& rgba, int& width, int& height) const
{
    if (m_source != TEXTURE_FILE && m_source != TEXTURE_ENTRY)
        return 0;
    const int type = ZrFileType::ExtNameToFileType(ZrFile::GetExt(m_name));
    VEXA::VexaArray<ZrImageData*> images;
    unsigned char ok = 0;
    if (m_source == TEXTURE_FILE) {
        std::unique_ptr<ZrImportParams> params(ZrExchangeParamsManager::MakeImportParams(type));
        if (params) {
            params->SetFilePathName(m_filePath);
            ok = ZrFileParseToolkit::GetImageData(params.get(), images, 0, 1);
        }
    } else {
        ok = ZrFileParseToolkit::GetImageData(type, m_entryBytes, images) != 0;
    }
    std::unique_ptr<ZrImageData> image(images.GetSize() > 0 ? images[0] : nullptr);
    for (int i = 1; i < images.GetSize(); ++i)
        delete images[i];
    if (!ok || !image || !ZrImgToolkit::ImageDataToRGBA(*image, 255) || image->m_nDepth != 32)
        return 0;
    // Records hold B, G, R, A.
    const size_t count = static_cast<size_t>(image->m_nWidth) * image->m_nHeight;
    rgba.resize(count * 4);
    const unsigned char* in = image->m_pData;
    for (size_t i = 0; i < count; ++i, in += 4) {
        rgba[i * 4] = in[2];
        rgba[i * 4 + 1] = in[1];
        rgba[i * 4 + 2] = in[0];
        rgba[i * 4 + 3] = in[3];
    }
    width = static_cast<int>(image->m_nWidth);
    height = static_cast<int>(image->m_nHeight);
    return 1;
}

VEXA::VexaString ZrBillboardTexture::EffectFolder(const VEXA::VexaString& resFileName)
{
    if (ZrFile::GetExt(resFileName).CompareNoCase(".par") != 0 || !ZrFile::IsExist(resFileName))
        return VEXA::VexaString();
    const std::string folder = std::filesystem::path(resFileName.Str()).parent_path().string();
    return Absolute(folder.empty() ? "." : folder);
}

} // namespace ZRC
