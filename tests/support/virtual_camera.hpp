// One camera of a virtual-camera scenario, as the tests describe it, and the
// scenario's loading: every test of the SDK sets up its cameras through this.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/scenario_text.hpp"

namespace velmora::uvc_stereo::test_support {

// The IMU section of a capability report.
struct ReportedImu {
    unsigned unit = 4;
    unsigned selector = 10;
    unsigned length = 17;  // also the length of the camera's IMU register
    unsigned exponent = 1;
    int temperature_offset = 250;
    unsigned temperature_scale = 1280;
    unsigned accel_scale = 2048;
    unsigned gyro_scale = 164;
};

// What a test says about one camera. A default camera is a healthy model with
// a capability report (flash and IMU sections), a JSON document in its flash
// and a ramp on its IMU; its serial number is its id.
struct VirtualCamera {
    VirtualCamera() : VirtualCamera("cam") {}
    // Named "Test <id>", with the id as its serial number.
    explicit VirtualCamera(std::string camera_id);

    // Who the camera says it is.
    std::string id;
    std::uint16_t vid = 0x0C45;
    std::uint16_t pid = 0x2502;
    std::string name;         // the name inside the vendor record
    std::string device_path;  // empty: the virtual camera's own path for the ids and id
    std::string id_bytes = "big";  // "big", "little" or "fail"
    Text product_name = std::string();
    Text descriptor_text = std::string("Test Camera");
    Text serial_number;

    // False leaves the firmware, capability, IMU and flash below to the
    // virtual camera's defaults, for tests about who a camera is.
    bool describe_hardware = true;
    std::string firmware = "FW-1.0.0";
    std::uint32_t serial_flash_type = 1;  // 0: the camera has no serial flash

    // The capability control. Without it, reading the control fails; a
    // legacy camera answers 64 zero bytes; otherwise the answer is the 64
    // bytes given, or else a report with the sections below.
    bool capability_control = true;
    // The vendor code a read of a control the camera lacks fails with; -1
    // leaves the virtual camera's own choice (5, ecGetKsControlFail).
    int missing_control_code = -1;
    bool legacy = false;
    std::optional<std::vector<std::uint8_t>> capability_bytes;
    bool report_flash = true;
    std::uint32_t flash_address = 0x51000;
    std::uint32_t flash_size = 0x10000;
    bool report_imu = true;
    ReportedImu imu;

    // The text stored as a proper flash record at flash_address (0x51000 when
    // no flash section is reported); none when empty.
    std::string json_text = "{\"cal\":1}";
    // Flash cells that keep their value whatever is written: (address, value).
    std::vector<std::pair<std::uint32_t, std::uint8_t>> stuck_flash_bytes;

    // IMU samples as hex text ("00 10 FF ..."), repeated in order; when none,
    // the generator (a scenario "generator" object) makes them.
    std::vector<std::string> imu_samples;
    std::string imu_generator = "{\"kind\":\"ramp\",\"period_samples\":50,\"counter_step\":1000}";
};

// A camera described by who it is only, as the vendor library lists it:
// "Record Name" in its record, the vendor's form of path for its ids and id,
// empty descriptor texts and serial number, and the virtual camera's defaults
// for its hardware.
VirtualCamera identity_only_camera(std::string id, std::uint16_t pid = 0x0643);

// The camera as a device object of the scenario format.
std::string device_json(const VirtualCamera& camera);

// The video back-ends' device lists of a scenario (Windows builds list the
// real ones; elsewhere these answer for Media Foundation and DirectShow).
struct BackendEntry {
    std::string friendly_name;
    std::string description;
    std::string device_path;
    bool binds = true;
};

struct Backends {
    std::uint32_t msmf_failure = 0;
    std::vector<BackendEntry> msmf;
    std::uint32_t dshow_failure = 0;
    std::vector<BackendEntry> dshow;
};

// A whole scenario. library_json is the scenario's "library" object (how the
// vendor library itself behaves, for example which error codes a failing call
// sets).
std::string scenario_json(const std::vector<VirtualCamera>& cameras, const Backends& backends = {},
                          const std::string& library_json = "{}");

// Replaces the whole virtual world with this scenario; fails the current test
// when the virtual camera refuses it.
void load_scenario(const std::string& json);

// Replaces every virtual device with these cameras.
void load_cameras(const std::vector<VirtualCamera>& cameras, const std::string& library_json = "{}");

}  // namespace velmora::uvc_stereo::test_support
