// Virtual cameras for the device tests, described in the virtual camera's
// scenario format.
#include "virtual_devices.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sonix_virtual/vcam_control.h"
#include "velmora/uvc_stereo/flash_record.hpp"
#include "velmora/uvc_stereo/scan.hpp"

namespace velmora::uvc_stereo::testing {

namespace {

std::string hex_number(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "\"0x%X\"", value);
    return text;
}

// Escapes a text for a JSON string literal (the tests' texts are ASCII).
std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string capability_json(const VirtualCamera& camera) {
    if (camera.legacy) return "\"zeros\"";
    std::string fields;
    if (camera.report_flash) {
        fields += "\"flash\":{\"address\":" + hex_number(camera.flash_address) +
                  ",\"size\":" + hex_number(camera.flash_size) + "}";
    }
    if (camera.report_imu) {
        const ReportedImu& imu = camera.imu;
        if (!fields.empty()) fields += ",";
        fields += "\"imu\":{\"model\":\"IMU-T\",\"unit\":" + std::to_string(imu.unit) +
                  ",\"selector\":" + std::to_string(imu.selector) + ",\"length\":" + std::to_string(imu.length) +
                  ",\"exponent\":" + std::to_string(imu.exponent) +
                  ",\"temperature_offset\":" + std::to_string(imu.temperature_offset) +
                  ",\"temperature_scale\":" + std::to_string(imu.temperature_scale) +
                  ",\"accel_scale\":" + std::to_string(imu.accel_scale) +
                  ",\"gyro_scale\":" + std::to_string(imu.gyro_scale) + "}";
    }
    // A report needs at least one capability bit; 1 carries no section.
    if (fields.empty()) fields = "\"extra_bits\":1";
    return "{" + fields + "}";
}

std::string imu_json(const VirtualCamera& camera) {
    std::string imu = "{";
    if (!camera.legacy && camera.report_imu) {
        imu += "\"node\":" + std::to_string(camera.imu.unit) + ",\"selector\":" + std::to_string(camera.imu.selector) +
               ",\"length\":" + std::to_string(camera.imu.length) + ",";
    }
    if (camera.imu_samples.empty()) {
        imu += "\"generator\":{\"kind\":\"ramp\",\"period_samples\":50,\"counter_step\":1000}";
    } else {
        imu += "\"samples\":[";
        for (std::size_t i = 0; i < camera.imu_samples.size(); ++i) {
            imu += (i ? ",\"" : "\"") + camera.imu_samples[i] + "\"";
        }
        imu += "],\"repeat\":true";
    }
    return imu + "}";
}

std::string flash_json(const VirtualCamera& camera) {
    std::string flash = "{\"size\":\"0x100000\",\"write_protected\":true";
    if (!camera.json_text.empty()) {
        const std::uint32_t address = camera.legacy || !camera.report_flash ? 0x51000 : camera.flash_address;
        flash += ",\"blocks\":[{\"address\":" + hex_number(address) +
                 ",\"json_text\":" + json_string(camera.json_text) + "}]";
    }
    return flash + "}";
}

std::string device_json(const VirtualCamera& camera) {
    char ids[64];
    std::snprintf(ids, sizeof ids, "\"vid\":\"0x0C45\",\"pid\":\"0x%04X\"", camera.pid);
    std::string device = "{\"id\":" + json_string(camera.id) + "," + ids + ",\"name\":" +
                         json_string("Test " + camera.id) + ",\"serial_number\":" + json_string(camera.id) +
                         ",\"descriptor_text\":\"Test Camera\"";
    device += ",\"firmware_version\":" + json_string(camera.firmware);
    if (camera.capability_control) device += ",\"capability\":" + capability_json(camera);
    device += ",\"imu\":" + imu_json(camera);
    device += ",\"flash\":" + flash_json(camera);
    return device + "}";
}

}  // namespace

void load_cameras(const std::vector<VirtualCamera>& cameras, const std::string& library_json) {
    std::string scenario = "{\"library\":" + library_json + ",\"devices\":[";
    for (std::size_t i = 0; i < cameras.size(); ++i) scenario += (i ? "," : "") + device_json(cameras[i]);
    scenario += "]}";
    ASSERT_EQ(vcam_load_scenario_json(scenario.c_str()), 0) << vcam_last_error() << "\n" << scenario;
}

DeviceInfo scanned_camera(const std::string& id) {
    const Result<std::vector<DeviceInfo>> scanned = scan_devices();
    EXPECT_TRUE(scanned.ok()) << scanned.status().message();
    if (scanned.ok()) {
        for (const DeviceInfo& info : scanned.value()) {
            if (info.serial_number == id) return info;
        }
    }
    ADD_FAILURE() << "no scanned camera " << id;
    return DeviceInfo{};
}

std::vector<std::uint8_t> peek_flash(const std::string& id, std::uint32_t address, std::uint32_t length) {
    std::vector<std::uint8_t> bytes(length);
    EXPECT_EQ(vcam_flash_peek(id.c_str(), address, bytes.data(), length), 0) << vcam_last_error();
    return bytes;
}

void poke_flash(const std::string& id, std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    EXPECT_EQ(vcam_flash_poke(id.c_str(), address, bytes.data(), static_cast<std::uint32_t>(bytes.size())), 0)
        << vcam_last_error();
}

std::vector<std::uint8_t> flash_record(const std::string& payload, std::uint16_t version) {
    const Result<FlashBlob> blob =
        build_blob(version, std::vector<std::uint8_t>(payload.begin(), payload.end()), FlashConfig{});
    EXPECT_TRUE(blob.ok()) << blob.status().message();
    return blob.ok() ? blob.value().raw : std::vector<std::uint8_t>{};
}

void clear_calls() { vcam_clear_call_log(); }

std::size_t total_calls() { return vcam_call_count(); }

std::size_t calls_of(const char* function) { return vcam_count_calls(function); }

std::vector<std::vector<std::uint64_t>> arguments_of(const char* function) {
    std::vector<std::vector<std::uint64_t>> calls;
    const std::size_t count = vcam_call_count();
    for (std::size_t index = 0; index < count; ++index) {
        vcam_call call{};
        if (vcam_call_at(index, &call) != 0 || std::string(call.function) != function) continue;
        calls.emplace_back(call.args, call.args + call.arg_count);
    }
    return calls;
}

}  // namespace velmora::uvc_stereo::testing
