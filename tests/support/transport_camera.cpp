// The transport tests' camera.
#include "support/transport_camera.hpp"

#include "sonix_virtual/vcam_control.h"

namespace velmora::uvc_stereo::transport_test {

const char* const kCameraPath =
    "\\\\?\\usb#vid_0c45&pid_0643&mi_00#7&1a2b3c4d&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";

const std::vector<std::uint8_t> kValidCapabilityReport = {
    0x5A, 0x4F, 0x56, 0x4B, 0x01, 0x00, 0x40, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x10, 0x05, 0x00, 0x00, 0x00, 0x01, 0x00, 0x49, 0x4D, 0x55, 0x2D, 0x41, 0x00, 0x00, 0x00, 0x04,
    0x0A, 0x11, 0x01, 0xFA, 0x00, 0x00, 0x05, 0x00, 0x08, 0xA4, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2A, 0x9A, 0x60, 0x6D,
};

const std::vector<std::uint8_t> kImuSample = {0x00, 0x10, 0xFF, 0xF0, 0x00, 0x01, 0x7F, 0xFF, 0x80,
                                              0x00, 0x00, 0x00, 0xFF, 0xFF, 0x12, 0x34, 0xA5};

VirtualCamera stereo_camera() {
    VirtualCamera camera(kCameraId);
    camera.vid = kCameraVid;
    camera.pid = kCameraPid;
    camera.name = "Stereo Cam";
    camera.device_path = kCameraPath;
    camera.descriptor_text = std::string();
    camera.serial_number = std::string(kCameraSerial);
    camera.firmware = "1.0.0";
    camera.legacy = true;
    camera.json_text.clear();
    camera.imu_generator = "{}";
    return camera;
}

void load_camera(const VirtualCamera& camera, const std::string& library_json) {
    test_support::load_cameras({camera}, library_json);
    vcam_clear_faults();
    vcam_clear_call_log();
}

DeviceInfo camera_info() {
    DeviceInfo info;
    info.vid = kCameraVid;
    info.pid = kCameraPid;
    info.serial_number = kCameraSerial;
    info.device_path = kCameraPath;
    info.name = "Stereo Cam";
    return info;
}

}  // namespace velmora::uvc_stereo::transport_test
