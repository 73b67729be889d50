#pragma once
#include "ZrEmitter.h"
#include "ZrParticle.h"

namespace ZRC {

class ZrCounter;
class ZrPlacer;
class ZrShooter;

// The only concrete emitter: a counter, a placer, a shooter and a particle
// template, all owned.
class NBPS_API ZrCommonEmitter : public ZrEmitter {
public:
    ZrCommonEmitter();
    ~ZrCommonEmitter() override;
    ZrCommonEmitter(const ZrCommonEmitter&) = delete;
    ZrCommonEmitter& operator=(const ZrCommonEmitter&) = delete;

    int GetType() const override;
    void Emit(double dt) override;
    unsigned char FromXML(VEXA::VexaString& xml) override;
    unsigned char ToXML(VEXA::VexaString& xml) override;

    ZrCounter* GetCounter() const { return m_pCounter; }
    ZrPlacer* GetPlacer() const { return m_pPlacer; }
    ZrShooter* GetShooter() const { return m_pShooter; }
    ZrParticle* GetParticleTemplate() { return &m_particleTemplate; }
    const ZrParticle* GetParticleTemplate() const { return &m_particleTemplate; }

    unsigned char Copy(const ZrCommonEmitter& other);

protected:
    // Owned strategies, installed by FromXML and Copy.
    ZrCounter* m_pCounter;
    ZrPlacer* m_pPlacer;
    ZrShooter* m_pShooter;
    ZrParticle m_particleTemplate;
};

} // namespace ZRC
