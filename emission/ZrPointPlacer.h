#pragma once
#include "ZrPlacer.h"

namespace ZRC {

// Starts every particle at its reference position.
class NBPS_API ZrPointPlacer : public ZrPlacer {
public:
    ZrPointPlacer();
    ~ZrPointPlacer() override;
    int GetType() const override;
    void Place(ZrParticle* particle, double dt) override;
    ZrVector3d GetPosition() override;
    unsigned char FromXML(VEXA::VexaString& text) override;
    unsigned char ToXML(VEXA::VexaString& text) override;
    virtual void SetPosition(const ZrVector3d& position);
    unsigned char Copy(const ZrPointPlacer& source);

private:
    ZrVector3d m_position;
};

} // namespace ZRC
