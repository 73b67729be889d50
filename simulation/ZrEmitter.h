#pragma once
#include "NbExport.h"
#include "VexaString.h"

namespace ZRC {

class ZrParticleSystem;

// Abstract emitter: a particle system's source of new particles.
class NBPS_API ZrEmitter {
public:
    ZrEmitter();
    virtual ~ZrEmitter();
    virtual int GetType() const;
    virtual void Emit(double dt) = 0;
    virtual unsigned char FromXML(VEXA::VexaString& xml) = 0;
    virtual unsigned char ToXML(VEXA::VexaString& xml) = 0;

    // Attaches the owning system (borrowed, never deleted here).
    void SetParticleSystem(ZrParticleSystem* system) { m_pParticleSystem = system; }
    ZrParticleSystem* GetParticleSystem() const { return m_pParticleSystem; }

    // A new deep copy of src, or null (null src or a type other than 1).
    static ZrEmitter* Clone(const ZrEmitter* src);

protected:
    ZrEmitter(const ZrEmitter&) = default;
    ZrEmitter& operator=(const ZrEmitter&) = default;

    ZrParticleSystem* m_pParticleSystem;
};

} // namespace ZRC
