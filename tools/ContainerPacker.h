#pragma once
#include <string>
#include <vector>

namespace nbparticle {

// Writes and lists resource containers (zip archives whose entries are
// deflated and, where the zip library supports it, encrypted with the access
// string the library opens them with).
class ContainerPacker {
public:
    // Packs FILE (entry named after the file) or NAME=PATH items. On failure
    // sets what (the path at fault) and why.
    static bool Pack(const std::string& archive, const std::vector<std::string>& items, std::string& what,
                     std::string& why);
    // The entry names, or false when the container does not open.
    static bool List(const std::string& archive, std::vector<std::string>& names);
};

} // namespace nbparticle
