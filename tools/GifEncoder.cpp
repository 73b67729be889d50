#include "GifEncoder.h"

#include <gif_lib.h>

#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace nbparticle {

GifEncoder::~GifEncoder()
{
    if (m_gif)
        Close();
}

bool GifEncoder::Open(const std::string& path, int width, int height)
{
    int err = 0;
    // Opened here rather than by the encoder so that the file gets the usual
    // permissions (the encoder would create it readable by us only).
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return false;
    m_gif = EGifOpenFileHandle(fd, &err);
    if (!m_gif) {
        ::close(fd);
        return false;
    }
    EGifSetGifVersion(m_gif, true);
    m_width = width;
    m_height = height;
    if (EGifPutScreenDesc(m_gif, width, height, 8, 0, nullptr) == GIF_ERROR)
        return false;
    unsigned char app[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    unsigned char loop[] = {1, 0, 0};
    return EGifPutExtensionLeader(m_gif, APPLICATION_EXT_FUNC_CODE) != GIF_ERROR &&
           EGifPutExtensionBlock(m_gif, sizeof app, app) != GIF_ERROR &&
           EGifPutExtensionBlock(m_gif, sizeof loop, loop) != GIF_ERROR && EGifPutExtensionTrailer(m_gif) != GIF_ERROR;
}

bool GifEncoder::Add(const Frame& frame, int delayCentiseconds)
{
    if (!m_gif || frame.width != m_width || frame.height != m_height)
        return false;
    const size_t n = static_cast<size_t>(m_width) * m_height;
    std::vector<GifByteType> r(n), g(n), b(n), out(n);
    for (size_t i = 0; i < n; ++i) {
        r[i] = frame.rgb[i * 3];
        g[i] = frame.rgb[i * 3 + 1];
        b[i] = frame.rgb[i * 3 + 2];
    }
    int size = 256;
    ColorMapObject* map = GifMakeMapObject(256, nullptr);
    if (!map)
        return false;
    if (GifQuantizeBuffer(m_width, m_height, &size, r.data(), g.data(), b.data(), out.data(), map->Colors) ==
        GIF_ERROR) {
        GifFreeMapObject(map);
        return false;
    }
    GraphicsControlBlock gcb;
    gcb.DisposalMode = DISPOSE_DO_NOT;
    gcb.UserInputFlag = false;
    gcb.DelayTime = delayCentiseconds;
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType ext[4];
    const size_t len = EGifGCBToExtension(&gcb, ext);
    bool ok = EGifPutExtension(m_gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(len), ext) != GIF_ERROR &&
              EGifPutImageDesc(m_gif, 0, 0, m_width, m_height, false, map) != GIF_ERROR;
    for (int y = 0; ok && y < m_height; ++y)
        ok = EGifPutLine(m_gif, &out[static_cast<size_t>(y) * m_width], m_width) != GIF_ERROR;
    GifFreeMapObject(map);
    return ok;
}

bool GifEncoder::Close()
{
    int err = 0;
    const bool ok = m_gif && EGifCloseFile(m_gif, &err) != GIF_ERROR;
    m_gif = nullptr;
    return ok;
}

} // namespace nbparticle
