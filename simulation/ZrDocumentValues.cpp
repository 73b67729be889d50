#include "ZrDocumentValues.h"

#include "ZrMarkup.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

namespace ZRC {

namespace {

std::string Name(const char* prefix, const char* suffix)
{
    return std::string(prefix) + suffix;
}

} // namespace

const double ZrDocumentValues::kMaxMagnitude = FLT_MAX;

double ZrDocumentValues::ParseNumber(const char* text, double limit)
{
    if (text == nullptr)
        return 0.0;
    return Bounded(std::atof(text), limit);
}

double ZrDocumentValues::Bounded(double value, double limit)
{
    return std::isfinite(value) && std::fabs(value) <= limit ? value : 0.0;
}

int ZrDocumentValues::ParseWholeNumber(const char* text)
{
    if (text == nullptr)
        return 0;
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

int ZrDocumentValues::ToWholeNumber(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0)
        return INT_MAX;
    if (value < static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

VEXA::VexaString ZrDocumentValues::FormatNumber(double value)
{
    VEXA::VexaString text;
    text.Format("%f", value);
    return text;
}

void ZrDocumentValues::AddNumber(ZrMarkup& doc, const char* name, double value)
{
    doc.AddElem(name, FormatNumber(value), 0, 1);
}

void ZrDocumentValues::ReadNumber(ZrMarkup& doc, const char* name, float& field, double limit)
{
    if (doc.FindChildElem(name))
        field = static_cast<float>(ParseNumber(doc.GetChildData(), limit));
}

void ZrDocumentValues::ReadNumber(ZrMarkup& doc, const char* name, double& field)
{
    if (doc.FindChildElem(name))
        field = ParseNumber(doc.GetChildData());
}

void ZrDocumentValues::AddComponents(ZrMarkup& doc, const char* prefix, const ZrVector3d& value)
{
    AddNumber(doc, Name(prefix, ":X").c_str(), value.x);
    AddNumber(doc, Name(prefix, ":Y").c_str(), value.y);
    AddNumber(doc, Name(prefix, ":Z").c_str(), value.z);
}

void ZrDocumentValues::ReadComponents(ZrMarkup& doc, const char* prefix, ZrVector3d& value)
{
    ReadNumber(doc, Name(prefix, ":X").c_str(), value.x);
    ReadNumber(doc, Name(prefix, ":Y").c_str(), value.y);
    ReadNumber(doc, Name(prefix, ":Z").c_str(), value.z);
}

void ZrDocumentValues::AddVector(ZrMarkup& doc, const char* name, const ZrVector3d& value)
{
    doc.AddElem(name, nullptr, 0, 1);
    doc.IntoElem();
    AddComponents(doc, name, value);
    doc.OutOfElem();
}

void ZrDocumentValues::ReadVector(ZrMarkup& doc, const char* name, ZrVector3d& value)
{
    if (!doc.FindChildElem(name))
        return;
    doc.IntoElem();
    ReadComponents(doc, name, value);
    doc.OutOfElem();
}

void ZrDocumentValues::AddColor(ZrMarkup& doc, const char* name, const ZrVector4d& value)
{
    doc.AddElem(name, nullptr, 0, 1);
    doc.IntoElem();
    AddNumber(doc, Name(name, ":R").c_str(), value.x);
    AddNumber(doc, Name(name, ":G").c_str(), value.y);
    AddNumber(doc, Name(name, ":B").c_str(), value.z);
    AddNumber(doc, Name(name, ":A").c_str(), value.w);
    doc.OutOfElem();
}

void ZrDocumentValues::ReadColor(ZrMarkup& doc, const char* name, ZrVector4d& value)
{
    if (!doc.FindChildElem(name))
        return;
    doc.IntoElem();
    ReadNumber(doc, Name(name, ":R").c_str(), value.x);
    ReadNumber(doc, Name(name, ":G").c_str(), value.y);
    ReadNumber(doc, Name(name, ":B").c_str(), value.z);
    ReadNumber(doc, Name(name, ":A").c_str(), value.w);
    doc.OutOfElem();
}

} // namespace ZRC
