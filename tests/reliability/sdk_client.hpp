// One caller of the SDK, through either of its interfaces: the unplug sweep and
// the soak run every operation the same way on the C++ and the C interface.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::reliability {

// What one operation gave: its status and, on success, a summary of what it
// returned (the JSON text, the IMU sample, the devices listed), so that two
// runs can be compared.
struct Outcome {
    Status status;
    std::string value;
};

bool operator==(const Outcome& left, const Outcome& right);
inline bool operator!=(const Outcome& left, const Outcome& right) { return !(left == right); }

class SdkClient {
public:
    virtual ~SdkClient() = default;

    // "C++" or "C".
    virtual const char* interface_name() const = 0;

    // Lists the cameras and remembers each one listed, as an application
    // keeps the descriptions it scanned. Value: one line per camera,
    // "<serial or -> <path>".
    virtual Outcome scan() = 0;
    // The device path of a remembered camera with this serial number, or empty.
    virtual std::string listed_path(const std::string& serial) const = 0;
    // Opens the remembered camera with this device path, after closing
    // the device this client had open. Without required capabilities the
    // interface's default is used (the C interface gets a null options pointer).
    // Value: "capability state <state>" of the opened device.
    virtual Outcome open(const std::string& device_path, std::optional<std::uint32_t> required) = 0;
    // Value: the minified JSON text.
    virtual Outcome read_json() = 0;
    virtual Outcome write_json(const std::string& json) = 0;
    virtual Outcome open_imu() = 0;
    // Value: the raw sample's fields (no host timestamp).
    virtual Outcome read_imu() = 0;
    virtual Outcome close_imu() = 0;
    // Closes the device (which ends an open IMU session); nothing when none is open.
    virtual void close() = 0;
};

std::unique_ptr<SdkClient> make_cpp_client();
std::unique_ptr<SdkClient> make_c_client();

// "temperature 16, accel (-16 1 32767), gyro (-32768 0 -1), counter 0x51234"
std::string describe_imu_sample(std::uint32_t device_timestamp, std::int16_t temperature, const std::int16_t accel[3],
                                const std::int16_t gyro[3]);

// A failure a caller can act on when a camera goes away or misbehaves: the
// camera reported unavailable, or a vendor call's failure passed on with its
// text. A C scan that finds nothing says so in its own words.
bool is_clean_failure(const Status& status);

}  // namespace velmora::uvc_stereo::reliability
