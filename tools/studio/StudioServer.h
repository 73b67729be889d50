#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace nbparticle {

class RequestGuard;
class StudioDocument;
class StudioPlayer;

// The studio's HTTP server: the page and its assets, the document, the
// frames of the running effect, saving and export. It answers only requests
// its RequestGuard lets through and serves no file but the document; every
// value a request brings is checked before it is used. The routes:
//   GET  /, /studio.js, ...   the page and its assets
//   GET  /api/document        the document as on disk: text, version, path
//   POST /api/text            a text from the editor: findings, fields, and
//                             whether it now runs
//   GET  /api/frame           one frame as raw RGB (frame, frames, fps, seed,
//                             size, view as render takes them)
//   GET  /api/watch?since=N   waits for a change of the file on disk
//   POST /api/save?base=V     writes the document (force=1 overwrites)
//   POST /api/export?format=  gif, webp or png (contact sheet) beside the
//                             document
//   GET  /api/reference       the description of the document's elements
class StudioServer {
public:
    // resources: as for EffectLoader.
    StudioServer(StudioDocument& document, const std::string& resources);
    ~StudioServer();
    StudioServer(const StudioServer&) = delete;
    StudioServer& operator=(const StudioServer&) = delete;

    // Binds to address and port (0 picks a free one); false with why.
    bool Bind(const std::string& address, int port, std::string& why);
    int Port() const { return m_port; }
    // Serves until Stop; false when serving failed.
    bool Run();
    // Ends Run, whether it has begun to serve yet or not (from any thread).
    void Stop();
    // Limits the rate of requests (per second on average, burst at once).
    void SetRate(double perSecond, double burst);

private:
    void Routes();
    bool Admit(const httplib::Request& req, httplib::Response& res);
    void Text(const httplib::Request& req, httplib::Response& res);
    void FrameRoute(const httplib::Request& req, httplib::Response& res);
    void Save(const httplib::Request& req, httplib::Response& res);
    void Export(const httplib::Request& req, httplib::Response& res);

    StudioDocument& m_document;
    std::unique_ptr<httplib::Server> m_server;
    std::unique_ptr<RequestGuard> m_guard;
    // The player, the checker and the library's shared state are used by
    // one request at a time.
    std::mutex m_work;
    std::unique_ptr<StudioPlayer> m_player;
    int m_port = 0;
    double m_rate = 200.0, m_burst = 400.0;
    std::atomic<bool> m_serving{false}, m_stopping{false};
};

} // namespace nbparticle
