// Every public getter of an effect, of its particle systems and of their
// particles (the emitter's template among them), as a host would ask for them,
// so that the sanitizers see every conversion behind them. A number a host
// reads that is not finite traps.
#pragma once
#include <NbParticleSystem600/NbParticleSystem600.h>

#include <cmath>

namespace fuzz {

using namespace ZRC;

inline void Finite(double v)
{
    if (!std::isfinite(v))
        __builtin_trap();
}
inline void Finite(const ZrVector3d& v) { Finite(v.x), Finite(v.y), Finite(v.z); }
inline void Finite(const ZrVector4d& v) { Finite(v.x), Finite(v.y), Finite(v.z), Finite(v.w); }
// Whole numbers and pointers: asked for, and kept from being optimised away.
inline volatile long long kept = 0;
inline void Keep(long long v) { kept = v; }

inline void TouchParticle(const ZrParticle& p)
{
    Keep(0LL + p.IsAlive() + p.GetLifeTime() + (p.GetColorImageData() != nullptr));
    Finite(p.GetColorRangeStart()), Finite(p.GetColorRangeEnd()), Finite(p.GetVelocity()), Finite(p.GetCurPos());
    Finite(p.GetMass()), Finite(p.GetInvMass()), Finite(p.GetRadius()), Finite(p.GetAge());
    Finite(p.GetCurSize()), Finite(p.GetCurAlpha()), Finite(p.GetCurColor());
}

inline void TouchSystem(ZrParticleSystem& s)
{
    Keep(0LL + s.GetMaxParticleNum() + ZrParticleSystem::GetMaxTotalParticleNum() + ZrParticleSystem::GetTotalParticleNum() +
         s.GetParticleNum() + s.GetFreeParticleNum() + s.GetInfluenceSize() + s.IsAlive() + s.IsFrozen() +
         s.GetParticleType() + s.GetTextureDirty() + s.GetCountPerSecond() + s.GetLifeTime() +
         s.GetTexturePath().GetLength() + s.GetColorImagePath().GetLength() + (s.GetColorImage() != nullptr));
    const ZrBoundingBox& box = s.GetBoundingBox();
    Finite(box.GetMin()), Finite(box.GetMax()), Finite(s.GetParticleWidth()), Finite(s.GetParticleHeight());
    const ZrBoundingBox live = s.ComputeLiveBoundingBox();
    if (!live.IsNULL())
        Finite(live.GetMin()), Finite(live.GetMax());
    Keep(s.GetLiveParticleNum());
    Finite(s.GetLocalCenterPos()), Finite(s.GetLocalScale()), Finite(s.GetLocalRotate());
    float start = 0.0f, end = 0.0f, size = 0.0f;
    ZrVector3d direction;
    s.GetSpeedRange(start, end);
    s.GetAccelDirection(direction);
    s.GetAccelSize(size);
    Finite(start), Finite(end), Finite(size), Finite(direction);
    Finite(s.GetColorRangeStart()), Finite(s.GetColorRangeEnd());
    for (int i = 0; i < s.GetInfluenceSize(); ++i)
        Keep(s.GetInfluence(i) ? s.GetInfluence(i)->GetType() : 0);
    if (ZrEmitter* emitter = s.GetEmitter()) {
        Keep(0LL + emitter->GetType() + (emitter->GetParticleSystem() == &s));
        if (ZrCommonEmitter* common = dynamic_cast<ZrCommonEmitter*>(emitter)) {
            TouchParticle(*common->GetParticleTemplate());
            if (ZrPlacer* placer = common->GetPlacer())
                Finite(placer->GetPosition());
        }
    }
    for (int i = 0; i < s.GetParticleNum(); ++i)
        TouchParticle(*s.GetParticle(i));
}

inline void TouchEffect(ZrParticleEffect& e)
{
    Keep(0LL + e.GetParticleSystemNum() + e.GetType() + e.GetRef() + e.GetLiveParticleNum() + e.GetEffectName().GetLength() +
         e.GetParticleEffectResFileName().GetLength());
    Finite(e.GetCenterPos());
    for (int i = 0; i < e.GetParticleSystemNum(); ++i)
        if (ZrParticleSystem* s = e.GetParticleSystem(i))
            TouchSystem(*s);
}

} // namespace fuzz
