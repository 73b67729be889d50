#include "ZrScrewPlacer.h"

#include "ZrParticle.h"

#include <cfloat>
#include <cmath>

namespace ZRC {

ZrScrewPlacer::ZrScrewPlacer()
    : m_dElapsedTime(0.0), m_dRoundTime(10.0), m_fAngleSpeed(360.0f), m_fForwardSpeed(20.0f), m_fRadius(5.0f)
{
}

ZrScrewPlacer::~ZrScrewPlacer() = default;

int ZrScrewPlacer::GetType() const { return 5; }

void ZrScrewPlacer::Place(ZrParticle* particle, double dt)
{
    m_dElapsedTime += dt;
    // A clock that is no longer finite (an infinite or NaN step) would put every
    // later particle at a non-finite point; start the helix over instead.
    if (!std::isfinite(m_dElapsedTime))
        m_dElapsedTime = 0.0;

    // Wrap only past the round time. A round time of zero or less (or NaN) never
    // wraps: the clock simply runs on.
    if (m_dRoundTime > 0.0 && m_dElapsedTime > m_dRoundTime) {
        const double rounds = m_dElapsedTime / m_dRoundTime;
        if (rounds < 2147483648.0) {
            const int n = static_cast<int>(rounds);
            m_dElapsedTime = m_dElapsedTime - n * m_dRoundTime;
        } else {
            // Too many whole rounds for an int: take the exact remainder.
            m_dElapsedTime = std::fmod(m_dElapsedTime, m_dRoundTime);
        }
    }

    // The factor is pi as a single-precision value, widened.
    double turn = m_fAngleSpeed * m_dElapsedTime * 3.141592502593994 / 180.0;
    // An angle beyond the float range would turn into an infinite float whose
    // sine is NaN: it is taken modulo a full turn first.
    if (!(std::fabs(turn) <= static_cast<double>(FLT_MAX)))
        turn = std::isfinite(turn) ? std::fmod(turn, 2.0 * 3.141592653589793) : 0.0;
    const float angle = static_cast<float>(turn);
    const float c = static_cast<float>(std::cos(static_cast<double>(angle)));
    const float s = static_cast<float>(std::sin(static_cast<double>(angle)));
    const double dx = m_fRadius * c;
    const double dy = m_fForwardSpeed * m_dElapsedTime;
    const double dz = m_fRadius * s;
    if (particle != nullptr)
        particle->SetPosition(m_position + ZrVector3d(dx, dy, dz));
}

ZrVector3d ZrScrewPlacer::GetPosition() { return m_position; }

unsigned char ZrScrewPlacer::FromXML(VEXA::VexaString& text)
{
    const DocField fields[] = {{"RoundTime", &m_dRoundTime, nullptr},
                               {"AngleSpeed", nullptr, &m_fAngleSpeed},
                               {"ForwordSpeed", nullptr, &m_fForwardSpeed},
                               {"Radius", nullptr, &m_fRadius}};
    return ReadPlacerDocument(text, "ScrewPlacer", m_position, fields, 4);
}

unsigned char ZrScrewPlacer::ToXML(VEXA::VexaString& text)
{
    const DocField fields[] = {{"RoundTime", &m_dRoundTime, nullptr},
                               {"AngleSpeed", nullptr, &m_fAngleSpeed},
                               {"ForwordSpeed", nullptr, &m_fForwardSpeed},
                               {"Radius", nullptr, &m_fRadius}};
    return WritePlacerDocument(text, "ScrewPlacer", m_position, fields, 4);
}

void ZrScrewPlacer::SetPosition(const ZrVector3d& position) { m_position = position; }

unsigned char ZrScrewPlacer::Copy(const ZrScrewPlacer& source)
{
    if (&source == this)
        return 0;
    m_position = source.m_position;
    m_dElapsedTime = source.m_dElapsedTime;
    m_dRoundTime = source.m_dRoundTime;
    m_fAngleSpeed = source.m_fAngleSpeed;
    m_fForwardSpeed = source.m_fForwardSpeed;
    m_fRadius = source.m_fRadius;
    return 1;
}

} // namespace ZRC
