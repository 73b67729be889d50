#include "ZrByteArray.h"

#include <climits>
#include <cstddef>
#include <new>

namespace ZRC {

ZrByteArray::ZrByteArray() : m_growSize(0) {}
ZrByteArray::~ZrByteArray() = default;
ZrByteArray::ZrByteArray(const ZrByteArray& other) : m_data(other.m_data), m_growSize(other.m_growSize) {}

ZrByteArray& ZrByteArray::operator=(const ZrByteArray& other)
{
    if (this != &other) {
        m_data = other.m_data;
        m_growSize = other.m_growSize;
    }
    return *this;
}

int ZrByteArray::GetSize() const { return static_cast<int>(m_data.size()); }

const unsigned char* ZrByteArray::GetData() const { return m_data.empty() ? nullptr : m_data.data(); }

unsigned char* ZrByteArray::GetData() { return m_data.empty() ? nullptr : m_data.data(); }

void ZrByteArray::RemoveAll()
{
    m_data.clear();
    m_data.shrink_to_fit();
}

void ZrByteArray::SetCapacity(int capacity)
{
    if (capacity <= 0 || static_cast<size_t>(capacity) <= m_data.capacity())
        return;
    try {
        m_data.reserve(static_cast<size_t>(capacity));
    } catch (const std::bad_alloc&) {
        // The capacity is a hint; Add grows the buffer as needed.
    }
}

void ZrByteArray::SetGrowSize(int growSize) { m_growSize = growSize > 0 ? growSize : 0; }

int ZrByteArray::Add(const unsigned char* data, int count)
{
    if (!data || count <= 0)
        return GetSize();
    const size_t size = m_data.size();
    if (static_cast<size_t>(count) > static_cast<size_t>(INT_MAX) - size)
        return GetSize();
    const size_t needed = size + static_cast<size_t>(count);
    // Bytes that lie in this buffer would move with a reallocation.
    const unsigned char* begin = m_data.data();
    if (!m_data.empty() && data >= begin && data < begin + size) {
        const size_t offset = static_cast<size_t>(data - begin);
        m_data.reserve(needed);
        m_data.resize(needed);
        for (size_t i = 0; i < static_cast<size_t>(count); ++i)
            m_data[size + i] = m_data[offset + i];
        return GetSize();
    }
    if (needed > m_data.capacity()) {
        // Grow by at least the growth step, and geometrically so that many
        // small appends stay linear.
        size_t target = m_data.capacity() + static_cast<size_t>(m_growSize);
        const size_t geometric = m_data.capacity() + m_data.capacity() / 2;
        if (target < geometric)
            target = geometric;
        if (target < needed)
            target = needed;
        if (target > static_cast<size_t>(INT_MAX))
            target = static_cast<size_t>(INT_MAX);
        m_data.reserve(target);
    }
    m_data.insert(m_data.end(), data, data + count);
    return GetSize();
}

void ZrByteArray::SetSize(int size) { m_data.resize(size > 0 ? static_cast<size_t>(size) : 0); }

} // namespace ZRC
