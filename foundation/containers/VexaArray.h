#pragma once
#include "NbExport.h"
#include <cstddef>
#include <vector>

namespace VEXA {

// Growable array over std::vector with a growth step: when an Add finds the
// array full and the step is above 0, the capacity is first raised by the step.
template <class T>
class VexaArray {
public:
    VexaArray() : m_nGrowBy(0) {}
    VexaArray(const VexaArray& other) : m_data(other.m_data), m_nGrowBy(other.m_nGrowBy) {}
    VexaArray& operator=(const VexaArray& other)
    {
        if (this != &other) {
            m_data = other.m_data;
            m_nGrowBy = other.m_nGrowBy;
        }
        return *this;
    }
    ~VexaArray() = default;

    void Copy(const VexaArray& other)
    {
        if (this != &other)
            *this = other;
    }
    int GetSize() const { return static_cast<int>(m_data.size()); }
    int GetCapacity() const { return static_cast<int>(m_data.capacity()); }
    T* GetData() { return m_data.empty() ? nullptr : m_data.data(); }
    const T* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }
    // Throws std::out_of_range for an index outside 0 .. size - 1.
    T& operator[](int index) { return m_data.at(CheckedIndex(index)); }
    const T& operator[](int index) const { return m_data.at(CheckedIndex(index)); }
    int Add(const T& value)
    {
        if (m_nGrowBy > 0 && m_data.size() == m_data.capacity())
            m_data.reserve(m_data.capacity() + static_cast<std::size_t>(m_nGrowBy));
        m_data.push_back(value);
        return static_cast<int>(m_data.size()) - 1;
    }
    int Append(const VexaArray& other)
    {
        const int oldSize = GetSize();
        if (this == &other) {
            std::vector<T> copy(other.m_data);
            m_data.insert(m_data.end(), copy.begin(), copy.end());
        } else {
            m_data.insert(m_data.end(), other.m_data.begin(), other.m_data.end());
        }
        return oldSize;
    }
    void FreeExtra()
    {
        if (m_data.capacity() > m_data.size())
            m_data.shrink_to_fit();
    }
    void RemoveAll()
    {
        m_data.clear();
        FreeExtra();
    }
    void SetGrowBy(int growBy) { m_nGrowBy = growBy; }
    int GetGrowBy() const { return m_nGrowBy; }

private:
    static std::size_t CheckedIndex(int index)
    {
        // A negative index becomes a huge size_t, which at() rejects.
        return static_cast<std::size_t>(static_cast<long long>(index));
    }

    std::vector<T> m_data;
    int m_nGrowBy;
};

} // namespace VEXA

// The instantiations exported by the library.
#include "VexaInstances.h"
