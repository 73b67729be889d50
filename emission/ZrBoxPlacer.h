#pragma once
#include "ZrBoundingBox.h"
#include "ZrPlacer.h"

namespace ZRC {

// Starts particles at uniformly random points of an axis-aligned box.
class NBPS_API ZrBoxPlacer : public ZrPlacer {
public:
    ZrBoxPlacer();
    ~ZrBoxPlacer() override;
    int GetType() const override;
    void Place(ZrParticle* particle, double dt) override;
    ZrVector3d GetPosition() override;
    unsigned char FromXML(VEXA::VexaString& text) override;
    unsigned char ToXML(VEXA::VexaString& text) override;
    virtual unsigned char Copy(const ZrBoxPlacer& source);
    virtual void SetPosition(const ZrVector3d& position);

    // The box is not part of the document; hosts may set it directly.
    void SetBox(const ZrBoundingBox& box) { m_box = box; }
    const ZrBoundingBox& GetBox() const { return m_box; }

private:
    ZrVector3d m_position;
    ZrBoundingBox m_box;
};

} // namespace ZRC
