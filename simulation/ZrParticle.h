#pragma once
#include "NbExport.h"
#include "VexaString.h"
#include "ZrImageData.h"
#include "ZrVector3d.h"
#include "ZrVector4d.h"

namespace ZRC {

// One particle: held by value in a system's pool and used as the emitter's
// template. Times are seconds; only SetLifeTime/GetLifeTime speak milliseconds.
class NBPS_API ZrParticle {
public:
    ZrParticle();
    // Copies every field except the current colour (default-constructed here).
    ZrParticle(const ZrParticle& other);
    // Moves every field, the current colour included: the pool relocates its
    // particles this way when it grows, and they must look as they did.
    ZrParticle(ZrParticle&& other) noexcept;
    virtual ~ZrParticle();
    // Copies every field except the current colour, which keeps its value.
    ZrParticle& operator=(const ZrParticle& other);

    // Advances by dt seconds; 1 while the particle lives, 0 when it died in this
    // call or was marked to die.
    unsigned char UpdateParticle(double dt);
    unsigned char IsAlive() const { return m_bAlive; }
    void SetMustDie(unsigned char mustDie) { m_bMustDie = mustDie; }

    void SetSizeRange(float start, float end);
    void SetAlphaRange(float start, float end);
    void SetColorRangeStart(ZrVector4d color);
    ZrVector4d GetColorRangeStart() const;
    void SetColorRangeEnd(ZrVector4d color);
    ZrVector4d GetColorRangeEnd() const;
    // Milliseconds. GetLifeTime rounds the life time x 1000, taken in single
    // precision, up to a whole number; a life time beyond the range of int in
    // milliseconds (about 24.8 days) saturates at INT_MAX or INT_MIN, and one
    // that is not finite gives 0.
    void SetLifeTime(int milliseconds);
    int GetLifeTime() const;

    void SetVelocity(const ZrVector3d& velocity) { m_velocity = FromVector(velocity); }
    void AddVelocity(const ZrVector3d& delta)
    {
        m_velocity.x += delta.x;
        m_velocity.y += delta.y;
        m_velocity.z += delta.z;
    }
    ZrVector3d GetVelocity() const { return Vector(m_velocity); }
    void SetPosition(const ZrVector3d& position) { m_position = FromVector(position); }
    ZrVector3d GetCurPos() const { return Vector(m_position); }

    void SetMass(float mass);
    float GetMass() const { return m_fMass; }
    float GetInvMass() const { return m_fInvMass; }
    float GetRadius() const { return m_fRadius; }
    void SetRadius(float radius) { m_fRadius = radius; }

    float GetAge() const { return m_fAge; }
    float GetCurSize() const { return m_fCurSize; }
    float GetCurAlpha() const { return m_fCurAlpha; }
    ZrVector4d GetCurColor() const { return m_curColor; }

    // Borrowed colour image (null allowed); the particle never frees it.
    void SetColorImageData(ZrImageData* image) { m_pColorImage = image; }
    ZrImageData* GetColorImageData() const { return m_pColorImage; }

    // Reads the template fields from a "ParticleTemple" element.
    virtual unsigned char FromXML(VEXA::VexaString& text);
    // Replaces text with the "ParticleTemple" element of the template fields; 1.
    virtual unsigned char ToXML(VEXA::VexaString& text);

private:
    unsigned char GetParticleColor(float& alpha, ZrVector4d& color);
    // The first update of an immortal particle: fixed random size, alpha and colour.
    void DrawImmortalLook();
    // The pool's vector update loop and the wind's vector drag take the common
    // case in place; the acceleration asks for the motion fields ahead; the
    // billboard batch reads what the host draws in one pass.
    friend class ZrParticleSystem;
    friend class ZrBillboardBatch;
    friend class ZrDragLaw;
    friend class ZrAccelInfluence;

    // Three components without the vector's table pointer, so that a pool slot
    // holds only what the particle needs.
    struct Coordinates {
        double x, y, z;
    };
    static ZrVector3d Vector(const Coordinates& c) { return ZrVector3d(c.x, c.y, c.z); }
    static Coordinates FromVector(const ZrVector3d& v) { return Coordinates{v.x, v.y, v.z}; }

    // The fields are grouped by the pass that writes them, so that each pass
    // over a pool dirties as few cache lines as it can. Motion first: the
    // flags every pass tests and what the influences read and change, 32 bytes
    // from offset 16, so that in a pool of 208-byte slots three slots in four
    // keep them within one cache line. Radius and mass fill the gap before.
    float m_fRadius;
    float m_fMass;
    unsigned char m_bAlive;
    unsigned char m_bMustDie;
    float m_fInvMass;
    Coordinates m_velocity;
    // The look over a lifetime: read by every update, written only by the
    // emitter and the setters.
    float m_fSizeStart;
    float m_fSizeEnd;
    float m_fAlphaStart;
    float m_fAlphaEnd;
    ZrVector4d m_colorStart;
    ZrVector4d m_colorEnd;
    ZrImageData* m_pColorImage;
    float m_fLifeTime;
    // What every update writes and the host draws.
    float m_fAge;
    float m_fCurSize;
    float m_fCurAlpha;
    Coordinates m_position;
    ZrVector4d m_curColor;
};

// Defined here so that the pool's update loop compiles it in place. Size and
// alpha are interpolated in single precision with the ratio from the age before
// the step, the colour in double precision; the age is rounded to float.
inline unsigned char ZrParticle::UpdateParticle(double dt)
{
    if (m_bMustDie) {
        m_bAlive = 0;
        return 0;
    }

    const float ageBefore = m_fAge;
    const float lifeTime = m_fLifeTime;
    const float t = (lifeTime > 0.0f) ? ageBefore / lifeTime : 0.0f;
    m_fAge = static_cast<float>(ageBefore + dt);

    if (t > 1.0f) {
        m_bAlive = 0;
        return 0;
    }

    if (lifeTime > 0.0f) {
        m_fCurSize = m_fSizeStart + (m_fSizeEnd - m_fSizeStart) * t;
        m_fCurAlpha = m_fAlphaStart + (m_fAlphaEnd - m_fAlphaStart) * t;
        if (m_pColorImage != nullptr) {
            GetParticleColor(m_fCurAlpha, m_curColor);
        } else {
            const double td = t;
            m_curColor.x = m_colorStart.x + (m_colorEnd.x - m_colorStart.x) * td;
            m_curColor.y = m_colorStart.y + (m_colorEnd.y - m_colorStart.y) * td;
            m_curColor.z = m_colorStart.z + (m_colorEnd.z - m_colorStart.z) * td;
            m_curColor.w = m_colorStart.w + (m_colorEnd.w - m_colorStart.w) * td;
        }
    } else if (ageBefore == 0.0f) {
        DrawImmortalLook();
    }

    m_position.x += m_velocity.x * dt;
    m_position.y += m_velocity.y * dt;
    m_position.z += m_velocity.z * dt;
    return 1;
}

} // namespace ZRC
