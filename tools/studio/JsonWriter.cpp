#include "JsonWriter.h"

#include <cmath>
#include <cstdio>

namespace nbparticle {
namespace {

// The length of the well-formed UTF-8 character at s[i], or 0.
size_t CharLength(const std::string& s, size_t i)
{
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > s.size())
        return 0;
    unsigned long code = n == 1 ? c : c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
        const unsigned char t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (t & 0x3F);
    }
    // Overlong forms, surrogates and values past the last code point.
    static const unsigned long kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[n] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return n;
}

} // namespace

void JsonWriter::Separate()
{
    if (m_comma)
        m_out += ',';
    m_comma = true;
}

JsonWriter& JsonWriter::Open(char bracket)
{
    Separate();
    m_out += bracket;
    m_comma = false;
    return *this;
}

JsonWriter& JsonWriter::Close(char bracket)
{
    m_out += bracket;
    m_comma = true;
    return *this;
}

JsonWriter& JsonWriter::Key(const std::string& key)
{
    Separate();
    m_out += Quote(key);
    m_out += ':';
    m_comma = false;
    return *this;
}

JsonWriter& JsonWriter::String(const std::string& value)
{
    Separate();
    m_out += Quote(value);
    return *this;
}

JsonWriter& JsonWriter::Number(double value)
{
    Separate();
    if (!std::isfinite(value)) {
        m_out += "null";
        return *this;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    m_out += text;
    return *this;
}

JsonWriter& JsonWriter::Int(long long value)
{
    Separate();
    m_out += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value)
{
    Separate();
    m_out += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Raw(const std::string& json)
{
    Separate();
    m_out += json;
    return *this;
}

std::string JsonWriter::Quote(const std::string& text)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t n = CharLength(text, i);
        if (n == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out.append(text, i, n);
        }
        i += n;
    }
    return out + "\"";
}

} // namespace nbparticle
