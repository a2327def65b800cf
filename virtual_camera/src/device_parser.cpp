// Scenario device objects: ids, texts, descriptor answers and the sections they hold.
#include "device_parser.hpp"

#include <cstdio>

#include "device_sections.hpp"

namespace sonix_virtual {
namespace {

constexpr std::size_t kMaxRecordNameUnits = 255;
constexpr std::size_t kMaxRecordPathUnits = 305;
constexpr std::size_t kMaxFirmwareText = 255;
constexpr std::size_t kDevicePathBufferSize = 160;
constexpr std::uint64_t kMaxVendorCode = 0x7FFFFFFF;

bool is_id_character(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.';
}

std::string parse_id(const Json& value, const std::string& path) {
    if (!value.contains("id")) fail_at(path, "missing \"id\"");
    const std::string id = read_string(value.at("id"), child_path(path, "id"));
    if (id.empty() || id.size() > kMaxDeviceIdLength) fail_at(child_path(path, "id"), "1 to 63 characters");
    for (const char c : id) {
        if (!is_id_character(c)) fail_at(child_path(path, "id"), "letters, digits, '_', '-' and '.' only");
    }
    return id;
}

// A Windows-style interface path for devices that do not give their own.
std::string default_device_path(const DeviceSpec& device) {
    char buffer[kDevicePathBufferSize];
    std::snprintf(buffer, sizeof buffer, "\\\\?\\usb#vid_%04x&pid_%04x&mi_00#6&%s&0&0000", device.vid, device.pid,
                  device.id.c_str());
    return std::string(buffer) + "#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
}

DescriptorText parse_text(const Json& value, const std::string& path, std::size_t max_bytes) {
    if (value.is_null()) return std::nullopt;
    std::string text = read_string(value, path);
    if (text.size() > max_bytes) fail_at(path, "longer than " + std::to_string(max_bytes) + " bytes");
    return text;
}

IdByteOrder parse_id_bytes(const Json& value, const std::string& path) {
    const std::string order = read_string(value, path);
    if (order == "big") return IdByteOrder::big_endian;
    if (order == "little") return IdByteOrder::little_endian;
    if (order == "fail") return IdByteOrder::fails;
    fail_at(path, "expected \"big\", \"little\" or \"fail\"");
}

void parse_texts(const Json& value, const std::string& path, DeviceSpec& device) {
    const auto text = [&](const char* key, DescriptorText& out, std::size_t max) {
        if (value.contains(key)) out = parse_text(value.at(key), child_path(path, key), max);
    };
    text("product_name", device.product_name, kMaxDescriptorText);
    text("descriptor_text", device.descriptor_text, kMaxDescriptorText);
    text("serial_number", device.serial_number, kMaxDescriptorText);
    text("firmware_version", device.firmware_version, kMaxFirmwareText);
    device.name = value.contains("name") ? read_string(value.at("name"), child_path(path, "name"))
                                         : device.product_name.value_or("USB Camera");
    device.device_path = value.contains("device_path")
                             ? read_string(value.at("device_path"), child_path(path, "device_path"))
                             : default_device_path(device);
    if (utf8_to_utf16(device.name).size() > kMaxRecordNameUnits) fail_at(child_path(path, "name"), "too long for the record");
    if (utf8_to_utf16(device.device_path).size() > kMaxRecordPathUnits) {
        fail_at(child_path(path, "device_path"), "too long for the record");
    }
}

void parse_extension_units(const Json& value, const std::string& path, DeviceSpec& device) {
    ImuSpec imu_defaults;
    if (value.contains("capability")) {
        const CapabilitySection section = parse_capability_section(value.at("capability"), child_path(path, "capability"));
        device.capability = section.bytes;
        if (section.fields && section.fields->imu) {
            imu_defaults.node = section.fields->imu->unit;
            imu_defaults.selector = section.fields->imu->selector;
            imu_defaults.length = section.fields->imu->length;
        }
    }
    if (value.contains("imu")) device.imu = parse_imu_section(value.at("imu"), child_path(path, "imu"), imu_defaults);
}

}  // namespace

DeviceSpec parse_device(const Json& value, const std::string& path) {
    require_object(value, path, {"id", "vid", "pid", "name", "device_path", "id_bytes", "product_name",
                                 "descriptor_text", "serial_number", "firmware_version", "serial_flash_type",
                                 "attached", "flash", "capability", "imu", "missing_control_code", "v4l2_node",
                                 "comment"});
    DeviceSpec device;
    device.id = parse_id(value, path);
    // A free text for people (capture names there what it could not read).
    if (value.contains("comment")) read_string(value.at("comment"), child_path(path, "comment"));
    if (!value.contains("vid") || !value.contains("pid")) fail_at(path, "needs \"vid\" and \"pid\"");
    device.vid = read_unsigned_as<std::uint16_t>(value.at("vid"), child_path(path, "vid"));
    device.pid = read_unsigned_as<std::uint16_t>(value.at("pid"), child_path(path, "pid"));
    if (value.contains("id_bytes")) device.id_bytes = parse_id_bytes(value.at("id_bytes"), child_path(path, "id_bytes"));
    parse_texts(value, path, device);
    if (value.contains("serial_flash_type")) {
        device.serial_flash_type = read_unsigned_as<std::uint32_t>(value.at("serial_flash_type"), child_path(path, "serial_flash_type"));
    }
    if (value.contains("v4l2_node")) {
        device.v4l2_node = read_unsigned_as<std::uint16_t>(value.at("v4l2_node"), child_path(path, "v4l2_node"));
    }
    if (value.contains("attached")) device.attached = read_bool(value.at("attached"), child_path(path, "attached"));
    if (value.contains("missing_control_code")) {
        device.missing_control_code = static_cast<std::int32_t>(
            read_unsigned(value.at("missing_control_code"), child_path(path, "missing_control_code"), kMaxVendorCode));
    }
    device.flash = value.contains("flash") ? parse_flash_section(value.at("flash"), child_path(path, "flash"))
                                           : parse_flash_section(Json::object(), child_path(path, "flash"));
    parse_extension_units(value, path, device);
    return device;
}

bool parse_device_text(const std::string& text, DeviceSpec& out, std::string& error) {
    try {
        out = parse_device(Json::parse(text), "device");
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

}  // namespace sonix_virtual
