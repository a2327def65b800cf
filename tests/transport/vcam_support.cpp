// Shared set-up for the transport tests.
#include "vcam_support.hpp"

#include <cstdio>
#include <sstream>
#include <thread>

#include "platform/debug_output.hpp"
#include "sonix_virtual/vcam_control.hpp"
#include "transport/vendor/sonix_global_lock.hpp"

namespace velmora::uvc_stereo::transport_test {

const char* const kCameraPath =
    "\\\\?\\usb#vid_0c45&pid_0643&mi_00#7&1a2b3c4d&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";

const std::vector<std::uint8_t> kValidCapabilityReport = {
    0x5A, 0x4F, 0x56, 0x4B, 0x01, 0x00, 0x40, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x10, 0x05, 0x00, 0x00, 0x00, 0x01, 0x00, 0x49, 0x4D, 0x55, 0x2D, 0x41, 0x00, 0x00, 0x00, 0x04,
    0x0A, 0x11, 0x01, 0xFA, 0x00, 0x00, 0x05, 0x00, 0x08, 0xA4, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2A, 0x9A, 0x60, 0x6D,
};

const std::vector<std::uint8_t> kImuSample = {0x00, 0x10, 0xFF, 0xF0, 0x00, 0x01, 0x7F, 0xFF, 0x80,
                                              0x00, 0x00, 0x00, 0xFF, 0xFF, 0x12, 0x34, 0xA5};

namespace {

std::string json_text(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04X", static_cast<unsigned>(c));
            out += escaped;
            continue;
        }
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string hex_text(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    char byte[4];
    for (const std::uint8_t b : bytes) {
        std::snprintf(byte, sizeof(byte), "%02X", b);
        if (!out.empty()) out += ' ';
        out += byte;
    }
    return json_text(out);
}

std::string camera_json(const CameraOptions& options) {
    std::ostringstream json;
    json << "{\"id\":" << json_text(kCameraId) << ",\"vid\":" << kCameraVid << ",\"pid\":" << kCameraPid
         << ",\"name\":\"Stereo Cam\",\"device_path\":" << json_text(kCameraPath)
         << ",\"serial_number\":" << json_text(kCameraSerial)
         << ",\"firmware_version\":" << json_text(options.firmware_version)
         << ",\"serial_flash_type\":" << options.serial_flash_type;
    json << ",\"flash\":{\"stuck_bytes\":[";
    for (std::size_t i = 0; i < options.stuck_cells.size(); ++i) {
        json << (i ? "," : "") << "{\"address\":" << options.stuck_cells[i].first
             << ",\"value\":" << static_cast<int>(options.stuck_cells[i].second) << "}";
    }
    json << "]}";
    if (options.capability) {
        json << ",\"capability\":{\"hex\":" << hex_text(*options.capability) << "}";
    } else {
        json << ",\"capability\":\"zeros\"";
    }
    json << ",\"imu\":{\"length\":" << static_cast<int>(options.imu_length);
    if (options.imu_samples.empty()) {
        json << ",\"generator\":{}";
    } else {
        json << ",\"samples\":[";
        for (std::size_t i = 0; i < options.imu_samples.size(); ++i) {
            json << (i ? "," : "") << hex_text(options.imu_samples[i]);
        }
        json << "]";
    }
    json << "}}";
    return json.str();
}

}  // namespace

void load_camera(const CameraOptions& options) {
    const std::string scenario =
        "{\"library\":" + options.library_json + ",\"devices\":[" + camera_json(options) + "]}";
    ASSERT_EQ(vcam_load_scenario_json(scenario.c_str()), 0) << vcam_last_error() << "\n" << scenario;
    vcam_clear_faults();
    vcam_clear_call_log();
}

DeviceInfo camera_info() {
    DeviceInfo info;
    info.vid = kCameraVid;
    info.pid = kCameraPid;
    info.serial_number = kCameraSerial;
    info.device_path = kCameraPath;
    info.name = "Stereo Cam";
    return info;
}

std::vector<vcam_call> logged_calls() {
    std::vector<vcam_call> calls(vcam_call_count());
    for (std::size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(vcam_call_at(i, &calls[i]), 0);
    return calls;
}

std::vector<std::string> logged_functions() {
    std::vector<std::string> names;
    for (const vcam_call& call : logged_calls()) names.emplace_back(call.function);
    return names;
}

std::vector<vcam_call> logged_calls_of(const std::string& function) {
    std::vector<vcam_call> matching;
    for (const vcam_call& call : logged_calls()) {
        if (function == call.function) matching.push_back(call);
    }
    return matching;
}

std::vector<std::uint8_t> flash_peek(std::uint32_t address, std::uint32_t length) {
    std::vector<std::uint8_t> bytes(length);
    EXPECT_EQ(vcam_flash_peek(kCameraId, address, bytes.data(), length), 0) << vcam_last_error();
    return bytes;
}

void flash_poke(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(vcam_flash_poke(kCameraId, address, bytes.data(), static_cast<std::uint32_t>(bytes.size())), 0)
        << vcam_last_error();
}

bool vendor_lock_free() {
    bool available = false;
    std::thread probe([&] { available = win_detail::SonixGlobalLock::is_available_to_this_thread(); });
    probe.join();
    return available;
}

std::vector<std::uint8_t> encode_record(std::uint32_t magic, std::uint16_t version, std::uint16_t header_size,
                                        std::uint32_t payload_length, std::uint32_t crc,
                                        const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> record;
    const auto put = [&record](std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i) record.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    put(magic, 4);
    put(version, 2);
    put(header_size, 2);
    put(payload_length, 4);
    put(crc, 4);
    if (header_size > record.size()) record.resize(header_size, 0);
    record.insert(record.end(), payload.begin(), payload.end());
    return record;
}

std::vector<std::uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

DebugOutputCapture::DebugOutputCapture() { platform::set_debug_output_sink(&DebugOutputCapture::collect, this); }

DebugOutputCapture::~DebugOutputCapture() { platform::set_debug_output_sink(nullptr, nullptr); }

void DebugOutputCapture::collect(const char* text, void* context) {
    static_cast<DebugOutputCapture*>(context)->pieces_.emplace_back(text);
}

void VcamTest::SetUp() {
    load_camera();
    vcam_clear_contract_violations();
}

void VcamTest::TearDown() {
    EXPECT_EQ(vcam_init_depth(), 0) << "SonixCam_Init left unbalanced";
    EXPECT_TRUE(vendor_lock_free()) << "vendor lock left held";
    EXPECT_EQ(vcam_contract_violation_count(), 0u) << sonix_virtual::describe_contract_violations();
    vcam_clear_faults();
}

}  // namespace velmora::uvc_stereo::transport_test
