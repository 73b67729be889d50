#pragma once
#include "Camera.h"
#include "TextureLibrary.h"

#include <ZrVector3d.h>

#include <string>
#include <vector>

namespace ZRC {
class ZrParticle;
class ZrParticleEffect;
class ZrParticleSystem;
} // namespace ZRC

namespace nbparticle {

// One frame as display bytes, RGB, rows top to bottom.
struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
};

// Draws an effect's particles the way a host does: each live particle is a
// camera-facing quad of the system's particle width and height times its
// current size, textured from the system's texture path and tinted by the
// particle's colour and alpha. GLOW particles add light; DARK particles are
// blended over what lies behind them, farthest first. Light accumulates in
// linear space and is tone-mapped for display. A ground grid under the effect
// gives the scale.
class Renderer {
public:
    // baseDir: the folder of the effect file, where relative texture paths are
    // looked up first ("" for an effect read from the container).
    Renderer(const Camera& camera, TextureLibrary& textures, const std::string& baseDir);

    // Puts the ground grid at height groundY under the region centre..radius.
    void SetGround(double groundY, const ZRC::ZrVector3d& centre, double radius);
    // Draws one frame; returns the number of particles drawn.
    int Draw(ZRC::ZrParticleEffect& effect, Frame& out);

    // Where a particle is drawn and the half width and height of its quad;
    // false when it is not to be drawn (dead, unborn, invisible, or any value
    // not finite).
    static bool Placement(const ZRC::ZrParticleSystem& system, const ZRC::ZrParticle& particle,
                          const ZRC::ZrVector3d& centre, ZRC::ZrVector3d& pos, double& halfWidth, double& halfHeight);

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
    std::string m_baseDir;
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
    double m_groundY = 0.0, m_groundRadius = 1.0;
    ZRC::ZrVector3d m_groundCentre;
};

} // namespace nbparticle
