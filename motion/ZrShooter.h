#pragma once
#include "NbExport.h"
#include "VexaString.h"
#include "ZrVector3d.h"

namespace ZRC {

class ZrParticle;

// Gives each new particle its start velocity. Type codes: 1 radial, 2 single.
class NBPS_API ZrShooter {
public:
    ZrShooter();
    virtual ~ZrShooter();
    virtual int GetType() const;
    virtual void Shoot(ZrParticle* particle, double dt) = 0;
    virtual unsigned char FromXML(VEXA::VexaString& xml) = 0;
    virtual unsigned char ToXML(VEXA::VexaString& xml) = 0;
    virtual void SetDirection(ZrVector3d direction);

    void SetSpeedRange(float start, float end) { m_fSpeedStart = start; m_fSpeedEnd = end; }
    void GetSpeedRange(float& start, float& end) const { start = m_fSpeedStart; end = m_fSpeedEnd; }

    static ZrShooter* Clone(const ZrShooter* src);

protected:
    ZrShooter(const ZrShooter&) = default;
    ZrShooter& operator=(const ZrShooter&) = default;

    // One of 100 evenly spaced values from start up to start + 0.99 * (end - start):
    // one ZrRandomStream::Draw() % 100 times the single-precision 0.01.
    static float DrawInRange(float start, float end);

    float m_fSpeedStart;
    float m_fSpeedEnd;
};

} // namespace ZRC
