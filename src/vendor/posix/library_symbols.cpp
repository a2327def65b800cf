// Run-time lookup in the camera library through the dynamic loader.
#include "vendor/library_symbols.hpp"

#include <dlfcn.h>

#include "sonix_camera.h"

namespace velmora::uvc_stereo::vendor {

void* find_library_symbol(const char* name) {
    // The file that holds the SDK's SonixCam_Init is the camera library.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&SonixCam_Init), &info) == 0 || info.dli_fname == nullptr) return nullptr;
    void* library = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr) return nullptr;
    void* symbol = dlsym(library, name);
    // Only the reference taken above goes: the SDK's own import keeps the
    // library loaded, and with it the address found.
    dlclose(library);
    return symbol;
}

}  // namespace velmora::uvc_stereo::vendor
