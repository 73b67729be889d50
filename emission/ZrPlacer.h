#pragma once
#include "NbExport.h"
#include "VexaArray.h"
#include "VexaPoint2D.h"
#include "VexaString.h"
#include "ZrVector3d.h"

namespace ZRC {

class ZrParticle;

// Decides where a newly created particle starts. Type codes: 1 box, 2 point,
// 3 polygon, 4 region, 5 screw.
class NBPS_API ZrPlacer {
public:
    ZrPlacer();
    virtual ~ZrPlacer();
    virtual int GetType() const;
    virtual void Place(ZrParticle* particle, double dt) = 0;
    virtual ZrVector3d GetPosition() = 0;
    virtual unsigned char FromXML(VEXA::VexaString& text) = 0;
    virtual unsigned char ToXML(VEXA::VexaString& text) = 0;
    virtual void SetRegion(const VEXA::VexaArray<VEXA::VexaPoint2D>& points, VEXA::VexaPoint2D centre);

    // A new copy of any placer, dispatching on GetType; null for null or an unknown type.
    static ZrPlacer* Clone(const ZrPlacer* source);

protected:
    ZrPlacer(const ZrPlacer&) = default;
    ZrPlacer& operator=(const ZrPlacer&) = default;
};

} // namespace ZRC
