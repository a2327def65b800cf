// The per-device vendor functions: descriptors, extension units, firmware version and flash.
#include <algorithm>
#include <cstring>

#include "core/byte_order.hpp"
#include "vendor_dispatch.hpp"

using sonix_virtual::CallSpec;
using sonix_virtual::DeviceState;
using sonix_virtual::Library;
using SonixLib::scDevice_t;

namespace sonix_virtual {

const GuidBytes kVendorExtensionUnitGuid = {0x94, 0x73, 0xDF, 0xDD, 0x3E, 0x97, 0x27, 0x47,
                                            0xBE, 0xD9, 0x04, 0xED, 0x64, 0x26, 0xDC, 0x67};

}  // namespace sonix_virtual

namespace {

constexpr std::uint8_t kIdSelector = 0;
constexpr std::uint8_t kProductSelector = 2;
constexpr std::uint8_t kTextSelector = 3;
constexpr std::uint8_t kSerialSelector = 4;
constexpr std::uint32_t kIdByteCount = 4;
constexpr std::int32_t kControlFailure = SonixLib::ecGetKsControlFail;

// `answer` is the buffer a call hands its data back in, if any.
bool device_call(const char* function, scDevice_t* dev, std::initializer_list<std::uint64_t> args,
                 const std::function<std::int32_t(DeviceState&)>& body, std::uint8_t* answer = nullptr,
                 std::size_t answer_length = 0) {
    CallSpec call{function, args};
    call.addresses_device = true;
    call.record = dev;
    call.answer = answer;
    call.answer_length = answer_length;
    return sonix_virtual::dispatch_call(call, [&](Library&, DeviceState* device) { return body(*device); });
}

std::int32_t write_ids(const DeviceState& device, std::uint8_t* buffer, std::uint32_t length) {
    const auto order = device.setup.id_bytes;
    if (length < kIdByteCount || order == sonix_virtual::IdByteOrder::fails) return kControlFailure;
    const std::uint16_t ids[2] = {device.setup.vid, device.setup.pid};
    const bool big = order == sonix_virtual::IdByteOrder::big_endian;
    for (std::size_t i = 0; i < 2; ++i) {
        if (big) {
            velmora::uvc_stereo::detail::write_be16(buffer + 2 * i, ids[i]);
        } else {
            velmora::uvc_stereo::detail::write_le16(buffer + 2 * i, ids[i]);
        }
    }
    return 0;
}

std::int32_t write_descriptor(const DeviceState& device, std::uint8_t selector, std::uint8_t* buffer,
                              std::uint32_t length) {
    if (buffer == nullptr) return kControlFailure;
    if (selector == kIdSelector) return write_ids(device, buffer, length);
    const sonix_virtual::DescriptorText* text = selector == kProductSelector  ? &device.setup.product_name
                                                : selector == kTextSelector   ? &device.setup.descriptor_text
                                                : selector == kSerialSelector ? &device.setup.serial_number
                                                                              : nullptr;
    if (text == nullptr || !text->has_value()) return kControlFailure;
    const std::size_t room = std::min<std::size_t>(length, sonix_virtual::kMaxDescriptorText);
    const std::size_t copied = std::min((*text)->size(), room);
    std::memcpy(buffer, (*text)->data(), copied);
    if (copied < room) buffer[copied] = 0;
    return 0;
}

bool has_unit(const DeviceState& device, std::uint8_t node) {
    return (device.setup.capability && node == sonix_virtual::kCapabilityNode) ||
           (device.imu && device.imu->setup().node == node);
}

std::int32_t read_control(DeviceState& device, std::uint8_t* buffer, std::uint8_t length, std::uint8_t selector,
                          std::uint8_t node) {
    if (buffer == nullptr) return kControlFailure;
    if (device.selected_nodes.count(node) == 0) return device.setup.missing_control_code;
    if (device.setup.capability && node == sonix_virtual::kCapabilityNode &&
        selector == sonix_virtual::kCapabilitySelector) {
        if (length != sonix_virtual::kCapabilityReportSize) return kControlFailure;
        std::copy(device.setup.capability->begin(), device.setup.capability->end(), buffer);
        return 0;
    }
    if (device.imu && node == device.imu->setup().node && selector == device.imu->setup().selector) {
        if (length != device.imu->setup().length) return kControlFailure;
        return device.imu->next(buffer, length) ? 0 : kControlFailure;
    }
    return device.setup.missing_control_code;
}

std::int32_t write_version(const DeviceState& device, char* buffer, std::uint32_t length) {
    if (buffer == nullptr || length == 0) return kControlFailure;
    if (!device.setup.firmware_version) return SonixLib::ecGetChipRomVersionFail;
    const std::size_t copied = std::min<std::size_t>(device.setup.firmware_version->size(), length - 1);
    std::memcpy(buffer, device.setup.firmware_version->data(), copied);
    buffer[copied] = '\0';
    return 0;
}

}  // namespace

extern "C" {

SONIX_CAMERA_API bool SonixCam_GetDevDescriptor(scDevice_t* dev, std::uint8_t selector, std::uint8_t* buffer,
                                                std::uint32_t length, std::uint32_t reserved_0,
                                                std::uint32_t reserved_1) {
    return device_call("SonixCam_GetDevDescriptor", dev, {selector, length, reserved_0, reserved_1},
                       [&](DeviceState& device) { return write_descriptor(device, selector, buffer, length); });
}

SONIX_CAMERA_API bool SonixCam_SetNodeID(scDevice_t* dev, std::uint8_t node_id, const std::uint8_t* guid) {
    return device_call("SonixCam_SetNodeID", dev, {node_id}, [&](DeviceState& device) -> std::int32_t {
        const auto& expected = sonix_virtual::kVendorExtensionUnitGuid;
        if (guid == nullptr) return kControlFailure;
        if (!std::equal(expected.begin(), expected.end(), guid) || !has_unit(device, node_id)) {
            return device.setup.missing_control_code;
        }
        device.selected_nodes.insert(node_id);
        return 0;
    });
}

SONIX_CAMERA_API bool SonixCam_XuRead(scDevice_t* dev, std::uint8_t* buffer, std::uint8_t length,
                                      std::uint8_t selector, std::uint8_t node_id) {
    return device_call(
        "SonixCam_XuRead", dev, {length, selector, node_id},
        [&](DeviceState& device) { return read_control(device, buffer, length, selector, node_id); }, buffer, length);
}

SONIX_CAMERA_API bool SonixCam_GetVersion(scDevice_t* dev, char* buffer, std::uint32_t length,
                                          std::uint32_t reserved) {
    return device_call("SonixCam_GetVersion", dev, {length, reserved},
                       [&](DeviceState& device) { return write_version(device, buffer, length); });
}

SONIX_CAMERA_API bool SonixCam_GetSerialFlashType(scDevice_t* dev, SonixLib::scSerialFlashType_t* type) {
    return device_call("SonixCam_GetSerialFlashType", dev, {}, [&](DeviceState& device) -> std::int32_t {
        if (type == nullptr) return kControlFailure;
        *type = device.setup.serial_flash_type;
        return 0;
    });
}

SONIX_CAMERA_API bool SonixCam_CstmReadFromSF(scDevice_t* dev, std::uint32_t address, std::uint8_t* buffer,
                                              std::uint32_t length) {
    return device_call(
        "SonixCam_CstmReadFromSF", dev, {address, length},
        [&](DeviceState& device) { return device.flash.read(address, buffer, length); }, buffer, length);
}

SONIX_CAMERA_API bool SonixCam_WriteToSF(scDevice_t* dev, std::uint32_t address, const std::uint8_t* buffer,
                                         std::uint32_t length) {
    return device_call("SonixCam_WriteToSF", dev, {address, length},
                       [&](DeviceState& device) { return device.flash.program(address, buffer, length); });
}

SONIX_CAMERA_API bool SonixCam_SectorEraseSF(scDevice_t* dev, std::uint32_t address, std::uint8_t erase_command) {
    return device_call("SonixCam_SectorEraseSF", dev, {address, erase_command},
                       [&](DeviceState& device) { return device.flash.erase_sector(address, erase_command); });
}

SONIX_CAMERA_API bool SonixCam_SetStatusRegBitWP(scDevice_t* dev, std::uint8_t arg_0, std::uint8_t arg_1,
                                                 std::uint8_t arg_2, std::uint8_t arg_3, std::uint8_t arg_4,
                                                 std::uint8_t arg_5) {
    return device_call("SonixCam_SetStatusRegBitWP", dev, {arg_0, arg_1, arg_2, arg_3, arg_4, arg_5},
                       [&](DeviceState& device) {
                           const std::uint8_t args[6] = {arg_0, arg_1, arg_2, arg_3, arg_4, arg_5};
                           return device.flash.unlock_status_register(args);
                       });
}

SONIX_CAMERA_API bool SonixCam_SetWriteProtectedSF(scDevice_t* dev, std::uint8_t arg_0, std::uint8_t arg_1) {
    return device_call("SonixCam_SetWriteProtectedSF", dev, {arg_0, arg_1},
                       [&](DeviceState& device) { return device.flash.release_protection(arg_0, arg_1); });
}

}  // extern "C"
