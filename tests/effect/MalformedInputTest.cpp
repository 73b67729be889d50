// Truncated and mutated copies of a bundled effect document fed to the
// readers: each must give a result and leave a usable object, never read
// outside a buffer (the sanitizer run checks that part).
#include "NbTestSupport.h"
#include "ZrParticleEffect.h"
#include "ZrParticleSystem.h"
#include "ZrStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace ZRC;

namespace {

std::string Fire()
{
    return nbtest::ReadFile(std::string(NBPS_SOURCE_DIR) + "/effects/fire.par");
}

// Loads the text through a stream, then runs a few bounded frames.
unsigned char LoadAndRun(const std::string& text)
{
    ZrStream stream;
    stream << VEXA::VexaString(text);
    ZrParticleEffect effect;
    const unsigned char result = effect.Load(stream);
    for (int i = 0; i < effect.GetParticleSystemNum(); ++i) {
        ZrParticleSystem* s = effect.GetParticleSystem(i);
        s->SetCountPerSecond(std::min(std::max(s->GetCountPerSecond(), 0), 2000));
    }
    for (int frame = 0; frame < 3; ++frame) {
        effect.Update(0.05);
        effect.AfterRender(0.05);
    }
    effect.ComputeBoundingBox();
    return result;
}

} // namespace

TEST(MalformedInput, TruncatedDocumentsFail)
{
    const std::string full = Fire();
    ASSERT_FALSE(full.empty());
    ASSERT_EQ(LoadAndRun(full), 1);
    const size_t closing = full.rfind("</QuenmarParticleEffect>");
    ASSERT_NE(closing, std::string::npos);
    for (size_t n = 0; n < closing; n += 7)
        EXPECT_EQ(LoadAndRun(full.substr(0, n)), 0) << "length " << n;

    // The particle system reader on its own element, cut anywhere.
    const size_t start = full.find("<ParticleSystem>");
    const size_t end = full.find("</ParticleSystem>");
    for (size_t n = start; n < end; n += 5) {
        ZrParticleSystem system;
        VEXA::VexaString text(full.substr(start, n - start));
        EXPECT_EQ(system.FromXML(text), 0) << "length " << n;
    }
}

TEST(MalformedInput, MutatedDocumentsNeverBreakTheReaders)
{
    const std::string full = Fire();
    const char* const replacements[] = {"1e308", "-1e308", "nan", "inf", "-99999999999", "", "0", "<", "&#0;",
                                        "</ParticleSystem>", "<Emitter>"};
    unsigned int seed = 12345u;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xffffffu;
    };
    int read = 0;
    for (int round = 0; round < 400; ++round) {
        std::string text = full;
        const int edits = 1 + static_cast<int>(next() % 4);
        for (int e = 0; e < edits; ++e) {
            const size_t pos = next() % text.size();
            if (next() % 2 == 0) {
                // Replace the element text at pos (up to the next tag) by an odd value.
                const size_t stop = text.find('<', pos);
                const size_t len = stop == std::string::npos ? 0 : stop - pos;
                text.replace(pos, len, replacements[next() % (sizeof(replacements) / sizeof(*replacements))]);
            } else {
                text[pos] = static_cast<char>(next() & 0xff);
            }
        }
        const unsigned char result = LoadAndRun(text);
        EXPECT_TRUE(result == 0 || result == 1);
        read += result;
    }
    // Most single edits land in element text and leave a readable document.
    EXPECT_GT(read, 0);
}
