#pragma once
#include "NbExport.h"
#include <functional>
#include <map>

namespace VEXA {

// Ordered dictionary over std::map with position-based iteration. Values are
// held as they are: a dictionary of pointers owns nothing.
template <class K, class V, class Cmp = std::less<K>>
class VexaDict {
public:
    typedef typename std::map<K, V, Cmp>::const_iterator POSITION;

    VexaDict() = default;
    VexaDict(const VexaDict& other) : m_map(other.m_map) {}
    VexaDict& operator=(const VexaDict& other)
    {
        if (this != &other)
            m_map = other.m_map;
        return *this;
    }
    ~VexaDict() = default;

    unsigned char Lookup(const K& key, V& value) const
    {
        typename std::map<K, V, Cmp>::const_iterator it = m_map.find(key);
        if (it == m_map.end())
            return 0;
        value = it->second;
        return 1;
    }
    void SetAt(const K& key, const V& value) { m_map[key] = value; }
    V& operator[](const K& key) { return m_map[key]; }
    unsigned char RemoveKey(const K& key) { return m_map.erase(key) > 0 ? 1 : 0; }
    void RemoveAll() { m_map.clear(); }
    int GetCount() const { return static_cast<int>(m_map.size()); }
    POSITION GetStartPosition() const { return m_map.begin(); }
    unsigned char IsEOF(POSITION pos) const { return pos == m_map.end() ? 1 : 0; }
    void GetNextAssoc(POSITION& pos, K& key, V& value) const
    {
        key = pos->first;
        value = pos->second;
        ++pos;
    }

private:
    std::map<K, V, Cmp> m_map;
};

} // namespace VEXA

// The instantiations exported by the library.
#include "VexaInstances.h"
