#pragma once
#include "EffectLoader.h"
#include "Renderer.h"

#include <functional>
#include <memory>
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
    ~FrameLoop();
    Result Run(const Sink& sink, const Progress& progress = nullptr);
    // Particles drawn over the whole run.
    long Drawn() const { return m_drawn; }

    // A run step by step, as Run does it: Start frames the camera, reads the
    // effect afresh and seeds the draws (false when the effect does not
    // read); each Step advances one frame and, when out is given, draws it,
    // returning the particles drawn. Draw draws the frame reached again.
    bool Start(const Progress& progress = nullptr);
    int Step(Frame* out);
    int Draw(Frame& out);
    // The effect being run, null before Start.
    ZRC::ZrParticleEffect* Effect() const { return m_running.get(); }

private:
    bool Fit(Camera& camera, ZRC::ZrVector3d& lo, ZRC::ZrVector3d& hi, const Progress& progress);

    const EffectLoader& m_loader;
    std::string m_effect;
    PreviewSettings m_settings;
    TextureLibrary m_textures;
    long m_drawn = 0;
    std::unique_ptr<ZRC::ZrParticleEffect> m_running;
    std::unique_ptr<Renderer> m_renderer;
    bool m_stepped = false;
};

} // namespace nbparticle
