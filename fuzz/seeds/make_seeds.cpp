// Writes the seed corpora of the fuzz targets from the bundled effects:
//   make_seeds EFFECTS_DIR OUT_DIR
// OUT_DIR/nbps_fuzz_effect_stream   the effect documents as saved streams
// OUT_DIR/nbps_fuzz_system_xml      each "ParticleSystem" element on its own
// OUT_DIR/nbps_fuzz_container       a container holding every bundled file
// OUT_DIR/nbps_fuzz_color_image     the bundled images with their type byte
// OUT_DIR/nbps_fuzz_effect_check     the effect documents as they are
// OUT_DIR/nbps_fuzz_studio_text      the same
// plus hostile shapes for the document targets: nesting at and past the depth
// limit, huge particle counts, immortal particles and non-finite numbers.
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

// "ParticleSystem" elements that ask for the worst: a counter of count, a
// life time, and v (or -v) for every number of the emitter and influences.
std::string HostileSystem(const std::string& counter, const std::string& count, const std::string& life,
                          const std::string& v)
{
    auto el = [](const std::string& name, const std::string& text) { return "<" + name + ">" + text + "</" + name + ">"; };
    return "<ParticleSystem><Emitter>" + el("EmitterType", "CommonEmitter") + el("Counter", el("CounterType", counter) + el("NumPerSecond", count)) +
           el("Placer", el("PlacerType", "ScrewPlacer") + el("Position", el("Position:X", v)) + el("RoundTime", "0") +
                            el("AngleSpeed", v) + el("ForwordSpeed", v) + el("Radius", v)) +
           el("Shooter", el("ShooterType", "RadialShooter") + el("SpeedRangeStart", v) + el("SpeedRangeEnd", "-" + v)) +
           el("ParticleTemple", el("SizeRangeStart", v) + el("SizeRangeEnd", "-" + v) + el("LifeTime", life) +
                                    el("Radius", v)) +
           "</Emitter>" + el("Influence", el("InfluenceType", "WindInfluence") + el("Speed", v) + el("Density", v)) +
           el("Influence", el("InfluenceType", "AccelInfluence") + el("Accel", el("AccelDirection:X", v) + el("AccelSize", v))) +
           "</ParticleSystem>";
}

std::vector<std::string> HostileSystems()
{
    std::vector<std::string> systems = {HostileSystem("FadeCounter", "2147483647", "1", "1"),
                                        HostileSystem("CommonCounter", "2000000000", "0", "3.4e38"),
                                        HostileSystem("CommonCounter", "99999999999", "nan", "nan"),
                                        HostileSystem("FadeCounter", "100", "inf", "1e308"),
                                        HostileSystem("CommonCounter", "5", "1e38", "1")};
    for (int depth : {250, 300}) {
        std::string nest = "<ParticleSystem>";
        for (int i = 0; i < depth; ++i)
            nest += "<n>";
        for (int i = 0; i < depth; ++i)
            nest += "</n>";
        systems.push_back(nest + "</ParticleSystem>");
    }
    return systems;
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
    const fs::path studioDir = out / "nbps_fuzz_studio_text";
    for (const fs::path& dir : {streamDir, systemDir, containerDir, imageDir, checkDir, studioDir})
        fs::create_directories(dir);

    std::vector<fs::path> files;
    if (fs::is_directory(effects))
        for (const fs::directory_entry& entry : fs::directory_iterator(effects))
            if (entry.is_regular_file())
                files.push_back(entry.path());

    // A 64 x 1 PNG whose second data chunk declares a gigabyte it does not hold.
    const unsigned char lyingPng[] = {1, 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                      0, 0, 0, 64, 0, 0, 0, 1, 8, 6, 0, 0, 0, 0x6e, 0x6d, 0xa8, 0x17,
                                      0, 0, 0, 4, 'I', 'D', 'A', 'T', 0x78, 0x5e, 0x63, 0xfc, 0, 0, 0, 0,
                                      0x40, 0, 0, 0, 'I', 'D', 'A', 'T', 0xff, 0x3f, 0xc3, 0x9f};
    std::ofstream(imageDir / "lying-length.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(lyingPng), sizeof lyingPng);

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
            WriteAll(studioDir / file.filename(), bytes.data(), bytes.size());
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

    int hostile = 0;
    for (const std::string& system : HostileSystems()) {
        WriteAll(systemDir / ("hostile" + std::to_string(hostile) + ".xml"), system.data(), system.size());
        ZrStream stream;
        stream << VEXA::VexaString("<QuenmarParticleEffect><EffectType>FireEffect</EffectType>" + system +
                                   "</QuenmarParticleEffect>");
        WriteAll(streamDir / ("hostile" + std::to_string(hostile++) + ".bin"), stream.GetData(), stream.GetSize());
    }
    return 0;
}
