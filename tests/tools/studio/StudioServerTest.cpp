// The studio's server through cpp-httplib's client, as the page uses it: a
// server on a free port of the local address serves a copy of the bundled
// fire effect in a scratch folder.
#include "FrameLoop.h"

#include <ZrParticle.h>
#include <ZrParticleEffect.h>
#include <ZrParticleSystem.h>
#include "StudioDocument.h"
#include "StudioServer.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <sys/stat.h>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

using namespace nbparticle;

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// The value of a JSON member that is a string, or "".
std::string Member(const std::string& json, const std::string& key)
{
    const std::string at = "\"" + key + "\":\"";
    const size_t from = json.find(at);
    return from == std::string::npos ? "" : json.substr(from + at.size(), json.find('"', from + at.size()) - from - at.size());
}

class StudioServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/nbps-studio-test-XXXXXX";
        ASSERT_TRUE(::mkdtemp(folder));
        m_folder = folder;
        m_path = m_folder + "/fire.par";
        m_text = Slurp(std::string(NBPS_SOURCE_DIR) + "/effects/fire.par");
        Write(m_path, m_text);
        for (const char* image : {"flame.png", "spark.png", "fire_ramp.png"})
            Write(m_folder + "/" + image, Slurp(std::string(NBPS_SOURCE_DIR) + "/effects/" + image));
        ::setenv("TMPDIR", m_folder.c_str(), 1);
        m_document.reset(new StudioDocument(m_path));
        std::string why;
        ASSERT_TRUE(m_document->Open(why)) << why;
        m_loader.reset(new EffectLoader(std::string(NBPS_BINARY_DIR) + "/effects"));
        m_server.reset(new StudioServer(*m_document, std::string(NBPS_BINARY_DIR) + "/effects"));
        ASSERT_TRUE(m_server->Bind("127.0.0.1", 0, why)) << why;
        m_document->Watch(20);
        m_serving = std::thread([this] { m_server->Run(); });
        m_client.reset(new httplib::Client("127.0.0.1", m_server->Port()));
        m_client->set_read_timeout(60);
    }

    void TearDown() override
    {
        if (m_server)
            m_server->Stop();
        if (m_serving.joinable())
            m_serving.join();
        m_client.reset();
        m_server.reset();
        m_document.reset();
        if (DIR* dir = ::opendir(m_folder.c_str())) {
            while (dirent* e = ::readdir(dir))
                ::unlink((m_folder + "/" + e->d_name).c_str());
            ::closedir(dir);
        }
        // Nothing is left behind: the studio's private folder is gone too.
        EXPECT_EQ(::rmdir(m_folder.c_str()), 0);
        ::unsetenv("TMPDIR");
    }

    httplib::Result PostText(const std::string& text) { return m_client->Post("/api/text", text, "text/plain"); }
    httplib::Result Frame(int n, const std::string& more = "")
    {
        return m_client->Get(("/api/frame?frame=" + std::to_string(n) + "&size=160x120" + more).c_str());
    }
    std::string Version() { return Member(m_client->Get("/api/document")->body, "version"); }

    std::string m_folder, m_path, m_text;
    std::unique_ptr<StudioDocument> m_document;
    std::unique_ptr<EffectLoader> m_loader;
    std::unique_ptr<StudioServer> m_server;
    std::thread m_serving;
    std::unique_ptr<httplib::Client> m_client;
};

// Requests a page of another site could make the browser send, and paths
// that would reach the file system, get nothing but a refusal.
TEST_F(StudioServerTest, AnswersOnlyItsOwnPagesAtItsOwnAddress)
{
    const std::string self = "127.0.0.1:" + std::to_string(m_server->Port());
    const struct {
        const char* path;
        httplib::Headers headers;
        int status;
    } cases[] = {
        {"/", {}, 200},
        {"/codemirror/codemirror.js", {}, 200},
        {"/api/document", {{"Host", "localhost:" + std::to_string(m_server->Port())}}, 200},
        {"/api/document", {{"Origin", "http://" + self}}, 200},
        {"/api/document", {{"Host", "attacker.example:" + std::to_string(m_server->Port())}}, 403},
        {"/api/document", {{"Host", "127.0.0.1:1"}}, 403},
        {"/api/document", {{"Origin", "http://attacker.example"}}, 403},
        {"/api/document", {{"Origin", "null"}}, 403},
        {"/api/document", {{"Sec-Fetch-Site", "cross-site"}}, 403},
        {"/../../etc/passwd", {}, 404},
        {"/codemirror/../../../../etc/passwd", {}, 404},
        {"/%2e%2e/%2e%2e/etc/passwd", {}, 404},
        {"/fire.par", {}, 404},
        {"/flame.png", {}, 404},
    };
    for (const auto& c : cases) {
        const httplib::Result r = m_client->Get(c.path, c.headers);
        ASSERT_TRUE(r) << c.path;
        EXPECT_EQ(r->status, c.status) << c.path;
        EXPECT_EQ(r->body.find("root:"), std::string::npos) << c.path;
        if (c.status == 403) {
            EXPECT_NE(r->body.find("refused"), std::string::npos) << r->body;
        }
    }
    const httplib::Result page = m_client->Get("/");
    EXPECT_NE(page->body.find("studio.js"), std::string::npos);
    EXPECT_EQ(page->get_header_value("Content-Security-Policy").find("default-src 'self'"), 0u);
    // Another studio cannot take the port, and says what to do.
    StudioServer second(*m_document, "");
    std::string why;
    EXPECT_FALSE(second.Bind("127.0.0.1", m_server->Port(), why));
    EXPECT_NE(why.find("--port 0"), std::string::npos) << why;
}

// A document larger than the library reads and a burst of requests get an
// error, and the studio answers the next request as before.
TEST_F(StudioServerTest, RefusesTooMuchAndKeepsRunning)
{
    const httplib::Result large = PostText(std::string(StudioDocument::kMaxSize + 1, ' '));
    ASSERT_TRUE(large);
    EXPECT_EQ(large->status, 413);
    const httplib::Result huge = PostText(std::string(StudioDocument::kMaxSize + 100000, ' '));
    EXPECT_TRUE(!huge || huge->status == 413);
    EXPECT_EQ(m_client->Get("/api/document")->status, 200);

    m_server->SetRate(20.0, 10.0);
    int refused = 0;
    for (int i = 0; i < 60; ++i)
        refused += m_client->Get("/api/document")->status == 429;
    EXPECT_GE(refused, 30);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(m_client->Get("/api/document")->status, 200);
}

// Frame n of the studio is frame n of the frame loop render uses, whether the
// studio steps to it from an earlier frame or seeks back to it, and even when
// an export has run in between (it draws its own random numbers).
TEST_F(StudioServerTest, FramesAreRendersFramesHoweverTheyAreReached)
{
    ASSERT_NE(PostText(m_text)->body.find("\"good\":true"), std::string::npos);
    PreviewSettings settings;
    settings.frames = 40;
    settings.width = 160;
    settings.height = 120;
    std::vector<unsigned char> expected[40];
    std::string live[40];
    FrameLoop loop(*m_loader, m_path, settings);
    ASSERT_EQ(loop.Run([&](int f, const nbparticle::Frame& frame) {
        expected[f] = frame.rgb;
        for (int s = 0; s < loop.Effect()->GetParticleSystemNum(); ++s) {
            int n = 0;
            for (int i = 0; i < loop.Effect()->GetParticleSystem(s)->GetParticleNum(); ++i)
                n += loop.Effect()->GetParticleSystem(s)->GetParticle(i)->IsAlive();
            live[f] += (s ? "," : "") + std::to_string(n);
        }
        return true;
    }), FrameLoop::Done);

    const std::string more = "&frames=40&seed=1&fps=30&view=35,25";
    for (int n : {12, 13, 30, 5, 6}) {
        const httplib::Result r = Frame(n, more);
        ASSERT_TRUE(r);
        ASSERT_EQ(r->status, 200) << r->body;
        EXPECT_EQ(r->get_header_value("X-Frame"), std::to_string(n));
        EXPECT_EQ(r->body, std::string(expected[n - 1].begin(), expected[n - 1].end())) << "frame " << n;
        if (n == 13) {
            ASSERT_EQ(m_client->Post("/api/export?format=gif&size=160x120&frames=5", "", "text/plain")->status, 200);
        }
    }
    const httplib::Result r = Frame(7, more);
    EXPECT_EQ(r->get_header_value("X-Live"), live[6]);
    EXPECT_NE(Frame(7, "&frames=40&view=80,25")->body, r->body) << "the view changes the frame";
}

// A text with an error is marked at its line and does not replace the text
// that runs; mended, it runs.
TEST_F(StudioServerTest, HoldsTheLastGoodTextUntilTheErrorsAreMended)
{
    const std::string first = PostText(m_text)->body;
    ASSERT_NE(first.find("\"revision\":1"), std::string::npos);
    EXPECT_NE(first.find("{\"path\":\"Emitter/Counter/NumPerSecond\",\"typeWord\":\"CommonCounter\",\"whole\":true,"
                         "\"text\":\"160\",\"from\":{\"line\":7,\"ch\":20},\"to\":{\"line\":7,\"ch\":23}}"),
              std::string::npos)
        << first;
    const std::string good = Frame(20)->body;
    std::string misspelt = m_text;
    const size_t at = misspelt.find("<LifeTime>");
    misspelt.replace(misspelt.find("</LifeTime>"), 11, "</LifeTme>").replace(at, 10, "<LifeTme>");
    const int line = 1 + static_cast<int>(std::count(m_text.begin(), m_text.begin() + at, '\n'));
    const std::string reply = PostText(misspelt)->body;
    EXPECT_NE(reply.find("\"good\":false"), std::string::npos);
    EXPECT_NE(reply.find("\"revision\":1"), std::string::npos);
    EXPECT_NE(reply.find("\"line\":" + std::to_string(line) + ",\"from\":{\"line\":" + std::to_string(line - 1)),
              std::string::npos)
        << reply;
    EXPECT_EQ(Frame(20)->body, good);
    std::string mended = m_text;
    mended.replace(mended.find("<LifeTime>1.100000"), 18, "<LifeTime>0.300000");
    EXPECT_NE(PostText(mended)->body.find("\"revision\":2"), std::string::npos);
    EXPECT_NE(Frame(20)->body, good);
    EXPECT_NE(PostText("<QuenmarParticleEffect><ParticleSystem>")->body.find("\"good\":false"), std::string::npos);
}

// Saving writes the file whole and leaves nothing beside it; a save based
// on a version that is no longer on disk is refused and writes nothing.
TEST_F(StudioServerTest, SavesAtomicallyAndRefusesToOverwriteAnotherSave)
{
    ::chmod(m_path.c_str(), 0640);
    const std::string mine = m_text + "<!-- mine -->\n";
    const httplib::Result saved = m_client->Post(("/api/save?base=" + Version()).c_str(), mine, "text/plain");
    ASSERT_EQ(saved->status, 200) << saved->body;
    EXPECT_EQ(Slurp(m_path), mine);
    struct stat st;
    ASSERT_EQ(::stat(m_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    int entries = 0;
    DIR* dir = ::opendir(m_folder.c_str());
    while (dirent* e = ::readdir(dir))
        entries += e->d_name[0] != '.' || (e->d_name[1] != '\0' && e->d_name[1] != '.');
    ::closedir(dir);
    EXPECT_EQ(entries, 5) << "the document, its three images and the studio's private folder, no temporary file";

    const std::string base = Member(saved->body, "version");
    const std::string theirs = m_text + "<!-- theirs -->\n";
    Write(m_path, theirs);
    const httplib::Result refused = m_client->Post(("/api/save?base=" + base).c_str(), m_text, "text/plain");
    EXPECT_EQ(refused->status, 409);
    EXPECT_NE(refused->body.find("changed on disk"), std::string::npos);
    EXPECT_EQ(Slurp(m_path), theirs);
    EXPECT_EQ(m_client->Post(("/api/save?force=1&base=" + base).c_str(), m_text, "text/plain")->status, 200);
    EXPECT_EQ(Slurp(m_path), m_text);
}

// A save by another program wakes a watch at once with the new version.
TEST_F(StudioServerTest, WatchFollowsSavesFromElsewhere)
{
    const std::string document = m_client->Get("/api/document")->body;
    const size_t at = document.find("\"changes\":");
    const int changes = std::atoi(document.c_str() + at + 10);
    std::thread writer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Write(m_path + ".new", m_text + "\n");
        std::rename((m_path + ".new").c_str(), m_path.c_str());
    });
    const auto start = std::chrono::steady_clock::now();
    const httplib::Result r = m_client->Get(("/api/watch?since=" + std::to_string(changes)).c_str());
    writer.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(Member(r->body, "version"), StudioDocument::Digest(m_text + "\n"));
    EXPECT_EQ(Version(), StudioDocument::Digest(m_text + "\n"));
}

// Exports are written beside the document; values out of range are named
// with their range.
TEST_F(StudioServerTest, ExportsBesideTheDocumentAndChecksEveryValue)
{
    ASSERT_EQ(PostText(m_text)->status, 200);
    for (const char* format : {"gif", "webp", "png"}) {
        const httplib::Result r =
            m_client->Post((std::string("/api/export?format=") + format + "&size=96x64&frames=6").c_str(), "", "text/plain");
        ASSERT_EQ(r->status, 200) << r->body;
        const std::string path = m_folder + "/fire." + format;
        EXPECT_EQ(Member(r->body, "path"), path);
        EXPECT_GT(Slurp(path).size(), 100u) << path;
    }
    const struct {
        const char* query;
        const char* says;
    } bad[] = {
        {"frame=0", "frame must be"},        {"frames=0", "from 1 to 3600"},   {"frames=3601", "from 1 to 3600"},
        {"fps=0", "above 0"},                {"fps=nan", "above 0"},           {"size=10x10", "width from 16"},
        {"size=640x", "WxH"},                {"view=0,90", "within -89..89"},  {"view=0,-90", "within -89..89"},
        {"view=3601,0", "within -3600..3600"}, {"seed=-1", "from 0 to"},
        {"seed=1e3", "from 0 to"},
    };
    for (const auto& b : bad) {
        const httplib::Result r = m_client->Get((std::string("/api/frame?") + b.query).c_str());
        EXPECT_EQ(r->status, 400) << b.query;
        EXPECT_NE(r->body.find(b.says), std::string::npos) << b.query << ": " << r->body;
    }
    EXPECT_EQ(m_client->Post("/api/export?format=bmp", "", "text/plain")->status, 400);
}

} // namespace
