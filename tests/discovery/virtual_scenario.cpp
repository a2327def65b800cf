// JSON text of virtual-camera scenarios built from plain test records.
#include "virtual_scenario.hpp"

#include <cstdio>

namespace velmora::uvc_stereo::testing {

namespace {

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8] = {};
            std::snprintf(escape, sizeof(escape), "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            out.push_back(c);
        }
    }
    return out + "\"";
}

std::string text_json(const Text& text) { return text ? quoted(*text) : "null"; }

std::string hex4(std::uint16_t value) {
    char buffer[8] = {};
    std::snprintf(buffer, sizeof(buffer), "0x%04X", static_cast<unsigned>(value));
    return buffer;
}

std::string camera_json(const VirtualCamera& camera) {
    const std::string path = camera.device_path.empty() ? vendor_path(camera.vid, camera.pid, camera.id)
                                                        : camera.device_path;
    return "{\"id\":" + quoted(camera.id) + ",\"vid\":" + quoted(hex4(camera.vid)) +
           ",\"pid\":" + quoted(hex4(camera.pid)) + ",\"name\":" + quoted(camera.name) +
           ",\"device_path\":" + quoted(path) + ",\"id_bytes\":" + quoted(camera.id_bytes) +
           ",\"product_name\":" + text_json(camera.product_name) +
           ",\"descriptor_text\":" + text_json(camera.descriptor_text) +
           ",\"serial_number\":" + text_json(camera.serial_number) + "}";
}

std::string entries_json(const std::vector<BackendEntry>& entries) {
    std::string out = "[";
    for (const BackendEntry& entry : entries) {
        if (out.size() > 1) out += ",";
        out += "{\"friendly_name\":" + quoted(entry.friendly_name) + ",\"description\":" + quoted(entry.description) +
               ",\"device_path\":" + quoted(entry.device_path) + ",\"binds\":" + (entry.binds ? "true" : "false") +
               "}";
    }
    return out + "]";
}

std::string backend_json(std::uint32_t failure, const std::vector<BackendEntry>& entries) {
    return "{\"failure_hresult\":" + std::to_string(failure) + ",\"entries\":" + entries_json(entries) + "}";
}

}  // namespace

std::string vendor_path(std::uint16_t vid, std::uint16_t pid, const std::string& instance) {
    char buffer[64] = {};
    std::snprintf(buffer, sizeof(buffer), "\\\\?\\usb#vid_%04x&pid_%04x&mi_00#", static_cast<unsigned>(vid),
                  static_cast<unsigned>(pid));
    return buffer + instance + "#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
}

std::string scenario_json(const std::vector<VirtualCamera>& cameras, const Backends& backends,
                          const std::string& library_json) {
    std::string devices = "[";
    for (const VirtualCamera& camera : cameras) {
        if (devices.size() > 1) devices += ",";
        devices += camera_json(camera);
    }
    devices += "]";
    return "{\"library\":" + library_json + ",\"devices\":" + devices + ",\"backends\":{\"msmf\":" +
           backend_json(backends.msmf_failure, backends.msmf) +
           ",\"dshow\":" + backend_json(backends.dshow_failure, backends.dshow) + "}}";
}

}  // namespace velmora::uvc_stereo::testing
