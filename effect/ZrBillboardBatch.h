#pragma once
#include "NbExport.h"
#include "VexaString.h"
#include "ZrBillboardTexture.h"
#include "ZrVector3d.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ZRC {

class ZrParticleEffect;
class ZrParticleSystem;

// What a GPU draws for the live particles of a particle system or of a whole
// effect: one camera-facing quad (billboard) per particle, in contiguous arrays
// that can be uploaded as they are, with the draw state of each system.
//
// A particle is drawn when it is alive, has been updated at least once (its
// age is above 0), its alpha is above 0 and finite, and its centre and half
// sizes are finite and below 1e12; a system whose alive flag is clear draws
// nothing. For each drawn particle:
// - the centre, three floats: its position plus the effect's centre, minus the
//   origin the caller gives, computed in double precision, so that a scene in
//   large (geographic) coordinates keeps its precision near the origin;
// - half width and half height: the system's particle width and height times
//   the particle's current size, halved, as magnitudes, in scene units;
// - the colour: red, green and blue of the particle's colour clamped to 0..1
//   (not a number as 0), alpha the particle's alpha (at most 1) times its
//   colour's alpha (clamped alike), in single precision; as floats and as
//   bytes (value * 255, rounded).
// Colours are display values, as the documents give them.
//
// Each system filled gets a draw state: the blend mode from its particle type
// (GLOW_PARTICLE adds light, DARK_PARTICLE is blended over what lies behind
// it), whether it needs sorting (DARK), and its texture resolved once by
// ZrBillboardTexture. The billboards of one system follow each other in pool
// order, and a run names each such range with its state; drawing the runs in
// order, each with its state, draws the effect. SortBackToFront reorders the
// billboards for an eye when a DARK system holds any: in an effect batch the
// systems then interleave where their particles do, which gives more runs (a
// host that wants one draw per system fills one batch per system).
//
// The batch keeps its arrays, and every texture it has resolved, from one fill
// to the next: once they have reached the largest particle count, filling and
// sorting allocate nothing. One batch may serve many effects in turn.
class NBPS_API ZrBillboardBatch {
public:
    enum BlendMode {
        BLEND_ADD = 0,   // GLOW: destination + colour x texture x alpha
        BLEND_OVER = 1   // DARK: destination x (1 - texture alpha x alpha) + colour x texture x alpha
    };
    struct DrawState {
        const ZrParticleSystem* system;
        int systemIndex;                   // in its effect; 0 for a batch of one system
        BlendMode blend;
        bool needsSorting;
        const ZrBillboardTexture* texture; // never null; kept as long as the batch
        int billboardNum;                  // how many of the billboards are this system's
    };
    struct Run {
        int first;   // index of the first billboard
        int count;
        int state;   // index of the draw state
    };

    ZrBillboardBatch();
    ~ZrBillboardBatch();
    ZrBillboardBatch(const ZrBillboardBatch&) = delete;
    ZrBillboardBatch& operator=(const ZrBillboardBatch&) = delete;

    // Replaces the batch's content with the drawn particles of every system of
    // the effect, in the effect's order.
    void Fill(const ZrParticleEffect& effect, const ZrVector3d& origin);
    // Replaces it with the drawn particles of one system. The positions are
    // taken as they are: for a system of an effect whose centre is not zero,
    // pass the origin minus that centre.
    void Fill(const ZrParticleSystem& system, const ZrVector3d& origin);

    // Back to front for an eye at the given position (in the frame of the
    // origin's coordinates): by distance from the eye, or, given a view
    // direction, by depth along it, as a perspective camera sees it. Ties keep
    // the order of the fill. Does nothing when no billboard is of a system that
    // needs sorting, or when the eye or direction is not finite.
    void SortBackToFront(const ZrVector3d& eye);
    void SortBackToFront(const ZrVector3d& eye, const ZrVector3d& viewDirection);

    // The folder in which relative texture paths are looked up first, instead
    // of the folder of the effect's document: for an effect read from a stream
    // or from a copy of its document held elsewhere. Empty (the default) goes
    // back to the document's folder.
    void SetDocumentFolder(const VEXA::VexaString& folder);

    int GetBillboardNum() const { return m_count; }
    // x, y, z per billboard, relative to the origin.
    const float* GetCenters() const { return m_centers.data(); }
    // Half width, half height per billboard.
    const float* GetHalfSizes() const { return m_halfSizes.data(); }
    // R, G, B, A bytes per billboard.
    const unsigned char* GetColorBytes() const { return m_colorBytes.data(); }
    // R, G, B, A floats per billboard.
    const float* GetColorFloats() const { return m_colorFloats.data(); }
    const ZrVector3d& GetOrigin() const { return m_origin; }

    int GetStateNum() const { return static_cast<int>(m_states.size()); }
    const DrawState& GetState(int index) const { return m_states[static_cast<size_t>(index)]; }
    int GetRunNum() const { return static_cast<int>(m_runs.size()); }
    const Run& GetRun(int index) const { return m_runs[static_cast<size_t>(index)]; }

private:
    void Begin(const ZrVector3d& origin);
    void AddSystem(const ZrParticleSystem& system, int index, const ZrVector3d& shift, const VEXA::VexaString& resName);
    int FillPool(const ZrParticleSystem& system, const ZrVector3d& shift);
    // The pool loop on the 256-bit unit; -1 (and nothing done) where there is none.
    int FillWide(const ZrParticleSystem& system, const ZrVector3d& shift, float halfWidth, float halfHeight,
                 float sizeLimit);
    void ToBytes(int first, int count);
    const ZrBillboardTexture* FindTexture(const ZrParticleSystem& system, const VEXA::VexaString& resName);
    void Sort(const ZrVector3d& eye, const ZrVector3d* direction);
    void AddRun(int first, int count, int state);
    template <class T>
    void Permute(std::vector<T>& values, std::vector<T>& scratch, int width);

    // The arrays keep their largest size; m_count says how much is in use.
    int m_count;
    ZrVector3d m_origin;
    std::vector<float> m_centers, m_halfSizes, m_colorFloats;
    std::vector<unsigned char> m_colorBytes;
    std::vector<DrawState> m_states;
    std::vector<Run> m_runs;

    // The textures resolved so far, by the effect's resource file name and the
    // path; and, per state slot, what it last resolved, so that a system that
    // is filled again finds its texture without a look-up.
    struct Slot {
        std::string path, resName;
        const ZrBillboardTexture* texture = nullptr;
    };
    std::vector<Slot> m_slots;
    std::map<std::string, std::unique_ptr<ZrBillboardTexture>> m_textures;
    std::string m_key;
    VEXA::VexaString m_folder;

    // Sorting: keys, order and scratch copies, kept like the arrays.
    std::vector<double> m_keys;
    std::vector<int> m_order, m_stateOf;
    std::vector<float> m_scratchFloats;
    std::vector<unsigned char> m_scratchBytes;
    // Places of the wide fill's particles that failed the tests.
    std::vector<size_t> m_rejected;
};

} // namespace ZRC
