// Loading a DLL from the Windows system folder and nowhere else, on every
// Windows: LOAD_LIBRARY_SEARCH_SYSTEM32 where the loader knows it, the
// system folder's full path where it does not (Windows 7 without update
// KB2533623 refuses the flag with ERROR_INVALID_PARAMETER). Neither ever
// searches the program's folder or the current one, so a DLL of the same
// name planted there is never taken. The decisions need no Windows and are
// tested everywhere through the calls below.
#pragma once

#include <cstdint>
#include <string>

#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::platform {

// ERROR_INVALID_PARAMETER: how a loader without the search flags refuses them.
constexpr std::uint32_t kErrorInvalidParameter = 87;

// A module, or null with the Win32 error read at once after the failing call.
struct LoadAttempt {
    void* module = nullptr;
    std::uint32_t error = 0;
};

// The system's side of a load; the real ones are windows_system_library_calls().
struct SystemLibraryCalls {
    // LoadLibraryExW(file, null, LOAD_LIBRARY_SEARCH_SYSTEM32).
    LoadAttempt (*load_from_system_folder)(const std::wstring& file);
    // GetSystemDirectoryW: the folder, or empty with the Win32 error in `error`.
    std::wstring (*system_folder)(std::uint32_t& error);
    // LoadLibraryExW(path, null, LOAD_WITH_ALTERED_SEARCH_PATH) for a full path.
    LoadAttempt (*load_full_path)(const std::wstring& path);
};

// HRESULT_FROM_WIN32: 0 stays 0, any other error becomes 0x8007xxxx.
std::uint32_t hresult_from_win32(std::uint32_t error);

// The module of `file` (an ASCII file name) from the system folder. Fails
// with BackendError "LoadLibrary(<file>) failed: hr=0x%08lX", or, when the
// system folder cannot be named, "GetSystemDirectory failed: hr=0x%08lX".
Result<void*> load_system_library(const char* file, const SystemLibraryCalls& calls);

}  // namespace velmora::uvc_stereo::platform
