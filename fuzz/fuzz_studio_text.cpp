// The studio's reading of an editor's text, which a browser sends: on any
// bytes, every numeric field found is a run of text that markup closes on
// either side, and a JSON string made of the text is valid UTF-8 without raw
// control characters.
#include "DocumentFields.h"
#include "JsonWriter.h"
#include "TextPositions.h"

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>

using namespace nbparticle;

namespace {

bool ValidJsonText(const std::string& s)
{
    std::mbstate_t state{};
    for (size_t i = 0; i < s.size();) {
        if (static_cast<unsigned char>(s[i]) < 0x20)
            return false;
        wchar_t c;
        const size_t n = std::mbrtowc(&c, s.data() + i, s.size() - i, &state);
        if (n == 0 || n > 4)
            return false;
        i += n;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool utf8 = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    if (size > 64 * 1024)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const TextPositions positions(text);
    for (const DocumentFields::System& system : DocumentFields::Find(text)) {
        if (system.begin >= text.size() || text[system.begin] != '<')
            std::abort();
        for (const DocumentFields::Field& f : system.fields) {
            // The text ends at the next markup, which need not be the end tag:
            // a comment or a child element may follow the number.
            if (f.begin == 0 || f.begin > f.end || f.end >= text.size() || text[f.begin - 1] != '>' ||
                text[f.end] != '<' || text.compare(f.begin, f.end - f.begin, f.text) != 0)
                std::abort();
            const TextPositions::Position at = positions.At(f.begin), end = positions.At(f.end);
            if (end.line < at.line || (end.line == at.line && end.ch < at.ch))
                std::abort();
        }
    }
    if (utf8 && !ValidJsonText(JsonWriter::Quote(text)))
        std::abort();
    return 0;
}
