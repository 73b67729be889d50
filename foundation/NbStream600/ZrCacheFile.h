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

    // Results of Open and ReadFile: kOk (0) on success, else why not.
    enum Result : int {
        kOk = 0,
        kUnreadable,             // Open: the file cannot be read
        kNoFile,                 // Open: no file at the path
        kNotArchive,             // Open: not a zip archive, or its index is damaged
        kNotOpen,                // ReadFile: the container is not open
        kNoEntry,                // ReadFile: no entry of that name
        kTooLarge,               // ReadFile: the content is larger than the limit
        kWrongPassword,          // ReadFile: encrypted, and the access string (or
                                 // its absence) does not decrypt it
        kUnsupportedEncryption,  // ReadFile: encrypted by a method not known here
        kUnsupportedCompression, // ReadFile: compressed by a method not known here
        kDamaged                 // the entry's data does not decompress or fails
                                 // its check (also ZrParticleResource's result for
                                 // an entry that UnZip refuses)
    };
    // A short text for a result, e.g. "no such entry" or "cannot be
    // decrypted: wrong password".
    static const char* Describe(int result);

    int Open(const VEXA::VexaString& path, const VEXA::VexaString& access);
    void Close();
    unsigned char IsOpen() const;
    // Names are compared exactly. A wrong password is told by the cipher's own
    // check: a traditional (ZipCrypto) entry checks one byte, so one wrong
    // password in 256 passes it and the entry then fails UnZip's CRC check.
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
