// Shared set-up for the transport tests: one virtual camera, the call log,
// the virtual flash and the debugger output.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sonix_virtual/vcam_control.h"
#include "velmora/uvc_stereo/records.hpp"

namespace velmora::uvc_stereo::transport_test {

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

struct CameraOptions {
    std::string firmware_version = "1.0.0";
    std::uint32_t serial_flash_type = 1;
    std::optional<std::vector<std::uint8_t>> capability;  // 64 bytes; none: the control answers zeros
    std::uint8_t imu_length = 17;
    std::vector<std::vector<std::uint8_t>> imu_samples;  // none: the virtual camera generates them
    std::vector<std::pair<std::uint32_t, std::uint8_t>> stuck_cells;
    std::string library_json = "{}";  // the scenario's "library" options
};

// Replaces the whole virtual world with exactly this camera and clears the
// call log. Fails the current test when the scenario is refused.
void load_camera(const CameraOptions& options = {});

// The DeviceInfo that names the camera (path, serial number and ids).
DeviceInfo camera_info();

std::vector<vcam_call> logged_calls();
std::vector<std::string> logged_functions();
std::vector<vcam_call> logged_calls_of(const std::string& function);

std::vector<std::uint8_t> flash_peek(std::uint32_t address, std::uint32_t length);
void flash_poke(std::uint32_t address, const std::vector<std::uint8_t>& bytes);

// Whether some other thread could take the vendor lock right now.
bool vendor_lock_free();

// A flash record encoded by hand (little-endian header, then the payload).
std::vector<std::uint8_t> encode_record(std::uint32_t magic, std::uint16_t version, std::uint16_t header_size,
                                        std::uint32_t payload_length, std::uint32_t crc,
                                        const std::vector<std::uint8_t>& payload);
std::vector<std::uint8_t> bytes_of(const std::string& text);

// Captures every piece of debugger output while alive.
class DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    const std::vector<std::string>& pieces() const { return pieces_; }

private:
    static void collect(const char* text, void* context);
    std::vector<std::string> pieces_;
};

// Every test starts from a fresh camera and ends with the vendor library
// balanced, the lock free and no contract violation left unchecked (a test
// that provokes one takes it with sonix_virtual::take_contract_violations).
class VcamTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace velmora::uvc_stereo::transport_test
