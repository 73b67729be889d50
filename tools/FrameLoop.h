#pragma once
#include "EffectLoader.h"
#include "Renderer.h"

#include <functional>
#include <string>

namespace nbparticle {

// What a preview shows and how the effect is run.
struct PreviewSettings {
    int frames = 90;
    double fps = 30.0;
    unsigned seed = 1;
    int width = 320, height = 240;
    double azimuth = 35.0, elevation = 25.0;   // degrees
    bool scenery = true;                       // sky and ground grid; black without
};

// Runs an effect frame by frame and renders every frame: a first run frames
// the camera on the region the live particles occupy, a second run at the
// same seed draws.
class FrameLoop {
public:
    enum Result { Done, Unreadable, NothingDrawn, Stopped };
    // Receives each frame; returning false stops the run.
    using Sink = std::function<bool(int frame, const Frame& image)>;
    // Told after each step of the run: done of total (two passes of all frames).
    using Progress = std::function<void(int done, int total)>;

    FrameLoop(const EffectLoader& loader, const std::string& effect, const PreviewSettings& settings);
    Result Run(const Sink& sink, const Progress& progress = nullptr);
    // Particles drawn over the whole run.
    long Drawn() const { return m_drawn; }

private:
    bool Fit(Camera& camera, ZRC::ZrVector3d& lo, ZRC::ZrVector3d& hi, const Progress& progress);

    const EffectLoader& m_loader;
    std::string m_effect;
    PreviewSettings m_settings;
    TextureLibrary m_textures;
    long m_drawn = 0;
};

} // namespace nbparticle
