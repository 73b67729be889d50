#include "EffectInfo.h"

#include <NbParticleSystem600/NbParticleSystem600.h>

#include <climits>
#include <cstdio>
#include <initializer_list>

using namespace ZRC;

namespace nbparticle {
namespace {

const char* Named(int code, std::initializer_list<const char*> names)
{
    int i = 1;
    for (const char* name : names) {
        if (code == i++)
            return name;
    }
    return "unknown";
}

void PrintColor(const ZrVector4d& c)
{
    std::printf("(%g, %g, %g, %g)", c.x, c.y, c.z, c.w);
}

} // namespace

void EffectInfo::Print(ZrParticleEffect& e)
{
    static const char* kinds[] = {"none", "FireEffect", "SmokeEffect", "FountainEffect", "ExplodeEffect", "RainEffect", "SnowEffect"};
    const int t = e.GetType();
    std::printf("type        %s\nsystems     %d\n", (t >= 0 && t <= 6) ? kinds[t] : "none", e.GetParticleSystemNum());
    for (int s = 0; s < e.GetParticleSystemNum(); ++s) {
        ZrParticleSystem* sys = e.GetParticleSystem(s);
        if (!sys)
            continue;
        std::printf("system %d\n", s);
        std::printf("  particles %s, %g x %g, texture \"%s\", colour image \"%s\" (%s)\n",
                    sys->GetParticleType() == ZrParticleSystem::GLOW_PARTICLE ? "GLOW_PARTICLE" : "DARK_PARTICLE",
                    sys->GetParticleWidth(), sys->GetParticleHeight(), sys->GetTexturePath().GetString(),
                    sys->GetColorImagePath().GetString(), sys->GetColorImage() ? "loaded" : "none");
        ZrCommonEmitter* emitter = dynamic_cast<ZrCommonEmitter*>(sys->GetEmitter());
        if (!emitter) {
            std::printf("  emitter   none\n");
        } else {
            std::printf("  emitter   CommonEmitter\n");
            if (ZrCounter* c = emitter->GetCounter())
                std::printf("    counter %s, %d per second\n", Named(c->GetType(), {"CommonCounter", "FadeCounter"}),
                            c->GetCountPerSecond());
            if (ZrPlacer* p = emitter->GetPlacer()) {
                const ZrVector3d at = p->GetPosition();
                std::printf("    placer  %s at (%g, %g, %g)\n",
                            Named(p->GetType(), {"BoxPlacer", "PointPlacer", "PolygonPlacer", "RegionPlacer", "ScrewPlacer"}),
                            at.x, at.y, at.z);
            }
            if (ZrShooter* sh = emitter->GetShooter()) {
                float lo = 0, hi = 0;
                sh->GetSpeedRange(lo, hi);
                std::printf("    shooter %s, speed %g to %g\n", Named(sh->GetType(), {"RadialShooter", "SingleShooter"}), lo, hi);
            }
            const ZrParticle* templ = emitter->GetParticleTemplate();
            // The document gives seconds; the library's GetLifeTime milliseconds.
            const int ms = templ->GetLifeTime();
            if (ms == INT_MAX)   // saturated: the document's life time may be any longer
                std::printf("    life    at least %.3f s (GetLifeTime %d ms, its largest value), colour ", ms / 1000.0, ms);
            else if (ms > 0)
                std::printf("    life    %g s (GetLifeTime %d ms), colour ", ms / 1000.0, ms);
            else
                std::printf("    life    %d ms: the particles never die of age, colour ", ms);
            PrintColor(templ->GetColorRangeStart());
            std::printf(" to ");
            PrintColor(templ->GetColorRangeEnd());
            std::printf("\n");
        }
        for (int i = 0; i < sys->GetInfluenceSize(); ++i) {
            ZrInfluence* inf = sys->GetInfluence(i);
            if (!inf)
                continue;
            std::printf("  influence %s", Named(inf->GetType(), {"AccelInfluence", "WindInfluence", "RandomWind"}));
            if (ZrAccelInfluence* accel = dynamic_cast<ZrAccelInfluence*>(inf)) {
                ZrVector3d dir;
                float size = 0;
                accel->GetAccelDirection(dir);
                accel->GetAccelSize(size);
                std::printf(", direction (%g, %g, %g), size %g", dir.x, dir.y, dir.z, size);
            }
            std::printf("\n");
        }
    }
}


} // namespace nbparticle
