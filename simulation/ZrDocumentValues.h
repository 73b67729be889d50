#pragma once
#include "NbExport.h"
#include "VexaString.h"
#include "ZrVector3d.h"
#include "ZrVector4d.h"

namespace ZRC {

class ZrMarkup;

// The number and vector forms every document of the system shares. A number
// is element text written with "%f" (six decimals; a float is widened to
// double first) and read back with atof, so that an empty or non-numeric
// text reads as 0. A vector or colour is one element per component, named
// after a prefix followed by ":X", ":Y", ":Z" or ":R", ":G", ":B", ":A".
// The writers add children of the markup's current element (flags 0, 1);
// the readers look for children after the current child, leaving the field
// as it was when a child is not found.
class NBPS_API ZrDocumentValues {
public:
    static VEXA::VexaString FormatNumber(double value);
    static void AddNumber(ZrMarkup& doc, const char* name, double value);
    static void ReadNumber(ZrMarkup& doc, const char* name, float& field);
    static void ReadNumber(ZrMarkup& doc, const char* name, double& field);

    // The three components "prefix:X" ... at the current level.
    static void AddComponents(ZrMarkup& doc, const char* prefix, const ZrVector3d& value);
    static void ReadComponents(ZrMarkup& doc, const char* prefix, ZrVector3d& value);

    // An element "name" holding the components "name:X" ... of a vector, or
    // "name:R" ... of a colour.
    static void AddVector(ZrMarkup& doc, const char* name, const ZrVector3d& value);
    static void ReadVector(ZrMarkup& doc, const char* name, ZrVector3d& value);
    static void AddColor(ZrMarkup& doc, const char* name, const ZrVector4d& value);
    static void ReadColor(ZrMarkup& doc, const char* name, ZrVector4d& value);
};

} // namespace ZRC
