// The authoring checker on arbitrary text: every finding has a place inside
// the text and a message.
#include "EffectChecker.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 64 * 1024)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const EffectChecker::Finding& f : EffectChecker::Check(text, ""))
        if (f.line < 1 || f.column < 1 || static_cast<size_t>(f.line) > size + 1 || f.message.empty())
            std::abort();
    return 0;
}
