// The shipped Windows binaries carry a version resource with the product,
// the project version and a description, read as Explorer reads it. The
// files are looked for beside this program, or in VELMORA_VERSIONED_FILES_DIR
// (the unpacked archive's bin folder, for instance).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct VersionedFile {
    const char* file_name;
    const char* description;
};

const std::vector<VersionedFile> kShippedFiles = {
    {"velmora_uvc_stereo_sdk.dll", "Velmora UVC stereo camera SDK, C++ interface"},
    {"velmora_uvc_stereo_sdk_c.dll", "Velmora UVC stereo camera SDK, C interface"},
    {"velmora-stereo.exe", "Velmora stereo camera desk tool"},
    {"SonixCamera.dll", "Velmora virtual camera, a stand-in for the camera vendor's library (tests only)"},
};

std::string folder_of_files() {
    if (const char* folder = std::getenv("VELMORA_VERSIONED_FILES_DIR"); folder != nullptr && *folder != '\0') {
        return std::string(folder) + "\\";
    }
    char path[MAX_PATH] = {};
    const std::string program(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return program.substr(0, program.find_last_of("\\/") + 1);
}

// The version block of a file, empty when it has none.
std::vector<char> read_version_block(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return {};
    return block;
}

// One text of the U.S. English, Unicode string table.
std::string string_value(std::vector<char>& block, const char* name) {
    char* text = nullptr;
    UINT length = 0;
    const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) || text == nullptr) {
        return "<missing>";
    }
    return std::string(text);
}

TEST(VersionResourceTest, ShippedFilesNameProductVersionAndPurpose) {
    const std::string folder = folder_of_files();
    const DWORD expected_high = MAKELONG(VELMORA_VERSION_MINOR, VELMORA_VERSION_MAJOR);
    const DWORD expected_low = MAKELONG(0, VELMORA_VERSION_PATCH);
    for (const VersionedFile& file : kShippedFiles) {
        SCOPED_TRACE(folder + file.file_name);
        std::vector<char> block = read_version_block(folder + file.file_name);
        ASSERT_FALSE(block.empty()) << "no version resource";

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, expected_high);
        EXPECT_EQ(fixed->dwFileVersionLS, expected_low);
        EXPECT_EQ(fixed->dwProductVersionMS, expected_high);
        const bool is_program = std::string(file.file_name).find(".exe") != std::string::npos;
        EXPECT_EQ(fixed->dwFileType, is_program ? static_cast<DWORD>(VFT_APP) : static_cast<DWORD>(VFT_DLL));

        EXPECT_EQ(string_value(block, "ProductName"), "Velmora UVC stereo camera SDK");
        EXPECT_EQ(string_value(block, "FileDescription"), file.description);
        EXPECT_EQ(string_value(block, "FileVersion"), VELMORA_VERSION);
        EXPECT_EQ(string_value(block, "ProductVersion"), VELMORA_VERSION);
        EXPECT_EQ(string_value(block, "OriginalFilename"), file.file_name);
    }
}

}  // namespace
