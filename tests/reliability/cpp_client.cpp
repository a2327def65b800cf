// The SDK's C++ interface behind the common client.
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sdk_client.hpp"
#include "velmora/uvc_stereo/device.hpp"
#include "velmora/uvc_stereo/scan.hpp"

namespace velmora::uvc_stereo::reliability {

namespace {

const Status kNoDeviceOpen(ErrorCode::InvalidArgument, "the client has no device open");

class CppClient final : public SdkClient {
public:
    const char* interface_name() const override { return "C++"; }

    Outcome scan() override {
        Result<std::vector<DeviceInfo>> scanned = scan_devices();
        if (!scanned.ok()) return {scanned.status(), {}};
        std::string listing;
        for (DeviceInfo& info : scanned.value()) {
            listing += (info.serial_number.empty() ? "-" : info.serial_number) + " " + info.device_path + "\n";
            const std::string path = info.device_path;
            remembered_.insert_or_assign(path, std::move(info));
        }
        return {Status(), listing};
    }

    std::string listed_path(const std::string& serial) const override {
        for (const auto& [path, info] : remembered_) {
            if (info.serial_number == serial) return path;
        }
        return {};
    }

    Outcome open(const std::string& device_path, std::optional<std::uint32_t> required) override {
        close();
        const auto found = remembered_.find(device_path);
        if (found == remembered_.end()) {
            return {Status(ErrorCode::InvalidArgument, "no scan listed " + device_path), {}};
        }
        OpenDeviceOptions options;
        if (required) options.required_capabilities = *required;
        Result<Device> opened = open_device(found->second, options);
        if (!opened.ok()) return {opened.status(), {}};
        device_.emplace(std::move(opened.value()));
        return {Status(), "capability state " + std::to_string(device_->capability_info().state)};
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
    std::map<std::string, DeviceInfo> remembered_;  // by device path
    std::optional<Device> device_;
};

}  // namespace

std::unique_ptr<SdkClient> make_cpp_client() { return std::make_unique<CppClient>(); }

}  // namespace velmora::uvc_stereo::reliability
