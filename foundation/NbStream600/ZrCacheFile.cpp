#include "ZrCacheFile.h"

#include <zip.h>
#include <zlib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace ZRC {

namespace {

const unsigned int kFrameHeaderSize = 14;

void PutU16(unsigned char* p, unsigned int v)
{
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>((v >> 8) & 0xFF);
}

void PutU32(unsigned char* p, unsigned int v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}

// Reads an opened entry to its end into `bytes`, at most `limit` bytes; false
// on a read error (libzip checks the CRC at the end) or when the entry holds
// more than `limit` bytes. The buffer grows with what is actually read, so a
// damaged size field costs nothing.
bool ReadAll(zip_file_t* file, zip_uint64_t limit, std::vector<unsigned char>& bytes)
{
    const zip_uint64_t chunk = 1u << 16;
    bytes.clear();
    zip_uint64_t total = 0;
    for (;;) {
        // One byte beyond the limit shows an entry longer than declared.
        const zip_uint64_t want = std::min(chunk, limit + 1 - total);
        bytes.resize(static_cast<size_t>(total + want));
        const zip_int64_t got = zip_fread(file, bytes.data() + total, want);
        if (got < 0)
            return false;
        total += static_cast<zip_uint64_t>(got);
        if (total > limit)
            return false;
        if (got == 0)
            break;
    }
    bytes.resize(static_cast<size_t>(total));
    return true;
}

// The result for libzip's reason why an entry does not open.
int OpenEntryResult(zip_t* archive)
{
    const int code = zip_error_code_zip(zip_get_error(archive));
    zip_error_clear(archive);
    switch (code) {
    case ZIP_ER_WRONGPASSWD:
    case ZIP_ER_NOPASSWD:
        return ZrCacheFile::kWrongPassword;
    case ZIP_ER_ENCRNOTSUPP:
        return ZrCacheFile::kUnsupportedEncryption;
    case ZIP_ER_COMPNOTSUPP:
        return ZrCacheFile::kUnsupportedCompression;
    default:
        return ZrCacheFile::kDamaged;
    }
}

// What identifies one state of a container file: path, device, inode, size,
// modification and change times, and the last bytes (the end of the index).
// kOk, or why the file is no container: none or no regular file, an empty
// file (it would open as an empty archive), or one that cannot be read.
int FileKey(const std::string& path, std::string& key)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return ZrCacheFile::kNoFile;
    if (st.st_size <= 0)
        return ZrCacheFile::kNotArchive;
    char tail[4096];
    const off_t at = std::max<off_t>(0, st.st_size - static_cast<off_t>(sizeof(tail)));
    const int fd = ::open(path.c_str(), O_RDONLY);
    const ssize_t got = fd < 0 ? -1 : ::pread(fd, tail, sizeof(tail), at);
    if (fd >= 0)
        ::close(fd);
    if (got < 0)
        return ZrCacheFile::kUnreadable;
    key = path;
    for (long long v : {static_cast<long long>(st.st_dev), static_cast<long long>(st.st_ino),
                        static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
                        static_cast<long long>(st.st_mtim.tv_nsec), static_cast<long long>(st.st_ctim.tv_sec),
                        static_cast<long long>(st.st_ctim.tv_nsec)})
        key += '\0' + std::to_string(v);
    key += '\0';
    key.append(tail, static_cast<size_t>(got));
    key += '\0';
    return ZrCacheFile::kOk;
}

// Frames entry bytes as UnZip expects them.
void Frame(unsigned int method, unsigned int size, unsigned int crc, const std::vector<unsigned char>& data,
           ZrByteArray& out)
{
    unsigned char header[kFrameHeaderSize] = {'Z', 'r', 'C', 'F'};
    PutU16(header + 4, method);
    PutU32(header + 6, size);
    PutU32(header + 10, crc);
    out.RemoveAll();
    out.SetCapacity(static_cast<int>(kFrameHeaderSize + data.size()));
    out.Add(header, static_cast<int>(kFrameHeaderSize));
    if (!data.empty())
        out.Add(data.data(), static_cast<int>(data.size()));
}

} // namespace

// An opened archive, shared by the container objects that opened the same
// unchanged file; its mutex makes them take turns.
struct ZrCacheFile::Archive {
    zip_t* zip = nullptr;
    std::string key;
    std::mutex mutex;
    // Entries read before, as ReadFile handed them out, with their content
    // size: a later read of the same entry costs a copy (no decryption, no
    // decompression). Bounded by kCachedBytes in all.
    struct Read {
        zip_uint64_t size;
        std::vector<unsigned char> framed;
    };
    std::map<std::string, Read> reads;
    size_t cachedBytes = 0;
    static const size_t kCachedBytes = 4u << 20;

    void Remember(const std::string& name, zip_uint64_t size, const ZrByteArray& out)
    {
        const size_t bytes = static_cast<size_t>(out.GetSize());
        if (bytes > kCachedBytes)
            return;
        if (cachedBytes + bytes > kCachedBytes) {
            reads.clear();
            cachedBytes = 0;
        }
        Read& read = reads[name];
        read.size = size;
        read.framed.assign(out.GetData(), out.GetData() + bytes);
        cachedBytes += bytes;
    }
    ~Archive()
    {
        if (zip)
            zip_discard(zip);
    }
};

ZrCacheFile::ZrCacheFile() = default;

ZrCacheFile::~ZrCacheFile() { Close(); }

const char* ZrCacheFile::Describe(int result)
{
    switch (result) {
    case kOk:
        return "success";
    case kNoFile:
        return "no such file";
    case kUnreadable:
        return "the file cannot be read";
    case kNotArchive:
        return "not a zip archive";
    case kNotOpen:
        return "the container is not open";
    case kNoEntry:
        return "no such entry";
    case kTooLarge:
        return "too large";
    case kWrongPassword:
        return "cannot be decrypted: wrong password";
    case kUnsupportedEncryption:
        return "cannot be decrypted: unsupported encryption method";
    case kUnsupportedCompression:
        return "does not decompress: unsupported compression method";
    case kDamaged:
        return "does not decompress: damaged data";
    default:
        return "unknown result";
    }
}

int ZrCacheFile::Open(const VEXA::VexaString& path, const VEXA::VexaString& access)
{
    Close();
    std::string key;
    const int checked = FileKey(path.Str(), key);
    if (checked != kOk)
        return checked;
    key += access.Str();

    // The most recently opened container stays open for the next Open of the
    // same unchanged file.
    static std::mutex lastMutex;
    static std::shared_ptr<Archive> last;
    {
        std::lock_guard<std::mutex> lock(lastMutex);
        if (last && last->key == key) {
            m_archive = last;
            return kOk;
        }
    }

    int error = ZIP_ER_OK;
    zip_t* zip = zip_open(path, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!zip)
        return kNotArchive;
    // An empty access string is no password (as a password, the AES cipher
    // fails on it without saying that it is wrong). Setting it fails only when
    // out of memory; encrypted entries then do not decrypt.
    zip_set_default_password(zip, access.IsEmpty() ? nullptr : static_cast<const char*>(access));
    auto archive = std::make_shared<Archive>();
    archive->zip = zip;
    archive->key = key;
    m_archive = archive;
    std::lock_guard<std::mutex> lock(lastMutex);
    last = archive;
    return kOk;
}

void ZrCacheFile::Close() { m_archive.reset(); }

unsigned char ZrCacheFile::IsOpen() const { return m_archive ? 1 : 0; }

int ZrCacheFile::ReadFile(const VEXA::VexaString& entry, ZrByteArray& out)
{
    return ReadFile(entry, out, kMaxEntrySize);
}

int ZrCacheFile::ReadFile(const VEXA::VexaString& entry, ZrByteArray& out, unsigned int maxSize)
{
    out.RemoveAll();
    if (!m_archive)
        return kNotOpen;
    std::lock_guard<std::mutex> lock(m_archive->mutex);
    zip_t* const archive = m_archive->zip;
    const zip_uint64_t limit = maxSize < kMaxEntrySize ? maxSize : kMaxEntrySize;
    const auto known = m_archive->reads.find(entry.Str());
    if (known != m_archive->reads.end()) {
        if (known->second.size > limit)
            return kTooLarge;
        const std::vector<unsigned char>& framed = known->second.framed;
        out.SetCapacity(static_cast<int>(framed.size()));
        out.Add(framed.data(), static_cast<int>(framed.size()));
        return kOk;
    }
    // Exact lookup: full path, letter case significant, raw name bytes.
    const zip_int64_t index = entry.IsEmpty() ? -1 : zip_name_locate(archive, entry, ZIP_FL_ENC_RAW);
    if (index < 0) {
        zip_error_clear(archive);
        return kNoEntry;
    }
    const zip_uint64_t idx = static_cast<zip_uint64_t>(index);
    zip_stat_t st{};
    if (zip_stat_index(archive, idx, 0, &st) != 0)
        return OpenEntryResult(archive);
    // Stored bytes beyond what the largest allowed content can take in any
    // compression method (whose worst cases expand by well under an eighth,
    // encryption headers included) are refused as well, before anything is read.
    if (st.size > limit || st.comp_size > limit + limit / 8 + 4096)
        return kTooLarge;
    // Refused here rather than by zip_fopen, whose failure for an unknown
    // encryption leaks memory in this libzip.
    if (st.encryption_method != ZIP_EM_NONE && !zip_encryption_method_supported(st.encryption_method, 0))
        return kUnsupportedEncryption;

    // Stored and deflated entries are handed out as their stored bytes
    // (decrypted), inflated and checked later by UnZip. Any other entry, and an
    // encrypted one whose CRC is not recorded (newer AES entries, whose
    // authentication code libzip checks instead), is decompressed by libzip
    // here and framed as stored.
    const bool raw = (st.comp_method == ZIP_CM_STORE || st.comp_method == ZIP_CM_DEFLATE) && (st.valid & ZIP_STAT_CRC);
    const bool deflated = raw && st.comp_method == ZIP_CM_DEFLATE;
    zip_file_t* file = zip_fopen_index(archive, idx, raw ? ZIP_FL_COMPRESSED : 0);
    if (!file)
        return OpenEntryResult(archive);
    std::vector<unsigned char> data;
    const bool ok = ReadAll(file, deflated ? st.comp_size : st.size, data);
    zip_fclose(file);
    if (!ok || (!deflated && data.size() != st.size))
        return kDamaged;
    const unsigned int crc = raw ? static_cast<unsigned int>(st.crc)
                                 : static_cast<unsigned int>(crc32(crc32(0L, Z_NULL, 0), data.data(),
                                                                   static_cast<uInt>(data.size())));
    Frame(deflated ? 8u : 0u, static_cast<unsigned int>(st.size), crc, data, out);
    m_archive->Remember(entry.Str(), st.size, out);
    return kOk;
}

int ZrCacheFile::GetEntryCount() const
{
    if (!m_archive)
        return 0;
    std::lock_guard<std::mutex> lock(m_archive->mutex);
    const zip_int64_t count = zip_get_num_entries(m_archive->zip, 0);
    if (count < 0)
        return 0;
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

VEXA::VexaString ZrCacheFile::GetEntryName(int index) const
{
    if (!m_archive || index < 0 || index >= GetEntryCount())
        return VEXA::VexaString();
    std::lock_guard<std::mutex> lock(m_archive->mutex);
    const char* name = zip_get_name(m_archive->zip, static_cast<zip_uint64_t>(index), ZIP_FL_ENC_RAW);
    return VEXA::VexaString(name);
}

} // namespace ZRC
