#include "VexaString.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

namespace VEXA {

namespace {
unsigned char LowerAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}
} // namespace

VexaString::VexaString() = default;
VexaString::VexaString(const char* text) : m_str(text ? text : "") {}
VexaString::VexaString(const char* text, int length)
    : m_str(text && length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string())
{
}
VexaString::VexaString(const std::string& text) : m_str(text) {}
VexaString::VexaString(const VexaString& other) = default;
VexaString::VexaString(VexaString&& other) noexcept : m_str(std::move(other.m_str)) {}
VexaString::~VexaString() = default;

VexaString& VexaString::operator=(const VexaString& other) = default;
VexaString& VexaString::operator=(VexaString&& other) noexcept
{
    m_str = std::move(other.m_str);
    return *this;
}
VexaString& VexaString::operator=(const char* text)
{
    m_str = text ? text : "";
    return *this;
}

VexaString::operator const char*() const { return m_str.c_str(); }
const char* VexaString::GetString() const { return m_str.c_str(); }
int VexaString::GetLength() const { return static_cast<int>(m_str.size()); }
bool VexaString::IsEmpty() const { return m_str.empty(); }
const std::string& VexaString::Str() const { return m_str; }

void VexaString::Format(const char* format, ...)
{
    if (!format) {
        m_str.clear();
        return;
    }
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed <= 0) {
        m_str.clear();
    } else {
        std::string out(static_cast<size_t>(needed) + 1, '\0');
        std::vsnprintf(&out[0], out.size(), format, args);
        out.resize(static_cast<size_t>(needed));
        m_str.swap(out);
    }
    va_end(args);
}

VexaString VexaString::operator+(const char* text) const
{
    VexaString result(*this);
    result += text;
    return result;
}

VexaString VexaString::operator+(const VexaString& text) const
{
    VexaString result(*this);
    result.m_str += text.m_str;
    return result;
}

VexaString& VexaString::operator+=(const char* text)
{
    if (text)
        m_str += text;
    return *this;
}

int VexaString::Compare(const char* text) const
{
    return std::strcmp(m_str.c_str(), text ? text : "");
}

int VexaString::CompareNoCase(const char* text) const
{
    const unsigned char* a = reinterpret_cast<const unsigned char*>(m_str.c_str());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(text ? text : "");
    for (;; ++a, ++b) {
        const unsigned char ca = LowerAscii(*a);
        const unsigned char cb = LowerAscii(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

bool VexaString::operator<(const VexaString& other) const { return m_str < other.m_str; }
bool VexaString::operator==(const VexaString& other) const { return m_str == other.m_str; }
bool VexaString::operator==(const char* text) const { return Compare(text) == 0; }
bool VexaString::operator!=(const VexaString& other) const { return !(*this == other); }
bool VexaString::operator!=(const char* text) const { return !(*this == text); }

} // namespace VEXA
