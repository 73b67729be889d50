#pragma once
#include "NbExport.h"
#include "VexaString.h"

namespace ZRC {

// How many particles the emitter creates in one time step.
class NBPS_API ZrCounter {
public:
    ZrCounter();
    virtual ~ZrCounter();
    virtual int GetType() const;
    virtual int GetCount(double dt) = 0;
    virtual unsigned char FromXML(VEXA::VexaString& xml) = 0;
    virtual unsigned char ToXML(VEXA::VexaString& xml) = 0;
    virtual unsigned char Reset();

    void SetCountPerSecond(int count) { m_nCountPerSecond = count; }
    int GetCountPerSecond() const { return m_nCountPerSecond; }

    // A new deep copy: type 1 common, 2 fade; null otherwise.
    static ZrCounter* Clone(const ZrCounter* src);

protected:
    ZrCounter(const ZrCounter&) = default;
    ZrCounter& operator=(const ZrCounter&) = default;

    // The "Counter" element shared by the concrete counters: the type tag and
    // "NumPerSecond". Reading fails on a missing element or a foreign tag and
    // then leaves countPerSecond untouched.
    static unsigned char ReadCounterDocument(VEXA::VexaString& xml, const char* typeName, int& countPerSecond);
    static unsigned char WriteCounterDocument(VEXA::VexaString& xml, const char* typeName, int countPerSecond);

    int m_nCountPerSecond;
};

} // namespace ZRC
