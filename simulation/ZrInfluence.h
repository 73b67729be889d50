#pragma once
#include "NbExport.h"
#include "VexaString.h"

namespace ZRC {

class ZrParticleSystem;

// Abstract influence: changes the velocities of a system's live particles
// once per frame. Type codes: 1 acceleration, 2 wind, 3 random wind.
class NBPS_API ZrInfluence {
public:
    ZrInfluence();
    virtual ~ZrInfluence();
    virtual void Apply(ZrParticleSystem* system, double dt) = 0;
    virtual unsigned char FromXML(VEXA::VexaString& xml) = 0;
    virtual unsigned char ToXML(VEXA::VexaString& xml) = 0;
    virtual int GetType() const;

    void SetEnabled(unsigned char enabled) { m_bEnabled = enabled; }
    unsigned char IsEnabled() const { return m_bEnabled; }

    // A new deep copy of src by its type code, or null.
    static ZrInfluence* Clone(const ZrInfluence* src);

protected:
    ZrInfluence(const ZrInfluence&) = default;
    ZrInfluence& operator=(const ZrInfluence&) = default;


    unsigned char m_bEnabled;
};

} // namespace ZRC
