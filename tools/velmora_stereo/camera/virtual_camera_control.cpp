// Run-time lookup of the virtual camera's scenario functions.
#include "camera/virtual_camera_control.hpp"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace velmora::stereo_tool {

namespace {

#if defined(_WIN32)

// The vendor library is loaded by the time the tool runs: the SDK imports it.
void* find_symbol(const char* name) {
    HMODULE vendor = GetModuleHandleW(L"SonixCamera.dll");
    if (vendor == nullptr) return nullptr;
    // void (*)() converts to and from any function pointer without a warning.
    return reinterpret_cast<void*>(reinterpret_cast<void (*)()>(GetProcAddress(vendor, name)));
}

#else

// The tool loads the vendor library at start-up, as a dependency of the SDK,
// so it is in the global scope.
void* find_symbol(const char* name) { return dlsym(RTLD_DEFAULT, name); }

#endif

template <typename Function>
Function find_function(const char* name) {
    return reinterpret_cast<Function>(find_symbol(name));
}

}  // namespace

std::optional<VirtualCameraControl> find_virtual_camera_control() {
    VirtualCameraControl control{};
    control.load_scenario_file = find_function<decltype(control.load_scenario_file)>("vcam_load_scenario_file");
    control.last_error = find_function<decltype(control.last_error)>("vcam_last_error");
    if (control.load_scenario_file == nullptr || control.last_error == nullptr) return std::nullopt;
    return control;
}

}  // namespace velmora::stereo_tool
