#include "StudioDocument.h"

#include <ZrMarkup.h>
#include <zlib.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace nbparticle {

const size_t StudioDocument::kMaxSize = ZRC::ZrMarkup::kMaxDocumentSize;

namespace {

bool SameTime(const struct timespec& a, const struct timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

std::string SizeText(size_t bytes) { return std::to_string(bytes / (1024 * 1024)) + " MiB"; }

// Writes all of text to fd.
bool WriteAll(int fd, const std::string& text)
{
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

StudioDocument::StudioDocument(const std::string& path) : m_path(path)
{
    char full[PATH_MAX];
    if (::realpath(path.c_str(), full))
        m_path = full;
}

StudioDocument::~StudioDocument() { Stop(); }

void StudioDocument::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_watcher.joinable())
        m_watcher.join();
}

std::string StudioDocument::Digest(const std::string& text)
{
    uLong crc = ::crc32(0L, Z_NULL, 0);
    for (size_t done = 0; done < text.size();) {
        const uInt n = static_cast<uInt>(std::min<size_t>(text.size() - done, 1u << 30));
        crc = ::crc32(crc, reinterpret_cast<const Bytef*>(text.data() + done), n);
        done += n;
    }
    char out[40];
    std::snprintf(out, sizeof out, "%08lx-%zx", static_cast<unsigned long>(crc), text.size());
    return out;
}

bool StudioDocument::ReadFile(std::string& text, std::string& why) const
{
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        why = "not a regular file";
        return false;
    }
    if (static_cast<unsigned long long>(st.st_size) > kMaxSize) {
        ::close(fd);
        why = "the file is larger than " + SizeText(kMaxSize) + ", the largest document the library reads";
        return false;
    }
    text.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
        // The file may grow while it is read.
        if (text.size() > kMaxSize) {
            ::close(fd);
            why = "the file is larger than " + SizeText(kMaxSize) + ", the largest document the library reads";
            return false;
        }
    }
    ::close(fd);
    return true;
}

void StudioDocument::Adopt(const std::string& text, const struct stat& st)
{
    m_mtime = st.st_mtim;
    m_size = st.st_size;
    m_inode = st.st_ino;
    if (text == m_text && !m_version.empty())
        return;
    m_text = text;
    m_version = Digest(text);
    ++m_changes;
    m_changed.notify_all();
}

bool StudioDocument::Open(std::string& why)
{
    std::string text;
    struct stat st;
    if (::stat(m_path.c_str(), &st) != 0) {
        why = std::strerror(errno);
        return false;
    }
    if (!ReadFile(text, why))
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    Adopt(text, st);
    return true;
}

void StudioDocument::Current(std::string& text, std::string& version, unsigned& changes) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    text = m_text;
    version = m_version;
    changes = m_changes;
}

std::string StudioDocument::Version() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_version;
}

void StudioDocument::Poll()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    struct stat st;
    if (::stat(m_path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;   // gone for now: an editor may be replacing it
    if (SameTime(st.st_mtim, m_mtime) && st.st_size == m_size && st.st_ino == m_inode)
        return;
    std::string text, why;
    if (ReadFile(text, why))
        Adopt(text, st);
}

void StudioDocument::Watch(int intervalMs)
{
    m_watcher = std::thread([this, intervalMs] {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stop) {
            m_changed.wait_for(lock, std::chrono::milliseconds(intervalMs));
            if (m_stop)
                break;
            lock.unlock();
            Poll();
            lock.lock();
        }
    });
}

unsigned StudioDocument::WaitForChange(unsigned seen, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_changes != seen || m_stop; });
    return m_changes;
}

StudioDocument::SaveResult StudioDocument::Save(const std::string& text, const std::string& base, bool force,
                                                std::string& version, std::string& why)
{
    if (text.size() > kMaxSize) {
        why = "the text is larger than " + SizeText(kMaxSize) + ", the largest document the library reads";
        return Failed;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    // What lies on disk now, not what the watcher saw last.
    struct stat st;
    const bool exists = ::stat(m_path.c_str(), &st) == 0;
    if (exists && !force) {
        std::string disk, unread;
        if (!ReadFile(disk, unread)) {
            why = "the file on disk cannot be read (" + unread + "); nothing was written";
            return Conflict;
        }
        if (Digest(disk) != base) {
            why = "the file changed on disk since it was loaded; nothing was written, your text is kept";
            return Conflict;
        }
    }
    const size_t slash = m_path.find_last_of('/');
    const std::string folder = m_path.substr(0, slash + 1), name = m_path.substr(slash + 1);
    std::string temp = folder + "." + name + ".XXXXXX";
    const int fd = ::mkstemp(&temp[0]);
    if (fd < 0) {
        why = "cannot write in " + folder + ": " + std::strerror(errno);
        return Failed;
    }
    const mode_t mode = exists ? (st.st_mode & 07777) : 0644;
    const bool written = WriteAll(fd, text) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 || !written || ::rename(temp.c_str(), m_path.c_str()) != 0) {
        why = std::string("cannot write ") + m_path + ": " + std::strerror(written ? errno : error);
        ::unlink(temp.c_str());
        return Failed;
    }
    if (::stat(m_path.c_str(), &st) == 0)
        Adopt(text, st);
    version = m_version;
    return Saved;
}

} // namespace nbparticle
