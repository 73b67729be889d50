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

// Loads the text through a stream, then runs a few bounded frames.
int LoadAndRun(const std::string& text)
{
    ZrStream stream;
    stream << VEXA::VexaString(text);
    ZrParticleEffect effect;
    const int result = effect.Load(stream);
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

TEST(MalformedInput, TruncatedAndMutatedDocumentsNeverBreakTheReaders)
{
    const std::string full = nbtest::ReadFile(std::string(NBPS_SOURCE_DIR) + "/effects/fire.par");
    ASSERT_EQ(LoadAndRun(full), 1);
    for (size_t n = 0; n < full.rfind("</QuenmarParticleEffect>"); n += 7)
        EXPECT_EQ(LoadAndRun(full.substr(0, n)), 0) << "length " << n;
    const size_t start = full.find("<ParticleSystem>"), end = full.find("</ParticleSystem>");
    for (size_t n = start; n < end; n += 5) {   // the system reader on its own element, cut anywhere
        VEXA::VexaString text(full.substr(start, n - start));
        EXPECT_EQ(ZrParticleSystem().FromXML(text), 0) << "length " << n;
    }

    const char* const odd[] = {"1e308", "-1e308", "nan", "inf", "-99999999999", "", "0", "<", "&#0;", "</ParticleSystem>", "<Emitter>"};
    unsigned int seed = 12345u;
    auto next = [&seed] { return ((seed = seed * 1103515245u + 12345u) >> 8) & 0xffffffu; };
    int read = 0;
    for (int round = 0; round < 400; ++round) {
        std::string text = full;
        for (int e = 1 + static_cast<int>(next() % 4); e > 0; --e) {
            const size_t pos = next() % text.size();
            if (next() % 2 == 0) {   // the element text at pos, up to the next tag, by an odd value
                const size_t stop = text.find('<', pos);
                text.replace(pos, stop == std::string::npos ? 0 : stop - pos, odd[next() % (sizeof(odd) / sizeof(*odd))]);
            } else {
                text[pos] = static_cast<char>(next() & 0xff);
            }
        }
        read += LoadAndRun(text);
    }
    EXPECT_GT(read, 0);   // most edits land in element text and leave a readable document
}
