#pragma once
#include "ZrParticle.h"
#include "ZrVector3d.h"

#include <cmath>

namespace ZRC {

// The drag law of both winds: a linear (viscous) term and a quadratic term in
// the speed relative to the air, over the cross-section of the first particle
// of the pool. The three coefficients are rounded to single precision once per
// Apply and kept widened; the force itself is computed in double precision.
class ZrDragLaw {
public:
    ZrDragLaw(float viscosity, float density, float radius)
        : m_linear(static_cast<float>(viscosity * 18.849555015563965)),   // 6 pi
          m_quadratic(static_cast<float>(density * 0.6283185005187989)),  // 0.2 pi
          m_area(static_cast<float>(radius * (radius * 3.141592502593994)))
    {
    }

    // The acceleration the wind gives the particle, before the time step:
    // (-(v - w) x area) x (|v - w| x quadratic + linear) x inverse mass,
    // multiplied out in this order for each component.
    ZrVector3d Acceleration(const ZrParticle& particle, const ZrVector3d& wind) const
    {
        const ZrVector3d v = particle.GetVelocity();
        const double rx = v.x - wind.x;
        const double ry = v.y - wind.y;
        const double rz = v.z - wind.z;
        const double area = m_area;
        const double factor = std::sqrt(rx * rx + ry * ry + rz * rz) * m_quadratic + m_linear;
        const double inverseMass = particle.GetInvMass();
        return ZrVector3d(((-rx * area) * factor) * inverseMass, ((-ry * area) * factor) * inverseMass,
                          ((-rz * area) * factor) * inverseMass);
    }

private:
    double m_linear;
    double m_quadratic;
    double m_area;
};

} // namespace ZRC
