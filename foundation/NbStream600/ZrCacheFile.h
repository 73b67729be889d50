#pragma once
#include "NbExport.h"
#include "VexaString.h"
#include "ZrByteArray.h"
#include <memory>

namespace ZRC {

// Resource container: a standard zip archive, opened read-only.
// Open's access string is the password used for encrypted entries (entries
// that are not encrypted read without it).
//
// How ReadFile and ZrCompress::UnZip share the work: ReadFile hands out the
// entry's stored bytes (decrypted where the entry is encrypted, but still
// compressed) wrapped in a small frame that records the compression method,
// the uncompressed size and the CRC-32 (see ZrCompress.h); UnZip inflates
// the frame (or copies a stored entry) and checks size and CRC. Entries of
// other compression methods are decompressed by ReadFile and framed as stored.
// So ReadFile followed by UnZip yields the entry's bytes for stored and
// deflated entries alike.
//
// Limits: ReadFile refuses an entry whose content is larger than its maxSize
// (kMaxEntrySize when not given). Whatever the compression method and whatever
// sizes the archive records, a read holds at most about maxSize bytes of the
// entry: the content is streamed and reading stops one byte past the limit.
//
// Opening again: the index of the most recently opened container is kept by
// the process, keyed by path, file size, modification time and access string,
// so opening the same unchanged file again does not re-read its index; a file
// that changed is read afresh. Objects that share an index take turns on it.
// Entries read from it are kept with it as well (up to 4 MiB in all), so that
// reading one again costs no decryption or decompression.
class NBPS_API ZrCacheFile {
public:
    ZrCacheFile();
    ~ZrCacheFile();
    ZrCacheFile(const ZrCacheFile&) = delete;
    ZrCacheFile& operator=(const ZrCacheFile&) = delete;

    // 0 on success; any other value is failure (missing or corrupt archive).
    int Open(const VEXA::VexaString& path, const VEXA::VexaString& access);
    void Close();
    unsigned char IsOpen() const;
    // 0 on success; non-zero when not open, no such entry (names compared
    // exactly), a wrong password or a damaged entry.
    int ReadFile(const VEXA::VexaString& entry, ZrByteArray& out);
    int ReadFile(const VEXA::VexaString& entry, ZrByteArray& out, unsigned int maxSize);
    static const unsigned int kMaxEntrySize = 256u << 20;
    // Number of entries and the name of entry i (for listing).
    int GetEntryCount() const;
    VEXA::VexaString GetEntryName(int index) const;

private:
    struct Archive;
    std::shared_ptr<Archive> m_archive;
};

} // namespace ZRC
