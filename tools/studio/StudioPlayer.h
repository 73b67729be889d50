#pragma once
#include "FrameLoop.h"
#include "RandomStream.h"

#include <memory>
#include <string>
#include <vector>

namespace nbparticle {

// What the studio shows of one frame besides its pixels.
struct FrameStats {
    int frame = 0;                 // 1 .. the run's frames
    std::vector<int> live;         // live particles of each system
    double simulateMs = 0.0;       // the last step's simulation
    double drawMs = 0.0;           // drawing the frame
    unsigned revision = 0;         // the document revision drawn
};

// Runs the studio's document and draws its frames with the preview's frame
// loop, so that frame n at given settings is exactly frame n of a render at
// the same settings. The document's text, saved or not, is read from a copy
// in a private folder as if it lay beside the document, so that relative
// image paths resolve as they do for the file. The last text that read stays
// in use until another one reads. Not thread-safe: callers serialise.
class StudioPlayer {
public:
    // resources: as for EffectLoader; document: the path of the document
    // file (its folder and name are used).
    StudioPlayer(const std::string& resources, const std::string& document);
    ~StudioPlayer();
    StudioPlayer(const StudioPlayer&) = delete;
    StudioPlayer& operator=(const StudioPlayer&) = delete;

    // Reads text as the effect to run. On success the revision goes up and
    // the next frame starts a new run; otherwise why says why and the
    // previous text stays in use.
    bool Load(const std::string& text, std::string& why);
    unsigned Revision() const { return m_revision; }

    // Draws frame n (clamped to 1 .. settings.frames) of the run at settings.
    // A frame after the one drawn last, at the same settings and revision,
    // continues that run; any other starts a new run and steps forward to n
    // at the fixed step. False when no text has read.
    bool Show(int n, const PreviewSettings& settings, Frame& out, FrameStats& stats);

    // Writes the whole run at settings through the preview's encoders: an
    // animated GIF or WebP, or a contact sheet (.png), chosen by the
    // extension of path. False with why on failure.
    bool Export(const std::string& path, const PreviewSettings& settings, std::string& why);

private:
    std::string SlotPath(int slot) const;
    bool Restart(const PreviewSettings& settings);

    EffectLoader m_loader;
    std::string m_folder, m_name, m_scratch;
    int m_good = -1;               // the slot holding the text in use
    unsigned m_revision = 0;
    RandomStream m_random;
    std::unique_ptr<FrameLoop> m_loop;
    PreviewSettings m_running;     // the settings of m_loop's run
    unsigned m_runningRevision = 0;
    int m_at = 0;                  // the frame m_loop has reached
};

} // namespace nbparticle
