#pragma once
#include <cstddef>
#include <string>

namespace nbparticle {

// The page of the studio: its HTML, scripts and styles (the editor's from the
// system's installed package), built into the program so that the page loads
// nothing from anywhere else.
class StudioAssets {
public:
    struct Asset {
        const char* path;   // the URL path, "/index.html"
        const char* type;   // the media type
        const unsigned char* data;
        size_t size;
    };
    // The asset at an URL path ("/" is the page); null for any other path.
    static const Asset* Find(const std::string& path);
    static const Asset* All(size_t& count);
};

} // namespace nbparticle
