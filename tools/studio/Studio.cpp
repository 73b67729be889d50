#include "Studio.h"

#include "EffectLoader.h"
#include "EffectSource.h"
#include "StudioDocument.h"
#include "StudioServer.h"

#include <pthread.h>
#include <signal.h>

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
    const EffectLoader loader(options.resources);
    EffectSource::SetResourceFolder(loader.Resources());

    // Interrupts end the serving on a thread of their own, where stopping
    // the server is safe; every other thread leaves them to it.
    sigset_t stopping;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGINT);
    sigaddset(&stopping, SIGTERM);
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

    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopping, &signal);
        server.Stop();
    });
    const bool served = server.Run();
    // Serving ended without a signal: wake the waiting thread.
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return served ? 0 : Fail(options.listen, "serving failed");
}

} // namespace nbparticle
