// Loading a DLL from the system folder: the flag, or the full path where the
// flag is not understood.
#include "platform/system_library.hpp"

#include <string>

#include "platform/hresult_status.hpp"

namespace velmora::uvc_stereo::platform {

namespace {

constexpr std::uint32_t kFacilityWin32Failure = 0x80070000u;
constexpr std::uint32_t kWin32CodeMask = 0xFFFFu;

Status load_failure(const char* file, std::uint32_t error) {
    return make_hresult_status((std::string("LoadLibrary(") + file + ")").c_str(), hresult_from_win32(error));
}

std::wstring widen_ascii(const char* text) {
    std::wstring wide;
    for (; *text != '\0'; ++text) wide += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return wide;
}

}  // namespace

std::uint32_t hresult_from_win32(std::uint32_t error) {
    return error == 0 ? 0 : (kFacilityWin32Failure | (error & kWin32CodeMask));
}

Result<void*> load_system_library(const char* file, const SystemLibraryCalls& calls) {
    const std::wstring name = widen_ascii(file);
    const LoadAttempt flagged = calls.load_from_system_folder(name);
    if (flagged.module != nullptr) return flagged.module;
    if (flagged.error != kErrorInvalidParameter) return load_failure(file, flagged.error);

    std::uint32_t folder_error = 0;
    std::wstring path = calls.system_folder(folder_error);
    if (path.empty()) return make_hresult_status("GetSystemDirectory", hresult_from_win32(folder_error));
    if (path.back() != L'\\') path += L'\\';
    path += name;
    const LoadAttempt full = calls.load_full_path(path);
    if (full.module != nullptr) return full.module;
    return load_failure(file, full.error);
}

}  // namespace velmora::uvc_stereo::platform
