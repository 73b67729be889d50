#pragma once
#include "NbExport.h"
#include "VexaArray.h"
#include "VexaPoint2D.h"
#include "VexaString.h"
#include "ZrBoundingBox.h"
#include "ZrImageData.h"
#include "ZrParticle.h"
#include "ZrVector3d.h"
#include "ZrVector4d.h"
#include <atomic>
#include <vector>

namespace ZRC {

class ZrEmitter;
class ZrInfluence;

// One stream of particles of an effect: a pool of particles held by value, an
// emitter, a list of influences, a colour image and the rendering attributes
// the host needs. Owns its emitter, influences and colour image.
class NBPS_API ZrParticleSystem {
public:
    enum ParticleSystemType { GLOW_PARTICLE = 0, DARK_PARTICLE = 1 };

    ZrParticleSystem();
    // An empty system, then Copy from the other.
    ZrParticleSystem(const ZrParticleSystem& other);
    // Deep copy like Copy; the parts this system owned before are replaced.
    ZrParticleSystem& operator=(const ZrParticleSystem& other);
    virtual ~ZrParticleSystem();

    virtual unsigned char FromXML(VEXA::VexaString& xml);
    virtual unsigned char ToXML(VEXA::VexaString& xml);
    unsigned char Copy(const ZrParticleSystem& other);

    // Pool and update.
    void UpdateParticleSystem(double dt);
    // A live copy of templ (a default particle for null) in a dead slot, or in a
    // new slot at the end of the pool. Null when no slot is free and the pool
    // has reached its budget (GetMaxParticleNum, or the process-wide
    // GetMaxTotalParticleNum) or memory for a new slot cannot be had.
    ZrParticle* CreateParticle(ZrParticle* templ);

    // Particle budgets. The pool of one system grows to at most
    // GetMaxParticleNum() slots (default kDefaultMaxParticleNum); the pools of
    // all systems of the process together to at most GetMaxTotalParticleNum()
    // slots (default kDefaultMaxTotalParticleNum). A smaller budget never
    // shrinks a pool that is already larger: it stops its growth. A copied
    // system takes the other's budget and pool as they are.
    static const int kDefaultMaxParticleNum = 1048576;
    static const long long kDefaultMaxTotalParticleNum = 2097152;
    void SetMaxParticleNum(int count) { m_nMaxParticleNum = count > 0 ? count : 0; }
    int GetMaxParticleNum() const { return m_nMaxParticleNum; }
    static void SetMaxTotalParticleNum(long long count);
    static long long GetMaxTotalParticleNum();
    // Pool slots held by all systems of the process now.
    static long long GetTotalParticleNum();
    // An index outside the pool does nothing.
    void CollectDeadparticle(int index);
    int GetParticleNum() const { return static_cast<int>(m_particles.size()); }
    // The particles alive now, kept up to date by CreateParticle, the update
    // and Copy without a walk over the pool. A particle changed directly
    // through GetParticle (its UpdateParticle called, or another particle
    // assigned to it) is not followed.
    int GetLiveParticleNum() const { return m_nLiveParticles; }
    // Null for an index outside the pool.
    ZrParticle* GetParticle(int index)
    {
        return (index >= 0 && index < static_cast<int>(m_particles.size())) ? &m_particles[static_cast<size_t>(index)] : nullptr;
    }
    ZrBoundingBox& GetBoundingBox() { return m_boundingBox; }
    // The box of the positions of the particles alive now (a null box when
    // none is; a position that is not a finite number is left out), in the same frame as GetBoundingBox. Unlike that box, which
    // only grows, it shrinks as particles die, so a host can cull with it.
    ZrBoundingBox ComputeLiveBoundingBox() const;
    int GetFreeParticleNum() const { return static_cast<int>(m_freeList.size()); }

    // Emitter and influences.
    // Destroys the current emitter and takes the new one; passing the emitter
    // already owned keeps it.
    void SetEmitter(ZrEmitter* emitter);
    ZrEmitter* GetEmitter() const { return m_pEmitter; }
    void AddInfluence(ZrInfluence* influence);
    ZrInfluence* GetInfluence(int index) const;
    int GetInfluenceSize() const { return static_cast<int>(m_influences.size()); }

    // Flags and rendering attributes.
    unsigned char IsAlive() const { return m_bAlive; }
    void SetAvlive(unsigned char alive) { m_bAlive = alive; }
    unsigned char IsFrozen() const { return m_bFrozen; }
    void SetFrozen(unsigned char frozen) { m_bFrozen = frozen; }
    void SetDetailLevel(int level) { m_nDetailLevel = level; }
    void SetParticleType(ParticleSystemType type) { m_particleType = type; }
    ParticleSystemType GetParticleType() const { return m_particleType; }
    void SetParticleWidth(float width) { m_fParticleWidth = width; }
    float GetParticleWidth() const { return m_fParticleWidth; }
    void SetParticleHeight(float height) { m_fParticleHeight = height; }
    float GetParticleHeight() const { return m_fParticleHeight; }
    void SetLocalCenterPos(const ZrVector3d& pos) { m_localCenter = pos; }
    ZrVector3d GetLocalCenterPos() const { return m_localCenter; }
    void SetLocalScale(const ZrVector3d& scale) { m_localScale = scale; }
    ZrVector3d GetLocalScale() const { return m_localScale; }
    void SetLocalRotate(const ZrVector3d& rotate) { m_localRotate = rotate; }
    ZrVector3d GetLocalRotate() const { return m_localRotate; }
    void SetTexturePath(const VEXA::VexaString& path);
    VEXA::VexaString GetTexturePath() const { return m_strTexturePath; }
    void SetTextureDirty(unsigned char dirty) { m_bTextureDirty = dirty; }
    unsigned char GetTextureDirty() const { return m_bTextureDirty; }
    void SetColorImagePath(VEXA::VexaString path);
    VEXA::VexaString GetColorImagePath() const { return m_strColorImagePath; }
    ZrImageData* GetColorImage() const { return m_pColorImage; }

    // Forwarding to the emitter's parts.
    void SetDirection(ZrVector3d direction);
    void SetSeepRange(float start, float end);
    void GetSpeedRange(float& start, float& end);
    void SetCountPerSecond(int count);
    int GetCountPerSecond();
    unsigned char ResetCounter();
    void SetRegion(const VEXA::VexaArray<VEXA::VexaPoint2D>& points, VEXA::VexaPoint2D centre);
    void SetLifeTime(int milliseconds);
    // The template's, in milliseconds: saturated at the int range, 0 for a
    // life time that is not finite (see ZrParticle::GetLifeTime).
    int GetLifeTime();
    void SetColorRangeStart(ZrVector4d color);
    void SetColorRangeEnd(ZrVector4d color);
    ZrVector4d GetColorRangeStart();
    ZrVector4d GetColorRangeEnd();

    // Forwarding to every acceleration influence.
    void SetAccelDirection(ZrVector3d direction);
    void GetAccelDirection(ZrVector3d& direction);
    void SetAccelSize(float size);
    void GetAccelSize(float& size);

private:
    // Reads the pool and the texture path without copies.
    friend class ZrBillboardBatch;

    ZrImageData* LoadColorImage(const VEXA::VexaString& path);
    void DestroyParts();
    void RepointParticles();
    ZrParticle* GrowPool(const ZrParticle& source);
    void ClearPool();
    // The update loop on the processor's 256-bit vector unit; false (and
    // nothing done) where there is none.
    bool UpdateWide(double dt);
    void UpdatePool(double dt);

    static std::atomic<long long> ms_totalParticles;
    static std::atomic<long long> ms_maxTotalParticles;

    std::vector<ZrParticle> m_particles;
    int m_nLiveParticles;
    int m_nMaxParticleNum;
    int m_nDetailLevel;
    float m_fParticleWidth;
    float m_fParticleHeight;
    ParticleSystemType m_particleType;
    // Dead slots waiting for reuse, used as a stack: last collected, first
    // reused. A vector keeps its storage when it empties, so a system whose
    // births and deaths balance stops allocating once the list has reached its
    // largest size (a deque would free and refetch blocks every frame).
    std::vector<ZrParticle*> m_freeList;
    std::vector<ZrInfluence*> m_influences;
    ZrVector3d m_localCenter;
    ZrVector3d m_localScale;
    ZrVector3d m_localRotate;
    unsigned char m_bFrozen;
    unsigned char m_bAlive;
    VEXA::VexaString m_strTexturePath;
    ZrEmitter* m_pEmitter;
    ZrBoundingBox m_boundingBox;
    VEXA::VexaString m_strColorImagePath;
    ZrImageData* m_pColorImage;
    unsigned char m_bTextureDirty;
};

} // namespace ZRC
