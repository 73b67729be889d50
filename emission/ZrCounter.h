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

    int m_nCountPerSecond;
};

} // namespace ZRC
