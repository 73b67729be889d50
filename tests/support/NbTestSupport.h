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
};

// Writes a zip archive (deflated entries unless told otherwise); encrypted
// ones use the container's access string as their password.
inline void WriteZip(const std::string& path, const std::vector<ZipEntry>& entries)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    int error = 0;
    zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(za, nullptr);
    for (const ZipEntry& e : entries) {
        zip_source_t* src = zip_source_buffer(za, e.content.data(), e.content.size(), 0);
        const zip_int64_t idx = zip_file_add(za, e.name.c_str(), src, ZIP_FL_ENC_UTF_8);
        ASSERT_GE(idx, 0) << zip_strerror(za);
        zip_set_file_compression(za, static_cast<zip_uint64_t>(idx), e.method, 0);
        if (e.encrypted)
            zip_file_set_encryption(za, static_cast<zip_uint64_t>(idx), e.cipher, "5KPOV");
    }
    ASSERT_EQ(zip_close(za), 0);
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
