// The library-wide functions: Init, UnInit, EnumCameras, GetErrorCode, and
// the capture-node number offered beside them.
#include <algorithm>

#include "library_state.hpp"
#include "record_text.hpp"
#include "sonix_camera.h"
#include "sonix_camera_extras.h"

using sonix_uvcvideo::Library;
using sonix_uvcvideo::UsbCamera;
using SonixLib::scDevice_t;

namespace {

const char* const kFallbackName = "USB Camera";

// The product string; else the capture node's own name.
std::string record_name(const UsbCamera& camera) {
    if (camera.product && !camera.product->empty()) return *camera.product;
    return camera.node_label.empty() ? kFallbackName : camera.node_label;
}

std::int32_t enumerate(Library& library, std::uint32_t* count, scDevice_t* devices, std::uint32_t capacity) {
    if (count == nullptr) return SonixLib::ecEnumDeviceFail;
    *count = 0;
    const std::vector<UsbCamera> cameras = sonix_uvcvideo::enumerate_usb_cameras();
    library.remember_enumeration(cameras);
    if (cameras.empty()) return SonixLib::ecNotFindDevice;
    if (devices == nullptr && capacity != 0) return SonixLib::ecEnumDeviceFail;
    const auto written = static_cast<std::uint32_t>(std::min<std::size_t>(cameras.size(), capacity));
    for (std::uint32_t i = 0; i < written; ++i) {
        sonix_uvcvideo::fill_record(devices[i], record_name(cameras[i]), cameras[i].device_path);
    }
    *count = written;
    return 0;
}

}  // namespace

extern "C" {

SONIX_CAMERA_API bool SonixCam_Init(void) {
    return sonix_uvcvideo::run_library_call(false, [](Library& library) {
        ++library.init_depth;
        return 0;
    });
}

SONIX_CAMERA_API bool SonixCam_UnInit(void) {
    return sonix_uvcvideo::run_library_call(false, [](Library& library) -> std::int32_t {
        if (library.init_depth == 0) return SonixLib::ecLibInitFail;
        // Selections and open nodes belong to an initialised library.
        if (--library.init_depth == 0) library.end_all_sessions();
        return 0;
    });
}

SONIX_CAMERA_API bool SonixCam_EnumCameras(std::uint32_t* count, scDevice_t* devices, std::uint32_t capacity) {
    return sonix_uvcvideo::run_library_call(
        true, [&](Library& library) { return enumerate(library, count, devices, capacity); });
}

// Works uninitialised and never changes a code.
SONIX_CAMERA_API bool SonixCam_GetErrorCode(scDevice_t* dev, SonixLib::scErrorCode_t* code) {
    try {
        Library& library = Library::instance();
        const std::lock_guard<std::mutex> lock(library.mutex());
        if (code == nullptr) return false;
        if (dev == nullptr) {
            *code = static_cast<SonixLib::scErrorCode_t>(library.library_error);
            return true;
        }
        const std::string path = sonix_uvcvideo::record_device_path(*dev);
        if (path.empty()) return false;
        const auto found = library.device_errors.find(path);
        *code = static_cast<SonixLib::scErrorCode_t>(found == library.device_errors.end() ? 0 : found->second);
        return true;
    } catch (...) {
        return false;
    }
}

SONIX_CAMERA_API std::int32_t velmora_camera_v4l2_node(scDevice_t* dev) {
    try {
        Library& library = Library::instance();
        const std::lock_guard<std::mutex> lock(library.mutex());
        if (dev == nullptr || library.init_depth == 0) return -1;
        const std::string path = sonix_uvcvideo::record_device_path(*dev);
        if (path.empty()) return -1;
        const std::optional<UsbCamera> camera = library.camera(path);
        return camera ? camera->node_number : -1;
    } catch (...) {
        return -1;
    }
}

}  // extern "C"
