#pragma once
#include "ZrParticle.h"
#include "ZrVector3d.h"

#include <cmath>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__) || defined(_M_X64)
    // Two live particles dragged over dt at once, one per SIMD lane: each lane
    // performs exactly the operations of Acceleration, then the time step and
    // the addition to the velocity.
    void DragPair(ZrParticle& a, ZrParticle& b, const ZrVector3d& wind, double dt) const
    {
        const ZrVector3d va = a.GetVelocity();
        const ZrVector3d vb = b.GetVelocity();
        const __m128d vx = _mm_set_pd(vb.x, va.x);
        const __m128d vy = _mm_set_pd(vb.y, va.y);
        const __m128d vz = _mm_set_pd(vb.z, va.z);
        const __m128d rx = _mm_sub_pd(vx, _mm_set1_pd(wind.x));
        const __m128d ry = _mm_sub_pd(vy, _mm_set1_pd(wind.y));
        const __m128d rz = _mm_sub_pd(vz, _mm_set1_pd(wind.z));
        const __m128d squares = _mm_add_pd(_mm_add_pd(_mm_mul_pd(rx, rx), _mm_mul_pd(ry, ry)), _mm_mul_pd(rz, rz));
        const __m128d factor = _mm_add_pd(_mm_mul_pd(_mm_sqrt_pd(squares), _mm_set1_pd(m_quadratic)), _mm_set1_pd(m_linear));
        const __m128d inverseMass = _mm_set_pd(b.GetInvMass(), a.GetInvMass());
        const __m128d area = _mm_set1_pd(m_area);
        const __m128d sign = _mm_set1_pd(-0.0);
        const __m128d step = _mm_set1_pd(dt);
        auto change = [&](__m128d r) {
            return _mm_mul_pd(_mm_mul_pd(_mm_mul_pd(_mm_mul_pd(_mm_xor_pd(r, sign), area), factor), inverseMass), step);
        };
        const __m128d nx = _mm_add_pd(vx, change(rx));
        const __m128d ny = _mm_add_pd(vy, change(ry));
        const __m128d nz = _mm_add_pd(vz, change(rz));
        a.SetVelocity(ZrVector3d(_mm_cvtsd_f64(nx), _mm_cvtsd_f64(ny), _mm_cvtsd_f64(nz)));
        b.SetVelocity(ZrVector3d(_mm_cvtsd_f64(_mm_unpackhi_pd(nx, nx)), _mm_cvtsd_f64(_mm_unpackhi_pd(ny, ny)),
                                 _mm_cvtsd_f64(_mm_unpackhi_pd(nz, nz))));
    }
#endif

private:
    double m_linear;
    double m_quadratic;
    double m_area;
};

} // namespace ZRC
