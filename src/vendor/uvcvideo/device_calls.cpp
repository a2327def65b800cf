// The per-camera functions the SDK relies on on Linux: descriptors, the
// extension unit's selection by GUID, and its reads.
#include <cstring>

#include "core/byte_order.hpp"
#include "extension_unit_search.hpp"
#include "library_state.hpp"
#include "record_text.hpp"
#include "sonix_camera.h"
#include "sysfs_files.hpp"

using sonix_uvcvideo::Library;
using sonix_uvcvideo::UsbCamera;
using SonixLib::scDevice_t;

namespace {

constexpr std::uint8_t kIdSelector = 0;
constexpr std::uint8_t kProductSelector = 2;
constexpr std::uint8_t kTextSelector = 3;
constexpr std::uint8_t kSerialSelector = 4;
constexpr std::uint32_t kIdByteCount = 4;
// A USB device's descriptors are at most a few kilobytes; the limit only
// guards against a runaway file.
constexpr std::size_t kDescriptorsLimit = 1 << 20;
constexpr std::int32_t kControlFailure = SonixLib::ecGetKsControlFail;

// Vendor id then product id, each high byte first.
std::int32_t write_ids(const UsbCamera& camera, std::uint8_t* buffer, std::uint32_t length) {
    if (length < kIdByteCount) return kControlFailure;
    velmora::uvc_stereo::detail::write_be16(buffer, camera.vid);
    velmora::uvc_stereo::detail::write_be16(buffer + 2, camera.pid);
    return 0;
}

// Selector 3 is the video-control interface's own text (iInterface), or the
// product string when the camera names no interface.
const std::optional<std::string>& descriptor_text(const UsbCamera& camera, std::uint8_t selector) {
    static const std::optional<std::string> none;
    switch (selector) {
        case kProductSelector:
            return camera.product;
        case kTextSelector:
            return camera.interface_text ? camera.interface_text : camera.product;
        case kSerialSelector:
            return camera.serial;
        default:
            return none;
    }
}

std::int32_t write_descriptor(const UsbCamera& camera, std::uint8_t selector, std::uint8_t* buffer,
                              std::uint32_t length) {
    if (selector == kIdSelector) return write_ids(camera, buffer, length);
    const std::optional<std::string>& text = descriptor_text(camera, selector);
    if (!text) return kControlFailure;
    sonix_uvcvideo::copy_descriptor_text(*text, buffer, length);
    return 0;
}

std::int32_t select_unit(Library& library, const std::string& path, std::uint8_t node_id, const std::uint8_t* guid) {
    const std::optional<UsbCamera> camera = library.camera(path);
    if (!camera) {
        library.end_session(path);
        return SonixLib::ecDeviceDisconnect;
    }
    const auto descriptors =
        sonix_uvcvideo::read_binary_file(camera->usb_device_folder + "/descriptors", kDescriptorsLimit);
    if (!descriptors) return kControlFailure;
    const auto unit = sonix_uvcvideo::find_extension_unit(
        descriptors->data(), descriptors->size(), {camera->configuration, camera->interface_number}, guid);
    if (!unit) return kControlFailure;
    library.session_for(path, *camera).select_unit(node_id, *unit);
    return 0;
}

std::int32_t read_unit(Library& library, const std::string& path, std::uint8_t* buffer, std::uint8_t length,
                       std::uint8_t selector, std::uint8_t node_id) {
    sonix_uvcvideo::CameraSession* session = library.find_session(path);
    if (session == nullptr || !session->has_node(node_id)) {
        // Nothing selected: say so, unless the camera has gone altogether.
        return library.camera(path) ? kControlFailure : SonixLib::ecDeviceDisconnect;
    }
    const std::int32_t code = session->read(node_id, selector, buffer, length);
    // An unplugged camera keeps nothing: when it comes back, its node and
    // perhaps its units are new.
    if (code == SonixLib::ecDeviceDisconnect) library.end_session(path);
    return code;
}

}  // namespace

extern "C" {

SONIX_CAMERA_API bool SonixCam_GetDevDescriptor(scDevice_t* dev, std::uint8_t selector, std::uint8_t* buffer,
                                                std::uint32_t length, std::uint32_t, std::uint32_t) {
    return sonix_uvcvideo::run_device_call(dev, [&](Library& library, const std::string& path) -> std::int32_t {
        if (buffer == nullptr) return kControlFailure;
        const std::optional<UsbCamera> camera = library.camera(path);
        if (!camera) return SonixLib::ecDeviceDisconnect;
        return write_descriptor(*camera, selector, buffer, length);
    });
}

// The node id is the SDK's name for the unit (a Windows notion); the UVC unit
// is whichever extension unit carries the GUID, whatever its bUnitID.
SONIX_CAMERA_API bool SonixCam_SetNodeID(scDevice_t* dev, std::uint8_t node_id, const std::uint8_t* guid) {
    return sonix_uvcvideo::run_device_call(dev, [&](Library& library, const std::string& path) -> std::int32_t {
        if (guid == nullptr) return kControlFailure;
        return select_unit(library, path, node_id, guid);
    });
}

SONIX_CAMERA_API bool SonixCam_XuRead(scDevice_t* dev, std::uint8_t* buffer, std::uint8_t length,
                                      std::uint8_t selector, std::uint8_t node_id) {
    return sonix_uvcvideo::run_device_call(dev, [&](Library& library, const std::string& path) -> std::int32_t {
        if (buffer == nullptr) return kControlFailure;
        return read_unit(library, path, buffer, length, selector, node_id);
    });
}

}  // extern "C"
