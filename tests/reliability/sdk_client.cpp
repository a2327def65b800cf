// What every client shares: comparing outcomes, describing IMU samples,
// judging failures.
#include "sdk_client.hpp"

#include <sstream>

namespace velmora::uvc_stereo::reliability {

bool operator==(const Outcome& left, const Outcome& right) {
    return left.status.code() == right.status.code() && left.status.message() == right.status.message() &&
           left.value == right.value;
}

std::string describe_imu_sample(std::uint32_t device_timestamp, std::int16_t temperature, const std::int16_t accel[3],
                                const std::int16_t gyro[3]) {
    std::ostringstream text;
    text << "temperature " << temperature << ", accel (" << accel[0] << ' ' << accel[1] << ' ' << accel[2]
         << "), gyro (" << gyro[0] << ' ' << gyro[1] << ' ' << gyro[2] << "), counter 0x" << std::hex
         << device_timestamp;
    return text.str();
}

bool is_clean_failure(const Status& status) {
    return status.code() == ErrorCode::DeviceUnavailable ||
           status.message().find(" failed: vendor_code=ec") != std::string::npos ||
           (status.code() == ErrorCode::BackendError && status.message() == "no devices found");
}

}  // namespace velmora::uvc_stereo::reliability
