// Loading Media Foundation from the system folder and finding its functions.
#include "platform/win32/media_foundation_library.hpp"

#include <cstdint>
#include <string>
#include <utility>

#include "platform/hresult_status.hpp"
#include "platform/system_library.hpp"
#include "platform/win32/system_library_calls.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

// GetProcAddress hands out a generic function pointer; void (*)() converts
// to any function pointer type without a cast-function-type warning. The
// error is read before the message is built, which allocates.
template <typename Function>
Status find_function(HMODULE module, const char* name, Function& out) {
    const FARPROC address = GetProcAddress(module, name);
    const DWORD error = address == nullptr ? GetLastError() : 0;
    if (address == nullptr) {
        return platform::make_hresult_status((std::string("GetProcAddress(") + name + ")").c_str(),
                                             platform::hresult_from_win32(error));
    }
    out = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    return Status();
}

}  // namespace

Result<MediaFoundationLibrary> MediaFoundationLibrary::load(const char* platform_library,
                                                            const char* enumeration_library) {
    return load(platform::windows_system_library_calls(), platform_library, enumeration_library);
}

// Only the system folder is searched, on every Windows: a DLL of the same
// name beside the application or in the current folder is never taken.
Result<MediaFoundationLibrary> MediaFoundationLibrary::load(const platform::SystemLibraryCalls& calls,
                                                            const char* platform_library,
                                                            const char* enumeration_library) {
    MediaFoundationLibrary library;
    Result<void*> platform = platform::load_system_library(platform_library, calls);
    if (!platform.ok()) return platform.status();
    library.platform_ = static_cast<HMODULE>(platform.value());
    Result<void*> enumeration = platform::load_system_library(enumeration_library, calls);
    if (!enumeration.ok()) return enumeration.status();
    library.enumeration_ = static_cast<HMODULE>(enumeration.value());

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
