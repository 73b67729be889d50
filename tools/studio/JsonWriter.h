#pragma once
#include <string>

namespace nbparticle {

// Builds a JSON text: objects, arrays, keys and values in order, with the
// commas between them. Strings are written as valid UTF-8 whatever they
// hold: a byte that does not belong to a well-formed character becomes
// U+FFFD, and control characters are escaped.
class JsonWriter {
public:
    JsonWriter& Open(char bracket);    // '{' or '['
    JsonWriter& Close(char bracket);   // '}' or ']'
    JsonWriter& Key(const std::string& key);
    JsonWriter& String(const std::string& value);
    JsonWriter& Number(double value);  // a value that is not finite is written as null
    JsonWriter& Int(long long value);
    JsonWriter& Bool(bool value);
    // A JSON text made elsewhere, written as it is.
    JsonWriter& Raw(const std::string& json);
    const std::string& Text() const { return m_out; }

    static std::string Quote(const std::string& text);

private:
    void Separate();

    std::string m_out;
    bool m_comma = false;
};

} // namespace nbparticle
