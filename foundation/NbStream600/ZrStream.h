#pragma once
#include "NbExport.h"
#include "VexaString.h"
#include <vector>

namespace ZRC {

// In-memory binary stream. A default-constructed stream is empty; << appends
// at the end, >> reads from a read position that starts at the beginning.
// A string is encoded as its length (u32, little endian) followed by its bytes.
// A read that would pass the end sets the fail state, leaves the read position
// where it was and yields an empty string.
class NBPS_API ZrStream {
public:
    ZrStream();
    ZrStream(const unsigned char* data, unsigned int size);
    ~ZrStream();

    ZrStream& operator<<(const VEXA::VexaString& text);
    ZrStream& operator>>(VEXA::VexaString& text);

    unsigned int GetSize() const;
    const unsigned char* GetData() const;
    void SetData(const unsigned char* data, unsigned int size);   // replaces content, rewinds
    unsigned int GetReadPos() const;
    void Rewind();                  // read position to 0, fail state cleared
    unsigned char IsFailed() const;
    unsigned char IsEOF() const;

private:
    std::vector<unsigned char> m_data;
    unsigned int m_readPos;
    unsigned char m_failed;
};

} // namespace ZRC
