#include "ZrCounter.h"

#include "ZrCommonCounter.h"
#include "ZrDocumentLayout.h"
#include "ZrDocumentValues.h"
#include "ZrFadeCounter.h"
#include "ZrMarkup.h"

namespace ZRC {

ZrCounter::ZrCounter() : m_nCountPerSecond(50) {}

ZrCounter::~ZrCounter() = default;

int ZrCounter::GetType() const { return 0; }

unsigned char ZrCounter::Reset() { return 0; }

ZrCounter* ZrCounter::Clone(const ZrCounter* src)
{
    if (src == nullptr)
        return nullptr;
    switch (src->GetType()) {
    case 1: {
        // The type code alone does not prove the class; check it before copying.
        const ZrCommonCounter* common = dynamic_cast<const ZrCommonCounter*>(src);
        if (common == nullptr)
            return nullptr;
        ZrCommonCounter* copy = new ZrCommonCounter();
        copy->Copy(*common);
        return copy;
    }
    case 2: {
        const ZrFadeCounter* fade = dynamic_cast<const ZrFadeCounter*>(src);
        if (fade == nullptr)
            return nullptr;
        ZrFadeCounter* copy = new ZrFadeCounter();
        copy->Copy(*fade);
        return copy;
    }
    default:
        return nullptr;
    }
}

unsigned char ZrCounter::ReadCounterDocument(VEXA::VexaString& xml, const char* typeName, int& countPerSecond)
{
    ZrMarkup doc(xml);
    ZrDocumentLayout::Reader in(doc, ZrDocumentLayout::Find("Counter", typeName));
    if (!in.Enter())
        return 0;
    if (in.Find())
        countPerSecond = ZrDocumentValues::ParseWholeNumber(doc.GetChildData());
    return 1;
}

unsigned char ZrCounter::WriteCounterDocument(VEXA::VexaString& xml, const char* typeName, int countPerSecond)
{
    ZrMarkup doc;
    doc.AddElem("Counter", nullptr, 0, 0);
    doc.AddElem("CounterType", typeName, 0, 1);
    VEXA::VexaString number;
    number.Format("%i", countPerSecond);
    doc.AddElem("NumPerSecond", number, 0, 1);
    xml = doc.m_strDocText;
    return 1;
}

} // namespace ZRC
