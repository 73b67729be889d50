#pragma once
#include "ZrInfluence.h"
#include "ZrVector3d.h"

namespace ZRC {

// Steady wind dragging particles towards the wind velocity.
class NBPS_API ZrWindInfluence : public ZrInfluence {
public:
    ZrWindInfluence();
    ~ZrWindInfluence() override;
    void Apply(ZrParticleSystem* system, double dt) override;
    unsigned char FromXML(VEXA::VexaString& xml) override;
    unsigned char ToXML(VEXA::VexaString& xml) override;
    int GetType() const override;
    unsigned char Copy(const ZrWindInfluence& other);

    void SetWindVelocity(const ZrVector3d& velocity) { m_windVelocity = velocity; }
    ZrVector3d GetWindVelocity() const { return m_windVelocity; }
    void SetSpeed(float v) { m_fSpeed = v; }
    float GetSpeed() const { return m_fSpeed; }
    void SetTheta(float v) { m_fTheta = v; }
    float GetTheta() const { return m_fTheta; }
    void SetPhi(float v) { m_fPhi = v; }
    float GetPhi() const { return m_fPhi; }
    void SetViscosity(float v) { m_fViscosity = v; }
    float GetViscosity() const { return m_fViscosity; }
    void SetDensity(float v) { m_fDensity = v; }
    float GetDensity() const { return m_fDensity; }

private:
    ZrVector3d m_windVelocity;
    float m_fSpeed;
    float m_fTheta;
    float m_fPhi;
    float m_fViscosity;
    float m_fDensity;
};

} // namespace ZRC
