// The transport tests' camera: one stereo camera whose capability report,
// IMU samples and flash each test sets, over the shared test support.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/call_log.hpp"
#include "support/debug_output_capture.hpp"
#include "support/virtual_camera.hpp"
#include "support/virtual_camera_test.hpp"
#include "support/virtual_flash.hpp"
#include "velmora/uvc_stereo/records.hpp"

namespace velmora::uvc_stereo::transport_test {

using test_support::bytes_of;
using test_support::DebugOutputCapture;
using test_support::encode_record;
using test_support::hex_digits;
using test_support::logged_calls;
using test_support::logged_calls_of;
using test_support::logged_functions;
using test_support::peek_flash;
using test_support::poke_flash;
using test_support::vendor_lock_free;
using test_support::VirtualCamera;

constexpr const char* kCameraId = "cam";
constexpr std::uint16_t kCameraVid = 0x0C45;
constexpr std::uint16_t kCameraPid = 0x0643;
constexpr const char* kCameraSerial = "SN-0001";
extern const char* const kCameraPath;

// Vendor code the tests inject: ecDeviceDisconnect.
constexpr int kInjectedCode = 7;

// A valid capability report: flash at 0x51000 with 0x10000 bytes, IMU "IMU-A"
// on node 4, selector 10, 17 bytes, exponent 1, conversion 25 / 128 / 2048 / 16.4.
extern const std::vector<std::uint8_t> kValidCapabilityReport;
// An IMU sample: temperature 16, accelerometer (-16, 1, 32767), gyroscope
// (-32768, 0, -1), device timestamp 0x51234.
extern const std::vector<std::uint8_t> kImuSample;

// "Stereo Cam": firmware 1.0.0, a serial flash with nothing stored, a
// capability control that answers zeros until a test gives it a report, and
// an IMU on the virtual camera's own generator.
VirtualCamera stereo_camera();

// Replaces the whole virtual world with exactly this camera, clears the faults
// and the call log. Fails the current test when the scenario is refused.
void load_camera(const VirtualCamera& camera = stereo_camera(), const std::string& library_json = "{}");

// The DeviceInfo that names the camera (path, serial number and ids).
DeviceInfo camera_info();

// Every test starts from a fresh stereo camera.
class VcamTest : public test_support::VirtualCameraTest {
protected:
    void SetUp() override { load_camera(); }
};

}  // namespace velmora::uvc_stereo::transport_test
