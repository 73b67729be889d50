#pragma once
#include "ZrParticle.h"
#include "ZrVector3d.h"
#include "ZrVectorUnit.h"

#include <cfloat>
#include <cmath>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
#if defined(NBPS_WIDE_UNIT)
#include <immintrin.h>
#endif

namespace ZRC {

// The drag law of both winds: a linear (viscous) term and a quadratic term in
// the speed relative to the air, over the cross-section of the first particle
// of the pool. The three coefficients are rounded to single precision once per
// Apply and kept widened; the force itself is computed in double precision.
//
// A coefficient below 0 (or not a number) acts as 0, so drag never pushes a
// particle away from the wind, and one beyond the float range as FLT_MAX. An
// explicit step whose stiffness k = area x factor x inverse mass x dt lies
// outside [0, 2] would throw the particle past the wind by more than it lags
// behind and grow without bound; such a particle meets the wind instead.
class ZrDragLaw {
public:
    ZrDragLaw(float viscosity, float density, float radius)
        : m_linear(Coefficient(viscosity * 18.849555015563965)),   // 6 pi
          m_quadratic(Coefficient(density * 0.6283185005187989)),  // 0.2 pi
          m_area(Coefficient(radius * (radius * 3.141592502593994)))
    {
    }

    // A hint that the flags and the velocity of a particle are needed soon.
    static void Prefetch(const ZrParticle& p)
    {
#if defined(__GNUC__)
        __builtin_prefetch(&p.m_bAlive, 1);
        __builtin_prefetch(&p.m_velocity.z, 1);
#else
        (void)p;
#endif
    }

    // True when a step of the given stiffness is stable (see above).
    static bool Stable(double k) { return k >= 0.0 && k <= 2.0; }

    // The acceleration the wind gives the particle, before the time step:
    // (-(v - w) x area) x (|v - w| x quadratic + linear) x inverse mass,
    // multiplied out in this order for each component.
    // The stiffness of the step per second (area x factor x inverse mass) is
    // left in perSecond.
    ZrVector3d Acceleration(const ZrParticle& particle, const ZrVector3d& wind, double& perSecond) const
    {
        const ZrVector3d v = particle.GetVelocity();
        const double rx = v.x - wind.x;
        const double ry = v.y - wind.y;
        const double rz = v.z - wind.z;
        const double area = m_area;
        const double factor = std::sqrt(rx * rx + ry * ry + rz * rz) * m_quadratic + m_linear;
        const double inverseMass = particle.GetInvMass();
        perSecond = area * factor * inverseMass;
        return ZrVector3d(((-rx * area) * factor) * inverseMass, ((-ry * area) * factor) * inverseMass,
                          ((-rz * area) * factor) * inverseMass);
    }

#if defined(__SSE2__) || defined(_M_X64)
    // Two live particles dragged over dt at once, one per SIMD lane: each lane
    // performs exactly the operations of Acceleration, then the time step and
    // the addition to the velocity; a lane whose step is not stable takes the
    // wind instead. (-r) x area is written r x (-area): the same product.
    void DragPair(ZrParticle& a, ZrParticle& b, const ZrVector3d& wind, double dt) const
    {
        const ZrVector3d va = a.GetVelocity();
        const ZrVector3d vb = b.GetVelocity();
        const __m128d vx = _mm_set_pd(vb.x, va.x);
        const __m128d vy = _mm_set_pd(vb.y, va.y);
        const __m128d vz = _mm_set_pd(vb.z, va.z);
        const __m128d wx = _mm_set1_pd(wind.x), wy = _mm_set1_pd(wind.y), wz = _mm_set1_pd(wind.z);
        const __m128d rx = _mm_sub_pd(vx, wx);
        const __m128d ry = _mm_sub_pd(vy, wy);
        const __m128d rz = _mm_sub_pd(vz, wz);
        const __m128d squares = _mm_add_pd(_mm_add_pd(_mm_mul_pd(rx, rx), _mm_mul_pd(ry, ry)), _mm_mul_pd(rz, rz));
        const __m128d factor = _mm_add_pd(_mm_mul_pd(_mm_sqrt_pd(squares), _mm_set1_pd(m_quadratic)), _mm_set1_pd(m_linear));
        const __m128d inverseMass = _mm_set_pd(b.GetInvMass(), a.GetInvMass());
        const __m128d step = _mm_set1_pd(dt);
        const __m128d k = _mm_mul_pd(_mm_mul_pd(_mm_mul_pd(_mm_set1_pd(m_area), factor), inverseMass), step);
        const __m128d stable = _mm_and_pd(_mm_cmpge_pd(k, _mm_setzero_pd()), _mm_cmple_pd(k, _mm_set1_pd(2.0)));
        const __m128d negativeArea = _mm_set1_pd(-m_area);
        auto next = [&](__m128d v, __m128d r, __m128d w) {
            const __m128d change = _mm_mul_pd(_mm_mul_pd(_mm_mul_pd(_mm_mul_pd(r, negativeArea), factor), inverseMass), step);
            return _mm_or_pd(_mm_and_pd(stable, _mm_add_pd(v, change)), _mm_andnot_pd(stable, w));
        };
        const __m128d nx = next(vx, rx, wx);
        const __m128d ny = next(vy, ry, wy);
        const __m128d nz = next(vz, rz, wz);
        a.SetVelocity(ZrVector3d(_mm_cvtsd_f64(nx), _mm_cvtsd_f64(ny), _mm_cvtsd_f64(nz)));
        b.SetVelocity(ZrVector3d(_mm_cvtsd_f64(_mm_unpackhi_pd(nx, nx)), _mm_cvtsd_f64(_mm_unpackhi_pd(ny, ny)),
                                 _mm_cvtsd_f64(_mm_unpackhi_pd(nz, nz))));
    }
#endif

#if defined(NBPS_WIDE_UNIT)
    // The law and one step of one wind spread over the four lanes of the
    // 256-bit unit, made once per Apply so that a pass keeps them in registers.
    // Only for processors with that unit (ZrVectorUnit).
    struct Lanes {
        __m256d wx, wy, wz, quadratic, linear, area, negativeArea, step;
    };
    __attribute__((target("avx2"))) Lanes Spread(const ZrVector3d& wind, double dt) const
    {
        return Lanes{_mm256_set1_pd(wind.x),      _mm256_set1_pd(wind.y),   _mm256_set1_pd(wind.z),
                     _mm256_set1_pd(m_quadratic), _mm256_set1_pd(m_linear), _mm256_set1_pd(m_area),
                     _mm256_set1_pd(-m_area),     _mm256_set1_pd(dt)};
    }

    // Four particles side by side in the pool (q[0] to q[3]), one per lane:
    // the same operations as DragPair. The velocities are stored only if all
    // four are live; otherwise nothing is written and the answer is false.
    // Out of cache, reading the velocities without first waiting for the flags
    // keeps the pass at the memory's pace (a million particles took 50 to 80 %
    // longer the other way).
    __attribute__((target("avx2"))) static bool DragQuad(const Lanes& l, ZrParticle* q)
    {
        // x and y of lanes 0 and 2 (1 and 3) in one register, then split by component.
        const __m256d even = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(&q[0].m_velocity.x)),
                                                  _mm_loadu_pd(&q[2].m_velocity.x), 1);
        const __m256d odd = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(&q[1].m_velocity.x)),
                                                 _mm_loadu_pd(&q[3].m_velocity.x), 1);
        const __m256d vx = _mm256_unpacklo_pd(even, odd);
        const __m256d vy = _mm256_unpackhi_pd(even, odd);
        const __m256d vz = _mm256_set_pd(q[3].m_velocity.z, q[2].m_velocity.z, q[1].m_velocity.z, q[0].m_velocity.z);
        const __m256d rx = _mm256_sub_pd(vx, l.wx);
        const __m256d ry = _mm256_sub_pd(vy, l.wy);
        const __m256d rz = _mm256_sub_pd(vz, l.wz);
        const __m256d squares =
            _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(rx, rx), _mm256_mul_pd(ry, ry)), _mm256_mul_pd(rz, rz));
        const __m256d factor = _mm256_add_pd(_mm256_mul_pd(_mm256_sqrt_pd(squares), l.quadratic), l.linear);
        const __m256d inverseMass =
            _mm256_cvtps_pd(_mm_set_ps(q[3].m_fInvMass, q[2].m_fInvMass, q[1].m_fInvMass, q[0].m_fInvMass));
        const __m256d k = _mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(l.area, factor), inverseMass), l.step);
        const __m256d stable =
            _mm256_and_pd(_mm256_cmp_pd(k, _mm256_setzero_pd(), _CMP_GE_OQ), _mm256_cmp_pd(k, _mm256_set1_pd(2.0), _CMP_LE_OQ));
        const __m256d nx = Next(vx, rx, l.wx, l, factor, inverseMass, stable);
        const __m256d ny = Next(vy, ry, l.wy, l, factor, inverseMass, stable);
        const __m256d nz = Next(vz, rz, l.wz, l, factor, inverseMass, stable);
        // Lanes 0 and 2 (1 and 3) of x and y side by side: each particle's pair.
        const __m256d xyEven = _mm256_unpacklo_pd(nx, ny);
        const __m256d xyOdd = _mm256_unpackhi_pd(nx, ny);
        const __m128d z01 = _mm256_castpd256_pd128(nz), z23 = _mm256_extractf128_pd(nz, 1);
        if (!(q[0].m_bAlive & q[1].m_bAlive & q[2].m_bAlive & q[3].m_bAlive))
            return false;
        _mm_storeu_pd(&q[0].m_velocity.x, _mm256_castpd256_pd128(xyEven));
        _mm_storel_pd(&q[0].m_velocity.z, z01);
        _mm_storeu_pd(&q[1].m_velocity.x, _mm256_castpd256_pd128(xyOdd));
        _mm_storeh_pd(&q[1].m_velocity.z, z01);
        _mm_storeu_pd(&q[2].m_velocity.x, _mm256_extractf128_pd(xyEven, 1));
        _mm_storel_pd(&q[2].m_velocity.z, z23);
        _mm_storeu_pd(&q[3].m_velocity.x, _mm256_extractf128_pd(xyOdd, 1));
        _mm_storeh_pd(&q[3].m_velocity.z, z23);
        return true;
    }
#endif

private:
#if defined(NBPS_WIDE_UNIT)
    // One component of four lanes: the stepped velocity, or the wind where the step is not stable.
    __attribute__((target("avx2"))) static __m256d Next(__m256d v, __m256d r, __m256d w, const Lanes& l,
                                                        __m256d factor, __m256d inverseMass, __m256d stable)
    {
        const __m256d change =
            _mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(r, l.negativeArea), factor), inverseMass), l.step);
        return _mm256_blendv_pd(w, _mm256_add_pd(v, change), stable);
    }
#endif

    static double Coefficient(double value)
    {
        if (!(value > 0.0))
            return 0.0;
        return value < static_cast<double>(FLT_MAX) ? static_cast<float>(value) : FLT_MAX;
    }

    double m_linear;
    double m_quadratic;
    double m_area;
};

} // namespace ZRC
