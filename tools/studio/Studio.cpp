#include "Studio.h"

#include "EffectLoader.h"
#include "StudioDocument.h"
#include "StudioServer.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

namespace nbparticle {
namespace {

int Fail(const std::string& what, const std::string& why)
{
    std::fprintf(stderr, "nbparticle: %s: %s\n", what.c_str(), why.c_str());
    return 1;
}

bool EndsWithPar(const std::string& path)
{
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".par") == 0;
}

} // namespace

int Studio::Run(const Options& options)
{
    if (!EndsWithPar(options.document))
        return Fail(options.document, "the studio edits a .par file");
    if (!EffectLoader::IsFile(options.document))
        return Fail(options.document, "no such file");
    StudioDocument document(options.document);
    std::string why;
    if (!document.Open(why))
        return Fail(options.document, why);

    // Interrupts are taken by the sigwait below, where stopping the server is
    // safe; the threads started from here on leave them blocked.
    sigset_t stopping;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGINT);
    sigaddset(&stopping, SIGTERM);
    sigaddset(&stopping, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopping, nullptr);
    // A page that goes away mid-answer must not end the program.
    signal(SIGPIPE, SIG_IGN);

    StudioServer server(document, options.resources);
    if (!server.Bind(options.listen, options.port, why))
        return Fail(options.listen, why);
    document.Watch(50);
    const std::string host = options.listen.find(':') != std::string::npos ? "[" + options.listen + "]" : options.listen;
    std::printf("nbparticle studio: editing %s at http://%s:%d/ (Ctrl-C stops)\n", document.Path().c_str(),
                host.c_str(), server.Port());
    std::fflush(stdout);

    std::atomic<bool> served{false};
    // Serving that ends by itself wakes the wait below like an interrupt.
    std::thread serving([&] {
        served = server.Run();
        ::kill(::getpid(), SIGTERM);
    });
    int received = 0;
    sigwait(&stopping, &received);
    server.Stop();
    serving.join();
    return served ? 0 : Fail(options.listen, "serving failed");
}

} // namespace nbparticle
