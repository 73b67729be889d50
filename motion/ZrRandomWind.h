#pragma once
#include "ZrInfluence.h"
#include "ZrVector3d.h"

namespace ZRC {

// Wind whose velocity is drawn anew in every frame; its force grows in over
// the first power-time seconds of each particle's life.
class NBPS_API ZrRandomWind : public ZrInfluence {
public:
    ZrRandomWind();
    ~ZrRandomWind() override;
    void Apply(ZrParticleSystem* system, double dt) override;
    unsigned char FromXML(VEXA::VexaString& xml) override;
    unsigned char ToXML(VEXA::VexaString& xml) override;
    int GetType() const override;
    unsigned char Copy(const ZrRandomWind& other);

    ZrVector3d GetWindVelocity() const { return m_windVelocity; }
    void SetWindVelocity(const ZrVector3d& v) { m_windVelocity = v; }
    void SetSpeedRange(float start, float end) { m_fSpeedStart = start; m_fSpeedEnd = end; }
    void GetSpeedRange(float& start, float& end) const { start = m_fSpeedStart; end = m_fSpeedEnd; }
    void SetThetaRange(float start, float end) { m_fThetaStart = start; m_fThetaEnd = end; }
    void GetThetaRange(float& start, float& end) const { start = m_fThetaStart; end = m_fThetaEnd; }
    void SetPhiRange(float start, float end) { m_fPhiStart = start; m_fPhiEnd = end; }
    void GetPhiRange(float& start, float& end) const { start = m_fPhiStart; end = m_fPhiEnd; }
    void SetViscosity(float v) { m_fViscosity = v; }
    float GetViscosity() const { return m_fViscosity; }
    void SetDensity(float v) { m_fDensity = v; }
    float GetDensity() const { return m_fDensity; }
    void SetPowerTime(double seconds) { m_dPowerTime = seconds; }
    double GetPowerTime() const { return m_dPowerTime; }

private:
    void RandomizeWind();

    ZrVector3d m_windVelocity;
    float m_fSpeedStart;
    float m_fSpeedEnd;
    float m_fThetaStart;
    float m_fThetaEnd;
    float m_fPhiStart;
    float m_fPhiEnd;
    float m_fViscosity;
    float m_fDensity;
    double m_dPowerTime;
};

} // namespace ZRC
