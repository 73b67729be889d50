#pragma once
#include "ZrPlacer.h"

namespace ZRC {

// Starts particles at random points inside a geographic polygon (degrees,
// x = longitude, y = latitude), converted to Cartesian points on the globe
// relative to the Cartesian point of the centre.
class NBPS_API ZrPolygonPlacer : public ZrPlacer {
public:
    ZrPolygonPlacer();
    ~ZrPolygonPlacer() override;
    int GetType() const override;
    void Place(ZrParticle* particle, double dt) override;
    ZrVector3d GetPosition() override;
    unsigned char FromXML(VEXA::VexaString& text) override;
    unsigned char ToXML(VEXA::VexaString& text) override;
    void SetRegion(const VEXA::VexaArray<VEXA::VexaPoint2D>& points, VEXA::VexaPoint2D centre) override;
    virtual void SetPosition(const ZrVector3d& position);
    unsigned char Copy(const ZrPolygonPlacer& source);
    unsigned char IntersectSegment(VEXA::VexaPoint2D a0, VEXA::VexaPoint2D a1,
                                   VEXA::VexaPoint2D b0, VEXA::VexaPoint2D b1, float* y);

    const VEXA::VexaArray<VEXA::VexaPoint2D>& GetPoints() const { return m_points; }
    VEXA::VexaPoint2D GetMinCorner() const { return m_minCorner; }
    VEXA::VexaPoint2D GetMaxCorner() const { return m_maxCorner; }

private:
    ZrVector3d m_position;
    VEXA::VexaArray<VEXA::VexaPoint2D> m_points;
    VEXA::VexaPoint2D m_minCorner;
    VEXA::VexaPoint2D m_maxCorner;
};

} // namespace ZRC
