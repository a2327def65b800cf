// What a scenario describes: virtual devices, their flash, extension units and IMU, and the video back-ends.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "text_codec.hpp"

namespace sonix_virtual {

constexpr std::size_t kCapabilityReportSize = 64;
constexpr std::uint8_t kCapabilityNode = 4;
constexpr std::uint8_t kCapabilitySelector = 11;
constexpr std::uint8_t kDefaultImuNode = 4;
constexpr std::uint8_t kDefaultImuSelector = 10;
constexpr std::uint8_t kDefaultImuLength = 17;
constexpr std::uint8_t kMinImuLength = 17;
constexpr std::size_t kMaxDescriptorText = 64;
constexpr std::size_t kMaxDeviceIdLength = 63;
constexpr std::uint32_t kSectorSize = 4096;
constexpr std::uint32_t kDefaultFlashSize = 0x100000;
constexpr std::uint32_t kDefaultSerialFlashType = 1;

// The extension unit through which the capability report and the IMU are read.
extern const GuidBytes kVendorExtensionUnitGuid;

// How selector 0 of the descriptor query answers.
enum class IdByteOrder { big_endian, little_endian, fails };

// Synthetic IMU motion: a slow sine around gravity on Z, or a ramp.
struct ImuGenerator {
    enum class Kind { sine, ramp } kind = Kind::sine;
    std::uint32_t period_samples = 200;
    std::int32_t accel_amplitude = 200;
    std::int32_t gyro_amplitude = 164;
    std::int32_t gravity = 2048;
    std::int16_t temperature = 832;
    std::uint32_t counter_start = 0;
    std::uint32_t counter_step = 1000;
    std::uint32_t init_failures = 0;      // first answers carry the 0xF1 sentinel
    std::uint32_t read_failure_every = 0; // every Nth answer carries 0xF2 (0 = never)
};

struct ImuSpec {
    std::uint8_t node = kDefaultImuNode;
    std::uint8_t selector = kDefaultImuSelector;
    std::uint8_t length = kDefaultImuLength;
    std::vector<std::vector<std::uint8_t>> samples;  // each padded with zeros to length
    bool repeat = true;                              // cycle the samples when no generator follows
    std::optional<ImuGenerator> generator;
    // Samples per second the IMU produces; 0 answers the next sample on every
    // read. With a rate, the register holds the sample due at the time of the
    // read, so faster reads repeat it and slower ones skip samples.
    double sample_rate_hz = 0.0;
};

struct StuckCell {
    std::uint32_t address = 0;
    std::uint8_t value = 0;
};

struct FlashSpec {
    std::uint32_t size = kDefaultFlashSize;
    std::vector<std::uint8_t> contents;  // size bytes, erased cells are 0xFF
    bool write_protected = true;
    std::map<std::uint32_t, std::uint8_t> stuck_cells;  // address -> value every read returns
};

// An optional descriptor text: nullopt makes the query fail.
using DescriptorText = std::optional<std::string>;

struct DeviceSpec {
    std::string id;
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    std::string name;
    std::string device_path;
    IdByteOrder id_bytes = IdByteOrder::big_endian;
    DescriptorText product_name = std::string();     // selector 2
    DescriptorText descriptor_text = std::string();  // selector 3
    DescriptorText serial_number = std::string();    // selector 4
    DescriptorText firmware_version = std::string("1.0.0");
    std::uint32_t serial_flash_type = kDefaultSerialFlashType;
    FlashSpec flash;
    std::optional<std::array<std::uint8_t, kCapabilityReportSize>> capability;
    std::optional<ImuSpec> imu;
    std::optional<std::uint16_t> v4l2_node;  // N of the /dev/videoN a Linux system would give it
    bool attached = true;
    // The code SetNodeID and XuRead set for a unit or control the device
    // lacks. What a real camera sets is not known: ecGetKsControlFail (5)
    // unless the scenario says otherwise.
    std::int32_t missing_control_code = 5;
};

struct BackendEntrySpec {
    std::string friendly_name;
    std::string description;
    std::string device_path;
    bool binds = true;
    std::string device_id;  // hidden while this device is absent or detached; empty = always listed
};

struct BackendSpec {
    std::uint32_t failure_hresult = 0;
    std::vector<BackendEntrySpec> entries;
};

struct FaultSpec {
    std::string function;
    std::uint32_t nth = 1;
    std::int32_t vendor_code = 0;
    std::string detach_device;  // non-empty: detach this device instead of failing the call
    // The call succeeds, but the last byte of the data it hands back has its
    // lowest bit flipped: a transfer error nothing on the way caught.
    bool garble = false;
};

// Which error codes a failing call sets. The contract only says that a code
// is kept per device and one for the library; scenarios can pull them apart
// so tests see which one the SDK reads.
enum class ErrorCodeScope {
    both,          // the library-wide code, and the device's for a device call
    device_only,   // a failing device call sets only the device's code
    library_only,  // a failing call sets only the library-wide code
};

// What SonixCam_EnumCameras does when more devices are attached than the
// capacity it was given; the real library's behaviour is not known.
enum class EnumOverflow {
    clamp,   // writes capacity records and reports capacity
    report,  // writes capacity records and reports every attached device
    fail,    // as report, and fails with ecEnumDeviceFail (3)
};

struct LibrarySpec {
    bool init_fails_without_device = false;
    bool enum_fails_without_device = true;
    ErrorCodeScope error_codes = ErrorCodeScope::both;
    EnumOverflow enum_beyond_capacity = EnumOverflow::clamp;
};

struct Scenario {
    LibrarySpec library;
    std::vector<DeviceSpec> devices;
    std::vector<std::string> device_sources;  // each device's JSON text, for later updates
    BackendSpec msmf;
    BackendSpec dshow;
    std::vector<FaultSpec> faults;
    std::map<std::string, std::uint32_t> latency_us;  // "*" applies to every function
};

}  // namespace sonix_virtual
