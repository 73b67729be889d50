#include "ZrParticle.h"

#include "ZrDocumentValues.h"
#include "ZrDocumentLayout.h"
#include "ZrMarkup.h"
#include "ZrRandomStream.h"

#include <cmath>
#include <cstdlib>

namespace ZRC {

namespace {

// Single-precision 0.01 and 1/255, widened to double.
const double kHundredth = static_cast<double>(0.01f);
const double kByteScale = static_cast<double>(1.0f / 255.0f);

// Size and alpha are interpolated in single precision, where the span of a
// range is scaled by up to 99: range ends of at most this magnitude keep every
// step finite. The document layout states it for the four range ends.
const double kMaxRangeEnd = ZrDocumentLayout::ParticleTemplate().children[0].limit;

// A range end as set: 0 when not finite or beyond kMaxRangeEnd.
float RangeEnd(float value)
{
    return static_cast<float>(ZrDocumentValues::Bounded(value, kMaxRangeEnd));
}

// A colour as set: each component that is not finite or beyond the document
// magnitude limit becomes 0, so that interpolating between two colours stays finite.
ZrVector4d ColorEnd(const ZrVector4d& color)
{
    return ZrVector4d(ZrDocumentValues::Bounded(color.x), ZrDocumentValues::Bounded(color.y),
                      ZrDocumentValues::Bounded(color.z), ZrDocumentValues::Bounded(color.w));
}

} // namespace

ZrParticle::ZrParticle()
    : m_fRadius(0.2f), m_fMass(0.1f), m_bAlive(1), m_bMustDie(0), m_fInvMass(10.0f), m_velocity{0.0, 0.0, 0.0},
      m_fSizeStart(1.0f), m_fSizeEnd(1.0f), m_fAlphaStart(1.0f), m_fAlphaEnd(0.0f), m_colorStart(1.0, 1.0, 1.0, 1.0),
      m_colorEnd(0.0, 0.0, 0.0, 1.0), m_pColorImage(nullptr), m_fLifeTime(2.0f), m_fAge(0.0f), m_fCurSize(0.0f),
      m_fCurAlpha(0.0f), m_position{0.0, 0.0, 0.0}
{
}

ZrParticle::ZrParticle(const ZrParticle& other)
    : m_fRadius(other.m_fRadius), m_fMass(other.m_fMass), m_bAlive(other.m_bAlive), m_bMustDie(other.m_bMustDie),
      m_fInvMass(other.m_fInvMass), m_velocity(other.m_velocity),
      m_fSizeStart(other.m_fSizeStart), m_fSizeEnd(other.m_fSizeEnd), m_fAlphaStart(other.m_fAlphaStart),
      m_fAlphaEnd(other.m_fAlphaEnd), m_colorStart(other.m_colorStart), m_colorEnd(other.m_colorEnd),
      m_pColorImage(other.m_pColorImage), m_fLifeTime(other.m_fLifeTime), m_fAge(other.m_fAge),
      m_fCurSize(other.m_fCurSize), m_fCurAlpha(other.m_fCurAlpha), m_position(other.m_position), m_curColor()
{
}

ZrParticle::ZrParticle(ZrParticle&& other) noexcept : ZrParticle(static_cast<const ZrParticle&>(other))
{
    m_curColor = other.m_curColor;
}

ZrParticle::~ZrParticle() {}

ZrParticle& ZrParticle::operator=(const ZrParticle& other)
{
    if (&other == this)
        return *this;
    m_fSizeStart = other.m_fSizeStart;
    m_fSizeEnd = other.m_fSizeEnd;
    m_fAlphaStart = other.m_fAlphaStart;
    m_fAlphaEnd = other.m_fAlphaEnd;
    m_colorStart = other.m_colorStart;
    m_colorEnd = other.m_colorEnd;
    m_bAlive = other.m_bAlive;
    m_bMustDie = other.m_bMustDie;
    m_fLifeTime = other.m_fLifeTime;
    m_fRadius = other.m_fRadius;
    m_fMass = other.m_fMass;
    m_fInvMass = other.m_fInvMass;
    m_position = other.m_position;
    m_velocity = other.m_velocity;
    m_fAge = other.m_fAge;
    m_fCurSize = other.m_fCurSize;
    m_fCurAlpha = other.m_fCurAlpha;
    // The current colour is left as it was.
    m_pColorImage = other.m_pColorImage;
    return *this;
}

void ZrParticle::DrawImmortalLook()
{
    const int r1 = ZrRandomStream::Draw() % 100;
    m_fCurSize = static_cast<float>(m_fSizeStart +
                                    static_cast<double>((m_fSizeEnd - m_fSizeStart) * static_cast<float>(r1)) * kHundredth);
    const int r2 = ZrRandomStream::Draw() % 100;
    m_fCurAlpha = static_cast<float>(m_fAlphaStart +
                                     static_cast<double>((m_fAlphaEnd - m_fAlphaStart) * static_cast<float>(r2)) * kHundredth);
    if (m_pColorImage != nullptr) {
        GetParticleColor(m_fCurAlpha, m_curColor);
    } else {
        const int r3 = ZrRandomStream::Draw() % 100;
        m_curColor = m_colorStart + ((m_colorEnd - m_colorStart) * static_cast<double>(r3)) * kHundredth;
    }
}

void ZrParticle::SetSizeRange(float start, float end)
{
    m_fSizeStart = RangeEnd(start);
    m_fSizeEnd = RangeEnd(end);
}

void ZrParticle::SetAlphaRange(float start, float end)
{
    m_fAlphaStart = RangeEnd(start);
    m_fAlphaEnd = RangeEnd(end);
}

void ZrParticle::SetColorRangeStart(ZrVector4d color) { m_colorStart = ColorEnd(color); }

ZrVector4d ZrParticle::GetColorRangeStart() const { return m_colorStart; }

void ZrParticle::SetColorRangeEnd(ZrVector4d color) { m_colorEnd = ColorEnd(color); }

ZrVector4d ZrParticle::GetColorRangeEnd() const { return m_colorEnd; }

void ZrParticle::SetLifeTime(int milliseconds) { m_fLifeTime = static_cast<float>(milliseconds * 0.001); }

int ZrParticle::GetLifeTime() const
{
    if (!std::isfinite(m_fLifeTime))
        return 0;
    return ZrDocumentValues::ToWholeNumber(std::ceil(static_cast<float>(m_fLifeTime * 1000.0)));
}

void ZrParticle::SetMass(float mass)
{
    m_fMass = mass;
    // A mass so small that its inverse overflows keeps the old inverse.
    if (mass > 0.0f && std::isfinite(1.0f / mass))
        m_fInvMass = 1.0f / mass;
}

unsigned char ZrParticle::GetParticleColor(float& /*alpha*/, ZrVector4d& color)
{
    const ZrImageData* image = m_pColorImage;
    if (image == nullptr || image->m_nDepth != 32)
        return 0;
    const unsigned int n = image->m_nWidth;
    // Only the first row is read; an image without it is not sampled.
    if (n == 0 || image->m_pData == nullptr || image->GetDataSize() < static_cast<unsigned long long>(n) * 4u)
        return 0;

    float t = m_fAge / m_fLifeTime;
    if (t > 1.0f)
        t = 1.0f;
    else if (t < 0.0f)
        t = 0.0f;
    else if (std::isnan(t))
        t = 0.0f; // a zero age over a zero life time
    const unsigned int last = n - 1u;
    const float x = static_cast<float>(last) * t;
    const unsigned int i = static_cast<unsigned int>(x);

    const unsigned char* row = image->m_pData;
    float value[4];
    if (i >= last) {
        const unsigned char* p = row + static_cast<size_t>(last) * 4u;
        for (int c = 0; c < 4; ++c)
            value[c] = static_cast<float>(p[c]);
    } else {
        const float f = x - static_cast<float>(i);
        const float g = 1.0f - f;
        const unsigned char* p0 = row + static_cast<size_t>(i) * 4u;
        const unsigned char* p1 = p0 + 4;
        for (int c = 0; c < 4; ++c)
            value[c] = static_cast<float>(p0[c]) * g + static_cast<float>(p1[c]) * f;
    }
    color.x = static_cast<double>(value[0]) * kByteScale;
    color.y = static_cast<double>(value[1]) * kByteScale;
    color.z = static_cast<double>(value[2]) * kByteScale;
    color.w = static_cast<double>(value[3]) * kByteScale;
    return 1;
}

unsigned char ZrParticle::FromXML(VEXA::VexaString& text)
{
    ZrMarkup doc(text);
    ZrDocumentLayout::Reader in(doc, ZrDocumentLayout::ParticleTemplate());
    if (!in.Enter())
        return 0;
    in.Read(m_fSizeStart);
    in.Read(m_fSizeEnd);
    in.Read(m_fAlphaStart);
    in.Read(m_fAlphaEnd);
    in.Read(m_colorStart);
    in.Read(m_colorEnd);
    in.Read(m_fLifeTime);
    in.Read(m_fRadius);
    // The inverse mass is only recomputed by SetMass.
    in.Read(m_fMass);
    return 1;
}

unsigned char ZrParticle::ToXML(VEXA::VexaString& text)
{
    ZrMarkup doc;
    doc.AddElem("ParticleTemple", nullptr, 0, 0);
    ZrDocumentValues::AddNumber(doc, "SizeRangeStart", static_cast<double>(m_fSizeStart));
    ZrDocumentValues::AddNumber(doc, "SizeRangeEnd", static_cast<double>(m_fSizeEnd));
    ZrDocumentValues::AddNumber(doc, "AlphaRangeStart", static_cast<double>(m_fAlphaStart));
    ZrDocumentValues::AddNumber(doc, "AlphaRangeEnd", static_cast<double>(m_fAlphaEnd));
    ZrDocumentValues::AddColor(doc, "ColorRangeStart", m_colorStart);
    ZrDocumentValues::AddColor(doc, "ColorRangeEnd", m_colorEnd);
    ZrDocumentValues::AddNumber(doc, "LifeTime", static_cast<double>(m_fLifeTime));
    ZrDocumentValues::AddNumber(doc, "Radius", static_cast<double>(m_fRadius));
    ZrDocumentValues::AddNumber(doc, "Mass", static_cast<double>(m_fMass));
    text = doc.m_strDocText;
    return 1;
}

} // namespace ZRC
