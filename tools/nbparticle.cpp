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
#include "Studio.h"
#include "WebpEncoder.h"

#include <NbParticleSystem600/NbParticleSystem600.h>

#include <CLI/CLI.hpp>

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

long long FileBytes(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
}

// The option ranges, stated once for the checks and their messages.
const int kMaxFrames = 100000, kMaxSide = 8192;
const double kMaxFps = 1000.0, kMaxAzimuth = 3600.0, kMaxElevation = 89.0;

bool ParseSize(const std::string& text, int& w, int& h)
{
    char tail = 0;
    return std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &tail) == 2 && w > 0 && h > 0 && w <= kMaxSide &&
           h <= kMaxSide;
}

bool ParseView(const std::string& text, double& azimuth, double& elevation)
{
    char tail = 0;
    return std::sscanf(text.c_str(), "%lf,%lf%c", &azimuth, &elevation, &tail) == 2 && std::isfinite(azimuth) &&
           std::fabs(azimuth) <= kMaxAzimuth && elevation >= -kMaxElevation && elevation <= kMaxElevation;
}

// A validator whose message says what the option takes.
CLI::Validator Takes(const std::string& range, std::function<bool(const std::string&)> ok)
{
    return CLI::Validator(
        [range, ok](std::string& text) { return ok(text) ? std::string() : "takes " + range + ", not " + text; },
        range);
}

CLI::Validator Whole(long long lo, long long hi)
{
    return Takes("a whole number within " + std::to_string(lo) + ".." + std::to_string(hi), [lo, hi](const std::string& t) {
        char* end = nullptr;
        errno = 0;
        const long long v = std::strtoll(t.c_str(), &end, 10);
        return end != t.c_str() && *end == '\0' && errno == 0 && v >= lo && v <= hi;
    });
}

const CLI::Validator& Fps()
{
    static const CLI::Validator fps = Takes("a number above 0 and at most 1000", [](const std::string& t) {
        char* end = nullptr;
        const double v = std::strtod(t.c_str(), &end);
        return end != t.c_str() && *end == '\0' && v > 0.0 && v <= kMaxFps;
    });
    return fps;
}

// The progress of a run on stderr, as a percentage on one line that is
// cleared again; shown only when stderr is a terminal.
class Progress {
public:
    Progress(const std::string& label, bool quiet) : m_label(label), m_on(!quiet && ::isatty(2) != 0) {}
    ~Progress() { Clear(); }
    void Clear()
    {
        if (m_shown >= 0)
            std::fprintf(stderr, "\r%*s\r", static_cast<int>(m_label.size()) + 8, "");
        m_shown = -1;
    }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    FrameLoop::Progress Callback()
    {
        if (!m_on)
            return nullptr;
        return [this](int done, int total) {
            const int percent = static_cast<int>(100LL * done / std::max(1, total));
            if (percent != m_shown)
                std::fprintf(stderr, "\r%s: %3d%%", m_label.c_str(), m_shown = percent);
        };
    }

private:
    std::string m_label;
    bool m_on;
    int m_shown = -1;
};

// Everything the command line sets.
struct Options {
    std::string effect, out, size = "320x240", view = "35,25", resources, csv, archive, format = "gif", topic;
    int frames = 90;
    double fps = 30.0;
    unsigned seed = 1;
    bool quiet = false;
    std::vector<std::string> files;
    Studio::Options studio;
};

// Before a command runs an effect: what check finds in its document, and
// which of its images the preview cannot use, on stderr unless quiet. The
// effect, or null after its failure was said.
std::unique_ptr<ZrParticleEffect> Open(const EffectLoader& loader, const std::string& name, bool quiet)
{
    std::string text, folder, reason;
    if (!quiet && EffectSource::Read(name, text, folder, reason)) {
        for (const EffectChecker::Finding& f : EffectChecker::Check(text, folder))
            std::fprintf(stderr, "%s\n", EffectChecker::Format(name, f).c_str());
    }
    std::vector<std::string> notes;
    std::unique_ptr<ZrParticleEffect> effect = loader.Load(name, quiet ? nullptr : &notes);
    for (const std::string& note : notes)
        std::fprintf(stderr, "nbparticle: %s: %s\n", name.c_str(), note.c_str());
    if (!effect)
        Fail(name, EffectSource::WhyNotLoaded(name));
    return effect;
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
           const PreviewSettings& settings, bool quiet, const std::string& label, ContactSheet* sheet = nullptr,
           int first = 0)
{
    const bool gif = EndsWith(out, ".gif"), webp = EndsWith(out, ".webp"), png = EndsWith(out, ".png");
    if (!gif && !webp && !png)
        return Fail(out, "output must end in .gif, .webp or .png");
    if (!Open(loader, effect, quiet))
        return 1;
    const auto start = std::chrono::steady_clock::now();
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
    Progress progress(label, quiet);
    const FrameLoop::Result result = loop.Run(
        [&](int f, const Frame& frame) {
            if (sheet)
                sheet->Offer(first, 6, f, settings.frames, frame);
            if (png)
                own.Offer(0, 12, f, settings.frames, frame);
            return gif ? gifOut.Add(frame, delayCs) : webp ? webpOut.Add(frame, delayMs) : true;
        },
        progress.Callback());
    progress.Clear();
    const bool closed = gif ? gifOut.Close() : webp ? webpOut.Close() : own.Write(out);
    if (result == FrameLoop::Done && !closed)
        return Fail(out, "cannot write");
    const int rc = Outcome(result, effect, out);
    if (rc == 0 && !quiet) {
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::string what = png ? "contact sheet of 4x3 from " + std::to_string(settings.frames) + " frames" :
                                 std::to_string(settings.frames) + " frames";
        std::fprintf(stderr, "wrote %s: %s at %g fps (%.3g s of effect), %dx%d, %lld bytes, in %.1f s\n", out.c_str(),
                     what.c_str(), settings.fps, settings.frames / settings.fps, settings.width, settings.height,
                     FileBytes(out), took);
    }
    return rc;
}

int RenderAll(const EffectLoader& loader, const std::string& outDir, const std::string& format,
              const PreviewSettings& settings, bool quiet)
{
    ::mkdir(outDir.c_str(), 0755);
    const char* names[] = {"fire", "smoke", "fountain", "explode", "rain", "snow"};
    ContactSheet sheet(6, 6, settings.width, settings.height);
    for (int e = 0; e < 6; ++e) {
        const std::string label = "[" + std::to_string(e + 1) + "/6] " + names[e];
        const int rc = Render(loader, names[e], outDir + "/" + names[e] + "." + format, settings, quiet, label,
                              &sheet, e * 6);
        if (rc)
            return rc;
    }
    const std::string sheetPath = outDir + "/contact-sheet.png";
    if (!sheet.Write(sheetPath))
        return Fail(sheetPath, "cannot write");
    if (!quiet)
        std::fprintf(stderr, "wrote %s: 6 frames of each effect, %lld bytes\n", sheetPath.c_str(), FileBytes(sheetPath));
    return 0;
}

int Simulate(const EffectLoader& loader, const Options& o)
{
    std::unique_ptr<ZrParticleEffect> e = Open(loader, o.effect, o.quiet);
    if (!e)
        return 1;
    std::FILE* f = nullptr;
    if (!o.csv.empty() && !(f = std::fopen(o.csv.c_str(), "w")))
        return Fail(o.csv, "cannot write");
    if (f)
        std::fprintf(f, "frame,live,minx,miny,minz,maxx,maxy,maxz\n");
    std::srand(o.seed);
    const double dt = 1.0 / o.fps;
    int live = 0;
    for (int i = 0; i < o.frames; ++i) {
        e->Update(dt);
        live = e->GetLiveParticleNum();
        if (f) {
            const ZrBoundingBox b = e->ComputeBoundingBox();
            std::fprintf(f, "%d,%d,%f,%f,%f,%f,%f,%f\n", i + 1, live, b.GetMin().x, b.GetMin().y, b.GetMin().z,
                         b.GetMax().x, b.GetMax().y, b.GetMax().z);
        }
        e->AfterRender(dt);
    }
    if (f && std::fclose(f) != 0)
        return Fail(o.csv, "cannot write");
    if (f && !o.quiet)
        std::fprintf(stderr, "wrote %s: %d frames at %g fps, %lld bytes\n", o.csv.c_str(), o.frames, o.fps,
                     FileBytes(o.csv));
    const ZrBoundingBox b = e->ComputeBoundingBox();
    std::printf("frames %d\nlive %d\nbox %f %f %f %f %f %f\n", o.frames, live, b.GetMin().x, b.GetMin().y,
                b.GetMin().z, b.GetMax().x, b.GetMax().y, b.GetMax().z);
    return 0;
}

int Pack(const Options& o)
{
    std::vector<std::string> names;
    std::string what, why;
    if (!ContainerPacker::Pack(o.archive, o.files, names, what, why))
        return Fail(what, why);
    if (!o.quiet) {
        std::string list;
        for (const std::string& name : names)
            list += (list.empty() ? "" : ", ") + name;
        std::fprintf(stderr, "wrote %s: %zu %s (%s), %lld bytes\n", o.archive.c_str(), names.size(),
                     names.size() == 1 ? "entry" : "entries", list.c_str(), FileBytes(o.archive));
    }
    return 0;
}

int List(const Options& o)
{
    std::vector<std::string> names;
    if (!EffectLoader::IsFile(o.archive))
        return Fail(o.archive, "no such file");
    if (!ContainerPacker::List(o.archive, names))
        return Fail(o.archive, "not a readable container");
    for (const std::string& name : names)
        std::printf("%s\n", name.c_str());
    return 0;
}

// The usage of the tool, or of one of its commands.
int Help(CLI::App& app, const std::string& topic)
{
    if (topic.empty()) {
        // (App::help() would describe the help command itself once parsed.)
        std::printf("%s", app.get_formatter()->make_help(&app, "nbparticle", CLI::AppFormatMode::Normal).c_str());
        return 0;
    }
    for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
        if (command->get_name() == topic) {
            std::printf("%s", command->help("nbparticle").c_str());
            return 0;
        }
    }
    std::fprintf(stderr, "nbparticle: help: no command %s; 'nbparticle help' lists them\n", topic.c_str());
    return 2;
}

// The subcommands and their options, in one place.
void DefineCommands(CLI::App& app, Options& o)
{
    app.require_subcommand(0, 1);
    app.footer("'nbparticle help COMMAND' describes a command and its options.\n");
    const char* effectHelp = "effect file (.par) or name in the resource container";
    const char* resourcesHelp =
        "resource container: a folder holding particle/particle.sc, or the container file itself (default: the "
        "installed data folder)";
    const auto resources = [&](CLI::App* command) {
        command->add_option("--resources", o.resources, resourcesHelp)->check(CLI::ExistingPath);
    };
    const auto quiet = [&](CLI::App* command) {
        command->add_flag("-q,--quiet", o.quiet, "print nothing but failures and the command's own output");
    };
    const auto run = [&](CLI::App* command, const char* frames) {
        command->add_option("--frames", o.frames, frames)->check(Whole(1, kMaxFrames))->capture_default_str();
        command->add_option("--fps", o.fps, "frames per second: the time step is 1/fps")
            ->check(Fps())
            ->capture_default_str();
        command->add_option("--seed", o.seed, "seed for the random draws")
            ->check(Whole(0, 4294967295LL))
            ->capture_default_str();
    };
    const auto picture = [&](CLI::App* command) {
        const std::string side = std::to_string(kMaxSide);
        command->add_option("--size", o.size, "frame size in pixels")
            ->check(Takes("WxH with W and H within 1.." + side,
                          [](const std::string& t) { int w, h; return ParseSize(t, w, h); }))
            ->capture_default_str();
        command->add_option("--view", o.view, "the direction the camera looks from")
            ->check(Takes("AZIMUTH,ELEVATION in degrees, the azimuth within -3600..3600 and the elevation within -89..89",
                          [](const std::string& t) { double a, e; return ParseView(t, a, e); }))
            ->capture_default_str();
    };

    CLI::App* render = app.add_subcommand("render", "Render an effect to an animated GIF or WebP, or a PNG contact sheet");
    render->add_option("effect", o.effect, effectHelp)->required();
    render->add_option("-o", o.out, "output .gif, .webp or .png")->required();
    run(render, "frames to render");
    picture(render);
    resources(render);
    quiet(render);

    CLI::App* all = app.add_subcommand("render-all", "Render the six bundled effects and a contact sheet");
    all->add_option("-o", o.out, "output folder")->required();
    all->add_option("--format", o.format, "animation format")->check(CLI::IsMember({"gif", "webp"}))->capture_default_str();
    run(all, "frames to render of each effect");
    picture(all);
    resources(all);
    quiet(all);

    CLI::App* info = app.add_subcommand("info", "Describe an effect");
    info->add_option("effect", o.effect, effectHelp)->required();
    resources(info);
    quiet(info);

    CLI::App* sim = app.add_subcommand("simulate", "Simulate an effect and report particle counts");
    sim->add_option("effect", o.effect, effectHelp)->required();
    run(sim, "frames to simulate");
    sim->add_option("--csv", o.csv, "write every frame's live count and box to this CSV file");
    resources(sim);
    quiet(sim);

    CLI::App* pack = app.add_subcommand("pack", "Pack files into a resource container");
    pack->add_option("archive", o.archive, "container to write")->required();
    pack->add_option("files", o.files, "FILE (a .par document is stored under its name without .par) or NAME=PATH")
        ->required();
    quiet(pack);

    CLI::App* list = app.add_subcommand("list", "List a resource container");
    list->add_option("archive", o.archive, "container to list")->required();

    CLI::App* check = app.add_subcommand("check", "Report what the library will not read in effect documents");
    check->add_option("effects", o.files, "effect files (.par) or names in the resource container")->required();
    resources(check);
    quiet(check);

    CLI::App* explain = app.add_subcommand("explain", "Explain an element of the effect document");
    explain->add_option("path", o.effect, "element path such as Placer/ScrewPlacer/RoundTime or LifeTime, or a chapter: "
                                          "order, coordinates, angles, units, time, colour, numbers")->required();

    CLI::App* studio = app.add_subcommand("studio", "Edit an effect document in the browser and watch it run, live");
    studio->add_option("effect", o.studio.document, "effect file (.par)")->required();
    studio->add_option("--port", o.studio.port, "port to serve on (0 picks a free one)")
        ->check(Whole(0, 65535))
        ->capture_default_str();
    studio->add_option("--listen", o.studio.listen, "address to listen on")->capture_default_str();
    resources(studio);

    CLI::App* help = app.add_subcommand("help", "Describe a command and its options, or list the commands");
    help->add_option("command", o.topic, "the command to describe");
}

// Runs the subcommand that was parsed.
int RunCommand(CLI::App& app, const Options& o)
{
    if (app.get_subcommands().empty()) {
        std::fprintf(stderr, "%s", app.help().c_str());
        return 2;
    }
    const std::string command = app.get_subcommands().front()->get_name();
    if (command == "help")
        return Help(app, o.topic);
    if (command == "explain")
        return DocumentReference::Command(o.effect);
    if (command == "studio") {
        Studio::Options studio = o.studio;
        studio.resources = o.resources;
        return Studio::Run(studio);
    }
    PreviewSettings settings;
    settings.frames = o.frames;
    settings.fps = o.fps;
    settings.seed = o.seed;
    ParseSize(o.size, settings.width, settings.height);
    ParseView(o.view, settings.azimuth, settings.elevation);

    if (command == "pack")
        return Pack(o);
    if (command == "list")
        return List(o);
    const EffectLoader loader(o.resources);
    if (command == "check")
        return EffectChecker::CheckCommand(o.files, o.quiet);
    if (command == "render")
        return Render(loader, o.effect, o.out, settings, o.quiet, "rendering " + o.out);
    if (command == "render-all")
        return RenderAll(loader, o.out, o.format, settings, o.quiet);
    if (command == "simulate")
        return Simulate(loader, o);
    std::unique_ptr<ZrParticleEffect> e = Open(loader, o.effect, o.quiet);
    if (!e)
        return 1;
    EffectInfo::Print(*e);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Renders, inspects, simulates, checks and packs particle effects.", "nbparticle"};
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
