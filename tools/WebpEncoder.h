#pragma once
#include "Renderer.h"

#include <string>

struct WebPAnimEncoder;

namespace nbparticle {

// Writes frames as a looping full-colour animated WebP (lossy), which keeps
// the smooth gradients of smoke that a 256-colour palette bands.
class WebpEncoder {
public:
    WebpEncoder() = default;
    WebpEncoder(const WebpEncoder&) = delete;
    WebpEncoder& operator=(const WebpEncoder&) = delete;
    ~WebpEncoder();

    bool Open(const std::string& path, int width, int height);
    bool Add(const Frame& frame, int delayMilliseconds);
    // Assembles the animation and writes the file.
    bool Close();

private:
    WebPAnimEncoder* m_encoder = nullptr;
    std::string m_path;
    int m_width = 0, m_height = 0, m_time = 0;
};

} // namespace nbparticle
