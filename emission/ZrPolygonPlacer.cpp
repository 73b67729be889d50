#include "ZrPolygonPlacer.h"

#include "ZrFile.h"
#include "ZrMathEngine.h"
#include "ZrParticle.h"
#include "ZrRandomStream.h"
#include "ZrSort.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace ZRC {

namespace {

const double kDegreesToRadians = 0.017453292519943295;
const double kEarthRadius = 6378137.0;

} // namespace

ZrPolygonPlacer::ZrPolygonPlacer() = default;

ZrPolygonPlacer::~ZrPolygonPlacer() = default;

int ZrPolygonPlacer::GetType() const { return 3; }

void ZrPolygonPlacer::SetRegion(const VEXA::VexaArray<VEXA::VexaPoint2D>& points, VEXA::VexaPoint2D centre)
{
    if (&points != &m_points) {
        m_points.RemoveAll();
        m_points.Append(points);
    }
    const int count = m_points.GetSize();
    if (count > 0) {
        const VEXA::VexaPoint2D* p = m_points.GetData();
        m_minCorner = p[0];
        m_maxCorner = p[0];
        for (int i = 1; i < count; ++i) {
            if (p[i].x < m_minCorner.x)
                m_minCorner.x = p[i].x;
            if (p[i].y < m_minCorner.y)
                m_minCorner.y = p[i].y;
            if (p[i].x > m_maxCorner.x)
                m_maxCorner.x = p[i].x;
            if (p[i].y > m_maxCorner.y)
                m_maxCorner.y = p[i].y;
        }
    }
    m_position = ZrMathEngine::SphericalToCartesian(centre.x * kDegreesToRadians, centre.y * kDegreesToRadians,
                                                    kEarthRadius);
}

void ZrPolygonPlacer::Place(ZrParticle* particle, double /*dt*/)
{
    // The scan line's longitude; drawn on every call, also without a polygon.
    const int rx = ZrRandomStream::Draw();
    const float X = static_cast<float>(m_minCorner.x + (m_maxCorner.x - m_minCorner.x) *
                                                           (rx / static_cast<double>(RAND_MAX)));
    const VEXA::VexaPoint2D a(X, m_minCorner.y - 1.0);
    const VEXA::VexaPoint2D b(X, m_maxCorner.y + 1.0);

    // Crossings of the scan line with the edges joining consecutive points.
    std::vector<float> crossings;
    const int count = m_points.GetSize();
    const VEXA::VexaPoint2D* p = m_points.GetData();
    for (int i = 0; i + 1 < count; ++i) {
        float y = 0.0f;
        if (IntersectSegment(a, b, p[i], p[i + 1], &y))
            crossings.push_back(y);
    }
    if (crossings.size() < 2)
        return;
    ZrSort<float>::QSort(crossings.data(), 0, static_cast<int>(crossings.size()) - 1, 1);

    // Inside intervals: crossings taken in pairs; an unpaired last one is dropped
    // and so is a pair of equal values.
    std::vector<float> lowers;
    std::vector<float> uppers;
    for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
        if (zrequal(crossings[i], crossings[i + 1]))
            continue;
        lowers.push_back(crossings[i]);
        uppers.push_back(crossings[i + 1]);
    }
    if (lowers.empty())
        return;

    size_t index = 0;
    const size_t intervals = lowers.size();
    if (intervals > 1) {
        const int ru = ZrRandomStream::Draw();
        const float u = static_cast<float>(ru / static_cast<double>(RAND_MAX));
        if (zrequal(u, 1.0)) {
            index = intervals - 1;
        } else {
            const float scaled = static_cast<float>(intervals) * u;
            index = scaled > 0.0f ? static_cast<size_t>(scaled) : 0;
            // The single-precision product may round up to the count itself.
            if (index >= intervals)
                index = intervals - 1;
        }
    }

    const float lower = lowers[index];
    const float upper = uppers[index];
    const float width = std::fabs(lower - upper);
    const int ry = ZrRandomStream::Draw();
    const float Y = static_cast<float>(lower + width * (ry / static_cast<double>(RAND_MAX)));

    ZrVector3d start = ZrMathEngine::SphericalToCartesian(X * kDegreesToRadians, Y * kDegreesToRadians, kEarthRadius);
    start -= m_position;
    if (particle != nullptr)
        particle->SetPosition(start);
}

ZrVector3d ZrPolygonPlacer::GetPosition() { return m_position; }

unsigned char ZrPolygonPlacer::FromXML(VEXA::VexaString& text)
{
    return ReadPlacerDocument(text, "PolygonPlacer", m_position, nullptr, 0);
}

unsigned char ZrPolygonPlacer::ToXML(VEXA::VexaString& text)
{
    return WritePlacerDocument(text, "PolygonPlacer", m_position, nullptr, 0);
}

void ZrPolygonPlacer::SetPosition(const ZrVector3d& position) { m_position = position; }

unsigned char ZrPolygonPlacer::Copy(const ZrPolygonPlacer& source)
{
    if (&source == this)
        return 0;
    m_position = source.m_position;
    m_minCorner = source.m_minCorner;
    m_maxCorner = source.m_maxCorner;
    m_points = source.m_points;
    return 1;
}

unsigned char ZrPolygonPlacer::IntersectSegment(VEXA::VexaPoint2D a0, VEXA::VexaPoint2D a1, VEXA::VexaPoint2D b0,
                                                VEXA::VexaPoint2D b1, float* y)
{
    const VEXA::VexaPoint2D d0 = a1 - a0;
    const VEXA::VexaPoint2D d1 = b1 - b0;
    const VEXA::VexaPoint2D e = b0 - a0;

    const float k = static_cast<float>(d0.x * d1.y - d1.x * d0.y);
    const float kk = k * k;
    const float l0 = static_cast<float>(d0.x * d0.x + d0.y * d0.y);
    const float l1 = static_cast<float>(d1.x * d1.x + d1.y * d1.y);
    // Parallel, or one segment without length (NaN input lands here too).
    if (!(kk > l0 * 1e-10 * l1))
        return 0;

    const float s = static_cast<float>((e.x * d1.y - e.y * d1.x) / k);
    if (!(s >= 0.0f && s <= 1.0f))
        return 0;
    const float t = static_cast<float>((e.x * d0.y - e.y * d0.x) / k);
    if (!(t >= 0.0f && t <= 1.0f))
        return 0;

    if (y != nullptr)
        *y = static_cast<float>(a0.y + d0.y * s);
    return 1;
}

} // namespace ZRC
