// Describing an open camera's capability report, flash layout and IMU transport.
#include "camera/camera_summary.hpp"

#include <cstdio>
#include <ostream>
#include <vector>

#include "output/text_table.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr std::uint8_t kStateReportRead = uvc::CapabilityInfoState::Reported;
constexpr std::uint8_t kStateLegacy = uvc::CapabilityInfoState::Legacy;
constexpr std::uint64_t kFlashBit = uvc::CapabilityBits::Flash;
constexpr std::uint64_t kImuBit = uvc::CapabilityBits::Imu;
// What the SDK uses for a camera without capability reporting.
constexpr std::uint32_t kLegacyFlashAddress = 0x51000;
constexpr std::uint32_t kLegacyFlashSize = 0x1000;
constexpr std::uint8_t kLegacyImuUnit = 4;
constexpr std::uint8_t kLegacyImuSelector = 10;
constexpr std::uint8_t kLegacyImuLength = 17;
constexpr std::size_t kNumberTextSize = 32;
constexpr std::size_t kIndent = 2;

std::string yes_no(bool value) { return value ? "yes" : "no"; }

std::string state_text(const uvc::DeviceCapabilityInfo& info) {
    if (info.state == kStateReportRead) return "1 (valid capability report)";
    if (info.state == kStateLegacy) return "2 (" + info.message + ")";
    return std::to_string(info.state) + " (unknown)";
}

std::string bits_text(std::uint64_t bits) {
    char text[kNumberTextSize];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(bits));
    std::string names;
    if ((bits & kFlashBit) != 0) names += "flash";
    if ((bits & kImuBit) != 0) names += names.empty() ? "IMU" : ", IMU";
    return std::string(text) + (names.empty() ? "" : " (" + names + ")");
}

void print_capability(const uvc::DeviceCapabilityInfo& info, std::ostream& out) {
    std::vector<KeyValue> lines{{"state", state_text(info)}};
    if (info.report) {
        lines.push_back({"report version",
                         std::to_string(info.report->major_version) + "." + std::to_string(info.report->minor_version)});
        lines.push_back({"capability bits", bits_text(info.report->capability_bits)});
    }
    out << "Capability report\n";
    print_key_values(lines, out, kIndent);
}

void print_flash(const uvc::Device& device, const uvc::Status& flash_check, std::ostream& out) {
    const auto layout = effective_flash_layout(device.capability_info());
    std::vector<KeyValue> lines{{"declared", yes_no(layout.has_value())}};
    if (layout) {
        lines.push_back({"user space", format_hex32(layout->address) + ", " + std::to_string(layout->size) +
                                           " bytes (" + (layout->from_report ? "from the report" : "legacy default") +
                                           ")"});
        lines.push_back({"reachable", flash_check.ok() ? "yes" : "not reachable: " + flash_check.message()});
    }
    out << "Flash\n";
    print_key_values(lines, out, kIndent);
}

std::string conversion_text(const uvc::ImuConversionOptions& c) {
    return "offset " + format_number(c.temperature_offset_c) + " C, " + format_number(c.temperature_lsb_per_c) +
           " LSB/C, " + format_number(c.accel_lsb_per_g) + " LSB/g, " + format_number(c.gyro_lsb_per_dps) +
           " LSB/dps";
}

std::string transport_text(unsigned unit, unsigned selector, unsigned length) {
    return "node " + std::to_string(unit) + ", selector " + std::to_string(selector) + ", " +
           std::to_string(length) + "-byte reads";
}

void print_imu(const uvc::Device& device, std::ostream& out) {
    const auto& info = device.capability_info();
    const auto conversion = device.imu_conversion_options();
    std::vector<KeyValue> lines{{"declared", yes_no(conversion.ok())}};
    const auto transport = effective_imu_transport(info);
    if (info.report && info.report->imu) {
        lines.push_back({"model", info.report->imu->model.empty() ? "(unnamed)" : info.report->imu->model});
    }
    if (transport && conversion.ok()) {
        lines.push_back({"extension unit", transport_text(transport->unit, transport->selector, transport->length) +
                                               (transport->from_report ? "" : " (legacy default)")});
    }
    if (info.report && info.report->imu) {
        lines.push_back({"decimal exponent", std::to_string(info.report->imu->decimal_exponent)});
    }
    if (conversion.ok()) lines.push_back({"conversion", conversion_text(conversion.value())});
    out << "IMU\n";
    print_key_values(lines, out, kIndent);
}

}  // namespace

std::optional<FlashLayout> effective_flash_layout(const uvc::DeviceCapabilityInfo& info) {
    if (info.state == kStateLegacy) return FlashLayout{kLegacyFlashAddress, kLegacyFlashSize, false};
    if (info.report && (info.report->capability_bits & kFlashBit) != 0 && info.report->flash) {
        return FlashLayout{info.report->flash->user_space_address, info.report->flash->user_space_size, true};
    }
    return std::nullopt;
}

std::optional<ImuTransport> effective_imu_transport(const uvc::DeviceCapabilityInfo& info) {
    if (info.report && info.report->imu) {
        const auto& imu = *info.report->imu;
        return ImuTransport{imu.xu_unit, imu.xu_selector, imu.xu_length, true};
    }
    if (info.state == kStateLegacy) return ImuTransport{kLegacyImuUnit, kLegacyImuSelector, kLegacyImuLength, false};
    return std::nullopt;
}

std::string format_hex32(std::uint32_t value) {
    char text[kNumberTextSize];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

std::string format_number(double value) {
    char text[kNumberTextSize];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

ToolJson capability_json(const uvc::Device& device, const uvc::Status& flash_check) {
    const auto& info = device.capability_info();
    ToolJson json;
    json["state"] = info.state;
    json["state_text"] = state_text(info);
    if (info.report) {
        json["report_version"] = std::to_string(info.report->major_version) + "." +
                                 std::to_string(info.report->minor_version);
        json["capability_bits"] = info.report->capability_bits;
    }
    const auto layout = effective_flash_layout(info);
    json["flash"] = layout ? ToolJson{{"address", format_hex32(layout->address)},
                                      {"size", layout->size},
                                      {"from_report", layout->from_report},
                                      {"reachable", flash_check.ok()},
                                      {"problem", flash_check.ok() ? ToolJson(nullptr) : ToolJson(flash_check.message())}}
                           : ToolJson(nullptr);
    const auto conversion = device.imu_conversion_options();
    const auto transport = effective_imu_transport(info);
    if (!conversion.ok() || !transport) {
        json["imu"] = nullptr;
        return json;
    }
    const auto& c = conversion.value();
    json["imu"] = {{"model", info.report && info.report->imu ? ToolJson(info.report->imu->model) : ToolJson(nullptr)},
                   {"unit", transport->unit},
                   {"selector", transport->selector},
                   {"length", transport->length},
                   {"from_report", transport->from_report},
                   {"conversion",
                    {{"temperature_offset_c", c.temperature_offset_c},
                     {"temperature_lsb_per_c", c.temperature_lsb_per_c},
                     {"accel_lsb_per_g", c.accel_lsb_per_g},
                     {"gyro_lsb_per_dps", c.gyro_lsb_per_dps}}}};
    return json;
}

void print_capability_summary(const uvc::Device& device, const uvc::Status& flash_check, std::ostream& out) {
    print_capability(device.capability_info(), out);
    print_flash(device, flash_check, out);
    print_imu(device, out);
}

}  // namespace velmora::stereo_tool
