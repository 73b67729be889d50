#include "ZrBillboardBatch.h"

#include "ZrParticle.h"
#include "ZrParticleEffect.h"
#include "ZrParticleSystem.h"
#include "ZrVectorUnit.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <numeric>
#if defined(NBPS_WIDE_UNIT)
#include <immintrin.h>
#endif

namespace ZRC {

namespace {

// Centres and half sizes at or beyond this are treated as not finite: a GPU
// could not place them sensibly in single precision.
const double kFar = 1e12;

bool Finite(const ZrVector3d& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Clamped to 0..1, not a number to 0 (as the wide loop's max and min do).
double Unit(double value)
{
    const double low = value > 0.0 ? value : 0.0;
    return low < 1.0 ? low : 1.0;
}

unsigned char Byte(float unit) { return static_cast<unsigned char>(unit * 255.0f + 0.5f); }

} // namespace

ZrBillboardBatch::ZrBillboardBatch() : m_count(0) {}

ZrBillboardBatch::~ZrBillboardBatch() = default;

void ZrBillboardBatch::Begin(const ZrVector3d& origin)
{
    m_origin = origin;
    m_count = 0;
    // Emptied, not freed: the capacity stays for the next fill.
    m_states.clear();
    m_runs.clear();
}

void ZrBillboardBatch::Fill(const ZrParticleEffect& effect, const ZrVector3d& origin)
{
    Begin(origin);
    const ZrVector3d shift = effect.m_centerPos - origin;
    for (size_t i = 0; i < effect.m_systems.size(); ++i) {
        if (const ZrParticleSystem* system = effect.m_systems[i])
            AddSystem(*system, static_cast<int>(i), shift, effect.m_strResFileName);
    }
}

void ZrBillboardBatch::Fill(const ZrParticleSystem& system, const ZrVector3d& origin)
{
    Begin(origin);
    static const VEXA::VexaString noDocument;
    AddSystem(system, 0, ZrVector3d() - origin, noDocument);
}

const ZrBillboardTexture* ZrBillboardBatch::FindTexture(const ZrParticleSystem& system,
                                                        const VEXA::VexaString& resName)
{
    // The slot of the state about to be added.
    if (m_slots.size() <= m_states.size())
        m_slots.resize(m_states.size() + 1);
    Slot& slot = m_slots[m_states.size()];
    const std::string& path = system.m_strTexturePath.Str();
    if (slot.texture != nullptr && slot.path == path && slot.resName == resName.Str())
        return slot.texture;
    slot.path.assign(path);
    slot.resName.assign(resName.Str());
    // A folder given by the host, or the document's resource file name.
    m_key.assign(m_folder.IsEmpty() ? "document\n" : "folder\n");
    m_key += m_folder.IsEmpty() ? resName.Str() : m_folder.Str();
    m_key += '\n';
    m_key += path;
    auto it = m_textures.find(m_key);
    if (it == m_textures.end()) {
        std::unique_ptr<ZrBillboardTexture> texture(new ZrBillboardTexture);
        texture->Resolve(system.m_strTexturePath,
                         m_folder.IsEmpty() ? ZrBillboardTexture::EffectFolder(resName) : m_folder);
        it = m_textures.emplace(m_key, std::move(texture)).first;
    }
    slot.texture = it->second.get();
    return slot.texture;
}

void ZrBillboardBatch::SetDocumentFolder(const VEXA::VexaString& folder)
{
    if (folder == m_folder)
        return;
    m_folder = folder;
    for (Slot& slot : m_slots)
        slot.texture = nullptr;
}

void ZrBillboardBatch::AddSystem(const ZrParticleSystem& system, int index, const ZrVector3d& shift,
                                 const VEXA::VexaString& resName)
{
    const ZrBillboardTexture* texture = FindTexture(system, resName);
    const bool dark = system.m_particleType == ZrParticleSystem::DARK_PARTICLE;
    const int stateIndex = static_cast<int>(m_states.size());
    m_states.push_back(DrawState{&system, index, dark ? BLEND_OVER : BLEND_ADD, dark, texture, 0});
    DrawState& state = m_states.back();
    if (!system.m_bAlive || system.m_particles.empty())
        return;

    const size_t need = static_cast<size_t>(m_count) + system.m_particles.size();
    if (m_halfSizes.size() < need * 2) {
        // At least twice what they held: two half sizes a billboard.
        const size_t size = std::max(need, m_halfSizes.size());
        // One float more: the wide loop stores a centre as four floats.
        m_centers.resize(size * 3 + 1);
        m_halfSizes.resize(size * 2);
        m_colorFloats.resize(size * 4);
        m_colorBytes.resize(size * 4);
    }
    const int drawn = FillPool(system, shift);
    state.billboardNum = drawn;
    if (drawn > 0)
        AddRun(m_count, drawn, stateIndex);
    m_count += drawn;
}

// The particle's part of the rule. Sizes are tested before they are scaled:
// a size whose magnitude reaches sizeLimit would make a half size of 1e12 or
// more. Both loops below follow it to the bit.
int ZrBillboardBatch::FillPool(const ZrParticleSystem& system, const ZrVector3d& shift)
{
    const float halfWidth = 0.5f * system.m_fParticleWidth;
    const float halfHeight = 0.5f * system.m_fParticleHeight;
    const float largest = std::max(std::fabs(halfWidth), std::fabs(halfHeight));
    // Not a number when a half size is not one: then nothing is drawn.
    const float sizeLimit = largest == largest ? static_cast<float>(kFar / largest) : largest;
    int drawn = FillWide(system, shift, halfWidth, halfHeight, sizeLimit);
    if (drawn >= 0)
        return drawn;
    drawn = 0;
    float* center = m_centers.data() + static_cast<size_t>(m_count) * 3;
    float* half = m_halfSizes.data() + static_cast<size_t>(m_count) * 2;
    float* color = m_colorFloats.data() + static_cast<size_t>(m_count) * 4;
    for (const ZrParticle& p : system.m_particles) {
        if (!p.m_bAlive)
            continue;
        const float alpha = p.m_fCurAlpha;
        const float size = p.m_fCurSize;
        const double x = p.m_position.x + shift.x;
        const double y = p.m_position.y + shift.y;
        const double z = p.m_position.z + shift.z;
        if (!(p.m_fAge > 0.0f) || !(alpha > 0.0f) || !(alpha <= FLT_MAX) || !(std::fabs(size) < sizeLimit) ||
            !(std::fabs(x) < kFar && std::fabs(y) < kFar && std::fabs(z) < kFar))
            continue;
        const ZrVector4d& c = p.m_curColor;
        center[0] = static_cast<float>(x);
        center[1] = static_cast<float>(y);
        center[2] = static_cast<float>(z);
        half[0] = std::fabs(halfWidth * size);
        half[1] = std::fabs(halfHeight * size);
        color[0] = static_cast<float>(Unit(c.x));
        color[1] = static_cast<float>(Unit(c.y));
        color[2] = static_cast<float>(Unit(c.z));
        color[3] = static_cast<float>(Unit(c.w)) * std::min(alpha, 1.0f);
        center += 3;
        half += 2;
        color += 4;
        ++drawn;
    }
    ToBytes(m_count, drawn);
    return drawn;
}

#if defined(NBPS_WIDE_UNIT)
// The plain loop's steps on the 256-bit unit. Every live particle is written
// at the next place, so that where it goes never waits for its tests; the few
// that fail them are noted and taken out afterwards.
__attribute__((target("avx2"))) int ZrBillboardBatch::FillWide(const ZrParticleSystem& system,
                                                                 const ZrVector3d& shift, float halfWidth,
                                                                 float halfHeight, float sizeLimit)
{
    if (!ZrVectorUnit::Wide())
        return -1;
    const __m256d shift4 = _mm256_set_pd(0.0, shift.z, shift.y, shift.x);
    const __m256d magnitude = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffffLL));
    const __m256d far4 = _mm256_set1_pd(kFar);
    const __m256d zero4 = _mm256_setzero_pd();
    const __m256d one4 = _mm256_set1_pd(1.0);
    const __m128 halves = _mm_set_ps(0.0f, 0.0f, halfHeight, halfWidth);
    const __m128 magnitudeF = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    const __m128 oneF = _mm_set1_ps(1.0f);
    const __m128 byteScale = _mm_set1_ps(255.0f);
    const __m128 half05 = _mm_set1_ps(0.5f);
    // The three floats age, size, alpha follow one another in the particle:
    // age above 0, size strictly within the limit, alpha above 0 and at most
    // FLT_MAX, each test false for not a number.
    const __m128 low = _mm_set_ps(0.0f, 0.0f, -sizeLimit, 0.0f);
    const __m128 high = _mm_set_ps(0.0f, FLT_MAX, std::nextafter(sizeLimit, 0.0f), HUGE_VALF);
    float* const center = m_centers.data() + static_cast<size_t>(m_count) * 3;
    float* const half = m_halfSizes.data() + static_cast<size_t>(m_count) * 2;
    float* const color = m_colorFloats.data() + static_cast<size_t>(m_count) * 4;
    unsigned char* const bytes = m_colorBytes.data() + static_cast<size_t>(m_count) * 4;
    const ZrParticle* const first = system.m_particles.data();
    const size_t count = system.m_particles.size();
    // Room for every particle to be rejected, kept from fill to fill, so that
    // the loop calls nothing: its constants and counters stay in registers.
    if (m_rejected.size() < count)
        m_rejected.resize(count);
    size_t* const rejected = m_rejected.data();
    size_t n = 0, rejectedNum = 0;
    for (size_t i = 0; i < count; ++i) {
        const ZrParticle& p = first[i];
        // The lines a particle is drawn from, sixteen slots ahead: the pass
        // skips the middle of every slot, which the processor's own
        // prefetching does not follow well out of cache.
        if (i + 16 < count) {
            _mm_prefetch(reinterpret_cast<const char*>(&first[i + 16].m_bAlive), _MM_HINT_T0);
            _mm_prefetch(reinterpret_cast<const char*>(&first[i + 16].m_fAge), _MM_HINT_T0);
            _mm_prefetch(reinterpret_cast<const char*>(&first[i + 16].m_curColor.w), _MM_HINT_T0);
        }
        if (!p.m_bAlive)
            continue;
        const __m128 look = _mm_loadu_ps(&p.m_fAge); // age, size, alpha, (part of x)
        const int lookOk = _mm_movemask_ps(_mm_and_ps(_mm_cmpgt_ps(look, low), _mm_cmple_ps(look, high)));
        // x, y, z, and the colour's red in the last lane, which is not tested.
        const __m256d pos = _mm256_add_pd(_mm256_loadu_pd(&p.m_position.x), shift4);
        const int near = _mm256_movemask_pd(_mm256_cmp_pd(_mm256_and_pd(pos, magnitude), far4, _CMP_LT_OQ));
        _mm_storeu_ps(center + n * 3, _mm256_cvtpd_ps(pos));
        const __m128 size = _mm_and_ps(_mm_mul_ps(halves, _mm_shuffle_ps(look, look, 0x55)), magnitudeF);
        _mm_storel_pi(reinterpret_cast<__m64*>(half + n * 2), size);
        // Not a number counts as 0: max and min keep their second operand then.
        const __m128 c = _mm256_cvtpd_ps(_mm256_min_pd(_mm256_max_pd(_mm256_loadu_pd(&p.m_curColor.x), zero4), one4));
        const __m128 opacity = _mm_blend_ps(oneF, _mm_min_ps(_mm_shuffle_ps(look, look, 0xAA), oneF), 8);
        const __m128 rgba = _mm_mul_ps(c, opacity);
        _mm_storeu_ps(color + n * 4, rgba);
        // The bytes: value x 255 + 0.5, truncated, as Byte does.
        const __m128i whole = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(rgba, byteScale), half05));
        const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(whole, whole), whole);
        std::memcpy(bytes + n * 4, &packed, 4);
        rejected[rejectedNum] = n;
        rejectedNum += (lookOk & near & 7) != 7;
        ++n;
    }
    // Close the gaps the rejected left, keeping the order.
    size_t kept = rejectedNum == 0 ? n : rejected[0];
    for (size_t r = 0; r < rejectedNum; ++r) {
        const size_t from = rejected[r] + 1, to = r + 1 < rejectedNum ? rejected[r + 1] : n;
        std::copy(center + from * 3, center + to * 3, center + kept * 3);
        std::copy(half + from * 2, half + to * 2, half + kept * 2);
        std::copy(color + from * 4, color + to * 4, color + kept * 4);
        std::copy(bytes + from * 4, bytes + to * 4, bytes + kept * 4);
        kept += to - from;
    }
    return static_cast<int>(kept);
}
#else
int ZrBillboardBatch::FillWide(const ZrParticleSystem&, const ZrVector3d&, float, float, float) { return -1; }
#endif

// Colour bytes from the colour floats of the billboards first .. first + count.
void ZrBillboardBatch::ToBytes(int first, int count)
{
    const float* in = m_colorFloats.data() + static_cast<size_t>(first) * 4;
    unsigned char* out = m_colorBytes.data() + static_cast<size_t>(first) * 4;
    const size_t n = static_cast<size_t>(count) * 4;
    for (size_t i = 0; i < n; ++i)
        out[i] = Byte(in[i]);
}

void ZrBillboardBatch::AddRun(int first, int count, int state)
{
    if (!m_runs.empty() && m_runs.back().state == state && m_runs.back().first + m_runs.back().count == first) {
        m_runs.back().count += count;
        return;
    }
    m_runs.push_back(Run{first, count, state});
}

void ZrBillboardBatch::SortBackToFront(const ZrVector3d& eye) { Sort(eye, nullptr); }

void ZrBillboardBatch::SortBackToFront(const ZrVector3d& eye, const ZrVector3d& viewDirection)
{
    Sort(eye, &viewDirection);
}

template <class T>
void ZrBillboardBatch::Permute(std::vector<T>& values, std::vector<T>& scratch, int width)
{
    const size_t used = static_cast<size_t>(m_count) * static_cast<size_t>(width);
    if (scratch.size() < used)
        scratch.resize(values.size());
    for (int k = 0; k < m_count; ++k)
        std::copy_n(&values[static_cast<size_t>(m_order[static_cast<size_t>(k)]) * width], width,
                    &scratch[static_cast<size_t>(k) * width]);
    std::copy_n(scratch.begin(), used, values.begin());
}

void ZrBillboardBatch::Sort(const ZrVector3d& eye, const ZrVector3d* direction)
{
    bool wanted = false;
    for (const DrawState& state : m_states)
        wanted = wanted || (state.needsSorting && state.billboardNum > 0);
    if (!wanted || m_count < 2 || !Finite(eye) || (direction != nullptr && !Finite(*direction)))
        return;

    const size_t n = static_cast<size_t>(m_count);
    if (m_keys.size() < n) {
        m_keys.resize(m_halfSizes.size() / 2);
        m_order.resize(m_keys.size());
        m_stateOf.resize(m_keys.size());
    }
    const double ex = eye.x - m_origin.x, ey = eye.y - m_origin.y, ez = eye.z - m_origin.z;
    for (size_t k = 0; k < n; ++k) {
        const double dx = m_centers[k * 3] - ex, dy = m_centers[k * 3 + 1] - ey, dz = m_centers[k * 3 + 2] - ez;
        const double key = direction != nullptr ? dx * direction->x + dy * direction->y + dz * direction->z
                                                : dx * dx + dy * dy + dz * dz;
        // A key that is not a number (an overflowing eye) goes first, not astray.
        m_keys[k] = key == key ? key : HUGE_VAL;
    }
    std::iota(m_order.begin(), m_order.begin() + m_count, 0);
    const double* keys = m_keys.data();
    std::sort(m_order.begin(), m_order.begin() + m_count, [keys](int a, int b) {
        return keys[a] > keys[b] || (keys[a] == keys[b] && a < b);
    });

    for (const Run& run : m_runs)
        std::fill_n(m_stateOf.begin() + run.first, run.count, run.state);
    Permute(m_centers, m_scratchFloats, 3);
    Permute(m_halfSizes, m_scratchFloats, 2);
    Permute(m_colorFloats, m_scratchFloats, 4);
    Permute(m_colorBytes, m_scratchBytes, 4);
    m_runs.clear();
    for (int k = 0; k < m_count; ++k)
        AddRun(k, 1, m_stateOf[static_cast<size_t>(m_order[static_cast<size_t>(k)])]);
}

} // namespace ZRC
