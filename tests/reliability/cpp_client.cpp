// The SDK's C++ interface behind the common client, and the helpers every client shares.
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "sdk_client.hpp"
#include "velmora/uvc_stereo/device.hpp"
#include "velmora/uvc_stereo/scan.hpp"

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

namespace {

const Status kNoDeviceOpen(ErrorCode::InvalidArgument, "the client has no device open");

class CppClient final : public SdkClient {
public:
    const char* interface_name() const override { return "C++"; }

    Outcome scan() override {
        Result<std::vector<DeviceInfo>> scanned = scan_devices();
        if (!scanned.ok()) return {scanned.status(), {}};
        scanned_ = std::move(scanned.value());
        std::string listing;
        for (const DeviceInfo& info : scanned_) {
            listing += (info.serial_number.empty() ? "-" : info.serial_number) + " " + info.device_path + "\n";
        }
        return {Status(), listing};
    }

    std::string listed_path(const std::string& serial) const override {
        for (const DeviceInfo& info : scanned_) {
            if (info.serial_number == serial) return info.device_path;
        }
        return {};
    }

    Outcome open(const std::string& device_path, std::optional<std::uint32_t> required) override {
        close();
        for (const DeviceInfo& info : scanned_) {
            if (info.device_path != device_path) continue;
            OpenDeviceOptions options;
            if (required) options.required_capabilities = *required;
            Result<Device> opened = open_device(info, options);
            if (!opened.ok()) return {opened.status(), {}};
            device_.emplace(std::move(opened.value()));
            return {Status(), "capability state " + std::to_string(device_->capability_info().state)};
        }
        return {Status(ErrorCode::InvalidArgument, "the last scan did not list " + device_path), {}};
    }

    Outcome read_json() override {
        if (!device_) return {kNoDeviceOpen, {}};
        Result<ReadJsonResult> read = device_->read_json();
        if (!read.ok()) return {read.status(), {}};
        return {Status(), read.value().json};
    }

    Outcome write_json(const std::string& json) override {
        if (!device_) return {kNoDeviceOpen, {}};
        return {device_->write_json(json), {}};
    }

    Outcome open_imu() override {
        if (!device_) return {kNoDeviceOpen, {}};
        return {device_->open_imu(), {}};
    }

    Outcome read_imu() override {
        if (!device_) return {kNoDeviceOpen, {}};
        Result<ReadImuResult> sample = device_->read_imu();
        if (!sample.ok()) return {sample.status(), {}};
        const ReadImuResult& raw = sample.value();
        return {Status(), describe_imu_sample(raw.device_timestamp, raw.temperature_raw, raw.accel_raw.data(),
                                              raw.gyro_raw.data())};
    }

    Outcome close_imu() override {
        if (!device_) return {kNoDeviceOpen, {}};
        return {device_->close_imu(), {}};
    }

    void close() override { device_.reset(); }

private:
    std::vector<DeviceInfo> scanned_;
    std::optional<Device> device_;
};

}  // namespace

std::unique_ptr<SdkClient> make_cpp_client() { return std::make_unique<CppClient>(); }

}  // namespace velmora::uvc_stereo::reliability
