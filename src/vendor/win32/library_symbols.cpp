// Run-time lookup in the camera library through the module that holds it.
#include "vendor/library_symbols.hpp"

#include <windows.h>

#include "sonix_camera.h"

namespace velmora::uvc_stereo::vendor {

void* find_library_symbol(const char* name) {
    // The module that holds the SDK's SonixCam_Init (reached through the
    // import table) is the camera library, whatever its file is called. The
    // SDK's own import keeps it loaded, so no reference is taken.
    HMODULE library = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(&SonixCam_Init), &library)) return nullptr;
    // void (*)() converts to and from any function pointer without a warning.
    return reinterpret_cast<void*>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

}  // namespace velmora::uvc_stereo::vendor
