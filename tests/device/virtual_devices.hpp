// Virtual cameras for the device tests: scenario building, scanning, flash
// and call-log helpers over the virtual camera's control interface.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sonix_virtual/vcam_control.hpp"
#include "velmora/uvc_stereo/records.hpp"

namespace velmora::uvc_stereo::testing {

// The IMU section of a capability report.
struct ReportedImu {
    unsigned unit = 4;
    unsigned selector = 10;
    unsigned length = 17;
    unsigned exponent = 1;
    int temperature_offset = 250;
    unsigned temperature_scale = 1280;
    unsigned accel_scale = 2048;
    unsigned gyro_scale = 164;
};

// What a test needs to say about one camera; everything else is filled in.
struct VirtualCamera {
    std::string id = "cam";
    std::uint16_t pid = 0x2502;
    std::string firmware = "FW-1.0.0";
    // No report at all (a legacy camera answers with 64 zero bytes).
    bool legacy = false;
    // A legacy camera without the capability control: reading it fails.
    bool capability_control = true;
    // Report sections; ignored for a legacy camera.
    bool report_flash = true;
    std::uint32_t flash_address = 0x51000;
    std::uint32_t flash_size = 0x10000;
    bool report_imu = true;
    ReportedImu imu;
    // The text stored as a proper flash record at flash_address; none when empty.
    std::string json_text = "{\"cal\":1}";
    // IMU samples as 17-byte (or longer) hex payloads, repeated in order.
    std::vector<std::string> imu_samples;
};

// Ends every test with no contract violation left unchecked (a test that
// provokes one takes it with sonix_virtual::take_contract_violations).
class VirtualDeviceTest : public ::testing::Test {
protected:
    VirtualDeviceTest() { vcam_clear_contract_violations(); }
    void TearDown() override {
        EXPECT_EQ(vcam_contract_violation_count(), 0u) << sonix_virtual::describe_contract_violations();
    }
};

// Replaces every virtual device with these cameras; fails the test on error.
// library_json is the scenario's "library" object (how the vendor library
// itself behaves, for example which error codes a failing call sets).
void load_cameras(const std::vector<VirtualCamera>& cameras, const std::string& library_json = "{}");

// The scanned DeviceInfo of the camera with this id (its serial number).
DeviceInfo scanned_camera(const std::string& id);

// Flash bytes as stored.
std::vector<std::uint8_t> peek_flash(const std::string& id, std::uint32_t address, std::uint32_t length);
void poke_flash(const std::string& id, std::uint32_t address, const std::vector<std::uint8_t>& bytes);

// A flash record as the camera's manufacturer would write it.
std::vector<std::uint8_t> flash_record(const std::string& payload, std::uint16_t version);

// Call log helpers.
void clear_calls();
std::size_t total_calls();
std::size_t calls_of(const char* function);
// The scalar arguments of every logged call of function, in order.
std::vector<std::vector<std::uint64_t>> arguments_of(const char* function);

}  // namespace velmora::uvc_stereo::testing
