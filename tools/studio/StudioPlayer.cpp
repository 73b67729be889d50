#include "StudioPlayer.h"

#include "ContactSheet.h"
#include "GifEncoder.h"
#include "WebpEncoder.h"

#include <ZrParticleEffect.h>
#include <ZrParticleSystem.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>
#include <sys/stat.h>

namespace nbparticle {
namespace {

bool Same(const PreviewSettings& a, const PreviewSettings& b)
{
    return a.frames == b.frames && a.fps == b.fps && a.seed == b.seed && a.width == b.width &&
           a.height == b.height && a.azimuth == b.azimuth && a.elevation == b.elevation;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

StudioPlayer::StudioPlayer(const std::string& resources, const std::string& document) : m_loader(resources)
{
    const size_t slash = document.find_last_of('/');
    m_folder = slash == std::string::npos ? "." : document.substr(0, slash);
    m_name = slash == std::string::npos ? document : document.substr(slash + 1);
    const char* tmp = std::getenv("TMPDIR");
    std::string scratch = std::string(tmp && *tmp ? tmp : "/tmp") + "/nbparticle-studio-XXXXXX";
    if (::mkdtemp(&scratch[0])) {
        m_scratch = scratch;
        for (int slot = 0; slot < 2; ++slot) {
            ::mkdir((m_scratch + "/" + std::to_string(slot)).c_str(), 0700);
            m_loader.StandIn(SlotPath(slot), m_folder);
        }
    }
}

StudioPlayer::~StudioPlayer()
{
    m_loop.reset();
    if (m_scratch.empty())
        return;
    for (int slot = 0; slot < 2; ++slot) {
        ::unlink(SlotPath(slot).c_str());
        ::rmdir((m_scratch + "/" + std::to_string(slot)).c_str());
    }
    ::rmdir(m_scratch.c_str());
}

std::string StudioPlayer::SlotPath(int slot) const { return m_scratch + "/" + std::to_string(slot) + "/" + m_name; }

bool StudioPlayer::Load(const std::string& text, std::string& why)
{
    if (m_scratch.empty()) {
        why = "no private folder for the text could be made";
        return false;
    }
    const int slot = m_good == 0 ? 1 : 0;
    const std::string path = SlotPath(slot);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (!out.flush()) {
            why = "cannot write the private copy " + path;
            return false;
        }
    }
    if (!m_loader.Load(path)) {
        why = "the document reads no particle system";
        return false;
    }
    m_good = slot;
    ++m_revision;
    return true;
}

bool StudioPlayer::Restart(const PreviewSettings& settings)
{
    m_loop.reset(new FrameLoop(m_loader, SlotPath(m_good), settings));
    m_running = settings;
    m_runningRevision = m_revision;
    m_at = 0;
    if (m_loop->Start())
        return true;
    m_loop.reset();
    return false;
}

bool StudioPlayer::Show(int n, const PreviewSettings& settings, Frame& out, FrameStats& stats)
{
    if (m_good < 0)
        return false;
    n = std::clamp(n, 1, std::max(1, settings.frames));
    RandomStream::Scope scope(m_random);
    if (!m_loop || !Same(settings, m_running) || m_runningRevision != m_revision || n < m_at) {
        if (!Restart(settings))
            return false;
    }
    while (m_at < n - 1) {
        m_loop->Step(nullptr);
        ++m_at;
    }
    if (m_at < n) {
        const auto start = std::chrono::steady_clock::now();
        m_loop->Step(nullptr);
        ++m_at;
        stats.simulateMs = MillisecondsSince(start);
    }
    const auto start = std::chrono::steady_clock::now();
    m_loop->Draw(out);
    stats.drawMs = MillisecondsSince(start);
    stats.frame = m_at;
    stats.revision = m_runningRevision;
    stats.live.clear();
    ZRC::ZrParticleEffect* effect = m_loop->Effect();
    for (int s = 0; effect && s < effect->GetParticleSystemNum(); ++s) {
        const ZRC::ZrParticleSystem* sys = effect->GetParticleSystem(s);
        stats.live.push_back(sys ? sys->GetLiveParticleNum() : 0);
    }
    return true;
}

bool StudioPlayer::Export(const std::string& path, const PreviewSettings& settings, std::string& why)
{
    if (m_good < 0) {
        why = "no version of the document has read yet";
        return false;
    }
    const bool gif = EndsWith(path, ".gif"), webp = EndsWith(path, ".webp");
    GifEncoder gifOut;
    WebpEncoder webpOut;
    ContactSheet sheet(4, 3, settings.width, settings.height);
    if ((gif && !gifOut.Open(path, settings.width, settings.height)) ||
        (webp && !webpOut.Open(path, settings.width, settings.height))) {
        why = "cannot write " + path;
        return false;
    }
    // The same frame delays as render's.
    const double frameTime = 1.0 / settings.fps;
    const int delayCs = static_cast<int>(std::clamp(std::lround(100.0 * frameTime), 1L, 65535L));
    const int delayMs = static_cast<int>(std::clamp(std::lround(1000.0 * frameTime), 1L, 1000000L));
    // A sequence of its own, so that the run shown goes on undisturbed.
    RandomStream random;
    RandomStream::Scope scope(random);
    FrameLoop loop(m_loader, SlotPath(m_good), settings);
    const FrameLoop::Result result = loop.Run([&](int f, const Frame& frame) {
        if (!gif && !webp)
            sheet.Offer(0, 12, f, settings.frames, frame);
        return gif ? gifOut.Add(frame, delayCs) : webp ? webpOut.Add(frame, delayMs) : true;
    });
    const bool closed = gif ? gifOut.Close() : webp ? webpOut.Close() : sheet.Write(path);
    if (result == FrameLoop::NothingDrawn)
        why = "nothing to draw: no particle of the effect is visible and finite";
    else if (result != FrameLoop::Done || !closed)
        why = "cannot write " + path;
    return result == FrameLoop::Done && closed;
}

} // namespace nbparticle
