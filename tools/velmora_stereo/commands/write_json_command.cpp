// The write-json command: validate, minify, back up the stored record, store
// the new document and verify it.
#include <ostream>
#include <vector>

#include <velmora/uvc_stereo/flash_record.hpp>
#include <velmora/uvc_stereo/json.hpp>

#include "camera/camera_summary.hpp"
#include "commands.hpp"
#include "camera/device_selection.hpp"
#include "output/error_report.hpp"
#include "output/file_io.hpp"
#include "backups/flash_backup.hpp"
#include "camera/open_camera.hpp"
#include "camera/stored_record.hpp"
#include "output/text_table.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr std::size_t kSummaryIndent = 2;

std::vector<std::uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

std::string record_text(std::size_t size, const uvc::FlashConfig& config) {
    return std::to_string(size) + " bytes of the " + std::to_string(config.flash_user_space_size) +
           "-byte user space at " + format_hex32(config.flash_user_space_address);
}

// Reads the document back and compares it with what was meant to be stored.
uvc::Status verify_stored(uvc::Device& device, const std::string& minified) {
    const auto stored = device.read_json();
    if (!stored.ok()) return stored.status();
    if (stored.value().json != minified) {
        return uvc::Status(uvc::ErrorCode::WriteFailed, "the document read back differs from the one written");
    }
    return {};
}

// The record the document becomes, built as the SDK builds it (version 0);
// refused with the sizes named when it does not fit the camera's user space.
uvc::Result<uvc::FlashBlob> build_record(const std::string& minified, const uvc::FlashConfig& config,
                                         const ToolContext& context, int& exit_code) {
    auto blob = uvc::build_blob(0, bytes_of(minified), config);
    if (!blob.ok() && blob.status().code() == uvc::ErrorCode::InvalidLength) {
        exit_code = report_failure("the minified document has " + std::to_string(minified.size()) +
                                       " bytes, but the camera's flash user space holds " +
                                       std::to_string(config.flash_user_space_size) + " bytes including the " +
                                       std::to_string(config.min_header_size) + "-byte record header",
                                   blob.status(), context.err);
    } else if (!blob.ok()) {
        exit_code = report_failure(blob.status(), context.err);
    }
    return blob;
}

}  // namespace

int run_write_json(const ToolContext& context) {
    if (const int usage = check_positionals(context, "write-json", 1); usage != kExitSuccess) return usage;
    if (const auto problem = check_backup_options(context.options); !problem.empty()) {
        return report_usage_error(problem, find_command("write-json"), context.err);
    }
    const std::string& path = context.options.positionals.front();
    const FileText input = read_text_file(path, context.in);
    if (!input.ok()) return report_file_problem(input.error, context.err);
    if (input.had_bom) context.err << byte_order_mark_note(path) << '\n';
    // Validate before touching the camera, so a typo never reaches the flash.
    const auto minified = uvc::minify_and_validate_json(input.text);
    if (!minified.ok()) return report_failure(minified.status(), context.err);

    auto camera = open_selected_camera(context, "write-json", 1, kRequireFlash);
    if (!camera.device) return camera.exit_code;
    uvc::Device& device = *camera.device;
    const auto config = effective_flash_config(device);
    if (!config) return report_failure(uvc::Status(uvc::ErrorCode::NotSupported, "the camera declares no flash"), context.err);
    int exit_code = kExitSuccess;
    const auto record = build_record(minified.value(), *config, context, exit_code);
    if (!record.ok()) return exit_code;

    const BackupStep backup = back_up_stored_record(device, *config, "write-json", context);
    if (backup.exit_code != kExitSuccess) return backup.exit_code;
    if (const auto written = device.write_json(input.text); !written.ok()) {
        report_failure(written, context.err);
        note_backup_after_failure(backup, context.err);
        return kExitFailure;
    }
    const auto verified = verify_stored(device, minified.value());
    if (!verified.ok()) return report_failure(verified, context.err);

    const auto& info = device.info();
    context.out << "Stored the JSON document on " << format_vid_pid(info.vid, info.pid)
                << (info.serial_number.empty() ? "" : " (serial " + info.serial_number + ")") << ".\n";
    print_key_values({{"input", std::to_string(input.text.size()) + " bytes"},
                      {"minified", std::to_string(minified.value().size()) + " bytes"},
                      {"record", record_text(record.value().raw.size(), *config)},
                      {"verified", "yes (read back and compared)"},
                      {"backup", backup.summary}},
                     context.out, kSummaryIndent);
    return kExitSuccess;
}

}  // namespace velmora::stereo_tool
