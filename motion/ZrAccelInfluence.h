#pragma once
#include "ZrInfluence.h"
#include "ZrVector3d.h"

namespace ZRC {

// Constant acceleration (direction x size), such as gravity.
class NBPS_API ZrAccelInfluence : public ZrInfluence {
public:
    ZrAccelInfluence();
    ~ZrAccelInfluence() override;
    void Apply(ZrParticleSystem* system, double dt) override;
    unsigned char FromXML(VEXA::VexaString& xml) override;
    unsigned char ToXML(VEXA::VexaString& xml) override;
    int GetType() const override;

    void SetAccelDirection(const ZrVector3d& direction) { m_direction = direction; }
    void GetAccelDirection(ZrVector3d& out) const { out = m_direction; }
    void SetAccelSize(float size) { m_fSize = size; }
    void GetAccelSize(float& out) const { out = m_fSize; }
    unsigned char Copy(const ZrAccelInfluence& other);

private:
    ZrVector3d m_direction;
    float m_fSize;
};

} // namespace ZRC
