#pragma once
#include "ZrShooter.h"

namespace ZRC {

// Fires particles in random directions within polar (from +Y) and azimuth
// (X-Z plane, from +X towards +Z) angle ranges, degrees.
class NBPS_API ZrRadialShooter : public ZrShooter {
public:
    ZrRadialShooter();
    ~ZrRadialShooter() override;
    int GetType() const override;
    void Shoot(ZrParticle* particle, double dt) override;
    unsigned char FromXML(VEXA::VexaString& xml) override;
    unsigned char ToXML(VEXA::VexaString& xml) override;
    unsigned char Copy(const ZrRadialShooter& other);

    void SetThetaRange(float start, float end) { m_fThetaStart = start; m_fThetaEnd = end; }
    void GetThetaRange(float& start, float& end) const { start = m_fThetaStart; end = m_fThetaEnd; }
    void SetPhiRange(float start, float end) { m_fPhiStart = start; m_fPhiEnd = end; }
    void GetPhiRange(float& start, float& end) const { start = m_fPhiStart; end = m_fPhiEnd; }

private:
    float m_fThetaStart;
    float m_fThetaEnd;
    float m_fPhiStart;
    float m_fPhiEnd;
};

} // namespace ZRC
