// The virtual-camera scenario text that reproduces a captured camera.
#include "camera/scenario_writer.hpp"

#include <cmath>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "camera/camera_summary.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;
using Json = nlohmann::ordered_json;

constexpr std::uint64_t kSectionBits = 2 | 4;  // the flash and IMU sections' bits
constexpr std::size_t kMaxDeviceId = 63;
constexpr const char* kFallbackDeviceId = "camera";
constexpr double kDecimalBase = 10.0;

Json text_or_null(const std::optional<std::string>& text) { return text ? Json(*text) : Json(nullptr); }

std::string hex16(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(value));
    return text;
}

// The raw numbers the report stores: the decoded values times 10^exponent
// (the accelerometer scale is stored undivided).
Json imu_fields(const uvc::ReportedImuInfo& imu) {
    const double divisor = std::pow(kDecimalBase, imu.decimal_exponent);
    const auto raw = [](double value) { return std::lround(value); };
    return {{"model", imu.model},
            {"unit", imu.xu_unit},
            {"selector", imu.xu_selector},
            {"length", imu.xu_length},
            {"exponent", imu.decimal_exponent},
            {"temperature_offset", raw(imu.conversion.temperature_offset_c * divisor)},
            {"temperature_scale", raw(imu.conversion.temperature_lsb_per_c * divisor)},
            {"accel_scale", raw(imu.conversion.accel_lsb_per_g)},
            {"gyro_scale", raw(imu.conversion.gyro_lsb_per_dps * divisor)}};
}

Json capability_json(const CapturedCapability& capability) {
    switch (capability.form) {
        case CapabilityForm::Zeros: return "zeros";
        case CapabilityForm::Hex:
            return {{"hex", hex_bytes({capability.bytes.begin(), capability.bytes.end()})}};
        case CapabilityForm::Fields: {
            const auto& report = *capability.report;
            Json fields = {{"minor_version", report.minor_version}};
            if (const std::uint64_t extra = report.capability_bits & ~kSectionBits; extra != 0) {
                fields["extra_bits"] = extra;
            }
            if (report.flash) {
                fields["flash"] = {{"address", format_hex32(report.flash->user_space_address)},
                                   {"size", format_hex32(report.flash->user_space_size)}};
            }
            if (report.imu) fields["imu"] = imu_fields(*report.imu);
            return fields;
        }
        case CapabilityForm::Absent: break;
    }
    return nullptr;
}

Json imu_json(const CapturedImu& imu) {
    Json samples = Json::array();
    for (const auto& sample : imu.samples) samples.push_back(hex_bytes(sample));
    Json json = {{"node", imu.node}, {"selector", imu.selector}, {"length", imu.length}, {"samples", samples}};
    if (!imu.repeat) json["repeat"] = false;
    return json;
}

Json flash_json(const CapturedFlash& flash) {
    Json blocks = Json::array();
    for (const auto& block : flash.blocks) {
        Json entry = {{"address", format_hex32(block.address)}};
        if (block.json_text) {
            entry["record_version"] = block.record_version;
            entry["json_text"] = *block.json_text;
        } else {
            entry["hex"] = hex_bytes(block.bytes);
        }
        blocks.push_back(entry);
    }
    return {{"size", format_hex32(flash.size)}, {"write_protected", true}, {"blocks", blocks}};
}

Json device_json(const CapturedCamera& camera) {
    Json device = {{"id", camera.id}};
    if (!camera.notes.empty()) {
        std::string comment;
        for (const auto& note : camera.notes) comment += (comment.empty() ? "" : "; ") + note;
        device["comment"] = comment;
    }
    device["vid"] = hex16(camera.vid);
    device["pid"] = hex16(camera.pid);
    device["name"] = camera.record_name;
    device["device_path"] = camera.device_path;
    device["id_bytes"] = camera.id_bytes;
    device["product_name"] = text_or_null(camera.product_name);
    device["descriptor_text"] = text_or_null(camera.descriptor_text);
    device["serial_number"] = text_or_null(camera.serial_number);
    device["firmware_version"] = text_or_null(camera.firmware_version);
    if (camera.serial_flash_type) device["serial_flash_type"] = *camera.serial_flash_type;
    // A camera captured on Linux keeps its V4L2 index when the scenario is replayed.
    const auto v4l2 = camera.opencv_indices.find(uvc::OpenCvBackend::CAP_V4L2);
    if (v4l2 != camera.opencv_indices.end()) device["v4l2_node"] = v4l2->second;
    if (camera.capability.form != CapabilityForm::Absent) device["capability"] = capability_json(camera.capability);
    if (camera.imu) device["imu"] = imu_json(*camera.imu);
    if (camera.flash) device["flash"] = flash_json(*camera.flash);
    return device;
}

// The camera's entry at its index, after unnamed entries standing for the
// video devices listed before it (they match no camera: no name, no path).
Json backend_entries(const CapturedCamera& camera, int index, const char* path_key) {
    Json entries = Json::array();
    for (int other = 0; other < index; ++other) {
        entries.push_back({{"friendly_name", "Other video device " + std::to_string(other + 1)}});
    }
    entries.push_back({{"device", camera.id}, {"friendly_name", camera.video_name}, {path_key, camera.device_path}});
    return {{"entries", entries}};
}

Json backends_json(const CapturedCamera& camera) {
    Json backends = Json::object();
    const auto msmf = camera.opencv_indices.find(uvc::OpenCvBackend::CAP_MSMF);
    if (msmf != camera.opencv_indices.end()) backends["msmf"] = backend_entries(camera, msmf->second, "symbolic_link");
    const auto dshow = camera.opencv_indices.find(uvc::OpenCvBackend::CAP_DSHOW);
    if (dshow != camera.opencv_indices.end()) backends["dshow"] = backend_entries(camera, dshow->second, "device_path");
    return backends;
}

}  // namespace

std::string hex_bytes(const std::vector<std::uint8_t>& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(bytes.size() * 3);
    for (const std::uint8_t byte : bytes) {
        if (!hex.empty()) hex += ' ';
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

std::string device_id_for(const std::string& serial_number) {
    std::string id;
    for (const char c : serial_number) {
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                             c == '-' || c == '.';
        if (allowed && id.size() < kMaxDeviceId) id += c;
    }
    return id.empty() ? kFallbackDeviceId : id;
}

std::string scenario_json(const CapturedCamera& camera) {
    Json scenario = {{"description", camera.description}, {"devices", Json::array({device_json(camera)})}};
    if (const Json backends = backends_json(camera); !backends.empty()) scenario["backends"] = backends;
    // Texts a camera delivered that are not UTF-8 are written with U+FFFD
    // instead of failing the whole capture.
    return scenario.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace velmora::stereo_tool
