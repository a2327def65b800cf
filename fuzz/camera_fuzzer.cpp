// A whole camera decided by the input (camera_scenario.cpp): capability
// report, flash contents, descriptor texts, firmware text, IMU payloads,
// video back-end entries, and failures and detaches at chosen vendor calls.
// The target scans, opens every listed camera with each required_capabilities,
// reads and writes its JSON document and reads its IMU, unplugging and
// replugging cameras between steps when the input says so. Checked besides
// "no crash": a scan lists only whitelisted cameras of the scenario with
// consistent OpenCV indices; an undisturbed camera opens with the capability
// state its report calls for; a document read back is valid minified JSON and
// is exactly the one last written (or placed) at that address; IMU samples
// convert to finite values; JSON access is refused while the IMU is open; a
// moved-from Device is closed; and after every step the vendor Init depth is
// back to the number of open IMU sessions and the vendor lock is free.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "camera_scenario.hpp"
#include "core/test_control.hpp"
#include "discovery/scan_whitelist.hpp"
#include "property_check.hpp"
#include "velmora/uvc_stereo.hpp"
#include "vendor_state_check.hpp"

namespace {

namespace uvc = velmora::uvc_stereo;
using uvc::fuzzing::GeneratedCamera;
using uvc::fuzzing::GeneratedScenario;
using uvc::fuzzing::require;
using uvc::fuzzing::require_vendor_idle;

constexpr std::array<std::uint32_t, 6> kRequiredCapabilities = {0, 1, 2, 4, 7, 8};
constexpr std::uint32_t kLegacyFlashAddress = 0x51000;
constexpr std::uint32_t kMaxDeviceCounter = 0xFFFFF;
constexpr int kMaxImuReads = 3;
constexpr const char* kWrittenDocument = "{\"written\": [1, 2.5e-3, \"x y\"], \"by\": \"fuzz\"}";

struct KnownDocument {
    std::uint16_t version = 0;
    std::string json;
};

// What the target knows of one camera while the input runs.
struct CameraState {
    const GeneratedCamera* generated = nullptr;
    bool attached = true;
    // The document at a flash address, where known.
    std::map<std::uint32_t, KnownDocument> documents;
};

struct Run {
    FuzzedDataProvider* input = nullptr;
    const GeneratedScenario* scenario = nullptr;
    std::vector<CameraState> cameras;
    bool disturbed = false;  // faults armed, or a camera plugged in or out by the target
};

std::optional<std::string> minified(std::string_view text) {
    uvc::Result<std::string> result = uvc::minify_and_validate_json(text);
    if (!result.ok()) return std::nullopt;
    return std::move(result.value());
}

void start_run(Run& run) {
    for (const GeneratedCamera& camera : run.scenario->cameras) {
        CameraState state;
        state.generated = &camera;
        state.attached = camera.attached;
        const std::optional<std::string> text = minified(camera.record_text);
        if (camera.record_address && text && !camera.has_stuck_bytes) {
            state.documents[*camera.record_address] = KnownDocument{camera.record_version, *text};
        }
        run.cameras.push_back(std::move(state));
    }
    run.disturbed = run.scenario->has_faults;
}

// Sometimes unplugs or replugs a camera between two steps.
void maybe_toggle_a_camera(Run& run) {
    if (run.input->ConsumeIntegralInRange(0, 7) != 7) return;
    CameraState& camera = run.cameras[run.input->ConsumeIntegralInRange<std::size_t>(0, run.cameras.size() - 1)];
    const char* id = camera.generated->id.c_str();
    require((camera.attached ? vcam_detach_device(id) : vcam_reattach_device(id)) == 0, "the camera can be toggled");
    camera.attached = !camera.attached;
    run.disturbed = true;
}

CameraState* camera_of(Run& run, const uvc::DeviceInfo& info) {
    for (CameraState& camera : run.cameras) {
        if (camera.generated->device_path == info.device_path) return &camera;
    }
    return nullptr;
}

void check_scan(Run& run, const uvc::Result<std::vector<uvc::DeviceInfo>>& scanned) {
    require_vendor_idle();
    if (!scanned.ok()) {
        require(run.disturbed, "an undisturbed scan succeeds", uvc::fuzzing::describe(scanned.status()));
        return;
    }
    std::set<const CameraState*> listed;
    std::set<std::pair<uvc::OpenCvBackend, int>> indices;
    for (const uvc::DeviceInfo& info : scanned.value()) {
        require(uvc::detail::find_whitelist_entry(info.vid, info.pid) != nullptr, "only whitelisted cameras are listed");
        const CameraState* camera = camera_of(run, info);
        require(camera != nullptr && listed.insert(camera).second, "each listed camera is one of the scenario's, once",
                info.device_path);
        for (const auto& [backend, index] : info.opencv_indices) {
            const bool msmf = backend == uvc::OpenCvBackend::CAP_MSMF;
            require(msmf || backend == uvc::OpenCvBackend::CAP_DSHOW, "indices come from the two Windows back-ends");
            const std::size_t entries = msmf ? run.scenario->msmf_entries : run.scenario->dshow_entries;
            require(index >= 0 && static_cast<std::size_t>(index) < entries, "an index is a position in its back-end");
            require(indices.emplace(backend, index).second, "no index is given to two cameras");
        }
    }
}

std::uint8_t expected_capability_state(const GeneratedCamera& camera) {
    if (!camera.capability) return 2;
    return uvc::detail::interpret_xu_capability_bytes(*camera.capability).state == 0 ? 1 : 2;
}

bool same_report(const uvc::CapabilityReport& a, const uvc::CapabilityReport& b) {
    const bool flash = a.flash.has_value() == b.flash.has_value() &&
                       (!a.flash || (a.flash->user_space_address == b.flash->user_space_address &&
                                     a.flash->user_space_size == b.flash->user_space_size));
    const bool imu = a.imu.has_value() == b.imu.has_value() &&
                     (!a.imu || (a.imu->model == b.imu->model && a.imu->xu_unit == b.imu->xu_unit &&
                                 a.imu->xu_selector == b.imu->xu_selector && a.imu->xu_length == b.imu->xu_length &&
                                 a.imu->decimal_exponent == b.imu->decimal_exponent &&
                                 a.imu->conversion.gyro_lsb_per_dps == b.imu->conversion.gyro_lsb_per_dps));
    return a.major_version == b.major_version && a.minor_version == b.minor_version &&
           a.capability_bits == b.capability_bits && flash && imu;
}

// An undisturbed camera is read as its capability control says.
void check_capability_state(const Run& run, const CameraState& camera, const uvc::Device& device) {
    const uvc::DeviceCapabilityInfo& info = device.capability_info();
    require(info.state == 1 || info.state == 2, "an open device knows its capability state");
    require(info.report.has_value() == (info.state == 1), "a report exactly in state 1");
    if (run.disturbed) return;
    require(info.state == expected_capability_state(*camera.generated), "the capability state follows the report");
    if (info.report) {
        const auto parsed = uvc::detail::parse_xu_capability_report(*camera.generated->capability);
        require(same_report(*info.report, parsed.value()), "the device keeps the report it read");
    }
}

// The address of the device's flash user space, when it has one.
std::optional<std::uint32_t> user_space_address(const uvc::Device& device) {
    const uvc::DeviceCapabilityInfo& info = device.capability_info();
    if (info.state == 2) return kLegacyFlashAddress;
    if (info.report && info.report->flash) return info.report->flash->user_space_address;
    return std::nullopt;
}

void check_read(CameraState& camera, const uvc::Device& device, const uvc::Result<uvc::ReadJsonResult>& read) {
    require_vendor_idle();
    if (!read.ok()) return;
    const std::optional<std::string> again = minified(read.value().json);
    require(again && *again == read.value().json, "a document read back is valid minified JSON", read.value().json);
    const std::optional<std::uint32_t> address = user_space_address(device);
    require(address.has_value(), "only a device with flash reads a document");
    const auto known = camera.documents.find(*address);
    if (known == camera.documents.end()) return;
    require(read.value().version == known->second.version && read.value().json == known->second.json,
            "a document read back is the one last written there", known->second.json + "\n  read " + read.value().json);
}

std::size_t flash_changing_calls() {
    return vcam_count_calls("SonixCam_SectorEraseSF") + vcam_count_calls("SonixCam_WriteToSF");
}

void write_document(Run& run, CameraState& camera, uvc::Device& device) {
    const std::string text = run.input->ConsumeBool() ? run.input->ConsumeRandomLengthString(400) : kWrittenDocument;
    const std::size_t changes_before = flash_changing_calls();
    const uvc::Status written = device.write_json(text);
    require_vendor_idle();
    const uvc::Result<std::string> valid = uvc::minify_and_validate_json(text);
    if (!valid.ok()) {
        // Refused by the device's own checks first, or as invalid JSON.
        require(!written.ok() && (written.code() != uvc::ErrorCode::InvalidJson ||
                                  written.message() == valid.status().message()),
                "invalid JSON is refused", uvc::fuzzing::describe(written));
        require(flash_changing_calls() == changes_before, "refused JSON leaves the flash alone");
        return;
    }
    // A failed write may have erased the record (and more of its sectors).
    camera.documents.clear();
    const std::optional<std::uint32_t> address = user_space_address(device);
    if (written.ok()) {
        require(address.has_value(), "only a device with flash writes a document");
        camera.documents[*address] = KnownDocument{0, valid.value()};
    }
}

void exercise_json(Run& run, CameraState& camera, uvc::Device& device) {
    check_read(camera, device, device.read_json());
    maybe_toggle_a_camera(run);
    if (run.input->ConsumeBool()) return;
    write_document(run, camera, device);
    maybe_toggle_a_camera(run);
    check_read(camera, device, device.read_json());
}

void exercise_imu(Run& run, uvc::Device& device) {
    const uvc::Status opened = device.open_imu();
    if (!opened.ok()) {
        require_vendor_idle();
        return;
    }
    require_vendor_idle(1);
    uvc::fuzzing::require_status(device.read_json().status(), uvc::ErrorCode::InvalidArgument,
                                 "IMU must be closed before flash JSON access", "JSON access waits for the IMU");
    const int reads = run.input->ConsumeIntegralInRange(1, kMaxImuReads);
    for (int i = 0; i < reads; ++i) {
        maybe_toggle_a_camera(run);
        const uvc::Result<uvc::ReadImuResult> raw = device.read_imu();
        require_vendor_idle(1);
        if (!raw.ok()) continue;
        require(raw.value().device_timestamp <= kMaxDeviceCounter, "the device counter has 20 bits");
        const uvc::Result<uvc::ConvertedImuResult> converted = device.convert_imu(raw.value());
        require(converted.ok(), "a sample read converts", uvc::fuzzing::describe(converted.status()));
        const uvc::ConvertedImuResult& value = converted.value();
        bool finite = std::isfinite(value.temperature_c);
        for (int axis = 0; axis < 3; ++axis) {
            finite = finite && std::isfinite(value.accel_g[axis]) && std::isfinite(value.gyro_dps[axis]);
        }
        require(finite && value.timestamp_ns == raw.value().timestamp_ns, "a converted sample is finite and timed");
    }
    require(device.close_imu().ok(), "closing the IMU succeeds");
    require_vendor_idle();
}

void exercise_device(Run& run, CameraState& camera, uvc::Device device) {
    check_capability_state(run, camera, device);
    if (!run.input->ConsumeBool()) exercise_json(run, camera, device);
    if (!run.input->ConsumeBool()) exercise_imu(run, device);
    // A session left open ends with the Device (checked by the caller).
    if (run.input->ConsumeBool()) (void)device.open_imu();

    uvc::Device moved(std::move(device));
    uvc::fuzzing::require_status(device.read_json().status(), uvc::ErrorCode::InvalidArgument,  // NOLINT(bugprone-use-after-move)
                                 "device is closed or moved-from", "a moved-from Device is closed");
}

void open_each_way(Run& run, const uvc::DeviceInfo& info) {
    CameraState* camera = camera_of(run, info);
    for (const std::uint32_t required : kRequiredCapabilities) {
        maybe_toggle_a_camera(run);
        uvc::OpenDeviceOptions options;
        options.required_capabilities = required;
        uvc::Result<uvc::Device> opened = uvc::open_device(info, options);
        require_vendor_idle();
        if (required > 7) {
            uvc::fuzzing::require_status(opened.status(), uvc::ErrorCode::InvalidArgument,
                                         "open_device required_capabilities contains unknown bits",
                                         "unknown required bits are refused");
            continue;
        }
        if (!opened.ok()) {
            require(run.disturbed || camera->attached == false || required != 0,
                    "an undisturbed camera opens without requirements", uvc::fuzzing::describe(opened.status()));
            continue;
        }
        exercise_device(run, *camera, std::move(opened.value()));
        require_vendor_idle();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    uvc::test_control::set_pauses_skipped(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const GeneratedScenario scenario = uvc::fuzzing::generate_scenario(input);
    require(vcam_load_scenario_json(scenario.json.c_str()) == 0, "every generated scenario loads", vcam_last_error());

    Run run;
    run.input = &input;
    run.scenario = &scenario;
    start_run(run);

    const uvc::Result<std::vector<uvc::DeviceInfo>> scanned = uvc::scan_devices();
    check_scan(run, scanned);
    if (scanned.ok()) {
        for (const uvc::DeviceInfo& info : scanned.value()) open_each_way(run, info);
    }
    require_vendor_idle();
    // Leave an empty library behind: what this input allocated is freed within
    // it, as libFuzzer's per-input leak check expects.
    require(vcam_load_scenario_json("{}") == 0, "an empty scenario loads", vcam_last_error());
    return 0;
}
