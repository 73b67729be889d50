#include "FrameLoop.h"

#include <ZrParticleEffect.h>
#include <ZrParticleSystem.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

using ZRC::ZrVector3d;

namespace nbparticle {

FrameLoop::FrameLoop(const EffectLoader& loader, const std::string& effect, const PreviewSettings& settings)
    : m_loader(loader), m_effect(effect), m_settings(settings)
{
}

FrameLoop::~FrameLoop() = default;

namespace {

// Positions (x, y, z) and quad half sizes seen over a run, thinned to every
// n-th sample so that a dense run stays within a fixed budget.
class Samples {
public:
    void Add(const ZrVector3d& p, double half)
    {
        if (m_seen++ % m_stride != 0)
            return;
        m_values.insert(m_values.end(), {p.x, p.y, p.z, half});
        if (m_values.size() >= kBudget * 4) {
            for (size_t i = 0; i < m_values.size() / 8; ++i)
                std::copy_n(&m_values[i * 8], 4, &m_values[i * 4]);
            m_values.resize(m_values.size() / 2);
            m_stride *= 2;
        }
    }
    bool Empty() const { return m_values.empty(); }
    size_t Size() const { return m_values.size() / 4; }
    ZrVector3d Position(size_t i) const { return ZrVector3d(m_values[i * 4], m_values[i * 4 + 1], m_values[i * 4 + 2]); }
    double Half(size_t i) const { return m_values[i * 4 + 3]; }
    // The q-quantile (0..1) of component k.
    double Quantile(int k, double q) const
    {
        std::vector<double> v;
        for (size_t i = k; i < m_values.size(); i += 4)
            v.push_back(m_values[i]);
        const size_t at = std::min(v.size() - 1, static_cast<size_t>(q * (v.size() - 1) + 0.5));
        std::nth_element(v.begin(), v.begin() + at, v.end());
        return v[at];
    }

private:
    static const size_t kBudget = 1 << 17;
    std::vector<double> m_values;
    unsigned long m_seen = 0, m_stride = 1;
};

} // namespace

// The camera is framed on where most of the drawn particles are over the
// run: a stray few far out do not shrink the effect to a dot.
bool FrameLoop::Fit(Camera& camera, ZrVector3d& lo, ZrVector3d& hi, const Progress& progress)
{
    std::unique_ptr<ZRC::ZrParticleEffect> effect = m_loader.Load(m_effect);
    if (!effect)
        return false;
    std::srand(m_settings.seed);
    const double dt = 1.0 / m_settings.fps;
    Samples samples;
    // Every billboard the renderer will draw counts, found by the same batch
    // rule (a host framing an effect can do the same).
    ZRC::ZrBillboardBatch batch;
    for (int f = 0; f < m_settings.frames; ++f) {
        effect->Update(dt);
        batch.Fill(*effect, ZrVector3d());
        const float* centers = batch.GetCenters();
        const float* halves = batch.GetHalfSizes();
        for (int k = 0; k < batch.GetBillboardNum(); ++k)
            samples.Add(ZrVector3d(centers[k * 3], centers[k * 3 + 1], centers[k * 3 + 2]),
                        std::max(halves[k * 2], halves[k * 2 + 1]));
        effect->AfterRender(dt);
        if (progress)
            progress(f + 1, 2 * m_settings.frames);
    }
    lo = ZrVector3d(-1, -1, -1);
    hi = ZrVector3d(1, 1, 1);
    if (samples.Empty()) {
        camera.Frame(lo, hi);
        return true;
    }
    const double pad = samples.Quantile(3, 0.9);
    lo = ZrVector3d(samples.Quantile(0, 0.015), samples.Quantile(1, 0.015), samples.Quantile(2, 0.015));
    hi = ZrVector3d(samples.Quantile(0, 0.985), samples.Quantile(1, 0.985), samples.Quantile(2, 0.985));
    const ZrVector3d target((lo.x + hi.x) * 0.5, (lo.y + hi.y) * 0.5, (lo.z + hi.z) * 0.5);
    // Back off until all but a few of the particles fit.
    std::vector<double> needed(samples.Size());
    for (size_t i = 0; i < needed.size(); ++i) {
        const ZrVector3d p = samples.Position(i);
        needed[i] = camera.DistanceToFit(ZrVector3d(p.x - target.x, p.y - target.y, p.z - target.z), samples.Half(i));
    }
    const size_t at = static_cast<size_t>(0.985 * (needed.size() - 1));
    std::nth_element(needed.begin(), needed.begin() + at, needed.end());
    const double span = std::max({hi.x - lo.x, hi.y - lo.y, hi.z - lo.z, 1e-3});
    camera.Aim(target, std::max(needed[at], span * 0.75));
    lo = ZrVector3d(lo.x - pad, lo.y - pad, lo.z - pad);
    hi = ZrVector3d(hi.x + pad, hi.y + pad, hi.z + pad);
    return true;
}

bool FrameLoop::Start(const Progress& progress)
{
    m_running.reset();
    m_renderer.reset();
    Camera camera(m_settings.width, m_settings.height, m_settings.azimuth, m_settings.elevation);
    ZrVector3d lo, hi;
    if (!Fit(camera, lo, hi, progress))
        return false;
    m_running = m_loader.Load(m_effect);
    if (!m_running)
        return false;
    m_renderer.reset(new Renderer(camera, m_textures, m_loader.ImageFolder(m_effect)));
    const double radius = std::max({hi.x - lo.x, hi.z - lo.z, (hi.y - lo.y) * 0.6}) * 0.5;
    m_renderer->SetGround(lo.y, ZrVector3d((lo.x + hi.x) * 0.5, lo.y, (lo.z + hi.z) * 0.5), radius);
    if (!m_settings.scenery)
        m_renderer->SetScenery(false);
    std::srand(m_settings.seed);
    m_stepped = false;
    return true;
}

int FrameLoop::Step(Frame* out)
{
    if (!m_running)
        return 0;
    // The influences of the step before act once it has been drawn.
    const double dt = 1.0 / m_settings.fps;
    if (m_stepped)
        m_running->AfterRender(dt);
    m_stepped = true;
    m_running->Update(dt);
    return out ? Draw(*out) : 0;
}

int FrameLoop::Draw(Frame& out) { return m_running ? m_renderer->Draw(*m_running, out) : 0; }

FrameLoop::Result FrameLoop::Run(const Sink& sink, const Progress& progress)
{
    if (!Start(progress))
        return Unreadable;
    Frame frame;
    m_drawn = 0;
    for (int f = 0; f < m_settings.frames; ++f) {
        m_drawn += Step(&frame);
        if (!sink(f, frame))
            return Stopped;
        if (progress)
            progress(m_settings.frames + f + 1, 2 * m_settings.frames);
    }
    return m_drawn > 0 ? Done : NothingDrawn;
}

} // namespace nbparticle
