// Writes the authors' reference and the schema of the effect document from
// the description of the document, or checks that the committed ones match it.
//   nbps_reference write SOURCE_DIR   writes docs/effect-format.md and effects/NbParticleEffect.xsd
//   nbps_reference check SOURCE_DIR   fails when either differs from what write would write
//   nbps_reference json               prints the description as JSON
#include "DocumentReference.h"
#include "ReferenceWriter.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Output {
    const char* path;
    std::string (*text)();
};

const Output kOutputs[] = {{"docs/effect-format.md", ReferenceWriter::Markdown},
                           {"effects/NbParticleEffect.xsd", ReferenceWriter::Schema}};

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "json") == 0) {
        std::fputs(DocumentReference::Json().c_str(), stdout);
        return 0;
    }
    const bool write = argc == 3 && std::strcmp(argv[1], "write") == 0;
    if (!write && !(argc == 3 && std::strcmp(argv[1], "check") == 0)) {
        std::fprintf(stderr, "usage: nbps_reference write|check SOURCE_DIR, or nbps_reference json\n");
        return 2;
    }
    int status = 0;
    for (const Output& o : kOutputs) {
        const std::string path = std::string(argv[2]) + "/" + o.path;
        const std::string text = o.text();
        if (text.empty()) {
            std::fprintf(stderr, "nbps_reference: %s: the description cannot be written so\n", o.path);
            status = 1;
        } else if (write) {
            std::ofstream out(path, std::ios::binary);
            if (!(out << text)) {
                std::fprintf(stderr, "nbps_reference: %s: cannot write\n", path.c_str());
                status = 1;
            }
        } else if (Read(path) != text) {
            std::fprintf(stderr,
                         "nbps_reference: %s is out of date with the description of the document "
                         "(tools/DocumentText.cpp, simulation/ZrDocumentLayout.cpp); write it again with\n"
                         "  cmake --build build/default --target nbps_docs\n",
                         o.path);
            status = 1;
        }
    }
    return status;
}
