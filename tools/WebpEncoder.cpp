#include "WebpEncoder.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <cstdio>

namespace nbparticle {

WebpEncoder::~WebpEncoder()
{
    if (m_encoder)
        WebPAnimEncoderDelete(m_encoder);
}

bool WebpEncoder::Open(const std::string& path, int width, int height)
{
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options))
        return false;
    options.anim_params.loop_count = 0;
    m_encoder = WebPAnimEncoderNew(width, height, &options);
    m_path = path;
    m_width = width;
    m_height = height;
    m_time = 0;
    return m_encoder != nullptr;
}

bool WebpEncoder::Add(const Frame& frame, int delayMilliseconds)
{
    if (!m_encoder || frame.width != m_width || frame.height != m_height)
        return false;
    WebPConfig config;
    WebPPicture picture;
    if (!WebPConfigInit(&config) || !WebPPictureInit(&picture))
        return false;
    config.quality = 88.0f;
    picture.width = m_width;
    picture.height = m_height;
    picture.use_argb = 1;
    bool ok = WebPPictureImportRGB(&picture, frame.rgb.data(), m_width * 3) &&
              WebPAnimEncoderAdd(m_encoder, &picture, m_time, &config);
    WebPPictureFree(&picture);
    m_time += delayMilliseconds;
    return ok;
}

bool WebpEncoder::Close()
{
    if (!m_encoder)
        return false;
    WebPData data;
    WebPDataInit(&data);
    bool ok = WebPAnimEncoderAdd(m_encoder, nullptr, m_time, nullptr) && WebPAnimEncoderAssemble(m_encoder, &data);
    WebPAnimEncoderDelete(m_encoder);
    m_encoder = nullptr;
    if (ok) {
        std::FILE* f = std::fopen(m_path.c_str(), "wb");
        ok = f && std::fwrite(data.bytes, 1, data.size, f) == data.size;
        if (f && std::fclose(f) != 0)
            ok = false;
    }
    WebPDataClear(&data);
    return ok;
}

} // namespace nbparticle
