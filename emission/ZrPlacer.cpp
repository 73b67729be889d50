#include "ZrPlacer.h"

#include "ZrBoxPlacer.h"
#include "ZrDocumentLayout.h"
#include "ZrDocumentValues.h"
#include "ZrMarkup.h"
#include "ZrPointPlacer.h"
#include "ZrPolygonPlacer.h"
#include "ZrRegionPlacer.h"
#include "ZrScrewPlacer.h"

#include <cstdlib>

namespace ZRC {

namespace {

// A new placer of class T copied from source, or null when source is not a T
// after all (a foreign class reporting a known type code).
template <class T>
ZrPlacer* CloneAs(const ZrPlacer* source)
{
    const T* typed = dynamic_cast<const T*>(source);
    if (typed == nullptr)
        return nullptr;
    T* copy = new T();
    copy->Copy(*typed);
    return copy;
}

} // namespace

ZrPlacer::ZrPlacer() = default;

ZrPlacer::~ZrPlacer() = default;

int ZrPlacer::GetType() const { return 0; }

void ZrPlacer::SetRegion(const VEXA::VexaArray<VEXA::VexaPoint2D>& /*points*/, VEXA::VexaPoint2D /*centre*/) {}

ZrPlacer* ZrPlacer::Clone(const ZrPlacer* source)
{
    if (source == nullptr)
        return nullptr;
    switch (source->GetType()) {
    case 1:
        return CloneAs<ZrBoxPlacer>(source);
    case 2:
        return CloneAs<ZrPointPlacer>(source);
    case 3:
        return CloneAs<ZrPolygonPlacer>(source);
    case 4:
        return CloneAs<ZrRegionPlacer>(source);
    case 5:
        return CloneAs<ZrScrewPlacer>(source);
    default:
        return nullptr;
    }
}

unsigned char ZrPlacer::ReadPlacerDocument(VEXA::VexaString& text, const char* tag, ZrVector3d& position,
                                           const DocField* fields, int fieldCount)
{
    ZrMarkup doc(text);
    ZrDocumentLayout::Reader in(doc, ZrDocumentLayout::Find("Placer", tag));
    if (!in.Enter())
        return 0;
    in.Read(position);
    for (int i = 0; i < fieldCount; ++i) {
        if (!in.Find())
            continue;
        const double value = ZrDocumentValues::ParseNumber(doc.GetChildData());
        if (fields[i].doubleValue != nullptr)
            *fields[i].doubleValue = value;
        else if (fields[i].floatValue != nullptr)
            *fields[i].floatValue = static_cast<float>(value);
    }
    return 1;
}

unsigned char ZrPlacer::WritePlacerDocument(VEXA::VexaString& text, const char* tag, const ZrVector3d& position,
                                            const DocField* fields, int fieldCount)
{
    ZrMarkup doc;
    doc.AddElem("Placer", nullptr, 0, 0);
    doc.AddElem("PlacerType", tag, 0, 1);
    ZrDocumentValues::AddVector(doc, "Position", position);
    for (int i = 0; i < fieldCount; ++i) {
        double value = 0.0;
        if (fields[i].doubleValue != nullptr)
            value = *fields[i].doubleValue;
        else if (fields[i].floatValue != nullptr)
            value = static_cast<double>(*fields[i].floatValue);
        doc.AddElem(fields[i].name, ZrDocumentValues::FormatNumber(value), 0, 1);
    }
    text = doc.m_strDocText;
    return 1;
}

} // namespace ZRC
