#pragma once
#include "ZrPlacer.h"

namespace ZRC {

// Starts particles on a flat disc (parallel to x-z) around its position.
class NBPS_API ZrRegionPlacer : public ZrPlacer {
public:
    ZrRegionPlacer();
    ~ZrRegionPlacer() override;
    int GetType() const override;
    void Place(ZrParticle* particle, double dt) override;
    ZrVector3d GetPosition() override;
    unsigned char FromXML(VEXA::VexaString& text) override;
    unsigned char ToXML(VEXA::VexaString& text) override;
    virtual void SetPosition(const ZrVector3d& position);
    unsigned char Copy(const ZrRegionPlacer& source);
    void SetRadius(float radius) { m_fRadius = radius; }
    float GetRadius() const { return m_fRadius; }

private:
    ZrVector3d m_position;
    float m_fRadius;
};

} // namespace ZRC
