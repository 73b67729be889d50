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

    // One class-specific number of the "Placer" element: exactly one of the
    // two pointers is set, to the member that is written and read.
    struct DocField {
        const char* name;
        double* doubleValue;
        float* floatValue;
    };

    // The "Placer" element shared by every placer class: "PlacerType" with the
    // class's tag, "Position" with its three components, then the given
    // fields in order. Reading fails, changing nothing, on a missing element
    // or a foreign tag; a missing child leaves its member as it was.
    static unsigned char ReadPlacerDocument(VEXA::VexaString& text, const char* tag, ZrVector3d& position,
                                            const DocField* fields, int fieldCount);
    static unsigned char WritePlacerDocument(VEXA::VexaString& text, const char* tag, const ZrVector3d& position,
                                             const DocField* fields, int fieldCount);
};

} // namespace ZRC
