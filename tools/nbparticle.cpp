// nbparticle: renders, inspects, simulates and packs particle effects.
#include "ContactSheet.h"
#include "ContainerPacker.h"
#include "DocumentReference.h"
#include "EffectChecker.h"
#include "EffectInfo.h"
#include "EffectLoader.h"
#include "EffectSource.h"
#include "FrameLoop.h"
#include "GifEncoder.h"
#include "WebpEncoder.h"

#include <NbParticleSystem600/NbParticleSystem600.h>

#include <CLI/CLI.hpp>

#include <sys/stat.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace ZRC;
using namespace nbparticle;

namespace {

int Fail(const std::string& file, const std::string& reason)
{
    std::fprintf(stderr, "nbparticle: %s: %s\n", file.c_str(), reason.c_str());
    return 1;
}

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool ParseSize(const std::string& text, int& w, int& h)
{
    char tail = 0;
    return std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &tail) == 2 && w > 0 && h > 0 && w <= 8192 && h <= 8192;
}

bool ParseView(const std::string& text, double& azimuth, double& elevation)
{
    char tail = 0;
    return std::sscanf(text.c_str(), "%lf,%lf%c", &azimuth, &elevation, &tail) == 2 && std::isfinite(azimuth) &&
           std::fabs(azimuth) <= 3600.0 && elevation >= -89.0 && elevation <= 89.0;
}

int Outcome(FrameLoop::Result result, const std::string& effect, const std::string& out)
{
    switch (result) {
    case FrameLoop::Done:
        return 0;
    case FrameLoop::Unreadable:
        return Fail(effect, EffectSource::WhyNotLoaded(effect));
    case FrameLoop::NothingDrawn:
        return Fail(effect, "nothing to draw: no particle of the effect is visible and finite");
    default:
        return Fail(out, "cannot write");
    }
}

// Renders an effect into an animation (.gif, .webp) or a contact sheet (.png).
// When sheet is given, the run also fills cells first .. first + 5 of it.
int Render(const EffectLoader& loader, const std::string& effect, const std::string& out,
           const PreviewSettings& settings, ContactSheet* sheet = nullptr, int first = 0)
{
    const bool gif = EndsWith(out, ".gif"), webp = EndsWith(out, ".webp"), png = EndsWith(out, ".png");
    if (!gif && !webp && !png)
        return Fail(out, "output must end in .gif, .webp or .png");
    GifEncoder gifOut;
    WebpEncoder webpOut;
    ContactSheet own(4, 3, settings.width, settings.height);
    if ((gif && !gifOut.Open(out, settings.width, settings.height)) ||
        (webp && !webpOut.Open(out, settings.width, settings.height)))
        return Fail(out, "cannot write");
    const double frameTime = 1.0 / settings.fps;
    const int delayCs = static_cast<int>(std::clamp(std::lround(100.0 * frameTime), 1L, 65535L));
    const int delayMs = static_cast<int>(std::clamp(std::lround(1000.0 * frameTime), 1L, 1000000L));
    FrameLoop loop(loader, effect, settings);
    const FrameLoop::Result result = loop.Run([&](int f, const Frame& frame) {
        if (sheet)
            sheet->Offer(first, 6, f, settings.frames, frame);
        if (png)
            own.Offer(0, 12, f, settings.frames, frame);
        return gif ? gifOut.Add(frame, delayCs) : webp ? webpOut.Add(frame, delayMs) : true;
    });
    const bool closed = gif ? gifOut.Close() : webp ? webpOut.Close() : own.Write(out);
    if (result == FrameLoop::Done && !closed)
        return Fail(out, "cannot write");
    return Outcome(result, effect, out);
}

int RenderAll(const EffectLoader& loader, const std::string& outDir, const std::string& format,
              const PreviewSettings& settings)
{
    ::mkdir(outDir.c_str(), 0755);
    const char* names[] = {"fire", "smoke", "fountain", "explode", "rain", "snow"};
    ContactSheet sheet(6, 6, settings.width, settings.height);
    for (int e = 0; e < 6; ++e) {
        const int rc = Render(loader, names[e], outDir + "/" + names[e] + "." + format, settings, &sheet, e * 6);
        if (rc)
            return rc;
    }
    const std::string sheetPath = outDir + "/contact-sheet.png";
    return sheet.Write(sheetPath) ? 0 : Fail(sheetPath, "cannot write");
}

int Simulate(const EffectLoader& loader, const std::string& effect, int frames, unsigned seed, const std::string& csv)
{
    std::unique_ptr<ZrParticleEffect> e = loader.Load(effect);
    if (!e)
        return Fail(effect, EffectSource::WhyNotLoaded(effect));
    TextureLibrary textures;
    loader.ReportMissingImages(effect, *e, textures);
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
    std::printf("frames %d\nlive %d\nbox %f %f %f %f %f %f\n", frames, live, b.GetMin().x, b.GetMin().y, b.GetMin().z,
                b.GetMax().x, b.GetMax().y, b.GetMax().z);
    return 0;
}

// Everything the command line sets.
struct Options {
    std::string effect, out, size = "320x240", view = "35,25", resources, csv, archive, format = "gif";
    int frames = 90;
    double fps = 30.0;
    unsigned seed = 1;
    std::vector<std::string> files;
};

// The subcommands and their options, in one place.
void DefineCommands(CLI::App& app, Options& o)
{
    app.require_subcommand(1);
    const char* effectHelp = "effect file (.par) or name in the resource container";
    const char* resourcesHelp = "folder holding particle/particle.sc (default: the installed data folder)";

    CLI::App* render = app.add_subcommand("render", "Render an effect to an animated GIF or WebP, or a PNG contact sheet");
    render->add_option("effect", o.effect, effectHelp)->required();
    render->add_option("-o", o.out, "output .gif, .webp or .png")->required();
    render->add_option("--frames", o.frames, "frames to simulate")->capture_default_str();
    render->add_option("--fps", o.fps, "frames per second (time step 1/fps)")->capture_default_str();
    render->add_option("--size", o.size, "frame size WxH in pixels")->capture_default_str();
    render->add_option("--view", o.view, "camera AZIMUTH,ELEVATION in degrees")->capture_default_str();
    render->add_option("--seed", o.seed, "seed for the random draws")->capture_default_str();
    render->add_option("--resources", o.resources, resourcesHelp);

    CLI::App* all = app.add_subcommand("render-all", "Render the six bundled effects and a contact sheet");
    all->add_option("--resources", o.resources, resourcesHelp);
    all->add_option("-o", o.out, "output folder")->required();
    all->add_option("--frames", o.frames, "frames to simulate")->capture_default_str();
    all->add_option("--size", o.size, "frame size WxH in pixels")->capture_default_str();
    all->add_option("--view", o.view, "camera AZIMUTH,ELEVATION in degrees")->capture_default_str();
    all->add_option("--format", o.format, "animation format")->check(CLI::IsMember({"gif", "webp"}))->capture_default_str();

    CLI::App* info = app.add_subcommand("info", "Describe an effect");
    info->add_option("effect", o.effect, effectHelp)->required();
    info->add_option("--resources", o.resources, resourcesHelp);

    CLI::App* sim = app.add_subcommand("simulate", "Simulate an effect and report particle counts");
    sim->add_option("effect", o.effect, effectHelp)->required();
    sim->add_option("--frames", o.frames, "frames to simulate at 30 per second")->capture_default_str();
    sim->add_option("--csv", o.csv, "write every frame's live count and box to this CSV file");
    sim->add_option("--resources", o.resources, resourcesHelp);
    sim->add_option("--seed", o.seed, "seed for the random draws")->capture_default_str();

    CLI::App* pack = app.add_subcommand("pack", "Pack files into a resource container");
    pack->add_option("archive", o.archive, "container to write")->required();
    pack->add_option("files", o.files, "FILE or NAME=PATH")->required();

    CLI::App* list = app.add_subcommand("list", "List a resource container");
    list->add_option("archive", o.archive, "container to list")->required();

    CLI::App* check = app.add_subcommand("check", "Report what the library will not read in effect documents");
    check->add_option("effects", o.files, "effect files (.par) or names in the resource container")->required();
    check->add_option("--resources", o.resources, resourcesHelp);

    CLI::App* explain = app.add_subcommand("explain", "Explain an element of the effect document");
    explain->add_option("path", o.effect, "element path such as Placer/ScrewPlacer/RoundTime or LifeTime, or a chapter: "
                                          "order, coordinates, angles, units, time, colour, numbers")->required();
}

// Runs the subcommand that was parsed.
int RunCommand(const CLI::App& app, const Options& o)
{
    const std::string command = app.get_subcommands().front()->get_name();
    if (command == "explain")
        return DocumentReference::Command(o.effect);
    PreviewSettings settings;
    settings.frames = o.frames;
    settings.fps = o.fps;
    settings.seed = o.seed;
    const bool renders = command == "render" || command == "render-all";
    if (renders && !ParseSize(o.size, settings.width, settings.height))
        return Fail(o.size, "size must be WxH");
    if (renders && !ParseView(o.view, settings.azimuth, settings.elevation))
        return Fail(o.view, "view must be AZIMUTH,ELEVATION in degrees, azimuth within -3600..3600, elevation within -89..89");
    if (o.frames <= 0 || o.frames > 100000)
        return Fail(std::to_string(o.frames), "frame count out of range");
    if (!(o.fps > 0.0 && o.fps <= 1000.0))
        return Fail(std::to_string(o.fps), "fps out of range");

    const EffectLoader loader(o.resources);
    if (command == "check") {
        EffectSource::SetResourceFolder(loader.Resources());
        return EffectChecker::CheckCommand(o.files);
    }
    if (command == "render")
        return Render(loader, o.effect, o.out, settings);
    if (command == "render-all")
        return RenderAll(loader, o.out, o.format, settings);
    if (command == "info") {
        std::unique_ptr<ZrParticleEffect> e = loader.Load(o.effect);
        if (!e)
            return Fail(o.effect, EffectSource::WhyNotLoaded(o.effect));
        TextureLibrary textures;
        loader.ReportMissingImages(o.effect, *e, textures);
        EffectInfo::Print(*e);
        return 0;
    }
    if (command == "simulate")
        return Simulate(loader, o.effect, o.frames, o.seed, o.csv);
    if (command == "pack") {
        std::string what, why;
        return ContainerPacker::Pack(o.archive, o.files, what, why) ? 0 : Fail(what, why);
    }
    std::vector<std::string> names;
    struct stat st;
    if (::stat(o.archive.c_str(), &st) != 0)
        return Fail(o.archive, "no such file");
    if (!ContainerPacker::List(o.archive, names))
        return Fail(o.archive, "not a readable container");
    for (const std::string& name : names)
        std::printf("%s\n", name.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Particle effect tool"};
    Options options;
    DefineCommands(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Error& e) {
        if (e.get_exit_code() == 0)
            return app.exit(e);
        std::fprintf(stderr, "nbparticle: %s: %s\n", argc > 1 ? argv[1] : "nbparticle", e.what());
        return 2;
    }
    return RunCommand(app, options);
}
