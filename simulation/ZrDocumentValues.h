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
//
// Finite-number rule (every document reader goes through these helpers): a
// number text is accepted only when it parses to a finite value whose
// magnitude fits a float (at most FLT_MAX, for double fields as well, so that
// sums and products of two document values stay finite in double arithmetic).
// Any other text ("nan", "inf", "1e308") reads exactly like a text that does
// not parse: 0. A field may ask for a smaller magnitude limit (the particle's
// size and alpha ranges, which are interpolated in single precision); beyond
// it the text also reads 0. Whole numbers read with ParseWholeNumber.
// The writers add children of the markup's current element (flags 0, 1);
// the readers look for children after the current child, leaving the field
// as it was when a child is not found.
class NBPS_API ZrDocumentValues {
public:
    // The value of a number text by the rule above (limit: largest magnitude
    // accepted).
    static double ParseNumber(const char* text, double limit = kMaxMagnitude);
    // A value by the same rule: itself when finite and of magnitude at most
    // limit, else 0. The setters that take such values from callers use it too.
    static double Bounded(double value, double limit = kMaxMagnitude);
    // The leading whole number of a text (atoi), except that a number beyond the
    // range of int saturates at INT_MAX or INT_MIN instead of overflowing: an
    // author who writes a huge count means "as many as possible", and the pool
    // budgets bound what that costs.
    static int ParseWholeNumber(const char* text);
    // A value converted to int by the same rule: truncated toward zero,
    // saturated at INT_MAX or INT_MIN beyond the range of int, and 0 for NaN.
    // Every value a document sets that is handed out as an int goes through it.
    static int ToWholeNumber(double value);
    static const double kMaxMagnitude;

    static VEXA::VexaString FormatNumber(double value);
    static void AddNumber(ZrMarkup& doc, const char* name, double value);
    static void ReadNumber(ZrMarkup& doc, const char* name, float& field, double limit = kMaxMagnitude);
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
