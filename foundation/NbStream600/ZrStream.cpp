#include "ZrStream.h"

#include <cstring>

namespace ZRC {

ZrStream::ZrStream() : m_readPos(0), m_failed(0) {}

ZrStream::ZrStream(const unsigned char* data, unsigned int size) : m_readPos(0), m_failed(0) { SetData(data, size); }

ZrStream::~ZrStream() = default;

ZrStream& ZrStream::operator<<(const VEXA::VexaString& text)
{
    const std::string& bytes = text.Str();
    const unsigned int length = static_cast<unsigned int>(bytes.size());
    const unsigned char prefix[4] = {static_cast<unsigned char>(length & 0xFF), static_cast<unsigned char>((length >> 8) & 0xFF),
                                     static_cast<unsigned char>((length >> 16) & 0xFF),
                                     static_cast<unsigned char>((length >> 24) & 0xFF)};
    m_data.insert(m_data.end(), prefix, prefix + 4);
    m_data.insert(m_data.end(), bytes.begin(), bytes.end());
    return *this;
}

ZrStream& ZrStream::operator>>(VEXA::VexaString& text)
{
    text = "";
    if (m_failed)
        return *this;
    const size_t size = m_data.size();
    if (size - m_readPos < 4) {
        m_failed = 1;
        return *this;
    }
    const unsigned char* p = m_data.data() + m_readPos;
    const unsigned int length = static_cast<unsigned int>(p[0]) | (static_cast<unsigned int>(p[1]) << 8) |
                                (static_cast<unsigned int>(p[2]) << 16) | (static_cast<unsigned int>(p[3]) << 24);
    if (size - m_readPos - 4 < length) {
        m_failed = 1;
        return *this;
    }
    text = VEXA::VexaString(std::string(reinterpret_cast<const char*>(p + 4), length));
    m_readPos += 4 + length;
    return *this;
}

unsigned int ZrStream::GetSize() const { return static_cast<unsigned int>(m_data.size()); }

const unsigned char* ZrStream::GetData() const { return m_data.empty() ? nullptr : m_data.data(); }

void ZrStream::SetData(const unsigned char* data, unsigned int size)
{
    // A copy first: data may point into this stream's own bytes.
    std::vector<unsigned char> bytes;
    if (data && size > 0)
        bytes.assign(data, data + size);
    m_data.swap(bytes);
    Rewind();
}

unsigned int ZrStream::GetReadPos() const { return m_readPos; }

void ZrStream::Rewind()
{
    m_readPos = 0;
    m_failed = 0;
}

unsigned char ZrStream::IsFailed() const { return m_failed; }

unsigned char ZrStream::IsEOF() const { return m_readPos >= m_data.size() ? 1 : 0; }

} // namespace ZRC
