#include "ZrCacheFile.h"

#include <zip.h>
#include <zlib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace ZRC {

namespace {

const unsigned int kFrameHeaderSize = 14;

// Error codes of ReadFile besides libzip's own.
const int kErrNotOpen = -1;
const int kErrNoEntry = -2;
const int kErrTooLarge = -3;
const int kErrDamaged = -4;

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
// on a read error or when the entry holds more than `limit` bytes. The buffer
// grows with what is actually read, so a damaged size field costs nothing.
bool ReadAll(zip_file_t* file, zip_uint64_t limit, std::vector<unsigned char>& bytes)
{
    const zip_uint64_t chunk = 1u << 16;
    bytes.clear();
    zip_uint64_t total = 0;
    for (;;) {
        // One byte beyond the limit shows an entry longer than declared.
        const zip_uint64_t want = total + chunk <= limit + 1 ? chunk : limit + 1 - total;
        bytes.resize(static_cast<size_t>(total + want));
        const zip_int64_t got = zip_fread(file, bytes.data() + total, want);
        if (got < 0)
            return false;
        total += static_cast<zip_uint64_t>(got);
        if (total > limit)
            return false;
        if (got == 0 || total == limit + 1)
            break;
    }
    bytes.resize(static_cast<size_t>(total));
    return true;
}

int LibzipError(zip_t* archive)
{
    const int code = zip_error_code_zip(zip_get_error(archive));
    zip_error_clear(archive);
    return code != ZIP_ER_OK ? code : kErrDamaged;
}

// What identifies one state of a container file: path, device, inode, size,
// modification and change times, and the last bytes (the end of the index).
// 0 on success; ZIP_ER_NOENT for no regular file, ZIP_ER_NOZIP for an empty
// one (it would open as an empty archive: it is no container).
int FileKey(const std::string& path, std::string& key)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return ZIP_ER_NOENT;
    if (st.st_size <= 0)
        return ZIP_ER_NOZIP;
    char tail[4096];
    ssize_t got = 0;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return ZIP_ER_OPEN;
    const off_t at = st.st_size > static_cast<off_t>(sizeof(tail)) ? st.st_size - static_cast<off_t>(sizeof(tail)) : 0;
    got = ::pread(fd, tail, sizeof(tail), at);
    ::close(fd);
    if (got < 0)
        return ZIP_ER_READ;
    key = path;
    for (long long v : {static_cast<long long>(st.st_dev), static_cast<long long>(st.st_ino),
                        static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
                        static_cast<long long>(st.st_mtim.tv_nsec), static_cast<long long>(st.st_ctim.tv_sec),
                        static_cast<long long>(st.st_ctim.tv_nsec)})
        key += '\0' + std::to_string(v);
    key += '\0';
    key.append(tail, static_cast<size_t>(got));
    key += '\0';
    return 0;
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

int ZrCacheFile::Open(const VEXA::VexaString& path, const VEXA::VexaString& access)
{
    Close();
    if (path.IsEmpty())
        return ZIP_ER_NOENT;
    std::string key;
    const int checked = FileKey(path.Str(), key);
    if (checked != 0)
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
            return 0;
        }
    }

    int error = ZIP_ER_OK;
    zip_t* zip = zip_open(path, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!zip)
        return error != ZIP_ER_OK ? error : ZIP_ER_NOZIP;
    if (!access.IsEmpty() && zip_set_default_password(zip, access) != 0) {
        zip_discard(zip);
        return ZIP_ER_INTERNAL;
    }
    auto archive = std::make_shared<Archive>();
    archive->zip = zip;
    archive->key = key;
    m_archive = archive;
    std::lock_guard<std::mutex> lock(lastMutex);
    last = archive;
    return 0;
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
        return kErrNotOpen;
    if (entry.IsEmpty())
        return kErrNoEntry;
    std::lock_guard<std::mutex> lock(m_archive->mutex);
    zip_t* const archive = m_archive->zip;
    const zip_uint64_t limit = maxSize < kMaxEntrySize ? maxSize : kMaxEntrySize;
    const auto known = m_archive->reads.find(entry.Str());
    if (known != m_archive->reads.end()) {
        if (known->second.size > limit)
            return kErrTooLarge;
        const std::vector<unsigned char>& framed = known->second.framed;
        out.SetCapacity(static_cast<int>(framed.size()));
        out.Add(framed.data(), static_cast<int>(framed.size()));
        return 0;
    }
    // Exact lookup: full path, letter case significant, raw name bytes.
    const zip_int64_t index = zip_name_locate(archive, entry, ZIP_FL_ENC_RAW);
    if (index < 0) {
        zip_error_clear(archive);
        return kErrNoEntry;
    }
    const zip_uint64_t idx = static_cast<zip_uint64_t>(index);
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive, idx, 0, &st) != 0)
        return LibzipError(archive);
    const zip_uint64_t needed = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD;
    if ((st.valid & needed) != needed)
        return kErrDamaged;
    // Stored bytes beyond what the largest allowed content can take in any
    // compression method (whose worst cases expand by well under an eighth)
    // are refused as well, before anything is read.
    const zip_uint64_t packedLimit = st.comp_method == ZIP_CM_STORE ? limit : limit + limit / 8 + 4096;
    if (st.size > limit || st.comp_size > packedLimit)
        return kErrTooLarge;

    const bool encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
    // Refused here rather than by zip_fopen, whose failure for an unknown
    // encryption leaks memory in this libzip.
    if (encrypted && !zip_encryption_method_supported(st.encryption_method, 0))
        return ZIP_ER_ENCRNOTSUPP;
    const bool crcKnown = (st.valid & ZIP_STAT_CRC) != 0;
    std::vector<unsigned char> data;

    // Stored and deflated entries: the stored bytes as they are (decrypted),
    // inflated later by UnZip. An encrypted entry whose CRC is not recorded
    // (newer AES entries) is read decompressed instead, so that libzip checks
    // its authentication code.
    if ((st.comp_method == ZIP_CM_STORE || st.comp_method == ZIP_CM_DEFLATE) && crcKnown) {
        zip_file_t* file = zip_fopen_index(archive, idx, ZIP_FL_COMPRESSED);
        if (file) {
            const bool ok = ReadAll(file, st.comp_size, data);
            zip_fclose(file);
            if (ok && (st.comp_method != ZIP_CM_STORE || data.size() == st.size)) {
                Frame(st.comp_method == ZIP_CM_STORE ? 0u : 8u, static_cast<unsigned int>(st.size),
                      static_cast<unsigned int>(st.crc), data, out);
                m_archive->Remember(entry.Str(), st.size, out);
                return 0;
            }
            if (!encrypted)
                return kErrDamaged;
        } else {
            const int code = LibzipError(archive);
            if (!encrypted || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_NOPASSWD)
                return code;
        }
    }

    // Any other entry: decompressed (and checked) by libzip, framed as stored.
    zip_file_t* file = zip_fopen_index(archive, idx, 0);
    if (!file)
        return LibzipError(archive);
    const bool ok = ReadAll(file, st.size, data);
    zip_fclose(file);
    if (!ok || data.size() != st.size)
        return kErrDamaged;
    const unsigned int crc = static_cast<unsigned int>(
        crc32(crc32(0L, Z_NULL, 0), data.empty() ? Z_NULL : data.data(), static_cast<uInt>(data.size())));
    Frame(0u, static_cast<unsigned int>(st.size), crc, data, out);
    m_archive->Remember(entry.Str(), st.size, out);
    return 0;
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
