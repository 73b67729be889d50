#pragma once
#include "Renderer.h"

#include <string>

struct GifFileType;

namespace nbparticle {

// Writes frames as a looping animated GIF, each with its own 256-colour palette.
class GifEncoder {
public:
    GifEncoder() = default;
    GifEncoder(const GifEncoder&) = delete;
    GifEncoder& operator=(const GifEncoder&) = delete;
    ~GifEncoder();

    bool Open(const std::string& path, int width, int height);
    bool Add(const Frame& frame, int delayCentiseconds);
    bool Close();

private:
    GifFileType* m_gif = nullptr;
    int m_width = 0, m_height = 0;
};

} // namespace nbparticle
