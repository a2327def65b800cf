// Media Foundation loaded at run time rather than imported, so the SDK's DLLs
// start on Windows editions that lack it (the "N" editions without the media
// pack); there only the Media Foundation back-end fails, and with it the
// CAP_MSMF indices of a scan.
#pragma once

#include <windows.h>

#include <mfobjects.h>

#include "platform/system_library.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::detail {

// The Media Foundation functions the back-end enumeration calls.
struct MediaFoundationFunctions {
    HRESULT(WINAPI* startup)(ULONG version, DWORD flags) = nullptr;
    HRESULT(WINAPI* shutdown)() = nullptr;
    HRESULT(WINAPI* create_attributes)(IMFAttributes** attributes, UINT32 initial_size) = nullptr;
    HRESULT(WINAPI* enum_device_sources)(IMFAttributes* attributes, IMFActivate*** sources, UINT32* count) = nullptr;
};

// MFStartup, MFShutdown and MFCreateAttributes live in the platform library,
// MFEnumDeviceSources in the other one.
inline constexpr const char* kMediaFoundationPlatformLibrary = "mfplat.dll";
inline constexpr const char* kMediaFoundationLibrary = "mf.dll";

// The two libraries, loaded from the system folder, and their functions.
// Move-only; destroying it unloads what it loaded.
class MediaFoundationLibrary {
public:
    // Fails with BackendError "LoadLibrary(<file>) failed: hr=0x%08lX" when a
    // library cannot be loaded, or "GetProcAddress(<function>) failed:
    // hr=0x%08lX" when it lacks a function (the Win32 error as an HRESULT).
    // The file names are parameters so that tests can name missing ones.
    static Result<MediaFoundationLibrary> load(const char* platform_library = kMediaFoundationPlatformLibrary,
                                               const char* enumeration_library = kMediaFoundationLibrary);
    // The same through other loader calls: tests make the first one fail as
    // an old loader does.
    static Result<MediaFoundationLibrary> load(const platform::SystemLibraryCalls& calls,
                                               const char* platform_library = kMediaFoundationPlatformLibrary,
                                               const char* enumeration_library = kMediaFoundationLibrary);

    MediaFoundationLibrary(MediaFoundationLibrary&& other) noexcept;
    MediaFoundationLibrary& operator=(MediaFoundationLibrary&& other) noexcept;
    MediaFoundationLibrary(const MediaFoundationLibrary&) = delete;
    MediaFoundationLibrary& operator=(const MediaFoundationLibrary&) = delete;
    ~MediaFoundationLibrary();

    const MediaFoundationFunctions& functions() const { return functions_; }

private:
    MediaFoundationLibrary() = default;
    void unload();

    HMODULE platform_ = nullptr;
    HMODULE enumeration_ = nullptr;
    MediaFoundationFunctions functions_;
};

// The system's Media Foundation, loaded at the first call and kept loaded for
// the life of the process, as an imported DLL would be; a failed load is
// remembered and returned again. Thread-safe.
Result<const MediaFoundationFunctions*> system_media_foundation();

}  // namespace velmora::uvc_stereo::detail
