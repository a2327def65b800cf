// Builds a virtual-camera scenario from fuzz input: devices with their ids,
// texts, capability report, IMU control, flash contents, video back-end
// entries and armed faults.
#include "camera_scenario.hpp"

#include <array>
#include <cctype>
#include <cstdio>
#include <string_view>

#include <nlohmann/json.hpp>

#include "capability_encoder.hpp"
#include "checksums.hpp"
#include "core/byte_order.hpp"
#include "utf8_check.hpp"

namespace velmora::uvc_stereo::fuzzing {

namespace {

using Json = nlohmann::json;

constexpr std::uint16_t kBridgeVendorId = 0x0C45;
constexpr std::array<std::uint16_t, 5> kWhitelistedProducts = {0x0643, 0x0645, 0x2502, 0x0234, 0x0578};
constexpr std::array<const char*, 4> kFirmwareTexts = {"SN292-250311-V1.4", "SN292-260416-V2.0", "SN292-260408-V2.1",
                                                       ""};
constexpr std::array<std::uint32_t, 5> kFlashSizes = {0x62000, 0x100000, 0x80000, 0x10000, 0x1000};
constexpr std::array<const char*, 14> kVendorFunctions = {
    "SonixCam_Init",           "SonixCam_UnInit",           "SonixCam_EnumCameras",
    "SonixCam_GetErrorCode",   "SonixCam_GetDevDescriptor", "SonixCam_SetNodeID",
    "SonixCam_XuRead",         "SonixCam_GetVersion",       "SonixCam_GetSerialFlashType",
    "SonixCam_CstmReadFromSF", "SonixCam_WriteToSF",        "SonixCam_SectorEraseSF",
    "SonixCam_SetStatusRegBitWP", "SonixCam_SetWriteProtectedSF"};
// A failed UnInit leaves the library initialised whatever its caller does, so
// injected failures (not detaches) skip it.
constexpr std::size_t kUnInitIndex = 1;
constexpr int kLastVendorCode = 21;
constexpr std::uint32_t kLegacyFlashAddress = 0x51000;
constexpr std::size_t kRecordHeaderSize = 16;
constexpr std::size_t kMaxDescriptorBytes = 64;
constexpr std::size_t kMaxFirmwareBytes = 255;
constexpr std::size_t kMaxNameBytes = 255;   // UTF-16 units never outnumber UTF-8 bytes
constexpr std::size_t kMaxPathBytes = 305;
constexpr std::size_t kMaxBackendPathBytes = 511;
constexpr const char* kPlainDocument = " {\"format\": \"stereo-calibration\", \"baseline_mm\": 60.0,\n \"ok\": [true, null]} ";

std::string hex(const std::uint8_t* bytes, std::size_t size) {
    std::string text;
    char pair[3];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        text += pair;
    }
    return text;
}

std::string hex(const std::vector<std::uint8_t>& bytes) { return hex(bytes.data(), bytes.size()); }

std::string default_path(const std::string& id, std::uint16_t vid, std::uint16_t pid) {
    char ids[32];
    std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x", vid, pid);
    return std::string("\\\\?\\usb#") + ids + "&mi_00#6&" + id + "&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
}

bool same_ignoring_case(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// A text chosen from a few plain ones, made to fail (null), or from input.
Json descriptor_text(FuzzedDataProvider& input, const std::string& plain, std::size_t max_bytes) {
    switch (input.ConsumeIntegralInRange(0, 2)) {
        case 0: return plain;
        case 1: return nullptr;
        default: return scenario_text(input.ConsumeRandomLengthString(max_bytes + 8), max_bytes, true);
    }
}

sonix_virtual::CapabilityFields::Imu reported_imu(FuzzedDataProvider& input) {
    sonix_virtual::CapabilityFields::Imu imu;
    imu.model = input.ConsumeBool() ? input.ConsumeBytesAsString(input.ConsumeIntegralInRange(0, 8)) : "IMU-A";
    if (input.ConsumeBool()) {
        imu.unit = input.ConsumeIntegral<std::uint8_t>();
        imu.selector = input.ConsumeIntegral<std::uint8_t>();
        imu.length = input.ConsumeIntegral<std::uint8_t>();
    }
    imu.exponent = static_cast<std::uint8_t>(input.ConsumeIntegralInRange(1, 4));
    imu.temperature_offset = static_cast<std::int16_t>(250 - input.ConsumeIntegral<std::int16_t>());
    imu.temperature_scale = static_cast<std::uint16_t>(1280 - input.ConsumeIntegral<std::uint16_t>());
    imu.accel_scale = static_cast<std::uint16_t>(2048 - input.ConsumeIntegral<std::uint16_t>());
    imu.gyro_scale = static_cast<std::uint16_t>(164 - input.ConsumeIntegral<std::uint16_t>());
    return imu;
}

// The capability control's bytes: a report encoded from fields, 64 zeros, no
// control at all, or raw bytes (with the CRC repaired on request).
std::optional<detail::CapabilityReportBytes> capability_bytes(FuzzedDataProvider& input) {
    detail::CapabilityReportBytes bytes{};
    switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0: {
            sonix_virtual::CapabilityFields fields;
            fields.minor_version = input.ConsumeIntegral<std::uint8_t>();
            fields.extra_bits = input.ConsumeIntegralInRange<std::uint64_t>(0, 32) & ~std::uint64_t{6};
            if (!input.ConsumeBool()) {
                fields.flash = sonix_virtual::CapabilityFields::Flash{
                    kLegacyFlashAddress - input.ConsumeIntegral<std::uint32_t>(),
                    0x10000 - input.ConsumeIntegral<std::uint32_t>()};
            }
            if (!input.ConsumeBool()) fields.imu = reported_imu(input);
            const auto encoded = sonix_virtual::encode_capability_report(fields);
            std::copy(encoded.begin(), encoded.end(), bytes.begin());
            return bytes;
        }
        case 1: return bytes;
        case 2: return std::nullopt;
        default: {
            const std::vector<std::uint8_t> raw = input.ConsumeBytes<std::uint8_t>(bytes.size());
            std::copy(raw.begin(), raw.end(), bytes.begin());
            if (input.ConsumeBool()) detail::write_le32(&bytes[60], sonix_virtual::crc32c(bytes.data(), 60));
            return bytes;
        }
    }
}

// The IMU control, addressed as a valid report says or as the input says.
Json imu_control(FuzzedDataProvider& input, const std::optional<detail::CapabilityReportBytes>& capability) {
    unsigned node = 4;
    unsigned selector = 10;
    unsigned length = 17;
    if (capability) {
        const Result<CapabilityReport> report = detail::parse_xu_capability_report(*capability);
        if (report.ok() && report.value().imu) {
            node = report.value().imu->xu_unit;
            selector = report.value().imu->xu_selector;
            length = report.value().imu->xu_length;
        }
    }
    if (input.ConsumeBool()) {
        node = input.ConsumeIntegralInRange(1, 255);
        selector = input.ConsumeIntegralInRange(1, 255);
        length = input.ConsumeIntegralInRange(17, 255);
    }
    if (node == 4 && selector == 11) selector = 10;  // the capability control's place
    Json imu = {{"node", node}, {"selector", selector}, {"length", length}};
    Json samples = Json::array();
    const int sample_count = input.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < sample_count; ++i) {
        std::vector<std::uint8_t> sample = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(1u, length));
        if (sample.empty()) sample.push_back(0);
        samples.push_back(hex(sample));
    }
    if (!samples.empty()) {
        imu["samples"] = samples;
        imu["repeat"] = !input.ConsumeBool();
    }
    if (samples.empty() || input.ConsumeBool()) {
        imu["generator"] = {{"kind", input.ConsumeBool() ? "ramp" : "sine"},
                            {"init_failures", input.ConsumeIntegralInRange(0, 2)},
                            {"read_failure_every", input.ConsumeIntegralInRange(0, 3)}};
    }
    return imu;
}

// The flash address the SDK will use for this camera when nothing fails.
std::uint32_t expected_user_space(const std::optional<detail::CapabilityReportBytes>& capability) {
    if (!capability) return kLegacyFlashAddress;
    const Result<CapabilityReport> report = detail::parse_xu_capability_report(*capability);
    if (report.ok() && report.value().flash) return report.value().flash->user_space_address;
    return kLegacyFlashAddress;
}

Json flash_section(FuzzedDataProvider& input, GeneratedCamera& camera) {
    const std::uint32_t size = input.PickValueInArray(kFlashSizes);
    Json flash = {{"size", size}, {"write_protected", !input.ConsumeBool()}};
    const std::uint32_t address = input.ConsumeBool() ? kLegacyFlashAddress : expected_user_space(camera.capability);
    Json block = {{"address", address}};
    std::size_t block_size = 0;
    switch (input.ConsumeIntegralInRange(0, 2)) {
        case 0:
            camera.record_text = input.ConsumeBool() ? scenario_text(input.ConsumeRandomLengthString(300), 300, true)
                                                     : std::string(kPlainDocument);
            camera.record_version = input.ConsumeIntegral<std::uint16_t>();
            block["json_text"] = camera.record_text;
            block["record_version"] = camera.record_version;
            block_size = kRecordHeaderSize + camera.record_text.size();
            break;
        case 1: {
            const std::vector<std::uint8_t> raw = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(1, 300));
            block["hex"] = raw.empty() ? std::string("00") : hex(raw);
            block_size = std::max<std::size_t>(raw.size(), 1);
            break;
        }
        default: break;
    }
    if (block_size > 0 && std::uint64_t{address} + block_size <= size) {
        flash["blocks"] = Json::array({block});
        if (block.contains("json_text")) camera.record_address = address;
    }
    if (input.ConsumeIntegralInRange(0, 7) == 7) {
        const std::uint32_t stuck = address + input.ConsumeIntegralInRange(0u, 63u);
        if (stuck < size) {
            flash["stuck_bytes"] = Json::array({{{"address", stuck}, {"value", input.ConsumeIntegral<std::uint8_t>()}}});
            camera.has_stuck_bytes = true;
        }
    }
    return flash;
}

std::string unique_path(std::string path, const GeneratedCamera& camera, const std::vector<GeneratedCamera>& others,
                        std::uint16_t vid, std::uint16_t pid) {
    bool taken = path.empty();
    for (const GeneratedCamera& other : others) taken = taken || same_ignoring_case(other.device_path, path);
    return taken ? default_path(camera.id, vid, pid) : path;
}

Json device(FuzzedDataProvider& input, GeneratedCamera& camera, const std::vector<GeneratedCamera>& others) {
    const std::uint16_t vid = input.ConsumeBool() ? input.ConsumeIntegral<std::uint16_t>() : kBridgeVendorId;
    const std::uint16_t pid = input.ConsumeIntegralInRange(0, 5) == 5 ? input.ConsumeIntegral<std::uint16_t>()
                                                                      : kWhitelistedProducts[input.ConsumeIntegralInRange(0, 4)];
    const std::string path = input.ConsumeBool() ? scenario_text(input.ConsumeRandomLengthString(kMaxPathBytes),
                                                                 kMaxPathBytes, false)
                                                 : default_path(camera.id, vid, pid);
    camera.device_path = unique_path(path, camera, others, vid, pid);
    camera.attached = !input.ConsumeBool();
    Json json = {{"id", camera.id},
                 {"vid", vid},
                 {"pid", pid},
                 {"device_path", camera.device_path},
                 {"attached", camera.attached},
                 {"id_bytes", std::array<const char*, 3>{"big", "little", "fail"}[input.ConsumeIntegralInRange(0, 2)]},
                 {"serial_flash_type", input.ConsumeBool() ? input.ConsumeIntegralInRange(0, 3) : 1}};
    if (input.ConsumeBool()) json["name"] = scenario_text(input.ConsumeRandomLengthString(kMaxNameBytes), kMaxNameBytes, false);
    json["product_name"] = descriptor_text(input, "Velmora Stereo " + camera.id, kMaxDescriptorBytes);
    json["descriptor_text"] = descriptor_text(input, "Velmora Stereo Camera", kMaxDescriptorBytes);
    json["serial_number"] = descriptor_text(input, "VLM-" + camera.id, kMaxDescriptorBytes);
    json["firmware_version"] = input.ConsumeIntegralInRange(0, 4) == 4
                                   ? descriptor_text(input, "", kMaxFirmwareBytes)
                                   : Json(input.PickValueInArray(kFirmwareTexts));

    camera.capability = capability_bytes(input);
    if (camera.capability) json["capability"] = {{"hex", hex(camera.capability->data(), camera.capability->size())}};
    if (!input.ConsumeBool()) json["imu"] = imu_control(input, camera.capability);
    json["flash"] = flash_section(input, camera);
    return json;
}

Json backend(FuzzedDataProvider& input, const std::vector<GeneratedCamera>& cameras, bool directshow) {
    Json entries = Json::array();
    const int count = input.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < count; ++i) {
        const GeneratedCamera& camera = cameras[input.ConsumeIntegralInRange<std::size_t>(0, cameras.size() - 1)];
        Json entry = {{"friendly_name", "Velmora Stereo " + camera.id}};
        switch (input.ConsumeIntegralInRange(0, 3)) {
            case 0: entry["device_path"] = camera.device_path; break;
            case 1: entry["device_path"] = scenario_text(camera.device_path + input.ConsumeRandomLengthString(40),
                                                         kMaxBackendPathBytes, false); break;
            case 2: entry["device_path"] = scenario_text(input.ConsumeRandomLengthString(80), kMaxBackendPathBytes, false); break;
            default: break;
        }
        if (input.ConsumeBool()) entry["device"] = camera.id;
        if (directshow) entry["binds"] = !input.ConsumeBool();
        entries.push_back(entry);
    }
    return {{"failure_hresult", input.ConsumeBool() ? 0x80004005U : 0U}, {"entries", entries}};
}

Json faults(FuzzedDataProvider& input, const std::vector<GeneratedCamera>& cameras) {
    Json armed = Json::array();
    const int count = input.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < count; ++i) {
        std::size_t function = input.ConsumeIntegralInRange<std::size_t>(0, kVendorFunctions.size() - 1);
        Json fault = {{"nth", input.ConsumeIntegralInRange(1, 48)}};
        if (input.ConsumeBool()) {
            fault["detach"] = cameras[input.ConsumeIntegralInRange<std::size_t>(0, cameras.size() - 1)].id;
        } else {
            if (function == kUnInitIndex) function = 0;
            fault["vendor_code"] = input.ConsumeIntegralInRange(0, kLastVendorCode);
        }
        fault["function"] = kVendorFunctions[function];
        armed.push_back(fault);
    }
    return armed;
}

}  // namespace

std::string scenario_text(const std::string& raw, std::size_t max_bytes, bool allow_nul) {
    std::string text;
    for (std::size_t at = 0; at < raw.size();) {
        const std::size_t length = utf8_sequence_length(raw, at);
        const std::string_view piece = length == 0 ? std::string_view("?") : std::string_view(raw).substr(at, length);
        at += length == 0 ? 1 : length;
        if (piece == std::string_view("\0", 1) && !allow_nul) continue;
        if (text.size() + piece.size() > max_bytes) break;
        text += piece;
    }
    return text;
}

GeneratedScenario generate_scenario(FuzzedDataProvider& input) {
    GeneratedScenario scenario;
    Json devices = Json::array();
    const int count = input.ConsumeIntegralInRange(1, 2);
    for (int i = 0; i < count; ++i) {
        GeneratedCamera camera;
        camera.id = "cam" + std::to_string(i);
        devices.push_back(device(input, camera, scenario.cameras));
        scenario.cameras.push_back(std::move(camera));
    }
    const Json msmf = backend(input, scenario.cameras, false);
    const Json dshow = backend(input, scenario.cameras, true);
    scenario.msmf_entries = msmf.at("entries").size();
    scenario.dshow_entries = dshow.at("entries").size();
    Json root = {{"library",
                  {{"init_fails_without_device", input.ConsumeBool()}, {"enum_fails_without_device", !input.ConsumeBool()}}},
                 {"devices", devices},
                 {"backends", {{"msmf", msmf}, {"dshow", dshow}}}};
    const Json armed = faults(input, scenario.cameras);
    scenario.has_faults = !armed.empty();
    if (scenario.has_faults) root["faults"] = armed;
    scenario.json = root.dump();
    return scenario;
}

}  // namespace velmora::uvc_stereo::fuzzing
