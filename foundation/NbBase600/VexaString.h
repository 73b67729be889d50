#pragma once
#include "NbExport.h"
#include <string>

namespace VEXA {

// Text string with value semantics over 8-bit characters. A default-constructed
// string is empty. The implicit conversion to const char* yields the
// NUL-terminated text, valid until the string changes.
class NBPS_API VexaString {
public:
    VexaString();
    VexaString(const char* text);   // null reads as empty
    VexaString(const char* text, int length);
    VexaString(const std::string& text);
    VexaString(const VexaString& other);
    VexaString(VexaString&& other) noexcept;
    ~VexaString();

    VexaString& operator=(const VexaString& other);
    VexaString& operator=(VexaString&& other) noexcept;
    VexaString& operator=(const char* text);

    operator const char*() const;
    const char* GetString() const;
    int GetLength() const;
    bool IsEmpty() const;
    const std::string& Str() const;

    // printf-style formatting that replaces the whole content.
    void Format(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    VexaString operator+(const char* text) const;
    VexaString operator+(const VexaString& text) const;
    VexaString& operator+=(const char* text);

    // 0 when equal, letter case significant; otherwise the sign of the first difference.
    int Compare(const char* text) const;
    // 0 when equal ignoring ASCII letter case.
    int CompareNoCase(const char* text) const;

    bool operator<(const VexaString& other) const;
    bool operator==(const VexaString& other) const;
    bool operator==(const char* text) const;
    bool operator!=(const VexaString& other) const;
    bool operator!=(const char* text) const;

private:
    std::string m_str;
};

} // namespace VEXA
