#pragma once
#include "ZrShooter.h"

namespace ZRC {

// Fires every particle along one (unnormalised) direction vector.
class NBPS_API ZrSingleShooter : public ZrShooter {
public:
    ZrSingleShooter();
    ~ZrSingleShooter() override;
    int GetType() const override;
    void Shoot(ZrParticle* particle, double dt) override;
    unsigned char FromXML(VEXA::VexaString& xml) override;
    unsigned char ToXML(VEXA::VexaString& xml) override;
    void SetDirection(ZrVector3d direction) override;
    ZrVector3d GetDirection() const { return m_direction; }
    unsigned char Copy(const ZrSingleShooter& other);

private:
    ZrVector3d m_direction;
};

} // namespace ZRC
