// The capture command: a real camera becomes a virtual-camera scenario.
#include <algorithm>
#include <ostream>

#include <velmora/uvc_stereo/json.hpp>
#include <velmora/uvc_stereo/opencv_backend.hpp>

#include "camera/camera_summary.hpp"
#include "commands.hpp"
#include "camera/device_selection.hpp"
#include "output/error_report.hpp"
#include "output/file_io.hpp"
#include "output/progress_line.hpp"
#include "camera/open_camera.hpp"
#include "camera/scenario_writer.hpp"
#include "camera/stored_record.hpp"
#include "core/byte_order.hpp"
#include "output/text_table.hpp"
#include "output/utc_time.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr unsigned long long kDefaultImuSamples = 200;
constexpr unsigned long long kMaxImuSamples = 100000;
constexpr std::uint8_t kCapabilityUnit = 4;
constexpr std::uint8_t kCapabilitySelector = 11;
constexpr std::uint8_t kCapabilityLength = 64;
constexpr std::uint8_t kDescriptorProduct = 2;
constexpr std::uint8_t kDescriptorText = 3;
constexpr std::uint8_t kDescriptorSerial = 4;
constexpr std::uint64_t kFlashBit = uvc::CapabilityBits::Flash;
constexpr std::uint64_t kImuBit = uvc::CapabilityBits::Imu;
constexpr std::uint32_t kSectorSize = 4096;
constexpr std::uint32_t kVirtualFlashSize = 0x100000;
constexpr std::uint64_t kLargestVirtualFlash = 64ull * 1024 * 1024;
constexpr std::size_t kHeaderSize = 16;
// Bytes of report that only a declared section may fill: flash 15..22, IMU 23..42.
constexpr std::size_t kFlashSectionBegin = 15;
constexpr std::size_t kImuSectionBegin = 23;
constexpr std::size_t kImuSectionEnd = 43;
// Erased stretches shorter than this stay inside a block of the user space.
constexpr std::size_t kBlockGap = 32;
constexpr std::uint8_t kErased = 0xFF;

struct CapturePlan {
    std::string out;
    unsigned long long imu_samples = kDefaultImuSamples;
    bool whole_user_space = false;
};

std::string make_plan(const ParsedOptions& options, CapturePlan& plan) {
    const auto out = options.value("out");
    if (!out || out->empty()) return "capture needs --out FILE ('-' for standard output)";
    plan.out = *out;
    if (const auto samples = options.value("imu-samples")) {
        const auto parsed = parse_unsigned(*samples);
        if (!parsed || *parsed > kMaxImuSamples) {
            return "--imu-samples needs a whole number from 0 to " + std::to_string(kMaxImuSamples) + " (got '" +
                   *samples + "')";
        }
        plan.imu_samples = *parsed;
    }
    if (const auto flash = options.value("flash")) {
        if (*flash != "record" && *flash != "user-space") {
            return "--flash needs 'record' or 'user-space' (got '" + *flash + "')";
        }
        plan.whole_user_space = *flash == "user-space";
    }
    return check_selection_options(options);
}

std::string id_byte_order(const std::optional<std::array<std::uint8_t, 4>>& bytes, std::uint16_t vid,
                          std::uint16_t pid, std::vector<std::string>& notes) {
    if (!bytes) return "fail";
    const auto word = [&](std::size_t at, bool big) {
        return big ? uvc::detail::read_be16(bytes->data() + at) : uvc::detail::read_le16(bytes->data() + at);
    };
    if (word(0, true) == vid && word(2, true) == pid) return "big";
    if (word(0, false) == vid && word(2, false) == pid) return "little";
    notes.push_back("id descriptor: its bytes " + hex_bytes({bytes->begin(), bytes->end()}) +
                    " name other ids; replayed as a failing query, so the ids come from the device path");
    return "fail";
}

// Fields rebuild the report exactly only when the bytes of undeclared sections are zero.
bool fields_rebuild(const std::vector<std::uint8_t>& bytes, std::uint64_t bits) {
    const auto zero = [&](std::size_t begin, std::size_t end) {
        return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(begin),
                           bytes.begin() + static_cast<std::ptrdiff_t>(end), [](std::uint8_t b) { return b == 0; });
    };
    return ((bits & kFlashBit) != 0 || zero(kFlashSectionBegin, kImuSectionBegin)) &&
           ((bits & kImuBit) != 0 || zero(kImuSectionBegin, kImuSectionEnd));
}

CapturedCapability capture_capability(VendorSession& session, const uvc::DeviceCapabilityInfo& info) {
    CapturedCapability capability;
    const auto read = session.read_control(kCapabilityUnit, kCapabilitySelector, kCapabilityLength);
    if (!read.ok()) return capability;
    const auto& bytes = read.value();
    std::copy(bytes.begin(), bytes.end(), capability.bytes.begin());
    if (std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; })) {
        capability.form = CapabilityForm::Zeros;
    } else if (info.report && fields_rebuild(bytes, info.report->capability_bits)) {
        capability.form = CapabilityForm::Fields;
        capability.report = info.report;
    } else {
        capability.form = CapabilityForm::Hex;
    }
    return capability;
}

void capture_imu(VendorSession& session, const uvc::DeviceCapabilityInfo& info, const CapturePlan& plan,
                 CapturedCamera& camera) {
    const auto transport = effective_imu_transport(info);
    if (!transport || plan.imu_samples == 0) return;
    auto imu = std::make_optional<CapturedImu>({transport->unit, transport->selector, transport->length, {}, true});
    while (imu->samples.size() < plan.imu_samples) {
        auto sample = session.read_control(imu->node, imu->selector, imu->length);
        if (!sample.ok()) {
            camera.notes.push_back("IMU: " + sample.status().message() + " after " +
                                   std::to_string(imu->samples.size()) + " samples");
            imu->repeat = false;
            break;
        }
        imu->samples.push_back(std::move(sample.value()));
    }
    if (!imu->samples.empty()) camera.imu = std::move(imu);
}

CapturedBlock record_block(std::uint32_t address, const StoredRecord& record) {
    CapturedBlock block{address, record.bytes, std::nullopt, record.version};
    RecordHeader header;
    if (!record.validity.ok() || !decode_record_header(record.bytes, header) || header.header_size != kHeaderSize) {
        return block;
    }
    std::string payload(record.bytes.begin() + kHeaderSize, record.bytes.end());
    if (uvc::minify_and_validate_json(payload).ok()) block.json_text = std::move(payload);
    return block;
}

// The stretches of the user space that hold data, each a block.
std::vector<CapturedBlock> data_blocks(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    std::vector<CapturedBlock> blocks;
    std::size_t i = 0;
    while (i < bytes.size()) {
        while (i < bytes.size() && bytes[i] == kErased) ++i;
        if (i == bytes.size()) break;
        const std::size_t begin = i;
        std::size_t end = i;
        for (std::size_t erased_run = 0; i < bytes.size() && erased_run < kBlockGap; ++i) {
            erased_run = bytes[i] == kErased ? erased_run + 1 : 0;
            if (bytes[i] != kErased) end = i + 1;
        }
        blocks.push_back({address + static_cast<std::uint32_t>(begin),
                          std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(begin),
                                                    bytes.begin() + static_cast<std::ptrdiff_t>(end)),
                          std::nullopt, 0});
        i = end;
    }
    return blocks;
}

uvc::Result<std::vector<CapturedBlock>> flash_blocks(VendorSession& session, const uvc::FlashConfig& config,
                                                     bool whole_user_space) {
    if (whole_user_space) {
        auto bytes = session.read_flash(config.flash_user_space_address, config.flash_user_space_size);
        if (!bytes.ok()) return bytes.status();
        return data_blocks(config.flash_user_space_address, bytes.value());
    }
    const auto record = read_stored_record(session, config);
    if (!record.ok()) return record.status();
    if (record.value().blank()) return std::vector<CapturedBlock>{};
    if (!record.value().has_magic) {
        return std::vector<CapturedBlock>{{config.flash_user_space_address, record.value().bytes, std::nullopt, 0}};
    }
    return std::vector<CapturedBlock>{record_block(config.flash_user_space_address, record.value())};
}

void capture_flash(VendorSession& session, const uvc::Device& device, const CapturePlan& plan,
                   CapturedCamera& camera) {
    const auto config = effective_flash_config(device);
    if (!config) return;  // the report declares no flash: the SDK never reads it
    const std::uint64_t end = std::uint64_t{config->flash_user_space_address} + config->flash_user_space_size;
    const std::uint64_t size = std::max<std::uint64_t>(kVirtualFlashSize, (end + kSectorSize - 1) / kSectorSize * kSectorSize);
    if (size > kLargestVirtualFlash) {
        camera.notes.push_back("flash: the user space ends at " + std::to_string(end) +
                               ", beyond the 64 MiB a virtual flash holds; left out");
        return;
    }
    auto blocks = flash_blocks(session, *config, plan.whole_user_space);
    if (!blocks.ok()) {
        camera.notes.push_back("flash: " + blocks.status().message() + "; left out");
        return;
    }
    camera.flash = CapturedFlash{static_cast<std::uint32_t>(size), std::move(blocks.value())};
}

uvc::Result<CapturedCamera> capture_camera(const uvc::Device& device, const CapturePlan& plan) {
    const uvc::DeviceInfo& info = device.info();
    VendorSession session;
    if (auto attached = session.attach(info); !attached.ok()) return attached;
    CapturedCamera camera;
    camera.description = std::string("Captured by velmora-stereo ") + VELMORA_TOOL_VERSION + " from " +
                         format_vid_pid(info.vid, info.pid) + (info.name.empty() ? "" : " " + info.name) +
                         (info.serial_number.empty() ? "" : " (serial " + info.serial_number + ")") + " on " +
                         iso_utc_time(std::chrono::system_clock::now());
    camera.id = device_id_for(info.serial_number);
    camera.vid = info.vid;
    camera.pid = info.pid;
    camera.record_name = session.record_name();
    camera.device_path = session.record_path();
    camera.id_bytes = id_byte_order(session.id_bytes(), info.vid, info.pid, camera.notes);
    camera.product_name = session.descriptor_text(kDescriptorProduct);
    camera.descriptor_text = session.descriptor_text(kDescriptorText);
    camera.serial_number = session.descriptor_text(kDescriptorSerial);
    camera.firmware_version = session.firmware_version();
    camera.serial_flash_type = session.serial_flash_type();
    if (!camera.serial_flash_type) camera.notes.push_back("serial-flash type: the query failed; left at the default");
    camera.capability = capture_capability(session, device.capability_info());
    capture_imu(session, device.capability_info(), plan, camera);
    capture_flash(session, device, plan, camera);
    camera.video_name = info.name;
    camera.opencv_indices = info.opencv_indices;
    return camera;
}

std::string capability_summary(const CapturedCapability& capability) {
    switch (capability.form) {
        case CapabilityForm::Absent: return "none (the control did not answer)";
        case CapabilityForm::Zeros: return "64 zero bytes (no capability reporting)";
        case CapabilityForm::Fields: return "valid report, as fields";
        case CapabilityForm::Hex: return "64 bytes as read (not a valid report)";
    }
    return {};
}

std::string flash_summary(const CapturedCamera& camera) {
    if (!camera.flash) return "none";
    std::size_t bytes = 0;
    for (const auto& block : camera.flash->blocks) bytes += block.bytes.size();
    if (camera.flash->blocks.empty()) return "blank";
    return std::to_string(camera.flash->blocks.size()) + (camera.flash->blocks.size() == 1 ? " block, " : " blocks, ") +
           std::to_string(bytes) + " bytes from " + format_hex32(camera.flash->blocks.front().address);
}

std::string backends_summary(const CapturedCamera& camera) {
    std::string text;
    for (const auto& [backend, index] : camera.opencv_indices) {
        text += (text.empty() ? "" : " ") + std::string(uvc::opencv_backend_name(backend)) + "=" + std::to_string(index);
    }
    return text.empty() ? "none" : text;
}

void print_summary(const CapturedCamera& camera, const std::string& out_name, std::ostream& out) {
    out << "Captured " << format_vid_pid(camera.vid, camera.pid) << " "
        << (camera.serial_number ? "(serial " + *camera.serial_number + ")" : "(no serial number)") << " into "
        << out_name << ".\n";
    const std::string imu = camera.imu ? std::to_string(camera.imu->samples.size()) + " samples" : "none";
    print_key_values({{"capability", capability_summary(camera.capability)},
                      {"flash", flash_summary(camera)},
                      {"IMU", imu},
                      {"back-ends", backends_summary(camera)}},
                     out, 2);
}

}  // namespace

int run_capture(const ToolContext& context) {
    if (const int usage = check_positionals(context, "capture", 0); usage != kExitSuccess) return usage;
    CapturePlan plan;
    if (const auto problem = make_plan(context.options, plan); !problem.empty()) {
        return report_usage_error(problem, find_command("capture"), context.err);
    }
    const bool to_stdout = plan.out == "-";
    if (!to_stdout) {
        if (const auto problem = writing_problem(plan.out); !problem.empty()) {
            return report_file_problem(problem, context.err);
        }
    }
    auto camera = open_selected_camera(context, "capture", 0, kRequireNothing);
    if (!camera.device) return camera.exit_code;
    const auto captured = [&] {
        const ProgressLine progress("capturing the camera", context.err, context.err_is_terminal);
        return capture_camera(*camera.device, plan);
    }();
    if (!captured.ok()) return report_failure(captured.status(), context.err);
    const std::string text = scenario_json(captured.value());
    if (to_stdout) {
        context.out << text;
    } else if (const auto problem = write_text_file(plan.out, text); !problem.empty()) {
        return report_file_problem(problem, context.err);
    }
    for (const auto& note : captured.value().notes) context.err << "note: " << note << '\n';
    print_summary(captured.value(), to_stdout ? "standard output" : plan.out, to_stdout ? context.err : context.out);
    return kExitSuccess;
}

}  // namespace velmora::stereo_tool
