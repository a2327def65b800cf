// Virtual cameras written in the virtual camera's scenario format.
#include "support/virtual_camera.hpp"

#include <gtest/gtest.h>

#include "sonix_virtual/vcam_control.h"

namespace velmora::uvc_stereo::test_support {

VirtualCamera::VirtualCamera(std::string camera_id)
    : id(std::move(camera_id)), name("Test " + id), serial_number(id) {}

VirtualCamera identity_only_camera(std::string id, std::uint16_t pid) {
    VirtualCamera camera(std::move(id));
    camera.pid = pid;
    camera.name = "Record Name";
    camera.device_path = vendor_path(camera.vid, camera.pid, camera.id);
    camera.descriptor_text = std::string();
    camera.serial_number = std::string();
    camera.describe_hardware = false;
    return camera;
}

namespace {

bool reports_sections(const VirtualCamera& camera) { return !camera.legacy && !camera.capability_bytes; }

std::string report_json(const VirtualCamera& camera) {
    std::string fields;
    if (camera.report_flash) {
        fields += "\"flash\":{\"address\":" + json_hex_number(camera.flash_address) +
                  ",\"size\":" + json_hex_number(camera.flash_size) + "}";
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

std::string capability_json(const VirtualCamera& camera) {
    if (camera.capability_bytes) return "{\"hex\":" + json_string(hex_digits(*camera.capability_bytes)) + "}";
    if (camera.legacy) return "\"zeros\"";
    return report_json(camera);
}

std::string imu_json(const VirtualCamera& camera) {
    // The register's place follows a reported IMU section; its length is always given.
    std::string imu = "{\"length\":" + std::to_string(camera.imu.length);
    if (reports_sections(camera) && camera.report_imu) {
        imu += ",\"node\":" + std::to_string(camera.imu.unit) + ",\"selector\":" + std::to_string(camera.imu.selector);
    }
    if (camera.imu_samples.empty()) {
        imu += ",\"generator\":" + camera.imu_generator;
    } else {
        imu += ",\"samples\":[";
        for (std::size_t i = 0; i < camera.imu_samples.size(); ++i) {
            imu += (i ? "," : "") + json_string(camera.imu_samples[i]);
        }
        imu += "],\"repeat\":true";
    }
    return imu + "}";
}

std::string flash_json(const VirtualCamera& camera) {
    std::string flash = "{\"size\":\"0x100000\",\"write_protected\":true,\"stuck_bytes\":[";
    for (std::size_t i = 0; i < camera.stuck_flash_bytes.size(); ++i) {
        flash += (i ? "," : "") + std::string("{\"address\":") + std::to_string(camera.stuck_flash_bytes[i].first) +
                 ",\"value\":" + std::to_string(camera.stuck_flash_bytes[i].second) + "}";
    }
    flash += "]";
    if (!camera.json_text.empty()) {
        const std::uint32_t address = reports_sections(camera) && camera.report_flash ? camera.flash_address : 0x51000;
        flash += ",\"blocks\":[{\"address\":" + json_hex_number(address) +
                 ",\"json_text\":" + json_string(camera.json_text) + "}]";
    }
    return flash + "}";
}

std::string hardware_json(const VirtualCamera& camera) {
    std::string json = ",\"firmware_version\":" + json_string(camera.firmware) +
                       ",\"serial_flash_type\":" + std::to_string(camera.serial_flash_type);
    if (camera.capability_control) json += ",\"capability\":" + capability_json(camera);
    if (camera.missing_control_code >= 0) {
        json += ",\"missing_control_code\":" + std::to_string(camera.missing_control_code);
    }
    return json + ",\"imu\":" + imu_json(camera) + ",\"flash\":" + flash_json(camera);
}

std::string entries_json(const std::vector<BackendEntry>& entries) {
    std::string out = "[";
    for (const BackendEntry& entry : entries) {
        if (out.size() > 1) out += ",";
        out += "{\"friendly_name\":" + json_string(entry.friendly_name) +
               ",\"description\":" + json_string(entry.description) +
               ",\"device_path\":" + json_string(entry.device_path) +
               ",\"binds\":" + (entry.binds ? "true" : "false") + "}";
    }
    return out + "]";
}

std::string backend_json(std::uint32_t failure, const std::vector<BackendEntry>& entries) {
    return "{\"failure_hresult\":" + std::to_string(failure) + ",\"entries\":" + entries_json(entries) + "}";
}

}  // namespace

std::string device_json(const VirtualCamera& camera) {
    std::string device = "{\"id\":" + json_string(camera.id) + ",\"vid\":" + json_hex_number(camera.vid) +
                         ",\"pid\":" + json_hex_number(camera.pid) + ",\"name\":" + json_string(camera.name);
    if (!camera.device_path.empty()) device += ",\"device_path\":" + json_string(camera.device_path);
    device += ",\"id_bytes\":" + json_string(camera.id_bytes) + ",\"product_name\":" + json_text(camera.product_name) +
              ",\"descriptor_text\":" + json_text(camera.descriptor_text) +
              ",\"serial_number\":" + json_text(camera.serial_number);
    if (camera.describe_hardware) device += hardware_json(camera);
    return device + "}";
}

std::string scenario_json(const std::vector<VirtualCamera>& cameras, const Backends& backends,
                          const std::string& library_json) {
    std::string scenario = "{\"library\":" + library_json + ",\"devices\":[";
    for (std::size_t i = 0; i < cameras.size(); ++i) scenario += (i ? "," : "") + device_json(cameras[i]);
    return scenario + "],\"backends\":{\"msmf\":" + backend_json(backends.msmf_failure, backends.msmf) +
           ",\"dshow\":" + backend_json(backends.dshow_failure, backends.dshow) + "}}";
}

void load_scenario(const std::string& json) {
    ASSERT_EQ(vcam_load_scenario_json(json.c_str()), 0) << vcam_last_error() << "\n" << json;
}

void load_cameras(const std::vector<VirtualCamera>& cameras, const std::string& library_json) {
    load_scenario(scenario_json(cameras, {}, library_json));
}

}  // namespace velmora::uvc_stereo::test_support
