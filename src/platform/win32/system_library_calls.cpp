// The Windows loader's calls behind load_system_library.
#include "platform/win32/system_library_calls.hpp"

#include <windows.h>

#include <vector>

namespace velmora::uvc_stereo::platform {

namespace {

LoadAttempt load_from_system_folder(const std::wstring& file) {
    HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const DWORD error = module == nullptr ? GetLastError() : 0;
    return LoadAttempt{module, error};
}

// The folder's length is asked first, so a folder longer than MAX_PATH is
// named whole.
std::wstring system_folder(std::uint32_t& error) {
    wchar_t buffer[MAX_PATH];
    UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    error = length == 0 ? GetLastError() : 0;
    if (length == 0) return std::wstring();
    if (length < MAX_PATH) return std::wstring(buffer, length);
    std::vector<wchar_t> longer(length);
    length = GetSystemDirectoryW(longer.data(), static_cast<UINT>(longer.size()));
    error = length == 0 ? GetLastError() : 0;
    if (length == 0 || length >= longer.size()) return std::wstring();
    return std::wstring(longer.data(), length);
}

// The library's own folder is searched first for what it imports in turn,
// which for a system library is the system folder.
LoadAttempt load_full_path(const std::wstring& path) {
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD error = module == nullptr ? GetLastError() : 0;
    return LoadAttempt{module, error};
}

}  // namespace

const SystemLibraryCalls& windows_system_library_calls() {
    static const SystemLibraryCalls calls{&load_from_system_folder, &system_folder, &load_full_path};
    return calls;
}

}  // namespace velmora::uvc_stereo::platform
