// Writes the seed corpora of the fuzz targets from the bundled effects:
//   make_seeds EFFECTS_DIR OUT_DIR
// OUT_DIR/nbps_fuzz_effect_stream   the effect documents as saved streams
// OUT_DIR/nbps_fuzz_system_xml      each "ParticleSystem" element on its own
// OUT_DIR/nbps_fuzz_container       a container holding every bundled file
// OUT_DIR/nbps_fuzz_color_image     the bundled images with their type byte
// OUT_DIR/nbps_fuzz_effect_check     the effect documents as they are
#include <NbParticleSystem600/NbParticleSystem600.h>

#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace ZRC;

namespace {
std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const void* data, size_t size)
{
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_seeds EFFECTS_DIR OUT_DIR\n");
        return 2;
    }
    const fs::path effects = argv[1];
    const fs::path out = argv[2];
    const fs::path streamDir = out / "nbps_fuzz_effect_stream";
    const fs::path systemDir = out / "nbps_fuzz_system_xml";
    const fs::path containerDir = out / "nbps_fuzz_container";
    const fs::path imageDir = out / "nbps_fuzz_color_image";
    const fs::path checkDir = out / "nbps_fuzz_effect_check";
    for (const fs::path& dir : {streamDir, systemDir, containerDir, imageDir, checkDir})
        fs::create_directories(dir);

    std::vector<fs::path> files;
    if (fs::is_directory(effects))
        for (const fs::directory_entry& entry : fs::directory_iterator(effects))
            if (entry.is_regular_file())
                files.push_back(entry.path());

    int zipError = 0;
    zip_t* archive = zip_open((containerDir / "bundled.sc").string().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &zipError);
    std::vector<std::string> keep;   // libzip reads the buffers when the archive closes
    keep.reserve(files.size());
    int systems = 0;
    for (const fs::path& file : files) {
        const std::string ext = file.extension().string();
        keep.push_back(ReadAll(file));
        const std::string& bytes = keep.back();
        if (archive) {
            zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
            const std::string name = ext == ".par" ? file.stem().string() : file.filename().string();
            if (source && zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE) < 0)
                zip_source_free(source);
        }
        if (ext == ".par") {
            WriteAll(checkDir / file.filename(), bytes.data(), bytes.size());
            ZrStream stream;
            stream << VEXA::VexaString(bytes);
            WriteAll(streamDir / (file.stem().string() + ".bin"), stream.GetData(), stream.GetSize());
            ZrMarkup markup(bytes.c_str());
            if (markup.FindElem("QuenmarParticleEffect"))
                while (markup.FindChildElem("ParticleSystem")) {
                    VEXA::VexaString sub = markup.GetChildSubDoc();
                    WriteAll(systemDir / ("system" + std::to_string(systems++) + ".xml"), sub.GetString(),
                             static_cast<size_t>(sub.GetLength()));
                }
        } else {
            const int type = ZrFileType::ExtNameToFileType(ext.c_str());
            if (type != ZrFileType::FT_UNKNOWN) {
                std::string seed(1, static_cast<char>(type - 1));
                seed += bytes;
                WriteAll(imageDir / file.filename(), seed.data(), seed.size());
            }
        }
    }
    if (archive)
        zip_close(archive);
    return 0;
}
