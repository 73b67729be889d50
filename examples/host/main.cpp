// A minimal host: builds a fountain in code, runs a few frames and prints the
// live particles it would draw.
#include <NbParticleSystem600/NbParticleSystem600.h>

#include <cstdio>

using namespace ZRC;
using VEXA::VexaString;

int main()
{
    VexaString emitterXml(
        "<Emitter><EmitterType>CommonEmitter</EmitterType>"
        "<Counter><CounterType>CommonCounter</CounterType><NumPerSecond>40</NumPerSecond></Counter>"
        "<Placer><PlacerType>PointPlacer</PlacerType></Placer>"
        "<Shooter><ShooterType>RadialShooter</ShooterType><SpeedRangeStart>4</SpeedRangeStart>"
        "<SpeedRangeEnd>6</SpeedRangeEnd><ThetaRangeStart>0</ThetaRangeStart><ThetaRangeEnd>15</ThetaRangeEnd></Shooter>"
        "<ParticleTemple><LifeTime>1.5</LifeTime></ParticleTemple></Emitter>");
    VexaString gravityXml(
        "<Influence><InfluenceType>AccelInfluence</InfluenceType>"
        "<Accel><AccelDirection:X>0</AccelDirection:X><AccelDirection:Y>-1</AccelDirection:Y>"
        "<AccelDirection:Z>0</AccelDirection:Z><AccelSize>9.8</AccelSize></Accel></Influence>");

    ZrCommonEmitter* emitter = new ZrCommonEmitter;
    ZrAccelInfluence* gravity = new ZrAccelInfluence;
    if (!emitter->FromXML(emitterXml) || !gravity->FromXML(gravityXml)) {
        std::fprintf(stderr, "nbparticle_host: cannot read the built-in documents\n");
        delete emitter;
        delete gravity;
        return 1;
    }
    ZrParticleSystem* system = new ZrParticleSystem;
    system->SetEmitter(emitter);
    emitter->SetParticleSystem(system);
    system->AddInfluence(gravity);

    ZrParticleEffect* effect = ZrParticleEffect::ParticleEffectFactory(FountainEffect);
    effect->AddParticleSystem(system);

    const double dt = 1.0 / 30.0;
    for (int frame = 0; frame < 30; ++frame) {
        effect->Update(dt);
        effect->AfterRender(dt);
    }
    int live = 0;
    for (int i = 0; i < system->GetParticleNum(); ++i) {
        ZrParticle* p = system->GetParticle(i);
        if (!p->IsAlive())
            continue;
        ++live;
        if (live <= 5) {
            ZrVector3d pos = p->GetCurPos();
            std::printf("particle %d at (%.3f, %.3f, %.3f) alpha %.3f size %.3f\n", i, pos.x, pos.y, pos.z,
                        p->GetCurAlpha(), p->GetCurSize());
        }
    }
    ZrBoundingBox box = effect->ComputeBoundingBox();
    std::printf("%d live particles of %d slots; box (%.2f, %.2f, %.2f) .. (%.2f, %.2f, %.2f)\n", live,
                system->GetParticleNum(), box.GetMin().x, box.GetMin().y, box.GetMin().z, box.GetMax().x,
                box.GetMax().y, box.GetMax().z);
    delete effect;

    // A bundled effect, read by name from the package's resource container.
    // The data folder ends in a separator: the container path is that text
    // followed directly by "./particle/particle.sc".
    ZrCommon3D::ms_strSceneResFoloderPath = VexaString(NBPS_DATA_DIR);
    ZrParticleEffectManager manager;
    ZrParticleEffect* fire = manager.GetParticleEffect(VexaString("fire"), 1);   // owned by the manager
    if (!fire) {
        std::fprintf(stderr, "nbparticle_host: no effect fire in %s./particle/particle.sc\n", NBPS_DATA_DIR);
        return 1;
    }
    fire->Update(dt);
    // Texture paths are the document's text; the host loads the image: a
    // file of that path, else the container entry of exactly that name.
    int textures = 0;
    for (int s = 0; s < fire->GetParticleSystemNum(); ++s) {
        ZrParticleSystem* sys = fire->GetParticleSystem(s);
        const VexaString path = sys ? sys->GetTexturePath() : VexaString("");
        ZrByteArray image;
        if (!path.IsEmpty() && (ZrFile::IsExist(path) ||
                                ZrParticleResource::ReadEntry(path, ZrParticleResource::ImageCapacity, image)))
            ++textures;
    }
    std::printf("bundled fire: %d particle systems, %d textures found\n", fire->GetParticleSystemNum(), textures);
    return live > 0 && textures == fire->GetParticleSystemNum() ? 0 : 1;
}
