#pragma once
#include <string>

namespace nbparticle {

// The studio command: serves a page on which an author edits an effect
// document and watches it run, until interrupted (Ctrl-C).
class Studio {
public:
    struct Options {
        std::string document;          // a .par file
        std::string listen = "127.0.0.1";
        int port = 8600;               // 0 picks a free port
        std::string resources;         // as for render
    };
    // Prints the page's address on stdout; returns the exit status.
    static int Run(const Options& options);
};

} // namespace nbparticle
