// Media Foundation found at run time: which library or function is missing is
// named in the failure, and only the system folder is searched.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/media_foundation_library.hpp"
#include "platform/win32/system_library_calls.hpp"

namespace velmora::uvc_stereo {
namespace {

using detail::MediaFoundationLibrary;

struct LoadCase {
    const char* label;
    const char* platform_library;
    const char* enumeration_library;
    std::string expected_message;
};

// ERROR_MOD_NOT_FOUND (126) and ERROR_PROC_NOT_FOUND (127) as HRESULTs.
const std::vector<LoadCase> kFailingLoads = {
    {"platform library missing", "velmora-no-such-mfplat.dll", "mf.dll",
     "LoadLibrary(velmora-no-such-mfplat.dll) failed: hr=0x8007007E"},
    {"enumeration library missing", "mfplat.dll", "velmora-no-such-mf.dll",
     "LoadLibrary(velmora-no-such-mf.dll) failed: hr=0x8007007E"},
    {"platform functions missing", "kernel32.dll", "mf.dll", "GetProcAddress(MFStartup) failed: hr=0x8007007F"},
    {"enumeration function missing", "mfplat.dll", "kernel32.dll",
     "GetProcAddress(MFEnumDeviceSources) failed: hr=0x8007007F"},
    // A library beside the application is never taken for a system one.
    {"library beside the program", "velmora-beside-the-program.dll", "mf.dll",
     "LoadLibrary(velmora-beside-the-program.dll) failed: hr=0x8007007E"},
};

// The folder of this test program, with a trailing separator.
std::string program_folder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// A loadable DLL put beside the program for the length of a test: a copy of
// the virtual camera's, under a name nothing has loaded.
class DllBesideProgram {
public:
    explicit DllBesideProgram(const std::string& name) : path_(program_folder() + name) {
        copied_ = CopyFileA((program_folder() + "SonixCamera.dll").c_str(), path_.c_str(), FALSE) != 0;
    }
    ~DllBesideProgram() { DeleteFileA(path_.c_str()); }
    DllBesideProgram(const DllBesideProgram&) = delete;
    DllBesideProgram& operator=(const DllBesideProgram&) = delete;
    bool copied() const { return copied_; }

private:
    std::string path_;
    bool copied_ = false;
};

TEST(MediaFoundationLibraryTest, FailuresNameWhatIsMissing) {
    const DllBesideProgram beside("velmora-beside-the-program.dll");
    ASSERT_TRUE(beside.copied());
    for (const LoadCase& row : kFailingLoads) {
        SCOPED_TRACE(row.label);
        const Result<MediaFoundationLibrary> loaded =
            MediaFoundationLibrary::load(row.platform_library, row.enumeration_library);
        ASSERT_FALSE(loaded.ok());
        EXPECT_EQ(loaded.status().code(), ErrorCode::BackendError);
        EXPECT_EQ(loaded.status().message(), row.expected_message);
    }
}

TEST(MediaFoundationLibraryTest, SystemLibrariesProvideWorkingFunctions) {
    const Result<MediaFoundationLibrary> loaded = MediaFoundationLibrary::load();
    ASSERT_TRUE(loaded.ok()) << loaded.status().message();
    const detail::MediaFoundationFunctions& functions = loaded.value().functions();
    ASSERT_NE(functions.enum_device_sources, nullptr);
    ASSERT_NE(functions.create_attributes, nullptr);
    ASSERT_EQ(functions.startup(0x00020070, 0), S_OK);
    IMFAttributes* attributes = nullptr;
    EXPECT_EQ(functions.create_attributes(&attributes, 1), S_OK);
    ASSERT_NE(attributes, nullptr);
    attributes->Release();
    EXPECT_EQ(functions.shutdown(), S_OK);

    const Result<const detail::MediaFoundationFunctions*> shared = detail::system_media_foundation();
    ASSERT_TRUE(shared.ok()) << shared.status().message();
    EXPECT_EQ(shared.value()->startup, functions.startup);  // the same system library
}

// A loader that refuses the search flag, as Windows 7 without KB2533623
// does; the rest is the real loader's, and the paths it loads are kept.
std::vector<std::wstring> g_full_paths;

platform::SystemLibraryCalls loader_without_search_flags() {
    return platform::SystemLibraryCalls{
        [](const std::wstring&) { return platform::LoadAttempt{nullptr, ERROR_INVALID_PARAMETER}; },
        platform::windows_system_library_calls().system_folder,
        [](const std::wstring& path) {
            g_full_paths.push_back(path);
            return platform::windows_system_library_calls().load_full_path(path);
        },
    };
}

std::wstring system_folder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length);
}

TEST(MediaFoundationLibraryTest, LoaderWithoutSearchFlagsLoadsBySystemFolderPath) {
    g_full_paths.clear();
    const Result<MediaFoundationLibrary> loaded = MediaFoundationLibrary::load(loader_without_search_flags());
    ASSERT_TRUE(loaded.ok()) << loaded.status().message();
    const std::vector<std::wstring> full_paths = {system_folder() + L"\\mfplat.dll", system_folder() + L"\\mf.dll"};
    EXPECT_EQ(g_full_paths, full_paths);
    const detail::MediaFoundationFunctions& functions = loaded.value().functions();
    ASSERT_EQ(functions.startup(0x00020070, 0), S_OK);
    EXPECT_EQ(functions.shutdown(), S_OK);

    // The fallback looks in the system folder only: not beside the program.
    const DllBesideProgram beside("velmora-beside-the-program.dll");
    ASSERT_TRUE(beside.copied());
    const Result<MediaFoundationLibrary> planted =
        MediaFoundationLibrary::load(loader_without_search_flags(), "velmora-beside-the-program.dll", "mf.dll");
    ASSERT_FALSE(planted.ok());
    EXPECT_EQ(planted.status().message(), "LoadLibrary(velmora-beside-the-program.dll) failed: hr=0x8007007E");
}

TEST(MediaFoundationLibraryTest, MovedLibraryKeepsItsFunctions) {
    Result<MediaFoundationLibrary> loaded = MediaFoundationLibrary::load();
    ASSERT_TRUE(loaded.ok()) << loaded.status().message();
    MediaFoundationLibrary first = std::move(loaded.value());
    const auto startup = first.functions().startup;
    MediaFoundationLibrary second = std::move(first);
    EXPECT_EQ(first.functions().startup, nullptr);
    EXPECT_EQ(second.functions().startup, startup);
}

}  // namespace
}  // namespace velmora::uvc_stereo
