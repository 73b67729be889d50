#include "ZrCacheFile.h"

#include <zip.h>
#include <zlib.h>

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ZRC {

namespace {

const unsigned int kFrameHeaderSize = 14;
const zip_flags_t kNoFlags = 0;

using EntryFile = std::unique_ptr<zip_file_t, decltype(&zip_fclose)>;

void PutU16(unsigned char* p, unsigned int v)
{
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>((v >> 8) & 0xFF);
}

void PutU32(unsigned char* p, unsigned int v)
{
    PutU16(p, v & 0xFFFF);
    PutU16(p + 2, v >> 16);
}

// Reads an opened entry into `bytes` to its end, or to one byte past `limit`,
// which shows an entry longer than declared: the buffer grows with what is
// actually read, so a damaged size field costs nothing. False on a read error;
// libzip checks the CRC when an entry it decompresses reaches its end.
bool ReadAll(zip_file_t* file, zip_uint64_t limit, std::vector<unsigned char>& bytes)
{
    const zip_uint64_t chunk = 1u << 16;
    for (;;) {
        const size_t total = bytes.size();
        bytes.resize(static_cast<size_t>(total + std::min<zip_uint64_t>(chunk, limit + 1 - total)));
        const zip_int64_t got = zip_fread(file, bytes.data() + total, bytes.size() - total);
        bytes.resize(total + static_cast<size_t>(std::max<zip_int64_t>(got, 0)));
        if (got <= 0 || bytes.size() > limit)
            return got >= 0;
    }
}

// The result for libzip's reason why an entry does not open.
int OpenEntryResult(zip_t* archive)
{
    const int code = zip_error_code_zip(zip_get_error(archive));
    if (code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_NOPASSWD)
        return ZrCacheFile::kWrongPassword;
    return code == ZIP_ER_COMPNOTSUPP ? ZrCacheFile::kUnsupportedCompression : ZrCacheFile::kDamaged;
}

// What identifies one state of a container file: path, device, inode, size,
// modification and change times, and the last bytes (the end of the index,
// which tells a rewrite apart on file systems with coarse times).
std::string FileKey(const std::string& path, const struct stat& st)
{
    const long long fields[] = {static_cast<long long>(st.st_dev),         static_cast<long long>(st.st_ino),
                                static_cast<long long>(st.st_size),        static_cast<long long>(st.st_mtim.tv_sec),
                                static_cast<long long>(st.st_mtim.tv_nsec), static_cast<long long>(st.st_ctim.tv_sec),
                                static_cast<long long>(st.st_ctim.tv_nsec)};
    const std::streamoff tail = 4096;
    std::ifstream in(path, std::ios::binary);
    return path + '\0' + std::string(reinterpret_cast<const char*>(fields), sizeof(fields)) +
           std::string(std::istreambuf_iterator<char>(in.seekg(std::max<std::streamoff>(st.st_size, tail) - tail)),
                       std::istreambuf_iterator<char>());
}

// Frames entry bytes as UnZip expects them.
void Frame(unsigned int method, unsigned int size, unsigned int crc, const std::vector<unsigned char>& data,
           ZrByteArray& out)
{
    unsigned char header[kFrameHeaderSize] = {'Z', 'r', 'C', 'F'};
    PutU16(header + 4, method);
    PutU32(header + 6, size);
    PutU32(header + 10, crc);
    out.Add(header, static_cast<int>(kFrameHeaderSize));
    out.Add(data.data(), static_cast<int>(data.size()));
}

} // namespace

// An opened archive, shared by the container objects that opened the same
// unchanged file; its mutex makes them take turns.
struct ZrCacheFile::Archive {
    std::unique_ptr<zip_t, decltype(&zip_discard)> zip{nullptr, zip_discard};
    std::string key;
    std::mutex mutex;
    // Entries read before, as ReadFile handed them out, with their content
    // size: a later read of the same entry costs a copy (no decryption, no
    // decompression). At most kCachedBytes in all: an entry that would pass
    // that makes room by forgetting the others, a larger one is not kept.
    struct Read {
        zip_uint64_t size;
        std::vector<unsigned char> framed;
    };
    std::map<std::string, Read> reads;
    static const size_t kCachedBytes = 4u << 20;

    void Remember(const std::string& name, zip_uint64_t size, const ZrByteArray& out)
    {
        const size_t bytes = static_cast<size_t>(out.GetSize());
        if (bytes > kCachedBytes)
            return;
        size_t held = bytes;
        for (const auto& read : reads)
            held += read.second.framed.size();
        if (held > kCachedBytes)
            reads.clear();
        reads[name] = Read{size, std::vector<unsigned char>(out.GetData(), out.GetData() + bytes)};
    }
};

ZrCacheFile::ZrCacheFile() = default;

ZrCacheFile::~ZrCacheFile() = default;

const char* ZrCacheFile::Describe(int result)
{
    switch (result) {
    case kOk:
        return "success";
    case kUnreadable:
        return "the file cannot be read";
    case kNoFile:
        return "no such file";
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
    struct stat st;
    if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode))
        return kNoFile;
    const std::string key = FileKey(path.Str(), st) + '\0' + access.Str();

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
    auto archive = std::make_shared<Archive>();
    archive->zip.reset(zip_open(path, ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!archive->zip)
        return error == ZIP_ER_OPEN ? kUnreadable : kNotArchive;
    // An empty access string is no password (as a password, the AES cipher
    // fails on it without saying that it is wrong). Setting it fails only when
    // out of memory; encrypted entries then do not decrypt.
    zip_set_default_password(archive->zip.get(), access.IsEmpty() ? nullptr : static_cast<const char*>(access));
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
    zip_t* const archive = m_archive->zip.get();
    const zip_uint64_t limit = std::min<zip_uint64_t>(maxSize, kMaxEntrySize);
    const auto known = m_archive->reads.find(entry.Str());
    if (known != m_archive->reads.end()) {
        if (known->second.size > limit)
            return kTooLarge;
        const std::vector<unsigned char>& framed = known->second.framed;
        out.Add(framed.data(), static_cast<int>(framed.size()));
        return kOk;
    }
    // Exact lookup: full path, letter case significant, raw name bytes.
    const zip_int64_t index = entry.IsEmpty() ? -1 : zip_name_locate(archive, entry, ZIP_FL_ENC_RAW);
    if (index < 0)
        return kNoEntry;
    const zip_uint64_t idx = static_cast<zip_uint64_t>(index);
    // Should the entry have no description, st stays empty and the entry does
    // not open below.
    zip_stat_t st{};
    zip_stat_index(archive, idx, kNoFlags, &st);
    // Stored bytes beyond what the largest allowed content can take in any
    // compression method (whose worst cases expand by well under an eighth,
    // encryption headers included) are refused as well, before anything is read.
    if (st.size > limit || st.comp_size > limit + limit / 8 + 4096)
        return kTooLarge;
    // Refused here rather than by zip_fopen, whose failure for an unknown
    // encryption leaks memory in this libzip.
    if (st.encryption_method != ZIP_EM_NONE && !zip_encryption_method_supported(st.encryption_method, kNoFlags))
        return kUnsupportedEncryption;

    // Stored and deflated entries are handed out as their stored bytes
    // (decrypted), inflated and checked later by UnZip. Any other entry, and an
    // encrypted one whose CRC is not recorded (newer AES entries, whose
    // authentication code libzip checks instead), is decompressed by libzip
    // here and framed as stored.
    const bool raw = (st.comp_method == ZIP_CM_STORE || st.comp_method == ZIP_CM_DEFLATE) && (st.valid & ZIP_STAT_CRC);
    const bool deflated = raw && st.comp_method == ZIP_CM_DEFLATE;
    std::vector<unsigned char> data;
    {
        const EntryFile file(zip_fopen_index(archive, idx, raw ? ZIP_FL_COMPRESSED : kNoFlags), zip_fclose);
        if (!file)
            return OpenEntryResult(archive);
        if (!ReadAll(file.get(), deflated ? st.comp_size : st.size, data) || (!deflated && data.size() != st.size))
            return kDamaged;
    }
    const unsigned int crc = static_cast<unsigned int>(
        raw ? st.crc : crc32(0, data.data(), static_cast<uInt>(data.size())));
    Frame(deflated ? 8u : 0u, static_cast<unsigned int>(st.size), crc, data, out);
    m_archive->Remember(entry.Str(), st.size, out);
    return kOk;
}

int ZrCacheFile::GetEntryCount() const
{
    if (!m_archive)
        return 0;
    std::lock_guard<std::mutex> lock(m_archive->mutex);
    return static_cast<int>(std::min<zip_int64_t>(zip_get_num_entries(m_archive->zip.get(), kNoFlags), INT_MAX));
}

VEXA::VexaString ZrCacheFile::GetEntryName(int index) const
{
    if (!m_archive)
        return {};
    std::lock_guard<std::mutex> lock(m_archive->mutex);
    // Null past the last entry (a negative index lies far past it).
    return VEXA::VexaString(
        zip_get_name(m_archive->zip.get(), static_cast<zip_uint64_t>(index), ZIP_FL_ENC_RAW));
}

} // namespace ZRC
