// Loading Media Foundation from the system folder and finding its functions.
#include "platform/win32/media_foundation_library.hpp"

#include <cstdint>
#include <string>
#include <utility>

#include "discovery/backend_candidates.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

// The Win32 error of the failed call, as the HRESULT Windows would make of it.
Status last_error_failure(const std::string& operation) {
    const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
    return make_hresult_status(operation.c_str(), static_cast<std::uint32_t>(hr));
}

// Only the system folder is searched, so a DLL of the same name beside the
// application or in the current folder is never taken instead. (Windows 7
// understands the flag only with update KB2533623; without it the load fails
// and, like a missing Media Foundation, costs only the CAP_MSMF indices.)
Result<HMODULE> load_system_library(const char* file) {
    HMODULE module = LoadLibraryExA(file, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) return last_error_failure(std::string("LoadLibrary(") + file + ")");
    return module;
}

// GetProcAddress hands out a generic function pointer; void (*)() converts
// to any function pointer type without a cast-function-type warning.
template <typename Function>
Status find_function(HMODULE module, const char* name, Function& out) {
    const FARPROC address = GetProcAddress(module, name);
    if (address == nullptr) return last_error_failure(std::string("GetProcAddress(") + name + ")");
    out = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    return Status();
}

}  // namespace

Result<MediaFoundationLibrary> MediaFoundationLibrary::load(const char* platform_library,
                                                            const char* enumeration_library) {
    MediaFoundationLibrary library;
    Result<HMODULE> platform = load_system_library(platform_library);
    if (!platform.ok()) return platform.status();
    library.platform_ = platform.value();
    Result<HMODULE> enumeration = load_system_library(enumeration_library);
    if (!enumeration.ok()) return enumeration.status();
    library.enumeration_ = enumeration.value();

    MediaFoundationFunctions& functions = library.functions_;
    for (const Status& status : {find_function(library.platform_, "MFStartup", functions.startup),
                                 find_function(library.platform_, "MFShutdown", functions.shutdown),
                                 find_function(library.platform_, "MFCreateAttributes", functions.create_attributes),
                                 find_function(library.enumeration_, "MFEnumDeviceSources",
                                               functions.enum_device_sources)}) {
        if (!status.ok()) return status;
    }
    return library;
}

MediaFoundationLibrary::MediaFoundationLibrary(MediaFoundationLibrary&& other) noexcept
    : platform_(std::exchange(other.platform_, nullptr)),
      enumeration_(std::exchange(other.enumeration_, nullptr)),
      functions_(std::exchange(other.functions_, MediaFoundationFunctions{})) {}

MediaFoundationLibrary& MediaFoundationLibrary::operator=(MediaFoundationLibrary&& other) noexcept {
    if (this != &other) {
        unload();
        platform_ = std::exchange(other.platform_, nullptr);
        enumeration_ = std::exchange(other.enumeration_, nullptr);
        functions_ = std::exchange(other.functions_, MediaFoundationFunctions{});
    }
    return *this;
}

MediaFoundationLibrary::~MediaFoundationLibrary() { unload(); }

void MediaFoundationLibrary::unload() {
    if (enumeration_ != nullptr) FreeLibrary(enumeration_);
    if (platform_ != nullptr) FreeLibrary(platform_);
    enumeration_ = nullptr;
    platform_ = nullptr;
    functions_ = MediaFoundationFunctions{};
}

Result<const MediaFoundationFunctions*> system_media_foundation() {
    // Never destroyed: the libraries stay loaded until the process ends.
    static const auto* const loaded = new Result<MediaFoundationLibrary>(MediaFoundationLibrary::load());
    if (!loaded->ok()) return loaded->status();
    return &loaded->value().functions();
}

}  // namespace velmora::uvc_stereo::detail
