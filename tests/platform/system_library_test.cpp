// Loading from the system folder: the search flag first, the system folder's
// full path only where the loader refuses the flag, never a bare name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/system_library.hpp"

namespace velmora::uvc_stereo::platform {
namespace {

// What the fake loader answers, and what it was asked.
struct FakeLoader {
    LoadAttempt flagged;
    std::wstring folder;
    std::uint32_t folder_error = 0;
    LoadAttempt full;
    std::vector<std::wstring> asked;  // "flag:<file>", "folder", "path:<path>" in call order
};

FakeLoader g_loader;
int g_module = 0;  // its address stands for a loaded module

SystemLibraryCalls fake_calls() {
    return SystemLibraryCalls{
        [](const std::wstring& file) {
            g_loader.asked.push_back(L"flag:" + file);
            return g_loader.flagged;
        },
        [](std::uint32_t& error) {
            g_loader.asked.push_back(L"folder");
            error = g_loader.folder_error;
            return g_loader.folder;
        },
        [](const std::wstring& path) {
            g_loader.asked.push_back(L"path:" + path);
            return g_loader.full;
        },
    };
}

TEST(SystemLibraryTest, TheFullPathOfTheSystemFolderOnlyWhereTheFlagIsRefused) {
    void* const module = &g_module;
    const std::wstring system32 = L"C:\\Windows\\system32";
    constexpr std::uint32_t kModNotFound = 126;
    constexpr std::uint32_t kAccessDenied = 5;
    struct Row {
        const char* name;
        LoadAttempt flagged;
        std::wstring folder;
        std::uint32_t folder_error;
        LoadAttempt full;
        bool loads;
        std::string message;
        std::vector<std::wstring> asked;
    };
    const Row rows[] = {
        {"the flag works", {module, 0}, system32, 0, {}, true, "", {L"flag:mfplat.dll"}},
        {"not in the system folder", {nullptr, kModNotFound}, system32, 0, {module, 0}, false,
         "LoadLibrary(mfplat.dll) failed: hr=0x8007007E", {L"flag:mfplat.dll"}},
        {"flag refused: full path", {nullptr, kErrorInvalidParameter}, system32, 0, {module, 0}, true, "",
         {L"flag:mfplat.dll", L"folder", L"path:C:\\Windows\\system32\\mfplat.dll"}},
        {"flag refused, folder at a drive's root", {nullptr, kErrorInvalidParameter}, L"D:\\", 0, {module, 0}, true,
         "", {L"flag:mfplat.dll", L"folder", L"path:D:\\mfplat.dll"}},
        {"flag refused, not in the system folder", {nullptr, kErrorInvalidParameter}, system32, 0,
         {nullptr, kModNotFound}, false, "LoadLibrary(mfplat.dll) failed: hr=0x8007007E",
         {L"flag:mfplat.dll", L"folder", L"path:C:\\Windows\\system32\\mfplat.dll"}},
        {"flag refused, no system folder", {nullptr, kErrorInvalidParameter}, L"", kAccessDenied, {module, 0}, false,
         "GetSystemDirectory failed: hr=0x80070005", {L"flag:mfplat.dll", L"folder"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        g_loader = FakeLoader{row.flagged, row.folder, row.folder_error, row.full, {}};
        const Result<void*> loaded = load_system_library("mfplat.dll", fake_calls());
        EXPECT_EQ(loaded.ok(), row.loads);
        EXPECT_EQ(loaded.status().message(), row.message);
        EXPECT_EQ(loaded.status().code(), row.loads ? ErrorCode::Ok : ErrorCode::BackendError);
        if (loaded.ok()) {
            EXPECT_EQ(loaded.value(), module);
        }
        EXPECT_EQ(g_loader.asked, row.asked);
    }
}

TEST(SystemLibraryTest, Win32ErrorsBecomeTheirHresults) {
    EXPECT_EQ(hresult_from_win32(0), 0u);
    EXPECT_EQ(hresult_from_win32(kErrorInvalidParameter), 0x80070057u);
    EXPECT_EQ(hresult_from_win32(0x12345), 0x80072345u);  // only the low 16 bits are the code
}

}  // namespace
}  // namespace velmora::uvc_stereo::platform
