#pragma once
#include "ZrPlacer.h"

namespace ZRC {

// Starts each particle a little further along a helix about the y axis.
class NBPS_API ZrScrewPlacer : public ZrPlacer {
public:
    ZrScrewPlacer();
    ~ZrScrewPlacer() override;
    int GetType() const override;
    void Place(ZrParticle* particle, double dt) override;
    ZrVector3d GetPosition() override;
    unsigned char FromXML(VEXA::VexaString& text) override;
    unsigned char ToXML(VEXA::VexaString& text) override;
    virtual void SetPosition(const ZrVector3d& position);
    unsigned char Copy(const ZrScrewPlacer& source);

    double GetElapsedTime() const { return m_dElapsedTime; }
    double GetRoundTime() const { return m_dRoundTime; }
    void SetRoundTime(double seconds) { m_dRoundTime = seconds; }
    float GetAngleSpeed() const { return m_fAngleSpeed; }
    void SetAngleSpeed(float degreesPerSecond) { m_fAngleSpeed = degreesPerSecond; }
    float GetForwardSpeed() const { return m_fForwardSpeed; }
    void SetForwardSpeed(float speed) { m_fForwardSpeed = speed; }
    float GetRadius() const { return m_fRadius; }
    void SetRadius(float radius) { m_fRadius = radius; }

private:
    ZrVector3d m_position;
    double m_dElapsedTime;
    double m_dRoundTime;
    float m_fAngleSpeed;
    float m_fForwardSpeed;
    float m_fRadius;
};

} // namespace ZRC
