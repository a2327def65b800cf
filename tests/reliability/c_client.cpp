// The SDK's C interface behind the common client.
#include <map>
#include <string>

#include "support/c_interface.hpp"
#include "sdk_client.hpp"
#include "velmora_uvc_stereo_c.h"

namespace velmora::uvc_stereo::reliability {

namespace {

// A C call's return code and the calling thread's last message, as a Status.
Outcome outcome_of(int code, std::string value = {}) {
    if (code == 0) return {Status(), std::move(value)};
    return {Status(static_cast<ErrorCode>(code), test_support::last_message()), {}};
}

const Outcome kNoDeviceOpen{Status(ErrorCode::InvalidArgument, "the client has no device open"), {}};

class CClient final : public SdkClient {
public:
    ~CClient() override { close(); }

    const char* interface_name() const override { return "C"; }

    Outcome scan() override {
        struct velmora_uvc_stereo_device_info* devices = nullptr;
        size_t count = 0;
        const int code = velmora_uvc_stereo_scan_devices(&devices, &count);
        if (code != 0) return outcome_of(code);
        std::string listing;
        for (size_t index = 0; index < count; ++index) {
            const struct velmora_uvc_stereo_device_info& info = devices[index];
            const std::string serial = info.serial_number[0] == '\0' ? "-" : info.serial_number;
            listing += serial + " " + info.device_path + "\n";
            remembered_.insert_or_assign(info.device_path, info);
        }
        velmora_uvc_stereo_free(devices);
        return outcome_of(0, listing);
    }

    std::string listed_path(const std::string& serial) const override {
        for (const auto& [path, info] : remembered_) {
            if (serial == info.serial_number) return path;
        }
        return {};
    }

    Outcome open(const std::string& device_path, std::optional<std::uint32_t> required) override {
        close();
        const auto found = remembered_.find(device_path);
        if (found == remembered_.end()) {
            return {Status(ErrorCode::InvalidArgument, "no scan listed " + device_path), {}};
        }
        velmora_uvc_stereo_open_device_options options;
        velmora_uvc_stereo_open_device_options_init_default(&options);
        if (required) options.required_capabilities = *required;
        const int code = velmora_uvc_stereo_open_device(&found->second, required ? &options : nullptr, &device_);
        if (code != 0) return outcome_of(code);
        velmora_uvc_stereo_capability_info capability;
        velmora_uvc_stereo_capability_info_init(&capability);
        const int queried = velmora_uvc_stereo_device_capability_info(device_, &capability);
        return outcome_of(queried, "capability state " + std::to_string(capability.state));
    }

    Outcome read_json() override {
        if (device_ == nullptr) return kNoDeviceOpen;
        std::uint16_t version = 0;
        char* json = nullptr;
        size_t length = 0;
        const int code = velmora_uvc_stereo_device_read_json(device_, &version, &json, &length);
        const std::string text = json != nullptr ? std::string(json, length) : std::string();
        velmora_uvc_stereo_free(json);
        return outcome_of(code, text);
    }

    Outcome write_json(const std::string& json) override {
        if (device_ == nullptr) return kNoDeviceOpen;
        return outcome_of(velmora_uvc_stereo_device_write_json(device_, json.data(), json.size()));
    }

    Outcome open_imu() override {
        if (device_ == nullptr) return kNoDeviceOpen;
        return outcome_of(velmora_uvc_stereo_device_open_imu(device_));
    }

    Outcome read_imu() override {
        if (device_ == nullptr) return kNoDeviceOpen;
        velmora_uvc_stereo_read_imu_result raw;
        const int code = velmora_uvc_stereo_device_read_imu(device_, &raw);
        if (code != 0) return outcome_of(code);
        return outcome_of(0, describe_imu_sample(raw.device_timestamp, raw.temperature_raw, raw.accel_raw,
                                                 raw.gyro_raw));
    }

    Outcome close_imu() override {
        if (device_ == nullptr) return kNoDeviceOpen;
        return outcome_of(velmora_uvc_stereo_device_close_imu(device_));
    }

    void close() override {
        velmora_uvc_stereo_close_device(device_);
        device_ = nullptr;
    }

private:
    std::map<std::string, struct velmora_uvc_stereo_device_info> remembered_;  // by device path
    velmora_uvc_stereo_device* device_ = nullptr;
};

}  // namespace

std::unique_ptr<SdkClient> make_c_client() { return std::make_unique<CClient>(); }

}  // namespace velmora::uvc_stereo::reliability
