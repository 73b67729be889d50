#include "Renderer.h"
#include "ToneMap.h"

#include <ZrParticleEffect.h>
#include <ZrParticleSystem.h>

#include <algorithm>
#include <cmath>

using ZRC::ZrBillboardBatch;
using ZRC::ZrVector3d;

namespace nbparticle {
namespace {

// The grid spacing: 1, 2 or 5 times a power of ten, about a fifth of the radius.
double GridStep(double radius)
{
    const double raw = std::max(1e-6, radius / 5.0);
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    const double m = raw / decade;
    return decade * (m < 1.5 ? 1.0 : m < 3.5 ? 2.0 : 5.0);
}

// How strongly a grid line covers a point: 1 on a line, falling to 0 one
// pixel footprint away.
double LineCover(double coord, double step, double footprint)
{
    const double d = std::fabs(coord / step - std::round(coord / step)) * step;
    return std::clamp(1.0 - d / std::max(1e-9, footprint), 0.0, 1.0);
}

} // namespace

Renderer::Renderer(const Camera& camera, TextureLibrary& textures, const std::string& baseDir)
    : m_camera(camera), m_textures(textures)
{
    m_batch.SetDocumentFolder(VEXA::VexaString(baseDir));
    SetGround(camera.Target().y - 1.0, camera.Target(), 1.0);
}

void Renderer::SetGround(double groundY, const ZrVector3d& centre, double radius)
{
    m_groundY = groundY;
    m_groundCentre = centre;
    m_groundRadius = std::max(1e-3, radius);
    Background();
}

void Renderer::SetScenery(bool scenery)
{
    m_scenery = scenery;
    Background();
}

void Renderer::Background()
{
    const int w = m_camera.Width(), h = m_camera.Height();
    m_background.assign(size_t(w) * h * 3, 0.0f);
    const double step = GridStep(m_groundRadius);
    for (int y = 0; m_scenery && y < h; ++y) {
        const float t = static_cast<float>(y) / std::max(1, h - 1);
        const float sky[3] = {ToneMap::ToLinear(0.10f - 0.06f * t), ToneMap::ToLinear(0.12f - 0.07f * t),
                              ToneMap::ToLinear(0.19f - 0.10f * t)};
        for (int x = 0; x < w; ++x) {
            float* p = &m_background[(size_t(y) * w + x) * 3];
            std::copy(sky, sky + 3, p);
            ZrVector3d hit, right, down;
            if (!m_camera.HitGround(x + 0.5, y + 0.5, m_groundY, hit) ||
                !m_camera.HitGround(x + 1.5, y + 0.5, m_groundY, right) ||
                !m_camera.HitGround(x + 0.5, y + 1.5, m_groundY, down))
                continue;
            const double dx = hit.x - m_groundCentre.x, dz = hit.z - m_groundCentre.z;
            const double fade = std::clamp(1.6 - std::sqrt(dx * dx + dz * dz) / m_groundRadius, 0.0, 1.0);
            if (fade <= 0.0)
                continue;
            const double fx = std::max(std::fabs(right.x - hit.x), std::fabs(down.x - hit.x));
            const double fz = std::max(std::fabs(right.z - hit.z), std::fabs(down.z - hit.z));
            const double line = std::max(LineCover(hit.x, step, fx), LineCover(hit.z, step, fz));
            // A dim floor, and lines that thin out where they get denser than pixels.
            const double crowd = std::clamp(step / std::max(fx, fz) / 4.0, 0.0, 1.0);
            const float floor = static_cast<float>(fade * (0.004 + 0.03 * line * crowd));
            p[0] = p[0] * (1.0f - static_cast<float>(fade) * 0.5f) + floor;
            p[1] = p[1] * (1.0f - static_cast<float>(fade) * 0.5f) + floor * 1.1f;
            p[2] = p[2] * (1.0f - static_cast<float>(fade) * 0.5f) + floor * 1.3f;
        }
    }
    m_backgroundBytes.resize(m_background.size());
    for (size_t i = 0; i < m_background.size(); i += 3)
        ToneMap::Apply(&m_background[i], &m_backgroundBytes[i]);
}

void Renderer::Collect(ZRC::ZrParticleEffect& effect)
{
    m_sprites.clear();
    m_batch.Fill(effect, ZrVector3d());
    m_batch.SortBackToFront(m_camera.Eye(), m_camera.Forward());
    const float* centers = m_batch.GetCenters();
    const float* halves = m_batch.GetHalfSizes();
    const float* colors = m_batch.GetColorFloats();
    const double w = m_camera.Width(), h = m_camera.Height();
    for (int r = 0; r < m_batch.GetRunNum(); ++r) {
        const ZrBillboardBatch::Run& run = m_batch.GetRun(r);
        const ZrBillboardBatch::DrawState& state = m_batch.GetState(run.state);
        const SpriteTexture* found = m_textures.Find(*state.texture);
        const SpriteTexture* texture = found ? found : &SpriteTexture::Soft();
        for (int k = run.first; k < run.first + run.count; ++k) {
            const ZrVector3d pos(centers[k * 3], centers[k * 3 + 1], centers[k * 3 + 2]);
            double sx = 0, sy = 0, depth = 0;
            if (!m_camera.Project(pos, sx, sy, depth))
                continue;
            Sprite sp;
            const double scale = m_camera.Focal() / depth;
            double rx = halves[k * 2] * scale, ry = halves[k * 2 + 1] * scale;
            // Quads smaller than a pixel keep their light but not their size.
            const double shrink = std::min(1.0, rx / 0.6) * std::min(1.0, ry / 0.6);
            rx = std::max(0.6, rx);
            ry = std::max(0.6, ry);
            sp.x0 = sx - rx, sp.x1 = sx + rx, sp.y0 = sy - ry, sp.y1 = sy + ry;
            if (sp.x1 < 0 || sp.y1 < 0 || sp.x0 > w || sp.y0 > h)
                continue;
            const float* c = &colors[k * 4];
            sp.depth = depth;
            for (int i = 0; i < 3; ++i)
                sp.color[i] = ToneMap::ToLinear(c[i]);
            sp.alpha = static_cast<float>(c[3] * shrink);
            sp.texture = texture;
            sp.additive = state.blend == ZrBillboardBatch::BLEND_ADD;
            m_sprites.push_back(sp);
        }
    }
}

void Renderer::Splat(const Sprite& s)
{
    const int w = m_camera.Width(), h = m_camera.Height();
    // The rectangle is clamped to the frame before any conversion to int.
    const int x0 = static_cast<int>(std::floor(std::clamp(s.x0, 0.0, double(w))));
    const int x1 = static_cast<int>(std::ceil(std::clamp(s.x1, 0.0, double(w))));
    const int y0 = static_cast<int>(std::floor(std::clamp(s.y0, 0.0, double(h))));
    const int y1 = static_cast<int>(std::ceil(std::clamp(s.y1, 0.0, double(h))));
    const double iw = 1.0 / (s.x1 - s.x0), ih = 1.0 / (s.y1 - s.y0);
    // The texels of each column are found once for all rows.
    m_columns.clear();
    for (int x = x0; x < x1; ++x) {
        const double u = (x + 0.5 - s.x0) * iw;
        if (u >= 0.0 && u <= 1.0)
            m_columns.push_back({x, s.texture->ColumnTap(u)});
    }
    for (int y = y0; y < y1; ++y) {
        m_coverFrom[y] = std::min(m_coverFrom[y], x0);
        m_coverTo[y] = std::max(m_coverTo[y], x1);
        const double v = (y + 0.5 - s.y0) * ih;
        if (v < 0.0 || v > 1.0)
            continue;
        const SpriteTexture::Tap row = s.texture->RowTap(v);
        for (const Column& column : m_columns) {
            float t[4];
            s.texture->Sample(column.tap, row, t);
            const float a = t[3] * s.alpha;
            if (a <= 0.0f)
                continue;
            float* p = &m_light[(size_t(y) * w + column.x) * 3];
            for (int k = 0; k < 3; ++k) {
                const float light = s.color[k] * t[k] * s.alpha;
                p[k] = s.additive ? p[k] + light : p[k] * (1.0f - a) + light;
            }
        }
    }
}

int Renderer::Draw(ZRC::ZrParticleEffect& effect, Frame& out)
{
    Collect(effect);
    const int w = m_camera.Width(), h = m_camera.Height();
    m_light = m_background;
    m_coverFrom.assign(size_t(h), w);
    m_coverTo.assign(size_t(h), 0);
    for (const Sprite& s : m_sprites)
        Splat(s);
    out.width = w;
    out.height = h;
    out.rgb = m_backgroundBytes;
    for (int y = 0; y < h; ++y) {
        for (size_t i = (size_t(y) * w + m_coverFrom[y]) * 3; i < (size_t(y) * w + m_coverTo[y]) * 3; i += 3)
            ToneMap::Apply(&m_light[i], &out.rgb[i]);
    }
    return static_cast<int>(m_sprites.size());
}

} // namespace nbparticle
