#pragma once
#include "NbExport.h"
#include <vector>

namespace ZRC {

// Growable buffer of bytes.
class NBPS_API ZrByteArray {
public:
    ZrByteArray();
    ~ZrByteArray();
    ZrByteArray(const ZrByteArray&);
    ZrByteArray& operator=(const ZrByteArray&);

    int GetSize() const;
    const unsigned char* GetData() const;   // null when empty
    unsigned char* GetData();
    void RemoveAll();
    void SetCapacity(int capacity);
    void SetGrowSize(int growSize);
    // Appends count bytes; returns the new size. Null data or count <= 0 adds nothing.
    int Add(const unsigned char* data, int count);
    void SetSize(int size);

private:
    std::vector<unsigned char> m_data;
    int m_growSize;
};

} // namespace ZRC
