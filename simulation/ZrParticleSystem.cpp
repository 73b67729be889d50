#include "ZrParticleSystem.h"

#include "ZrAccelInfluence.h"
#include "ZrByteArray.h"
#include "ZrCommonEmitter.h"
#include "ZrCounter.h"
#include "ZrEmitter.h"
#include "ZrExchangeParams.h"
#include "ZrExchangeParamsManager.h"
#include "ZrFile.h"
#include "ZrFileParseToolkit.h"
#include "ZrFileType.h"
#include "ZrImageOperator.h"
#include "ZrImgToolkit.h"
#include "ZrInfluence.h"
#include "ZrDocumentLayout.h"
#include "ZrDocumentValues.h"
#include "ZrMarkup.h"
#include "ZrParticleResource.h"
#include "ZrPlacer.h"
#include "ZrRandomWind.h"
#include "ZrShooter.h"
#include "ZrVectorUnit.h"
#include "ZrWindInfluence.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
#if defined(NBPS_WIDE_UNIT)
#include <immintrin.h>
#endif

namespace ZRC {

namespace {

// Corners of a box grown point by point. A point lowers a minimum only when
// it compares below it (and raises a maximum only when above), so a NaN
// component leaves the corner as it was.
class BoxFold {
public:
#if defined(__SSE2__) || defined(_M_X64)
    // x and y in one register, z in the low lane of another: minpd(p, lo) is
    // p < lo ? p : lo lane by lane, maxpd(p, hi) is p > hi ? p : hi.
    BoxFold(const ZrVector3d& lo, const ZrVector3d& hi)
        : m_loXY(_mm_set_pd(lo.y, lo.x)), m_hiXY(_mm_set_pd(hi.y, hi.x)), m_loZ(_mm_set_sd(lo.z)),
          m_hiZ(_mm_set_sd(hi.z))
    {
    }
    void Add(const ZrVector3d& p)
    {
        const __m128d xy = _mm_set_pd(p.y, p.x);
        const __m128d z = _mm_set_sd(p.z);
        m_loXY = _mm_min_pd(xy, m_loXY);
        m_hiXY = _mm_max_pd(xy, m_hiXY);
        m_loZ = _mm_min_sd(z, m_loZ);
        m_hiZ = _mm_max_sd(z, m_hiZ);
    }
    ZrVector3d Min() const { return Corner(m_loXY, m_loZ); }
    ZrVector3d Max() const { return Corner(m_hiXY, m_hiZ); }

private:
    static ZrVector3d Corner(__m128d xy, __m128d z)
    {
        return ZrVector3d(_mm_cvtsd_f64(xy), _mm_cvtsd_f64(_mm_unpackhi_pd(xy, xy)), _mm_cvtsd_f64(z));
    }
    __m128d m_loXY, m_hiXY, m_loZ, m_hiZ;
#else
    // std::min(lo, p) keeps lo unless p compares below it, as minpd does.
    BoxFold(const ZrVector3d& lo, const ZrVector3d& hi) : m_lo(lo), m_hi(hi) {}
    void Add(const ZrVector3d& p)
    {
        m_lo = ZrVector3d(std::min(m_lo.x, p.x), std::min(m_lo.y, p.y), std::min(m_lo.z, p.z));
        m_hi = ZrVector3d(std::max(m_hi.x, p.x), std::max(m_hi.y, p.y), std::max(m_hi.z, p.z));
    }
    ZrVector3d Min() const { return m_lo; }
    ZrVector3d Max() const { return m_hi; }

private:
    ZrVector3d m_lo, m_hi;
#endif
};

// The common emitter behind an emitter pointer, or null for any other class.
ZrCommonEmitter* AsCommon(ZrEmitter* emitter)
{
    if (emitter == nullptr || emitter->GetType() != 1)
        return nullptr;
    return dynamic_cast<ZrCommonEmitter*>(emitter);
}

ZrAccelInfluence* AsAccel(ZrInfluence* influence)
{
    if (influence == nullptr || influence->GetType() != 1)
        return nullptr;
    return dynamic_cast<ZrAccelInfluence*>(influence);
}

ZrInfluence* MakeInfluence(const VEXA::VexaString& type)
{
    if (type.Compare("RandomWind") == 0)
        return new ZrRandomWind();
    if (type.Compare("WindInfluence") == 0)
        return new ZrWindInfluence();
    if (type.Compare("AccelInfluence") == 0)
        return new ZrAccelInfluence();
    return nullptr;
}

void DiscardImages(VEXA::VexaArray<ZrImageData*>& images)
{
    for (int i = 0; i < images.GetSize(); ++i)
        delete images[i];
    images.RemoveAll();
}

// Turns the first decoded record into R, G, B, A pixels and hands it out; the
// other records are discarded. Null when there is no record or it cannot be
// converted to 32-bit pixels (the particles read four bytes a pixel).
ZrImageData* TakeFirstAsRGBA(VEXA::VexaArray<ZrImageData*>& images)
{
    if (images.GetSize() == 0) {
        return nullptr;
    }
    ZrImageData* image = images[0];
    images[0] = nullptr;
    DiscardImages(images);
    if (image == nullptr || !ZrImgToolkit::ImageDataToRGBA(*image, 255) || image->m_nDepth != 32) {
        delete image;
        return nullptr;
    }
    ZrImageOperator::ImageSwapRB(4, image->m_nWidth, image->m_nHeight, image->m_pData);
    return image;
}

} // namespace

std::atomic<long long> ZrParticleSystem::ms_totalParticles(0);
std::atomic<long long> ZrParticleSystem::ms_maxTotalParticles(ZrParticleSystem::kDefaultMaxTotalParticleNum);

ZrParticleSystem::ZrParticleSystem()
    : m_nLiveParticles(0),
      m_nMaxParticleNum(kDefaultMaxParticleNum),
      m_nDetailLevel(1),
      m_fParticleWidth(2.0f),
      m_fParticleHeight(2.0f),
      m_particleType(GLOW_PARTICLE),
      m_localCenter(0.0, 0.0, 0.0),
      m_bFrozen(0),
      m_bAlive(1),
      m_pEmitter(nullptr),
      m_pColorImage(nullptr),
      m_bTextureDirty(0)
{
}

ZrParticleSystem::ZrParticleSystem(const ZrParticleSystem& other) : ZrParticleSystem()
{
    Copy(other);
}

ZrParticleSystem& ZrParticleSystem::operator=(const ZrParticleSystem& other)
{
    if (&other != this) {
        // Start from an empty system so that nothing of the old parts survives
        // next to the copied ones, then copy as the copy constructor does.
        DestroyParts();
        ClearPool();
        Copy(other);
    }
    return *this;
}

ZrParticleSystem::~ZrParticleSystem()
{
    DestroyParts();
    ClearPool();
}

void ZrParticleSystem::ClearPool()
{
    ms_totalParticles -= static_cast<long long>(m_particles.size());
    m_particles.clear();
    m_freeList.clear();
    m_nLiveParticles = 0;
}

void ZrParticleSystem::SetMaxTotalParticleNum(long long count) { ms_maxTotalParticles = count > 0 ? count : 0; }

long long ZrParticleSystem::GetMaxTotalParticleNum() { return ms_maxTotalParticles; }

long long ZrParticleSystem::GetTotalParticleNum() { return ms_totalParticles; }

void ZrParticleSystem::DestroyParts()
{
    delete m_pEmitter;
    m_pEmitter = nullptr;
    for (ZrInfluence*& influence : m_influences) {
        delete influence;
        influence = nullptr;
    }
    m_influences.clear();
    delete m_pColorImage;
    m_pColorImage = nullptr;
}

// ---------------------------------------------------------------------------
// Pool and update

ZrParticle* ZrParticleSystem::CreateParticle(ZrParticle* templ)
{
    static const ZrParticle blank;
    const ZrParticle& source = templ != nullptr ? *templ : blank;
    if (!m_freeList.empty()) {
        ZrParticle* slot = m_freeList.back();
        // A host may have collected a slot that still lived.
        const int wasAlive = slot->IsAlive() ? 1 : 0;
        *slot = source;
        m_freeList.pop_back();
        m_nLiveParticles += (slot->IsAlive() ? 1 : 0) - wasAlive;
        return slot;
    }
    ZrParticle* slot = GrowPool(source);
    if (slot != nullptr && slot->IsAlive())
        ++m_nLiveParticles;
    return slot;
}

ZrParticle* ZrParticleSystem::GrowPool(const ZrParticle& source)
{
    const size_t size = m_particles.size();
    if (size >= static_cast<size_t>(m_nMaxParticleNum))
        return nullptr;
    // Claim the slot from the process-wide budget first; give it back when the
    // budget is spent or memory runs out.
    if (++ms_totalParticles > ms_maxTotalParticles) {
        --ms_totalParticles;
        return nullptr;
    }
    try {
        if (size == m_particles.capacity()) {
            // Grow geometrically, but never past the system's budget. The free
            // list is sized with the pool, so collecting dead slots in the
            // update never allocates.
            const size_t wanted = std::min(std::max<size_t>(16, size * 2), static_cast<size_t>(m_nMaxParticleNum));
            m_particles.reserve(wanted);
            m_freeList.reserve(wanted);
        }
        // The free list is empty here, so moving the pool invalidates no slot in it.
        m_particles.push_back(source);
    } catch (const std::bad_alloc&) {
        --ms_totalParticles;
        return nullptr;
    }
    return &m_particles.back();
}

void ZrParticleSystem::CollectDeadparticle(int index)
{
    if (index < 0 || index >= static_cast<int>(m_particles.size()))
        return;
    try {
        m_freeList.push_back(&m_particles[static_cast<size_t>(index)]);
    } catch (const std::bad_alloc&) {
        // The slot stays out of reuse; nothing else is lost.
    }
}

#if defined(NBPS_WIDE_UNIT)
// The same steps as ZrParticle::UpdateParticle for a live particle that is not
// marked to die, has a life time, no colour image and is not past its end:
// the colour and the box corners four lanes at a time (faster here than the
// two-register BoxFold), size and alpha as a pair. Every other particle takes
// UpdateParticle itself.
__attribute__((target("avx2"))) bool ZrParticleSystem::UpdateWide(double dt)
{
    if (!ZrVectorUnit::Wide())
        return false;
    const ZrVector3d& lo = m_boundingBox.GetMin();
    const ZrVector3d& hi = m_boundingBox.GetMax();
    __m256d boxLo = _mm256_set_pd(0.0, lo.z, lo.y, lo.x);
    __m256d boxHi = _mm256_set_pd(0.0, hi.z, hi.y, hi.x);
    bool folded = false;
    const __m128d step = _mm_set1_pd(dt);
    ZrParticle* const particles = m_particles.data();
    const size_t count = m_particles.size();
    for (size_t i = 0; i < count; ++i) {
        ZrParticle& p = particles[i];
        if (!p.m_bAlive)
            continue;
        folded = true;
        const float age = p.m_fAge;
        const float lifeTime = p.m_fLifeTime;
        const float t = age / lifeTime; // not used where there is no life time
        if (p.m_bMustDie || p.m_pColorImage != nullptr || !(lifeTime > 0.0f) || t > 1.0f) {
            const unsigned char alive = p.UpdateParticle(dt);
            const ZrParticle::Coordinates& at = p.m_position;
            const __m256d pos = _mm256_set_pd(0.0, at.z, at.y, at.x);
            boxLo = _mm256_min_pd(pos, boxLo);
            boxHi = _mm256_max_pd(pos, boxHi);
            if (!alive)
                m_freeList.push_back(&p);
            continue;
        }
        p.m_fAge = static_cast<float>(age + dt);
        // Size and alpha side by side: starts {size, alpha} and ends {size, alpha}
        // from the four range ends, which lie in that order in the particle.
        const __m128 ranges = _mm_loadu_ps(&p.m_fSizeStart);
        const __m128 starts = _mm_shuffle_ps(ranges, ranges, _MM_SHUFFLE(3, 1, 2, 0));
        const __m128 ends = _mm_movehl_ps(starts, starts);
        const __m128 look = _mm_add_ps(starts, _mm_mul_ps(_mm_sub_ps(ends, starts), _mm_set1_ps(t)));
        // The current size and alpha are neighbours too: one store for both.
        _mm_storel_pi(reinterpret_cast<__m64*>(&p.m_fCurSize), look);
        const __m256d c0 = _mm256_loadu_pd(&p.m_colorStart.x);
        const __m256d c1 = _mm256_loadu_pd(&p.m_colorEnd.x);
        _mm256_storeu_pd(&p.m_curColor.x,
                         _mm256_add_pd(c0, _mm256_mul_pd(_mm256_sub_pd(c1, c0), _mm256_set1_pd(static_cast<double>(t)))));
        const __m128d xy = _mm_add_pd(_mm_loadu_pd(&p.m_position.x), _mm_mul_pd(_mm_loadu_pd(&p.m_velocity.x), step));
        const __m128d z = _mm_add_sd(_mm_load_sd(&p.m_position.z), _mm_mul_sd(_mm_load_sd(&p.m_velocity.z), step));
        _mm_storeu_pd(&p.m_position.x, xy);
        _mm_store_sd(&p.m_position.z, z);
        const __m256d pos = _mm256_insertf128_pd(_mm256_castpd128_pd256(xy), z, 1);
        boxLo = _mm256_min_pd(pos, boxLo);
        boxHi = _mm256_max_pd(pos, boxHi);
    }
    if (folded) {
        alignas(32) double a[4], b[4];
        _mm256_store_pd(a, boxLo);
        _mm256_store_pd(b, boxHi);
        m_boundingBox.SetExtents(ZrVector3d(a[0], a[1], a[2]), ZrVector3d(b[0], b[1], b[2]));
    }
    return true;
}
#else
bool ZrParticleSystem::UpdateWide(double) { return false; }
#endif

void ZrParticleSystem::UpdateParticleSystem(double dt)
{
    if (m_bFrozen)
        return;
    // Both loops collect a particle exactly when it dies in this step, so the
    // growth of the free list is the number of deaths.
    const size_t collectedBefore = m_freeList.size();
    UpdatePool(dt);
    m_nLiveParticles -= static_cast<int>(m_freeList.size() - collectedBefore);
}

void ZrParticleSystem::UpdatePool(double dt)
{
    if (UpdateWide(dt))
        return;
    // The box is folded in locals and written back once; folding the same
    // positions one by one into the box gives the same corners.
    BoxFold box(m_boundingBox.GetMin(), m_boundingBox.GetMax());
    bool folded = false;
    ZrParticle* const particles = m_particles.data();
    const size_t count = m_particles.size();
    for (size_t i = 0; i < count; ++i) {
        ZrParticle& particle = particles[i];
        if (!particle.IsAlive())
            continue;
        const unsigned char alive = particle.UpdateParticle(dt);
        box.Add(particle.GetCurPos());
        folded = true;
        if (!alive)
            m_freeList.push_back(&particle);
    }
    if (folded)
        m_boundingBox.SetExtents(box.Min(), box.Max());
}

ZrBoundingBox ZrParticleSystem::ComputeLiveBoundingBox() const
{
    ZrBoundingBox live;
    BoxFold box(live.GetMin(), live.GetMax());
    bool folded = false;
    for (const ZrParticle& particle : m_particles) {
        const ZrParticle::Coordinates& at = particle.m_position;
        if (!particle.IsAlive() || !std::isfinite(at.x + at.y + at.z))
            continue;
        box.Add(ZrVector3d(at.x, at.y, at.z));
        folded = true;
    }
    if (folded)
        live.SetExtents(box.Min(), box.Max());
    return live;
}

// ---------------------------------------------------------------------------
// Emitter and influences

void ZrParticleSystem::SetEmitter(ZrEmitter* emitter)
{
    if (emitter == m_pEmitter)
        return;
    delete m_pEmitter;
    m_pEmitter = emitter;
}

void ZrParticleSystem::AddInfluence(ZrInfluence* influence)
{
    if (influence != nullptr)
        m_influences.push_back(influence);
}

ZrInfluence* ZrParticleSystem::GetInfluence(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_influences.size()))
        return nullptr;
    return m_influences[static_cast<size_t>(index)];
}

// ---------------------------------------------------------------------------
// Textures and the colour image

void ZrParticleSystem::SetTexturePath(const VEXA::VexaString& path)
{
    m_strTexturePath = path;
    m_bTextureDirty = 1;
}

void ZrParticleSystem::SetColorImagePath(VEXA::VexaString path)
{
    delete m_pColorImage;
    m_pColorImage = nullptr;
    m_strColorImagePath = path;
    m_pColorImage = LoadColorImage(m_strColorImagePath);
    if (ZrCommonEmitter* common = AsCommon(m_pEmitter))
        common->GetParticleTemplate()->SetColorImageData(m_pColorImage);
    // Particles made before hold the discarded image; give them the new one.
    RepointParticles();
}

void ZrParticleSystem::RepointParticles()
{
    for (ZrParticle& particle : m_particles)
        particle.SetColorImageData(m_pColorImage);
}

ZrImageData* ZrParticleSystem::LoadColorImage(const VEXA::VexaString& path)
{
    const int type = ZrFileType::ExtNameToFileType(ZrFile::GetExt(path));
    VEXA::VexaArray<ZrImageData*> images;

    if (ZrFile::IsExist(path)) {
        ZrImportParams* params = ZrExchangeParamsManager::MakeImportParams(type);
        if (params == nullptr)
            return nullptr;
        params->SetFilePathName(path);
        const unsigned char ok = ZrFileParseToolkit::GetImageData(params, images, 0, -1);
        delete params;
        if (!ok) {
            DiscardImages(images);
            return nullptr;
        }
        return TakeFirstAsRGBA(images);
    }

    ZrByteArray bytes;
    if (!ZrParticleResource::ReadEntry(path, ZrParticleResource::ImageCapacity, bytes))
        return nullptr;
    if (ZrFileParseToolkit::GetImageData(type, bytes, images) == 0) {
        DiscardImages(images);
        return nullptr;
    }
    return TakeFirstAsRGBA(images);
}

// ---------------------------------------------------------------------------
// Document

unsigned char ZrParticleSystem::ToXML(VEXA::VexaString& xml)
{
    ZrMarkup doc;
    doc.AddElem("ParticleSystem", nullptr, 0, 0);
    unsigned char result = 1;
    VEXA::VexaString text;
    if (m_pEmitter != nullptr) {
        if (m_pEmitter->ToXML(text))
            doc.AddSubDoc(text, 0, 1);
        else
            result = 0;
    }
    for (ZrInfluence* influence : m_influences) {
        if (influence == nullptr)
            continue;
        if (influence->ToXML(text))
            doc.AddSubDoc(text, 0, 1);
        else
            result = 0;
    }
    doc.AddElem("ParticleType", m_particleType == GLOW_PARTICLE ? "GLOW_PARTICLE" : "DARK_PARTICLE", 0, 1);
    doc.AddElem("TexturePath", m_strTexturePath, 0, 1);
    doc.AddElem("ColorImagePath", m_strColorImagePath, 0, 1);
    ZrDocumentValues::AddNumber(doc, "ParticleWidth", static_cast<double>(m_fParticleWidth));
    ZrDocumentValues::AddNumber(doc, "ParticleHeight", static_cast<double>(m_fParticleHeight));
    xml = doc.m_strDocText;
    return result;
}

unsigned char ZrParticleSystem::FromXML(VEXA::VexaString& xml)
{
    ZrMarkup doc(xml);
    ZrDocumentLayout::Reader in(doc, ZrDocumentLayout::ParticleSystem());
    if (!in.Enter())
        return 0;

    if (in.Find()) {
        doc.IntoElem();
        const ZrDocumentLayout::Node& common = *ZrDocumentLayout::Variant(in.Last(), "CommonEmitter");
        if (doc.FindChildElem(common.children[0].name) && doc.GetChildData().Compare(common.typeWord) == 0) {
            ZrCommonEmitter* emitter = new ZrCommonEmitter();
            VEXA::VexaString sub = doc.GetSubDoc();
            if (!emitter->FromXML(sub)) {
                delete emitter;
                return 0;
            }
            emitter->SetParticleSystem(this);
            SetEmitter(emitter);
        }
        doc.OutOfElem();
    }

    while (in.Find()) {
        doc.IntoElem();
        if (doc.FindChildElem(in.Last().variants[0]->children[0].name)) {
            if (ZrInfluence* influence = MakeInfluence(doc.GetChildData())) {
                VEXA::VexaString sub = doc.GetSubDoc();
                if (influence->FromXML(sub))
                    m_influences.push_back(influence);
                else
                    delete influence;
            }
        }
        doc.OutOfElem();
    }

    if (in.Find())
        m_particleType = doc.GetChildData().Compare("GLOW_PARTICLE") == 0 ? GLOW_PARTICLE : DARK_PARTICLE;
    if (in.Find())
        SetTexturePath(doc.GetChildData());
    if (in.Find())
        m_strColorImagePath = doc.GetChildData();
    in.Read(m_fParticleWidth);
    in.Read(m_fParticleHeight);

    if (m_pColorImage == nullptr && !m_strColorImagePath.IsEmpty())
        m_pColorImage = LoadColorImage(m_strColorImagePath);
    // A newly read emitter takes the system's image too, the one it already
    // had included, so that its particles are coloured the same way.
    if (m_pColorImage != nullptr) {
        if (ZrCommonEmitter* common = AsCommon(m_pEmitter))
            common->GetParticleTemplate()->SetColorImageData(m_pColorImage);
    }
    return 1;
}

// ---------------------------------------------------------------------------
// Copy

unsigned char ZrParticleSystem::Copy(const ZrParticleSystem& other)
{
    if (&other == this)
        return 0;

    ClearPool();
    m_particles.insert(m_particles.end(), other.m_particles.begin(), other.m_particles.end());
    ms_totalParticles += static_cast<long long>(m_particles.size());
    // A copied particle starts without a current colour; the pool's particles
    // keep theirs, or an immortal one, whose colour is drawn once, would stay
    // black in the copy.
    int live = 0;
    for (size_t i = 0; i < m_particles.size(); ++i) {
        m_particles[i].m_curColor = other.m_particles[i].m_curColor;
        live += m_particles[i].IsAlive() ? 1 : 0;
    }
    m_nLiveParticles = live;
    m_nMaxParticleNum = other.m_nMaxParticleNum;
    // The old free list, emptied with the old pool, takes the other's, slot
    // for slot and in its order, so that the copy reuses the slots its source
    // would (a reused slot keeps its current colour) and, with the same draws,
    // goes on exactly as the source does. A dead slot the source no longer
    // lists stays out of reuse in the copy too.
    m_freeList.reserve(m_particles.size());
    for (const ZrParticle* slot : other.m_freeList) {
        const size_t index = static_cast<size_t>(slot - other.m_particles.data());
        if (index < m_particles.size() && !m_particles[index].IsAlive())
            m_freeList.push_back(&m_particles[index]);
    }

    m_fParticleWidth = other.m_fParticleWidth;
    m_fParticleHeight = other.m_fParticleHeight;
    m_nDetailLevel = other.m_nDetailLevel;
    m_particleType = other.m_particleType;
    m_localCenter = other.m_localCenter;
    m_localScale = other.m_localScale;
    m_localRotate = other.m_localRotate;
    m_bFrozen = other.m_bFrozen;
    m_bAlive = other.m_bAlive;
    m_strTexturePath = other.m_strTexturePath;
    m_boundingBox = other.m_boundingBox;
    m_strColorImagePath = other.m_strColorImagePath;
    m_bTextureDirty = 1;

    if (other.m_pColorImage != nullptr) {
        ZrImageData* clone = other.m_pColorImage->Clone();
        delete m_pColorImage;
        m_pColorImage = clone;
    }
    // The copied particles carry the other system's image; they use this
    // system's own from now on.
    RepointParticles();

    if (!other.m_influences.empty()) {
        for (ZrInfluence*& influence : m_influences) {
            delete influence;
            influence = nullptr;
        }
        m_influences.clear();
        for (const ZrInfluence* influence : other.m_influences) {
            if (ZrInfluence* copy = ZrInfluence::Clone(influence))
                m_influences.push_back(copy);
        }
    }

    if (other.m_pEmitter == nullptr)
        return 1;
    delete m_pEmitter;
    m_pEmitter = ZrEmitter::Clone(other.m_pEmitter);
    if (m_pEmitter != nullptr) {
        m_pEmitter->SetParticleSystem(this);
        // The cloned template holds the other system's image (or none); it
        // borrows this system's own.
        if (ZrCommonEmitter* common = AsCommon(m_pEmitter))
            common->GetParticleTemplate()->SetColorImageData(m_pColorImage);
    }
    return 1;
}

// ---------------------------------------------------------------------------
// Forwarding to the emitter's parts

void ZrParticleSystem::SetDirection(ZrVector3d direction)
{
    ZrCommonEmitter* common = AsCommon(m_pEmitter);
    if (common != nullptr && common->GetShooter() != nullptr)
        common->GetShooter()->SetDirection(direction);
}

void ZrParticleSystem::SetSeepRange(float start, float end)
{
    ZrCommonEmitter* common = AsCommon(m_pEmitter);
    if (common != nullptr && common->GetShooter() != nullptr)
        common->GetShooter()->SetSpeedRange(start, end);
}

void ZrParticleSystem::GetSpeedRange(float& start, float& end)
{
    ZrCommonEmitter* common = AsCommon(m_pEmitter);
    if (common != nullptr && common->GetShooter() != nullptr)
        common->GetShooter()->GetSpeedRange(start, end);
}

void ZrParticleSystem::SetCountPerSecond(int count)
{
    ZrCommonEmitter* common = AsCommon(m_pEmitter);
    if (common != nullptr && common->GetCounter() != nullptr)
        common->GetCounter()->SetCountPerSecond(count);
}

int ZrParticleSystem::GetCountPerSecond()
{
    ZrCommonEmitter* common = AsCommon(m_pEmitter);
    if (common != nullptr && common->GetCounter() != nullptr)
        return common->GetCounter()->GetCountPerSecond();
    return 0;
}

unsigned char ZrParticleSystem::ResetCounter()
{
    ZrCommonEmitter* common = AsCommon(m_pEmitter);
    if (common != nullptr && common->GetCounter() != nullptr)
        return common->GetCounter()->Reset();
    return 0;
}

void ZrParticleSystem::SetRegion(const VEXA::VexaArray<VEXA::VexaPoint2D>& points, VEXA::VexaPoint2D centre)
{
    ZrCommonEmitter* common = AsCommon(m_pEmitter);
    if (common != nullptr && common->GetPlacer() != nullptr)
        common->GetPlacer()->SetRegion(points, centre);
}

void ZrParticleSystem::SetLifeTime(int milliseconds)
{
    ZrCommonEmitter* common = AsCommon(m_pEmitter);
    if (common != nullptr && milliseconds > 0)
        common->GetParticleTemplate()->SetLifeTime(milliseconds);
}

int ZrParticleSystem::GetLifeTime()
{
    ZrCommonEmitter* common = AsCommon(m_pEmitter);
    return common != nullptr ? common->GetParticleTemplate()->GetLifeTime() : 0;
}

void ZrParticleSystem::SetColorRangeStart(ZrVector4d color)
{
    if (ZrCommonEmitter* common = AsCommon(m_pEmitter))
        common->GetParticleTemplate()->SetColorRangeStart(color);
}

void ZrParticleSystem::SetColorRangeEnd(ZrVector4d color)
{
    if (ZrCommonEmitter* common = AsCommon(m_pEmitter))
        common->GetParticleTemplate()->SetColorRangeEnd(color);
}

ZrVector4d ZrParticleSystem::GetColorRangeStart()
{
    ZrCommonEmitter* common = AsCommon(m_pEmitter);
    return common != nullptr ? common->GetParticleTemplate()->GetColorRangeStart() : ZrVector4d();
}

ZrVector4d ZrParticleSystem::GetColorRangeEnd()
{
    ZrCommonEmitter* common = AsCommon(m_pEmitter);
    return common != nullptr ? common->GetParticleTemplate()->GetColorRangeEnd() : ZrVector4d();
}

// ---------------------------------------------------------------------------
// Forwarding to the acceleration influences

void ZrParticleSystem::SetAccelDirection(ZrVector3d direction)
{
    for (ZrInfluence* influence : m_influences) {
        if (ZrAccelInfluence* accel = AsAccel(influence))
            accel->SetAccelDirection(direction);
    }
}

void ZrParticleSystem::GetAccelDirection(ZrVector3d& direction)
{
    for (ZrInfluence* influence : m_influences) {
        if (ZrAccelInfluence* accel = AsAccel(influence))
            accel->GetAccelDirection(direction);
    }
}

void ZrParticleSystem::SetAccelSize(float size)
{
    for (ZrInfluence* influence : m_influences) {
        if (ZrAccelInfluence* accel = AsAccel(influence))
            accel->SetAccelSize(size);
    }
}

void ZrParticleSystem::GetAccelSize(float& size)
{
    for (ZrInfluence* influence : m_influences) {
        if (ZrAccelInfluence* accel = AsAccel(influence))
            accel->GetAccelSize(size);
    }
}

} // namespace ZRC
