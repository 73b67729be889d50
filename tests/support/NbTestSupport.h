// Helpers shared by the test folders: a private temporary folder, zip
// containers written with libzip, and small PNG images.
#pragma once

#include "ZrCommon3D.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace nbtest {

// A folder of its own for the running test, removed again afterwards.
class TempDir {
public:
    TempDir()
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("nbps-") + info->test_suite_name() + "-" + info->name() + "-" + std::to_string(::getpid());
        std::replace(name.begin(), name.end(), '/', '_');
        m_path = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(m_path);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Path of a file in the folder, with a trailing slash for "".
    std::string operator/(const std::string& file) const { return (m_path / file).string(); }
    std::string Folder() const { return m_path.string() + "/"; }

    std::string Write(const std::string& file, const std::string& bytes) const
    {
        const std::string path = *this / file;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

private:
    std::filesystem::path m_path;
};

struct ZipEntry {
    std::string name;
    std::string content;
    bool encrypted;
    zip_int32_t method = ZIP_CM_DEFLATE;
    zip_uint16_t cipher = ZIP_EM_AES_256;
    std::string password = "5KPOV";   // the container's access string
};

// Writes a zip archive (deflated entries unless told otherwise). An entry
// encrypted with a password other than the access string is written again
// until libzip refuses the access string for it: the traditional cipher checks
// one byte, which one wrong password in 256 passes.
inline void WriteZip(const std::string& path, const std::vector<ZipEntry>& entries)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    for (bool refused = false; !refused;) {
        int error = 0;
        zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(za, nullptr);
        for (const ZipEntry& e : entries) {
            zip_source_t* src = zip_source_buffer(za, e.content.data(), e.content.size(), 0);
            const zip_int64_t idx = zip_file_add(za, e.name.c_str(), src, ZIP_FL_ENC_UTF_8);
            ASSERT_GE(idx, 0) << zip_strerror(za);
            zip_set_file_compression(za, static_cast<zip_uint64_t>(idx), e.method, 0);
            if (e.encrypted)
                zip_file_set_encryption(za, static_cast<zip_uint64_t>(idx), e.cipher, e.password.c_str());
        }
        ASSERT_EQ(zip_close(za), 0);
        za = zip_open(path.c_str(), ZIP_RDONLY, &error);
        refused = true;
        for (const ZipEntry& e : entries) {
            zip_file_t* f = e.encrypted && e.password != "5KPOV" ? zip_fopen_encrypted(za, e.name.c_str(), 0, "5KPOV") : nullptr;
            refused = refused && f == nullptr;
            if (f)
                zip_fclose(f);
        }
        zip_discard(za);
    }
}

// Where the central directory record and the local header of the named entry
// start in a zip archive's bytes, and where that entry's stored data starts.
inline size_t U16At(const std::string& zip, size_t at) { return size_t(uint8_t(zip[at])) | size_t(uint8_t(zip[at + 1])) << 8; }
inline size_t CentralRecord(const std::string& zip, const std::string& name)
{
    size_t at = zip.find("PK\1\2");
    while (at != std::string::npos && (zip.compare(at + 46, name.size(), name) != 0 || U16At(zip, at + 28) != name.size()))
        at = zip.find("PK\1\2", at + 4);
    return at;
}
inline size_t LocalRecord(const std::string& zip, const std::string& name)
{
    const size_t central = CentralRecord(zip, name);
    return U16At(zip, central + 42) | U16At(zip, central + 44) << 16;
}
inline size_t EntryData(const std::string& zip, const std::string& name)
{
    const size_t local = LocalRecord(zip, name);
    return local + 30 + U16At(zip, local + 26) + U16At(zip, local + 28);
}

// A temporary scene-resource folder set for the running test, with the
// resource container written where the library looks for it.
class SceneFolder {
public:
    SceneFolder() { ZRC::ZrCommon3D::ms_strSceneResFoloderPath = m_dir.Folder().c_str(); }
    ~SceneFolder() { ZRC::ZrCommon3D::ms_strSceneResFoloderPath = ""; }

    void Container(const std::vector<ZipEntry>& entries) const
    {
        WriteZip(m_dir.Folder() + "./particle/particle.sc", entries);
    }
    const TempDir& Dir() const { return m_dir; }

private:
    TempDir m_dir;
};

inline void AppendBytes(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

// A PNG of w x h pixels, 4 bytes each in R, G, B, A order.
inline std::string PngBytes(int w, int h, const std::vector<unsigned char>& rgba)
{
    std::string out;
    stbi_write_png_to_func(AppendBytes, &out, w, h, 4, rgba.data(), w * 4);
    return out;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace nbtest
