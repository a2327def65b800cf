// What capture learned about a camera, and the virtual-camera scenario text
// that reproduces it.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <velmora/uvc_stereo/records.hpp>

namespace velmora::stereo_tool {

struct CapturedBlock {
    std::uint32_t address = 0;
    std::vector<std::uint8_t> bytes;  // written as hex unless json_text is set
    // A valid record with the standard 16-byte header whose payload is JSON:
    // written as its text and version, which rebuild exactly these bytes.
    std::optional<std::string> json_text;
    std::uint16_t record_version = 0;
};

struct CapturedFlash {
    std::uint32_t size = 0;  // of the whole virtual flash
    std::vector<CapturedBlock> blocks;
};

struct CapturedImu {
    std::uint8_t node = 0;
    std::uint8_t selector = 0;
    std::uint8_t length = 0;
    std::vector<std::vector<std::uint8_t>> samples;
    bool repeat = true;  // false when the camera stopped answering
};

// How the capability control answered.
enum class CapabilityForm {
    Absent,  // the control did not answer
    Zeros,   // 64 zero bytes: a camera without capability reporting
    Fields,  // a valid report that its decoded values rebuild exactly
    Hex,     // anything else, kept byte for byte
};

struct CapturedCapability {
    CapabilityForm form = CapabilityForm::Absent;
    std::optional<uvc_stereo::CapabilityReport> report;  // for Fields
    std::array<std::uint8_t, 64> bytes{};                 // for Hex
};

struct CapturedCamera {
    std::string description;  // the only text that differs between two captures
    std::string id;
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    std::string record_name;   // the vendor record's name
    std::string device_path;   // the vendor record's path
    std::string id_bytes = "big";  // "big", "little" or "fail"
    std::optional<std::string> product_name;  // nullopt: the query failed
    std::optional<std::string> descriptor_text;
    std::optional<std::string> serial_number;
    std::optional<std::string> firmware_version;
    std::optional<std::uint32_t> serial_flash_type;
    CapturedCapability capability;
    std::optional<CapturedImu> imu;
    std::optional<CapturedFlash> flash;
    std::string video_name;  // the scan's name, used for the back-end entries
    std::map<uvc_stereo::OpenCvBackend, int> opencv_indices;
    std::vector<std::string> notes;  // what could not be captured, and why
};

// The scenario: one device, and back-end lists that give it the same OpenCV
// indices (entries of other devices before it, unnamed).
std::string scenario_json(const CapturedCamera& camera);

// A scenario device id from a serial number: letters, digits, '_', '-', '.'.
std::string device_id_for(const std::string& serial_number);

// "00 10 FF F0"
std::string hex_bytes(const std::vector<std::uint8_t>& bytes);

}  // namespace velmora::stereo_tool
