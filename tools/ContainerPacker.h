#pragma once
#include <string>
#include <vector>

namespace nbparticle {

// Writes and lists resource containers (zip archives whose entries are
// deflated and, where the zip library supports it, encrypted with the access
// string the library opens them with).
class ContainerPacker {
public:
    // Packs FILE or NAME=PATH items. FILE is stored under its file name, a
    // ".par" document without the extension (the name an effect is asked for
    // by); NAME=PATH under NAME. Fills names with the entry names in order.
    // On failure sets what (the path at fault) and why.
    static bool Pack(const std::string& archive, const std::vector<std::string>& items,
                     std::vector<std::string>& names, std::string& what, std::string& why);
    // The entry names, or false when the container does not open.
    static bool List(const std::string& archive, std::vector<std::string>& names);
    // Whether the container holds an entry of exactly that name, and the
    // uncompressed size it records for it (read from the index only).
    static bool EntrySize(const std::string& archive, const std::string& name, unsigned long long& size);
};

} // namespace nbparticle
