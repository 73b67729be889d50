#include "StudioServer.h"

#include "DocumentFields.h"
#include "DocumentReference.h"
#include "EffectChecker.h"
#include "JsonWriter.h"
#include "RequestGuard.h"
#include "StudioAssets.h"
#include "StudioDocument.h"
#include "StudioPlayer.h"
#include "TextPositions.h"

#include <httplib.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace nbparticle {
namespace {

// The studio re-runs the effect from its start on every seek: its runs are
// kept shorter than render's.
const int kMaxFrames = 3600;
const int kMaxWidth = 1920, kMaxHeight = 1200, kMinSide = 16;
// How long a watch waits before it answers that nothing changed.
const int kWatchMs = 15000;

void Reply(httplib::Response& res, int status, const std::string& message)
{
    res.status = status;
    res.set_content(JsonWriter().Open('{').Key("message").String(message).Close('}').Text(), "application/json");
}

// A whole number or a finite number: all of the text, nothing after it.
bool ParseInt(const std::string& text, long long lo, long long hi, long long& out)
{
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

bool ParseNumber(const std::string& text, double& out)
{
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

// Two numbers joined by sep ("640x360", "35,25").
bool ParsePair(const std::string& text, char sep, double& a, double& b)
{
    const size_t at = text.find(sep);
    return at != std::string::npos && ParseNumber(text.substr(0, at), a) && ParseNumber(text.substr(at + 1), b);
}

// The run settings of a request, as render's options name them; why says
// which one is out of range.
bool ParseSettings(const httplib::Request& req, PreviewSettings& s, std::string& why)
{
    long long v = 0;
    if (req.has_param("frames")) {
        if (!ParseInt(req.get_param_value("frames"), 1, kMaxFrames, v)) {
            why = "frames must be a whole number from 1 to " + std::to_string(kMaxFrames);
            return false;
        }
        s.frames = static_cast<int>(v);
    }
    if (req.has_param("seed")) {
        if (!ParseInt(req.get_param_value("seed"), 0, UINT_MAX, v)) {
            why = "seed must be a whole number from 0 to " + std::to_string(UINT_MAX);
            return false;
        }
        s.seed = static_cast<unsigned>(v);
    }
    if (req.has_param("fps")) {
        double fps = 0;
        if (!ParseNumber(req.get_param_value("fps"), fps) || !(fps > 0.0 && fps <= 1000.0)) {
            why = "fps must be a number above 0 and at most 1000";
            return false;
        }
        s.fps = fps;
    }
    if (req.has_param("size")) {
        double w = 0, h = 0;
        if (!ParsePair(req.get_param_value("size"), 'x', w, h) || w != std::floor(w) || h != std::floor(h) ||
            w < kMinSide || w > kMaxWidth || h < kMinSide || h > kMaxHeight) {
            why = "size must be WxH, width from " + std::to_string(kMinSide) + " to " + std::to_string(kMaxWidth) +
                  " and height from " + std::to_string(kMinSide) + " to " + std::to_string(kMaxHeight);
            return false;
        }
        s.width = static_cast<int>(w);
        s.height = static_cast<int>(h);
    }
    if (req.has_param("view")) {
        double az = 0, el = 0;
        if (!ParsePair(req.get_param_value("view"), ',', az, el) || std::fabs(az) > 3600.0 || el < -89.0 ||
            el > 89.0) {
            why = "view must be AZIMUTH,ELEVATION in degrees, azimuth within -3600..3600, elevation within -89..89";
            return false;
        }
        s.azimuth = az;
        s.elevation = el;
    }
    return true;
}

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of('/')); }

std::string Stem(const std::string& path)
{
    const std::string name = path.substr(path.find_last_of('/') + 1);
    return name.substr(0, name.find_last_of('.'));
}

void Position(JsonWriter& json, const TextPositions::Position& p)
{
    json.Open('{').Key("line").Int(p.line).Key("ch").Int(p.ch).Close('}');
}

} // namespace

StudioServer::StudioServer(StudioDocument& document, const std::string& resources)
    : m_document(document), m_server(new httplib::Server), m_player(new StudioPlayer(resources, document.Path()))
{
}

StudioServer::~StudioServer() = default;

void StudioServer::SetRate(double perSecond, double burst)
{
    m_rate = perSecond;
    m_burst = burst;
    if (m_guard)
        m_guard->SetRate(perSecond, burst);
}

bool StudioServer::Bind(const std::string& address, int port, std::string& why)
{
    httplib::Server& s = *m_server;
    // Bodies are documents; a little more than the largest one is let in so
    // that the handler can say what is wrong with a document too large.
    s.set_payload_max_length(StudioDocument::kMaxSize + 65536);
    s.set_read_timeout(10);
    s.set_write_timeout(10);
    s.set_keep_alive_max_count(1000);
    s.new_task_queue = [] { return new httplib::ThreadPool(12); };
    // A port another server listens on is refused (the library's default
    // would share it), while one left waiting by a studio just ended is not.
    s.set_socket_options([](socket_t sock) {
        const int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    m_port = port == 0 ? s.bind_to_any_port(address) : (s.bind_to_port(address, port) ? port : -1);
    if (m_port <= 0) {
        why = port == 0 ? "cannot listen on " + address
                        : "cannot listen on " + address + " port " + std::to_string(port) +
                              " (in use? --port 0 picks a free one)";
        return false;
    }
    m_guard.reset(new RequestGuard(address, m_port));
    m_guard->SetRate(m_rate, m_burst);
    Routes();
    return true;
}

bool StudioServer::Run()
{
    m_serving = true;
    const bool served = m_stopping || m_server->listen_after_bind();
    m_serving = false;
    return served;
}

void StudioServer::Stop()
{
    m_document.Stop();
    m_stopping = true;
    // The server stops only once it listens: ask until Run has returned.
    while (m_serving) {
        m_server->stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool StudioServer::Admit(const httplib::Request& req, httplib::Response& res)
{
    const std::string refusal = m_guard->Refusal(req.get_header_value("Host"), req.get_header_value("Origin"),
                                                 req.get_header_value("Sec-Fetch-Site"));
    if (!refusal.empty()) {
        Reply(res, 403, "refused: " + refusal);
        return false;
    }
    if (!m_guard->Admit()) {
        Reply(res, 429, "too many requests at once: try again in a moment");
        return false;
    }
    return true;
}

void StudioServer::Routes()
{
    httplib::Server& s = *m_server;
    s.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        return Admit(req, res) ? httplib::Server::HandlerResponse::Unhandled : httplib::Server::HandlerResponse::Handled;
    });
    s.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr error) {
        std::string what = "unknown error";
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
        Reply(res, 500, "the studio could not answer: " + what);
    });
    s.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty())
            return;
        if (res.status == 413)
            Reply(res, 413, "the request is too large: documents are at most " +
                                std::to_string(StudioDocument::kMaxSize / (1024 * 1024)) + " MiB");
        else if (res.status == 404)
            Reply(res, 404, "no such page: the studio serves only its own page and the document");
        else
            Reply(res, res.status, "the request was not understood");
    });
    s.Get(R"(/|/[A-Za-z0-9_./-]+\.(html|js|css))", [](const httplib::Request& req, httplib::Response& res) {
        const StudioAssets::Asset* asset = StudioAssets::Find(req.path);
        if (!asset)
            return Reply(res, 404, "no such page: the studio serves only its own page and the document");
        res.set_content(reinterpret_cast<const char*>(asset->data), asset->size, asset->type);
        res.set_header("Cache-Control", "no-cache");
        res.set_header("X-Content-Type-Options", "nosniff");
        res.set_header("Content-Security-Policy", "default-src 'self'; img-src 'self' blob: data:; "
                                                  "style-src 'self' 'unsafe-inline'; frame-ancestors 'none'");
    });
    s.Get("/api/document", [this](const httplib::Request&, httplib::Response& res) {
        std::string text, version;
        unsigned changes = 0;
        m_document.Current(text, version, changes);
        JsonWriter json;
        json.Open('{').Key("path").String(m_document.Path()).Key("name").String(m_document.Path().substr(
            m_document.Path().find_last_of('/') + 1));
        json.Key("version").String(version).Key("changes").Int(changes).Key("text").String(text).Close('}');
        res.set_content(json.Text(), "application/json");
    });
    s.Get("/api/watch", [this](const httplib::Request& req, httplib::Response& res) {
        long long since = 0;
        if (!ParseInt(req.get_param_value("since"), 0, UINT_MAX, since))
            return Reply(res, 400, "since must be a whole number");
        const unsigned changes = m_document.WaitForChange(static_cast<unsigned>(since), kWatchMs);
        res.set_content(
            JsonWriter().Open('{').Key("changes").Int(changes).Key("version").String(m_document.Version()).Close('}').Text(),
            "application/json");
    });
    s.Get("/api/reference", [](const httplib::Request&, httplib::Response& res) {
        static const std::string reference = DocumentReference::Json();
        res.set_content(reference, "application/json");
    });
    s.Post("/api/text", [this](const httplib::Request& req, httplib::Response& res) { Text(req, res); });
    s.Get("/api/frame", [this](const httplib::Request& req, httplib::Response& res) { FrameRoute(req, res); });
    s.Post("/api/save", [this](const httplib::Request& req, httplib::Response& res) { Save(req, res); });
    s.Post("/api/export", [this](const httplib::Request& req, httplib::Response& res) { Export(req, res); });
}

void StudioServer::Text(const httplib::Request& req, httplib::Response& res)
{
    const std::string& text = req.body;
    if (text.size() > StudioDocument::kMaxSize)
        return Reply(res, 413, "the document is too large: at most " +
                                   std::to_string(StudioDocument::kMaxSize / (1024 * 1024)) + " MiB");
    std::vector<EffectChecker::Finding> findings;
    bool good = false;
    std::string why;
    unsigned revision = 0;
    {
        std::lock_guard<std::mutex> lock(m_work);
        findings = EffectChecker::Check(text, Folder(m_document.Path()));
        const auto error = std::find_if(findings.begin(), findings.end(), [](const auto& f) { return f.error; });
        if (error != findings.end())
            why = "line " + std::to_string(error->line) + ": " + error->message;
        else
            good = m_player->Load(text, why);
        revision = m_player->Revision();
    }
    const TextPositions positions(text);
    JsonWriter json;
    json.Open('{').Key("good").Bool(good).Key("revision").Int(revision).Key("message").String(why);
    json.Key("findings").Open('[');
    for (const EffectChecker::Finding& f : findings) {
        const size_t at = positions.Offset(f.line, f.column);
        json.Open('{').Key("severity").String(f.error ? "error" : "warning").Key("message").String(f.message);
        json.Key("line").Int(f.line).Key("from");
        Position(json, positions.At(at));
        json.Key("to");
        Position(json, positions.At(positions.WordEnd(at)));
        json.Close('}');
    }
    json.Close(']').Key("systems").Open('[');
    for (const DocumentFields::System& system : DocumentFields::Find(text)) {
        json.Open('{').Key("line").Int(positions.At(system.begin).line).Key("fields").Open('[');
        for (const DocumentFields::Field& f : system.fields) {
            json.Open('{').Key("path").String(f.path).Key("typeWord").String(f.typeWord).Key("whole").Bool(f.whole);
            json.Key("text").String(f.text).Key("from");
            Position(json, positions.At(f.begin));
            json.Key("to");
            Position(json, positions.At(f.end));
            json.Close('}');
        }
        json.Close(']').Close('}');
    }
    json.Close(']').Close('}');
    res.set_content(json.Text(), "application/json");
}

void StudioServer::FrameRoute(const httplib::Request& req, httplib::Response& res)
{
    PreviewSettings settings;
    std::string why;
    long long n = 1;
    if (!ParseSettings(req, settings, why) ||
        (req.has_param("frame") && !ParseInt(req.get_param_value("frame"), 1, kMaxFrames, n)))
        return Reply(res, 400, why.empty() ? "frame must be a whole number from 1 to " + std::to_string(kMaxFrames)
                                           : why);
    Frame frame;
    FrameStats stats;
    {
        std::lock_guard<std::mutex> lock(m_work);
        if (!m_player->Show(static_cast<int>(n), settings, frame, stats))
            return Reply(res, 409, "no version of the document runs yet: mend the errors marked in the text");
    }
    std::string live;
    for (size_t i = 0; i < stats.live.size(); ++i)
        live += (i ? "," : "") + std::to_string(stats.live[i]);
    char ms[64];
    std::snprintf(ms, sizeof ms, "%.3f,%.3f", stats.simulateMs, stats.drawMs);
    res.set_header("X-Frame", std::to_string(stats.frame));
    res.set_header("X-Revision", std::to_string(stats.revision));
    res.set_header("X-Size", std::to_string(frame.width) + "x" + std::to_string(frame.height));
    res.set_header("X-Live", live);
    res.set_header("X-Milliseconds", ms);
    res.set_header("Cache-Control", "no-store");
    res.set_content(reinterpret_cast<const char*>(frame.rgb.data()), frame.rgb.size(), "application/octet-stream");
}

void StudioServer::Save(const httplib::Request& req, httplib::Response& res)
{
    std::string version, why;
    const StudioDocument::SaveResult result =
        m_document.Save(req.body, req.get_param_value("base"), req.get_param_value("force") == "1", version, why);
    if (result == StudioDocument::Saved) {
        res.set_content(JsonWriter()
                            .Open('{')
                            .Key("version").String(version)
                            .Key("path").String(m_document.Path())
                            .Key("bytes").Int(static_cast<long long>(req.body.size()))
                            .Close('}')
                            .Text(),
                        "application/json");
        return;
    }
    res.status = result == StudioDocument::Conflict ? 409 : 500;
    res.set_content(
        JsonWriter().Open('{').Key("message").String(why).Key("version").String(m_document.Version()).Close('}').Text(),
        "application/json");
}

void StudioServer::Export(const httplib::Request& req, httplib::Response& res)
{
    const std::string format = req.get_param_value("format");
    if (format != "gif" && format != "webp" && format != "png")
        return Reply(res, 400, "format must be gif, webp or png (a contact sheet)");
    PreviewSettings settings;
    std::string why;
    if (!ParseSettings(req, settings, why))
        return Reply(res, 400, why);
    const std::string path = Folder(m_document.Path()) + "/" + Stem(m_document.Path()) + "." + format;
    const auto start = std::chrono::steady_clock::now();
    bool written = false;
    {
        std::lock_guard<std::mutex> lock(m_work);
        written = m_player->Export(path, settings, why);
    }
    if (!written)
        return Reply(res, 500, why);
    struct stat st;
    const long long bytes = ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    res.set_content(JsonWriter()
                        .Open('{')
                        .Key("path").String(path)
                        .Key("bytes").Int(bytes)
                        .Key("frames").Int(settings.frames)
                        .Key("milliseconds").Number(std::round(ms))
                        .Close('}')
                        .Text(),
                    "application/json");
}

} // namespace nbparticle
