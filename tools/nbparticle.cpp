// nbparticle: renders, inspects, simulates and packs particle effects.
#include <NbParticleSystem600/NbParticleSystem600.h>

#include "EffectChecker.h"
#include "EffectSource.h"

#include <CLI/CLI.hpp>
#include <gif_lib.h>
#include <stb_image_write.h>
#include <zip.h>

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace ZRC;

namespace {

int Fail(const std::string& file, const std::string& reason)
{
    std::fprintf(stderr, "nbparticle: %s: %s\n", file.c_str(), reason.c_str());
    return 1;
}

bool FileExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool Progress() { return ::isatty(2) != 0; }

// Loads an effect from a ".par" path or by name from the resource folder.
std::unique_ptr<ZrParticleEffect> LoadEffect(const std::string& name, const std::string& resources)
{
    if (!resources.empty())
        ZrCommon3D::ms_strSceneResFoloderPath = VEXA::VexaString((resources + "/").c_str());
    std::unique_ptr<ZrParticleEffect> effect(new ZrParticleEffect());
    if (!effect->FromXML(VEXA::VexaString(name.c_str())) || effect->GetParticleSystemNum() == 0)
        return nullptr;
    return effect;
}

struct Camera {
    double cx = 0, cy = 0, scale = 1; // pixels per world unit
    int width = 320, height = 240;
};

struct Image {
    int width = 0, height = 0;
    std::vector<float> rgb;
    void Clear()
    {
        rgb.assign(static_cast<size_t>(width) * height * 3, 0.0f);
        for (int y = 0; y < height; ++y) {
            const float t = static_cast<float>(y) / std::max(1, height - 1);
            for (int x = 0; x < width; ++x) {
                float* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
                p[0] = 0.10f - 0.08f * t;
                p[1] = 0.12f - 0.09f * t;
                p[2] = 0.18f - 0.13f * t;
            }
        }
    }
    void ToBytes(std::vector<unsigned char>& out) const
    {
        out.resize(rgb.size());
        for (size_t i = 0; i < rgb.size(); ++i)
            out[i] = static_cast<unsigned char>(std::lround(std::min(1.0f, std::max(0.0f, rgb[i])) * 255.0f));
    }
};

// Draws one particle as a soft elliptical sprite.
void DrawSprite(Image& img, const Camera& cam, const ZrVector3d& pos, double w, double h, const ZrVector4d& color,
                double alpha, bool additive)
{
    const double px = (pos.x - cam.cx) * cam.scale + cam.width * 0.5;
    const double py = cam.height * 0.5 - (pos.y - cam.cy) * cam.scale;
    const double rx = std::max(0.7, w * 0.5 * cam.scale);
    const double ry = std::max(0.7, h * 0.5 * cam.scale);
    if (alpha <= 0.0)
        return;
    alpha = std::min(1.0, alpha);
    const int x0 = std::max(0, static_cast<int>(std::floor(px - rx)));
    const int x1 = std::min(img.width - 1, static_cast<int>(std::ceil(px + rx)));
    const int y0 = std::max(0, static_cast<int>(std::floor(py - ry)));
    const int y1 = std::min(img.height - 1, static_cast<int>(std::ceil(py + ry)));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const double dx = (x + 0.5 - px) / rx, dy = (y + 0.5 - py) / ry;
            const double r2 = dx * dx + dy * dy;
            if (r2 >= 1.0)
                continue;
            const double fall = (1.0 - r2) * (1.0 - r2);
            const float a = static_cast<float>(alpha * fall);
            float* p = &img.rgb[(static_cast<size_t>(y) * img.width + x) * 3];
            const float c[3] = {static_cast<float>(color.x), static_cast<float>(color.y), static_cast<float>(color.z)};
            for (int k = 0; k < 3; ++k)
                p[k] = additive ? p[k] + c[k] * a : p[k] * (1.0f - a) + c[k] * a;
        }
    }
}

void DrawEffect(Image& img, const Camera& cam, ZrParticleEffect& effect)
{
    img.Clear();
    const ZrVector3d centre = effect.GetCenterPos();
    for (int s = 0; s < effect.GetParticleSystemNum(); ++s) {
        ZrParticleSystem* sys = effect.GetParticleSystem(s);
        if (!sys)
            continue;
        const bool additive = sys->GetParticleType() == ZrParticleSystem::GLOW_PARTICLE;
        for (int i = 0; i < sys->GetParticleNum(); ++i) {
            ZrParticle* p = sys->GetParticle(i);
            if (!p || !p->IsAlive() || p->GetAge() <= 0.0f)
                continue;
            const ZrVector3d pos = p->GetCurPos() + centre;
            DrawSprite(img, cam, pos, sys->GetParticleWidth() * p->GetCurSize(), sys->GetParticleHeight() * p->GetCurSize(),
                       p->GetCurColor(), p->GetCurAlpha(), additive);
        }
    }
}

// Runs the effect once and fits an orthographic camera (y up, looking along -z).
bool FitCamera(const std::string& name, const std::string& resources, int frames, double dt, unsigned seed, Camera& cam)
{
    std::unique_ptr<ZrParticleEffect> effect = LoadEffect(name, resources);
    if (!effect)
        return false;
    std::srand(seed);
    double minx = 1e300, maxx = -1e300, miny = 1e300, maxy = -1e300;
    for (int f = 0; f < frames; ++f) {
        effect->Update(dt);
        for (int s = 0; s < effect->GetParticleSystemNum(); ++s) {
            ZrParticleSystem* sys = effect->GetParticleSystem(s);
            if (!sys)
                continue;
            for (int i = 0; i < sys->GetParticleNum(); ++i) {
                ZrParticle* p = sys->GetParticle(i);
                if (!p || !p->IsAlive() || p->GetCurAlpha() < 0.05f)
                    continue;
                const ZrVector3d q = p->GetCurPos() + effect->GetCenterPos();
                const double hw = sys->GetParticleWidth() * p->GetCurSize() * 0.5;
                const double hh = sys->GetParticleHeight() * p->GetCurSize() * 0.5;
                minx = std::min(minx, q.x - hw);
                maxx = std::max(maxx, q.x + hw);
                miny = std::min(miny, q.y - hh);
                maxy = std::max(maxy, q.y + hh);
            }
        }
        effect->AfterRender(dt);
    }
    if (minx > maxx) {
        const ZrBoundingBox box = effect->ComputeBoundingBox();
        if (box.IsNULL() || box.GetMin().x > box.GetMax().x) {
            minx = miny = -1;
            maxx = maxy = 1;
        } else {
            minx = box.GetMin().x;
            maxx = box.GetMax().x;
            miny = box.GetMin().y;
            maxy = box.GetMax().y;
        }
    }
    const double w = std::max(0.5, maxx - minx) * 1.15, h = std::max(0.5, maxy - miny) * 1.15;
    cam.cx = (minx + maxx) * 0.5;
    cam.cy = (miny + maxy) * 0.5;
    cam.scale = std::min(cam.width / w, cam.height / h);
    return true;
}

// Renders the frames of an effect; every frame is handed to the sink.
template <typename Sink>
bool RenderFrames(const std::string& name, const std::string& resources, int frames, double fps, unsigned seed,
                  const Camera& cam, Sink sink)
{
    std::unique_ptr<ZrParticleEffect> effect = LoadEffect(name, resources);
    if (!effect)
        return false;
    std::srand(seed);
    const double dt = 1.0 / fps;
    Image img;
    img.width = cam.width;
    img.height = cam.height;
    for (int f = 0; f < frames; ++f) {
        effect->Update(dt);
        DrawEffect(img, cam, *effect);
        if (!sink(f, img))
            return false;
        effect->AfterRender(dt);
        if (Progress())
            std::fprintf(stderr, "\r%s: frame %d/%d", name.c_str(), f + 1, frames);
    }
    if (Progress())
        std::fprintf(stderr, "\n");
    return true;
}

class GifOut {
public:
    bool Open(const std::string& path, int w, int h)
    {
        int err = 0;
        // Opened here rather than by the encoder so that the file gets the
        // usual permissions (the encoder would create it readable by us only).
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0)
            return false;
        m_gif = EGifOpenFileHandle(fd, &err);
        if (!m_gif) {
            ::close(fd);
            return false;
        }
        EGifSetGifVersion(m_gif, true);
        m_w = w;
        m_h = h;
        if (EGifPutScreenDesc(m_gif, w, h, 8, 0, nullptr) == GIF_ERROR)
            return false;
        unsigned char app[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
        unsigned char loop[] = {1, 0, 0};
        if (EGifPutExtensionLeader(m_gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
            EGifPutExtensionBlock(m_gif, sizeof app, app) == GIF_ERROR ||
            EGifPutExtensionBlock(m_gif, sizeof loop, loop) == GIF_ERROR || EGifPutExtensionTrailer(m_gif) == GIF_ERROR)
            return false;
        return true;
    }
    bool Frame(const Image& img, int delayCs)
    {
        std::vector<unsigned char> bytes;
        img.ToBytes(bytes);
        const size_t n = static_cast<size_t>(m_w) * m_h;
        std::vector<GifByteType> r(n), g(n), b(n), out(n);
        for (size_t i = 0; i < n; ++i) {
            r[i] = bytes[i * 3];
            g[i] = bytes[i * 3 + 1];
            b[i] = bytes[i * 3 + 2];
        }
        int size = 256;
        ColorMapObject* map = GifMakeMapObject(256, nullptr);
        if (!map)
            return false;
        if (GifQuantizeBuffer(m_w, m_h, &size, r.data(), g.data(), b.data(), out.data(), map->Colors) == GIF_ERROR) {
            GifFreeMapObject(map);
            return false;
        }
        GraphicsControlBlock gcb;
        gcb.DisposalMode = DISPOSE_DO_NOT;
        gcb.UserInputFlag = false;
        gcb.DelayTime = delayCs;
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType ext[4];
        const size_t len = EGifGCBToExtension(&gcb, ext);
        bool ok = EGifPutExtension(m_gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(len), ext) != GIF_ERROR &&
                  EGifPutImageDesc(m_gif, 0, 0, m_w, m_h, false, map) != GIF_ERROR;
        for (int y = 0; ok && y < m_h; ++y)
            ok = EGifPutLine(m_gif, &out[static_cast<size_t>(y) * m_w], m_w) != GIF_ERROR;
        GifFreeMapObject(map);
        return ok;
    }
    bool Close()
    {
        int err = 0;
        const bool ok = m_gif && EGifCloseFile(m_gif, &err) != GIF_ERROR;
        m_gif = nullptr;
        return ok;
    }
    ~GifOut()
    {
        if (m_gif)
            Close();
    }

private:
    GifFileType* m_gif = nullptr;
    int m_w = 0, m_h = 0;
};

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool ParseSize(const std::string& text, int& w, int& h)
{
    return std::sscanf(text.c_str(), "%dx%d", &w, &h) == 2 && w > 0 && h > 0 && w <= 8192 && h <= 8192;
}

// Copies a frame into a cell of a sheet.
void Blit(std::vector<unsigned char>& sheet, int sheetW, const Image& img, int ox, int oy)
{
    std::vector<unsigned char> bytes;
    img.ToBytes(bytes);
    for (int y = 0; y < img.height; ++y)
        std::copy(&bytes[static_cast<size_t>(y) * img.width * 3], &bytes[static_cast<size_t>(y + 1) * img.width * 3],
                  &sheet[(static_cast<size_t>(oy + y) * sheetW + ox) * 3]);
}

int RenderOne(const std::string& effect, const std::string& out, int frames, double fps, int w, int h, unsigned seed,
              const std::string& resources)
{
    Camera cam;
    cam.width = w;
    cam.height = h;
    if (!FitCamera(effect, resources, frames, 1.0 / fps, seed, cam))
        return Fail(effect, EffectSource::WhyNotLoaded(effect));
    if (EndsWith(out, ".gif")) {
        GifOut gif;
        if (!gif.Open(out, w, h))
            return Fail(out, "cannot write");
        const int delay = std::max(1, static_cast<int>(std::lround(100.0 / fps)));
        if (!RenderFrames(effect, resources, frames, fps, seed, cam,
                          [&](int, const Image& img) { return gif.Frame(img, delay); }) ||
            !gif.Close())
            return Fail(out, "cannot write");
        return 0;
    }
    if (EndsWith(out, ".png")) {
        const int cells = 12, cols = 4, rows = 3;
        std::vector<unsigned char> sheet(static_cast<size_t>(w) * cols * h * rows * 3, 0);
        int cell = 0;
        RenderFrames(effect, resources, frames, fps, seed, cam, [&](int f, const Image& img) {
            const int want = (cell * (frames - 1)) / (cells - 1);
            if (cell < cells && f >= want) {
                Blit(sheet, w * cols, img, (cell % cols) * w, (cell / cols) * h);
                ++cell;
            }
            return true;
        });
        if (!stbi_write_png(out.c_str(), w * cols, h * rows, 3, sheet.data(), w * cols * 3))
            return Fail(out, "cannot write");
        return 0;
    }
    return Fail(out, "output must end in .gif or .png");
}

int RenderAll(const std::string& resources, const std::string& outDir, int frames, int w, int h)
{
    ::mkdir(outDir.c_str(), 0755);
    const char* names[] = {"fire", "smoke", "fountain", "explode", "rain", "snow"};
    const int shots = 6;
    std::vector<unsigned char> sheet(static_cast<size_t>(w) * shots * h * 6 * 3, 0);
    for (int e = 0; e < 6; ++e) {
        const int rc = RenderOne(names[e], outDir + "/" + names[e] + ".gif", frames, 30.0, w, h, 1, resources);
        if (rc)
            return rc;
        Camera cam;
        cam.width = w;
        cam.height = h;
        FitCamera(names[e], resources, frames, 1.0 / 30.0, 1, cam);
        int cell = 0;
        RenderFrames(names[e], resources, frames, 30.0, 1, cam, [&](int f, const Image& img) {
            const int want = ((cell + 1) * (frames - 1)) / shots;
            if (cell < shots && f >= want) {
                Blit(sheet, w * shots, img, cell * w, e * h);
                ++cell;
            }
            return true;
        });
    }
    const std::string sheetPath = outDir + "/contact-sheet.png";
    if (!stbi_write_png(sheetPath.c_str(), w * shots, h * 6, 3, sheet.data(), w * shots * 3))
        return Fail(sheetPath, "cannot write");
    return 0;
}

const char* Named(int code, std::initializer_list<const char*> names)
{
    int i = 1;
    for (const char* name : names) {
        if (code == i++)
            return name;
    }
    return "unknown";
}

void PrintColor(const ZrVector4d& c)
{
    std::printf("(%g, %g, %g, %g)", c.x, c.y, c.z, c.w);
}

// What info prints: the effect's kind, then per system its attributes, its
// emitter's parts and its influences.
void DescribeEffect(ZrParticleEffect& e)
{
    static const char* kinds[] = {"none", "FireEffect", "SmokeEffect", "FountainEffect", "ExplodeEffect", "RainEffect", "SnowEffect"};
    const int t = e.GetType();
    std::printf("type        %s\nsystems     %d\n", (t >= 0 && t <= 6) ? kinds[t] : "none", e.GetParticleSystemNum());
    for (int s = 0; s < e.GetParticleSystemNum(); ++s) {
        ZrParticleSystem* sys = e.GetParticleSystem(s);
        if (!sys)
            continue;
        std::printf("system %d\n", s);
        std::printf("  particles %s, %g x %g, texture \"%s\", colour image \"%s\" (%s)\n",
                    sys->GetParticleType() == ZrParticleSystem::GLOW_PARTICLE ? "GLOW_PARTICLE" : "DARK_PARTICLE",
                    sys->GetParticleWidth(), sys->GetParticleHeight(), sys->GetTexturePath().GetString(),
                    sys->GetColorImagePath().GetString(), sys->GetColorImage() ? "loaded" : "none");
        ZrCommonEmitter* emitter = dynamic_cast<ZrCommonEmitter*>(sys->GetEmitter());
        if (!emitter) {
            std::printf("  emitter   none\n");
        } else {
            std::printf("  emitter   CommonEmitter\n");
            if (ZrCounter* c = emitter->GetCounter())
                std::printf("    counter %s, %d per second\n", Named(c->GetType(), {"CommonCounter", "FadeCounter"}),
                            c->GetCountPerSecond());
            if (ZrPlacer* p = emitter->GetPlacer()) {
                const ZrVector3d at = p->GetPosition();
                std::printf("    placer  %s at (%g, %g, %g)\n",
                            Named(p->GetType(), {"BoxPlacer", "PointPlacer", "PolygonPlacer", "RegionPlacer", "ScrewPlacer"}),
                            at.x, at.y, at.z);
            }
            if (ZrShooter* sh = emitter->GetShooter()) {
                float lo = 0, hi = 0;
                sh->GetSpeedRange(lo, hi);
                std::printf("    shooter %s, speed %g to %g\n", Named(sh->GetType(), {"RadialShooter", "SingleShooter"}), lo, hi);
            }
            const ZrParticle* templ = emitter->GetParticleTemplate();
            std::printf("    life    %d ms, colour ", templ->GetLifeTime());
            PrintColor(templ->GetColorRangeStart());
            std::printf(" to ");
            PrintColor(templ->GetColorRangeEnd());
            std::printf("\n");
        }
        for (int i = 0; i < sys->GetInfluenceSize(); ++i) {
            ZrInfluence* inf = sys->GetInfluence(i);
            if (!inf)
                continue;
            std::printf("  influence %s", Named(inf->GetType(), {"AccelInfluence", "WindInfluence", "RandomWind"}));
            if (ZrAccelInfluence* accel = dynamic_cast<ZrAccelInfluence*>(inf)) {
                ZrVector3d dir;
                float size = 0;
                accel->GetAccelDirection(dir);
                accel->GetAccelSize(size);
                std::printf(", direction (%g, %g, %g), size %g", dir.x, dir.y, dir.z, size);
            }
            std::printf("\n");
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Particle effect tool"};
    app.require_subcommand(1);

    std::string effect, out, size = "320x240", resources, csv, archive;
    int frames = 90;
    double fps = 30.0;
    unsigned seed = 1;
    std::vector<std::string> files;

    CLI::App* render = app.add_subcommand("render", "Render an effect to an animated GIF or a PNG contact sheet");
    render->add_option("effect", effect, "effect file (.par) or name in the resource container")->required();
    render->add_option("-o", out, "output .gif or .png")->required();
    render->add_option("--frames", frames, "frames to simulate")->capture_default_str();
    render->add_option("--fps", fps, "frames per second (time step 1/fps)")->capture_default_str();
    render->add_option("--size", size, "frame size WxH in pixels")->capture_default_str();
    render->add_option("--seed", seed, "seed for the random draws")->capture_default_str();
    render->add_option("--resources", resources, "folder holding particle/particle.sc");

    CLI::App* all = app.add_subcommand("render-all", "Render the six bundled effects");
    all->add_option("--resources", resources, "folder holding particle/particle.sc")->required();
    all->add_option("-o", out, "output folder")->required();
    all->add_option("--frames", frames, "frames to simulate")->capture_default_str();
    all->add_option("--size", size, "frame size WxH in pixels")->capture_default_str();

    CLI::App* info = app.add_subcommand("info", "Describe an effect");
    info->add_option("effect", effect, "effect file (.par) or name in the resource container")->required();
    info->add_option("--resources", resources, "folder holding particle/particle.sc");

    CLI::App* sim = app.add_subcommand("simulate", "Simulate an effect and report particle counts");
    sim->add_option("effect", effect, "effect file (.par) or name in the resource container")->required();
    sim->add_option("--frames", frames, "frames to simulate at 30 per second")->capture_default_str();
    sim->add_option("--csv", csv, "write every live particle of every frame to this CSV file");
    sim->add_option("--resources", resources, "folder holding particle/particle.sc");
    sim->add_option("--seed", seed, "seed for the random draws")->capture_default_str();

    CLI::App* pack = app.add_subcommand("pack", "Pack files into a resource container");
    pack->add_option("archive", archive, "container to write")->required();
    pack->add_option("files", files, "FILE or NAME=PATH")->required();

    CLI::App* list = app.add_subcommand("list", "List a resource container");
    list->add_option("archive", archive, "container to list")->required();

    CLI::App* check = app.add_subcommand("check", "Report what the library will not read in effect documents");
    check->add_option("effects", files, "effect files (.par) or names in the resource container")->required();
    check->add_option("--resources", resources, "folder holding particle/particle.sc");

    try {
        app.parse(argc, argv);
    } catch (const CLI::Error& e) {
        if (e.get_exit_code() == 0)
            return app.exit(e);
        std::fprintf(stderr, "nbparticle: %s: %s\n", argc > 1 ? argv[1] : "nbparticle", e.what());
        return 2;
    }

    int w = 320, h = 240;
    if ((render->parsed() || all->parsed()) && !ParseSize(size, w, h))
        return Fail(size, "size must be WxH");
    if (frames <= 0 || frames > 100000)
        return Fail(std::to_string(frames), "frame count out of range");
    if (!(fps > 0.0 && fps <= 1000.0))
        return Fail(std::to_string(fps), "fps out of range");

    if (check->parsed()) {
        EffectSource::SetResourceFolder(resources);
        return EffectChecker::CheckCommand(files);
    }
    if (render->parsed())
        return RenderOne(effect, out, frames, fps, w, h, seed, resources);
    if (all->parsed())
        return RenderAll(resources, out, frames, w, h);
    if (info->parsed()) {
        std::unique_ptr<ZrParticleEffect> e = LoadEffect(effect, resources);
        if (!e)
            return Fail(effect, EffectSource::WhyNotLoaded(effect));
        DescribeEffect(*e);
        return 0;
    }
    if (sim->parsed()) {
        std::unique_ptr<ZrParticleEffect> e = LoadEffect(effect, resources);
        if (!e)
            return Fail(effect, EffectSource::WhyNotLoaded(effect));
        std::FILE* f = nullptr;
        if (!csv.empty() && !(f = std::fopen(csv.c_str(), "w")))
            return Fail(csv, "cannot write");
        if (f)
            std::fprintf(f, "frame,live,minx,miny,minz,maxx,maxy,maxz\n");
        std::srand(seed);
        const double dt = 1.0 / 30.0;
        int live = 0;
        for (int i = 0; i < frames; ++i) {
            e->Update(dt);
            live = 0;
            for (int s = 0; s < e->GetParticleSystemNum(); ++s) {
                ZrParticleSystem* sys = e->GetParticleSystem(s);
                for (int k = 0; sys && k < sys->GetParticleNum(); ++k)
                    live += sys->GetParticle(k)->IsAlive() ? 1 : 0;
            }
            if (f) {
                const ZrBoundingBox b = e->ComputeBoundingBox();
                std::fprintf(f, "%d,%d,%f,%f,%f,%f,%f,%f\n", i + 1, live, b.GetMin().x, b.GetMin().y, b.GetMin().z,
                             b.GetMax().x, b.GetMax().y, b.GetMax().z);
            }
            e->AfterRender(dt);
        }
        if (f && std::fclose(f) != 0)
            return Fail(csv, "cannot write");
        const ZrBoundingBox b = e->ComputeBoundingBox();
        std::printf("frames %d\nlive %d\nbox %f %f %f %f %f %f\n", frames, live, b.GetMin().x, b.GetMin().y,
                    b.GetMin().z, b.GetMax().x, b.GetMax().y, b.GetMax().z);
        return 0;
    }
    if (pack->parsed()) {
        int err = 0;
        zip_t* z = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
        if (!z)
            return Fail(archive, "cannot create");
        const bool aes = zip_encryption_method_supported(ZIP_EM_AES_256, 1) != 0;
        for (const std::string& item : files) {
            std::string name = item, path = item;
            const size_t eq = item.find('=');
            if (eq != std::string::npos) {
                name = item.substr(0, eq);
                path = item.substr(eq + 1);
            } else {
                const size_t slash = item.find_last_of('/');
                name = slash == std::string::npos ? item : item.substr(slash + 1);
            }
            if (name.empty() || !FileExists(path)) {
                zip_discard(z);
                return Fail(path, "no such file");
            }
            zip_source_t* src = zip_source_file(z, path.c_str(), 0, -1);
            const zip_int64_t idx = src ? zip_file_add(z, name.c_str(), src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) : -1;
            if (idx < 0) {
                if (src)
                    zip_source_free(src);
                zip_discard(z);
                return Fail(path, "cannot add");
            }
            zip_set_file_compression(z, static_cast<zip_uint64_t>(idx), ZIP_CM_DEFLATE, 9);
            if (aes && zip_file_set_encryption(z, static_cast<zip_uint64_t>(idx), ZIP_EM_AES_256, "5KPOV") != 0) {
                zip_discard(z);
                return Fail(path, "cannot encrypt");
            }
        }
        if (zip_close(z) != 0) {
            zip_discard(z);
            return Fail(archive, "cannot write");
        }
        return 0;
    }
    if (list->parsed()) {
        ZrCacheFile cache;
        if (!FileExists(archive))
            return Fail(archive, "no such file");
        if (cache.Open(VEXA::VexaString(archive.c_str()), VEXA::VexaString("5KPOV")) != 0)
            return Fail(archive, "not a readable container");
        for (int i = 0; i < cache.GetEntryCount(); ++i)
            std::printf("%s\n", static_cast<const char*>(cache.GetEntryName(i)));
        return 0;
    }
    return 0;
}
