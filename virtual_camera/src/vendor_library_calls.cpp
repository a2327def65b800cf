// The library-wide vendor functions: Init, UnInit, EnumCameras and GetErrorCode.
#include <algorithm>

#include "sonix_camera_extras.h"
#include "text_codec.hpp"
#include "vendor_dispatch.hpp"

using sonix_virtual::CallSpec;
using sonix_virtual::DeviceState;
using sonix_virtual::Library;
using SonixLib::scDevice_t;

namespace {

constexpr std::size_t kNameUnits = sizeof(scDevice_t::name) / sizeof(SonixLib::scWideChar);
constexpr std::size_t kPathUnits = sizeof(scDevice_t::device_path) / sizeof(SonixLib::scWideChar);

template <std::size_t N>
void write_utf16(SonixLib::scWideChar (&out)[N], const std::string& text) {
    const std::u16string units = sonix_virtual::utf8_to_utf16(text);
    const std::size_t length = std::min(units.size(), N - 1);
    for (std::size_t i = 0; i < length; ++i) out[i] = static_cast<SonixLib::scWideChar>(units[i]);
    out[length] = 0;
}

void fill_record(scDevice_t& record, const DeviceState& device) {
    static_assert(kNameUnits == 256 && kPathUnits == 306, "record text capacities");
    record = scDevice_t{};
    sonix_virtual::set_record_handle(record, device.handle);
    write_utf16(record.name, device.setup.name);
    write_utf16(record.device_path, device.setup.device_path);
}

// The count an enumeration reports once `written` records are in place.
std::int32_t report_count(const Library& library, std::uint32_t written, std::uint32_t* count) {
    const auto attached = static_cast<std::uint32_t>(library.attached_count());
    *count = written;
    if (attached == written) return 0;
    switch (library.behaviour().enum_beyond_capacity) {
        case sonix_virtual::EnumOverflow::clamp:
            return 0;
        case sonix_virtual::EnumOverflow::report:
            *count = attached;
            return 0;
        case sonix_virtual::EnumOverflow::fail:
            *count = attached;
            return SonixLib::ecEnumDeviceFail;
    }
    return 0;
}

std::int32_t enumerate(Library& library, std::uint32_t* count, scDevice_t* devices, std::uint32_t capacity) {
    if (count == nullptr) return SonixLib::ecEnumDeviceFail;
    *count = 0;
    if (library.attached_count() == 0) {
        return library.behaviour().enum_fails_without_device ? SonixLib::ecNotFindDevice : 0;
    }
    if (devices == nullptr && capacity != 0) return SonixLib::ecEnumDeviceFail;
    std::uint32_t written = 0;
    for (const auto& device : library.devices()) {
        if (written == capacity) break;
        if (device->attached) fill_record(devices[written++], *device);
    }
    return report_count(library, written, count);
}

}  // namespace

extern "C" {

SONIX_CAMERA_API bool SonixCam_Init(void) {
    return sonix_virtual::dispatch_call({"SonixCam_Init", {}, false}, [](Library& library, DeviceState*) {
        if (library.behaviour().init_fails_without_device && library.attached_count() == 0) {
            return static_cast<std::int32_t>(SonixLib::ecNotFindDevice);
        }
        ++library.init_depth;
        return 0;
    });
}

SONIX_CAMERA_API bool SonixCam_UnInit(void) {
    CallSpec call{"SonixCam_UnInit", {}, false};
    call.releases_init = true;
    return sonix_virtual::dispatch_call(call, [](Library& library, DeviceState*) {
        if (library.init_depth == 0) return static_cast<std::int32_t>(SonixLib::ecLibInitFail);
        // Unit selections belong to an initialised library; the last UnInit drops them.
        if (--library.init_depth == 0) {
            for (const auto& device : library.devices()) device->selected_nodes.clear();
        }
        return 0;
    });
}

SONIX_CAMERA_API bool SonixCam_EnumCameras(std::uint32_t* count, scDevice_t* devices, std::uint32_t capacity) {
    return sonix_virtual::dispatch_call({"SonixCam_EnumCameras", {capacity}},
                                        [&](Library& library, DeviceState*) {
                                            return enumerate(library, count, devices, capacity);
                                        });
}

SONIX_CAMERA_API bool SonixCam_GetErrorCode(scDevice_t* dev, SonixLib::scErrorCode_t* code) {
    CallSpec call{"SonixCam_GetErrorCode", {}, false, false};
    call.record = dev;
    return sonix_virtual::dispatch_call(call, [&](Library& library, DeviceState* device) -> std::int32_t {
        if (code == nullptr || (dev != nullptr && device == nullptr)) return SonixLib::ecNotFindDevice;
        *code = static_cast<SonixLib::scErrorCode_t>(dev != nullptr ? device->last_error : library.library_error);
        return 0;
    });
}

#if !defined(VCAM_CONTRACT_ONLY)
// Not one of the vendor's functions: it leaves no trace in the call log and
// sets no error code. The contract-only build, which exports the vendor's
// functions alone, has none.
SONIX_CAMERA_API std::int32_t velmora_camera_v4l2_node(scDevice_t* dev) {
    try {
        Library& library = Library::instance();
        const std::lock_guard<std::mutex> lock(library.mutex());
        library.ensure_loaded();
        if (dev == nullptr || library.init_depth == 0) return -1;
        const DeviceState* device = library.find_by_handle(sonix_virtual::record_handle(*dev));
        if (device == nullptr || !device->attached || !device->setup.v4l2_node) return -1;
        return *device->setup.v4l2_node;
    } catch (...) {
        return -1;
    }
}
#endif

}  // extern "C"
