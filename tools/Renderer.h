#pragma once
#include "Camera.h"
#include "TextureLibrary.h"

#include <ZrBillboardBatch.h>
#include <ZrVector3d.h>

#include <string>
#include <vector>

namespace ZRC {
class ZrParticleEffect;
} // namespace ZRC

namespace nbparticle {

// One frame as display bytes, RGB, rows top to bottom.
struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
};

// Draws an effect's particles the way a host does, from the library's
// billboard batch: each billboard is a camera-facing quad, textured from its
// system's texture (without one, a soft round sprite) and tinted by its colour
// and alpha. GLOW particles add light; DARK particles are blended over what
// lies behind them, farthest first (the batch sorted for the camera). Light
// accumulates in linear space and is tone-mapped for display. A ground grid
// under the effect gives the scale.
class Renderer {
public:
    // baseDir: the folder of the effect file, where relative texture paths are
    // looked up first ("" for an effect read from the container).
    Renderer(const Camera& camera, TextureLibrary& textures, const std::string& baseDir);

    // Puts the ground grid at height groundY under the region centre..radius.
    void SetGround(double groundY, const ZRC::ZrVector3d& centre, double radius);
    // Without scenery (sky and ground) the particles are drawn over black.
    void SetScenery(bool scenery);
    // Draws one frame; returns the number of particles drawn.
    int Draw(ZRC::ZrParticleEffect& effect, Frame& out);

private:
    struct Sprite {
        double depth, x0, y0, x1, y1;   // screen rectangle of the quad
        float color[3], alpha;          // linear tint, opacity
        const SpriteTexture* texture;
        bool additive;
    };

    void Background();
    void Collect(ZRC::ZrParticleEffect& effect);
    void Splat(const Sprite& s);

    Camera m_camera;
    TextureLibrary& m_textures;
    std::vector<float> m_background, m_light;
    // The background as display bytes, and per row the columns that sprites
    // cover this frame: only those are tone-mapped again.
    std::vector<unsigned char> m_backgroundBytes;
    std::vector<int> m_coverFrom, m_coverTo;
    struct Column {
        int x;
        SpriteTexture::Tap tap;
    };
    std::vector<Column> m_columns;   // of the quad being drawn
    std::vector<Sprite> m_sprites;
    ZRC::ZrBillboardBatch m_batch;
    bool m_scenery = true;
    double m_groundY = 0.0, m_groundRadius = 1.0;
    ZRC::ZrVector3d m_groundCentre;
};

} // namespace nbparticle
