#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>

namespace nbparticle {

// The document file the studio edits. It remembers the content last read
// from or written to disk, with a version (a digest of that content) that a
// save names as its base, and watches the file for saves by other programs.
// Saving writes a temporary file beside the document and renames it over the
// document, so that a reader never sees half a file; a save whose base is no
// longer what lies on disk is refused, so that nothing written elsewhere is
// overwritten unseen. Thread-safe.
class StudioDocument {
public:
    // Larger documents are not read or written (the library's own limit).
    static const size_t kMaxSize;

    explicit StudioDocument(const std::string& path);
    ~StudioDocument();
    StudioDocument(const StudioDocument&) = delete;
    StudioDocument& operator=(const StudioDocument&) = delete;

    // Reads the file; false with why when it cannot be read.
    bool Open(std::string& why);
    const std::string& Path() const { return m_path; }

    // The content on disk as last seen, its version and a counter that goes
    // up with every change seen on disk (ours or another program's).
    void Current(std::string& text, std::string& version, unsigned& changes) const;
    // The version alone, for replies that do not carry the text.
    std::string Version() const;

    enum SaveResult { Saved, Conflict, Failed };
    // Writes text when base is the version on disk (or force is set).
    // Fills version with the new one; why says why on Conflict or Failed.
    SaveResult Save(const std::string& text, const std::string& base, bool force, std::string& version,
                    std::string& why);

    // Looks at the file once: a change of content counts as a change.
    void Poll();
    // Polls the file every interval on a thread of its own until destroyed.
    void Watch(int intervalMs);
    // Waits until the change counter differs from seen, at most timeoutMs
    // (or until Stop); returns the counter.
    unsigned WaitForChange(unsigned seen, int timeoutMs);
    // Ends the watching and every wait.
    void Stop();

    // The digest used as a version.
    static std::string Digest(const std::string& text);

private:
    bool ReadFile(std::string& text, std::string& why) const;
    void Adopt(const std::string& text, const struct stat& st);

    std::string m_path;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_text, m_version;
    unsigned m_changes = 0;
    struct timespec m_mtime = {0, 0};
    off_t m_size = -1;
    ino_t m_inode = 0;
    std::thread m_watcher;
    bool m_stop = false;
};

} // namespace nbparticle
