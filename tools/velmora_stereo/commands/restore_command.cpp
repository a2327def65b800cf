// The restore command: put a backup back on the camera it came from (or,
// when told so, on another one), backing up what that camera holds first.
#include <algorithm>
#include <ostream>

#include <velmora/uvc_stereo/flash_record.hpp>
#include <velmora/uvc_stereo/flash_transport.hpp>

#include "backups/backup_check.hpp"
#include "backups/flash_backup.hpp"
#include "camera/camera_summary.hpp"
#include "camera/device_selection.hpp"
#include "camera/open_camera.hpp"
#include "camera/raw_flash.hpp"
#include "camera/stored_record.hpp"
#include "command_line/interrupt.hpp"
#include "commands.hpp"
#include "output/error_report.hpp"
#include "output/file_io.hpp"
#include "output/progress_line.hpp"
#include "output/text_table.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr std::size_t kSummaryIndent = 2;
constexpr std::uint8_t kErased = 0xFF;
constexpr const char* kForceHint = "add --force to restore it anyway";

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const auto& part : parts) text += (text.empty() ? "" : "; ") + part;
    return text;
}

// What the backup holds: its sidecar's word, or for a bare record file what its bytes are.
std::string content_of(const CheckedBackup& backup) {
    // Sidecars of the first format kept damaged records as "record" with "valid": false.
    if (backup.description) {
        const BackupDescription& d = *backup.description;
        return d.content == "record" && !d.valid ? "damaged record" : d.content;
    }
    uvc::FlashConfig config;
    config.flash_user_space_size = static_cast<std::uint32_t>(std::max<std::size_t>(backup.bytes.size(), 1));
    return uvc::parse_and_validate_raw_blob(backup.bytes, config).ok() ? "record" : "unknown content";
}

// Empty when the backup may go onto this camera; otherwise why not.
std::string camera_mismatch(const CheckedBackup& backup, const uvc::DeviceInfo& target) {
    if (!backup.description) {
        return "no sidecar '" + display_path(sidecar_path(backup.record_file)) +
               "' says which camera the backup came from; " + kForceHint;
    }
    const BackupIdentity target_identity = identity_of(target);
    if (same_camera(backup.description->camera, target_identity)) return {};
    return "the backup was taken from camera " + describe_camera(backup.description->camera) +
           ", not from the selected camera " + describe_camera(target_identity) + "; " + kForceHint;
}

// The camera to write to: the one the options choose, else the one the backup names.
OpenedCamera choose_camera(const CheckedBackup& backup, const ToolContext& context) {
    if (const auto problem = check_selection_options(context.options); !problem.empty()) {
        return {{}, report_usage_error(problem, find_command("restore"), context.err)};
    }
    if (selection_given(context.options)) return open_selected_camera(context, "restore", 1, kRequireFlash);
    if (!backup.description) {
        return {{}, report_usage_error("without its sidecar the backup does not say which camera it came from; "
                                       "choose the camera with --index, --serial or --path and add --force",
                                       find_command("restore"), context.err)};
    }
    const BackupIdentity& named = backup.description->camera;
    const SelectedCamera selected = select_named_camera(named.vid, named.pid, named.serial_number, named.device_path);
    if (!selected.device) return {{}, report_selection_problem(selected, "restore", context.err)};
    return open_camera(*selected.device, kRequireFlash, context);
}

// Reads back what was written and compares it byte for byte.
uvc::Status verify_restored(const uvc::FlashConfig& config, const std::vector<std::uint8_t>& expected) {
    const auto stored = uvc::read_blob_from_device(config);
    if (!stored.ok()) return stored.status();
    if (stored.value().raw != expected) {
        return uvc::Status(uvc::ErrorCode::WriteFailed, "the record read back differs from the backup");
    }
    return {};
}

// The backup's bytes, then erased bytes over whatever the camera holds now
// beyond them, so the user space ends up exactly as it was when saved.
std::vector<std::uint8_t> raw_image(const std::vector<std::uint8_t>& saved, const FlashContent& current) {
    std::vector<std::uint8_t> image = saved;
    if (current.bytes.size() > image.size()) image.resize(current.bytes.size(), kErased);
    return image;
}

uvc::Status put_back(const std::string& content, const CheckedBackup& backup, const uvc::FlashConfig& config,
                     const FlashContent& current, const ToolContext& context) {
    const FinishingWrite finishing;
    const ProgressLine progress("writing the flash (erase, write, read back)", context.err, context.err_is_terminal);
    if (content != "record") return write_user_space_raw(config, raw_image(backup.bytes, current));
    const auto blob = uvc::parse_and_validate_raw_blob(backup.bytes, config);
    if (!blob.ok()) return blob.status();
    if (auto written = uvc::write_blob_to_device(config, blob.value()); !written.ok()) return written;
    return verify_restored(config, blob.value().raw);
}

// Empty when the content can go onto this camera; otherwise the failure.
uvc::Status check_restorable(const std::string& content, const CheckedBackup& backup, const uvc::FlashConfig& config) {
    if (content == "record") {
        const auto blob = uvc::parse_and_validate_raw_blob(backup.bytes, config);
        return blob.ok() ? uvc::Status() : blob.status();
    }
    if (backup.bytes.empty()) return uvc::Status(uvc::ErrorCode::InvalidLength, "the backup holds no bytes");
    if (backup.bytes.size() > config.flash_user_space_size) {
        return uvc::Status(uvc::ErrorCode::InvalidLength, "the backup holds " + std::to_string(backup.bytes.size()) +
                                                              " bytes, more than the camera's " +
                                                              std::to_string(config.flash_user_space_size) +
                                                              "-byte user space");
    }
    return {};
}

void print_restored(const uvc::Device& device, const CheckedBackup& backup, const std::string& content,
                    const BackupStep& saved, std::ostream& out) {
    const auto& info = device.info();
    out << "Restored " << display_path(backup.record_file) << " on " << format_vid_pid(info.vid, info.pid)
        << (info.serial_number.empty() ? "" : " (serial " + info.serial_number + ")") << ".\n";
    std::string what = std::to_string(backup.bytes.size()) + " bytes";
    what += content == "record" && backup.description
                ? ", record version " + std::to_string(backup.description->record_version)
                : ", " + content;
    std::vector<KeyValue> lines{{"restored", what}};
    if (backup.description) {
        lines.push_back({"taken", backup.description->time + " from " + describe_camera(backup.description->camera)});
    }
    lines.push_back({"verified", "yes (read back and compared)"});
    lines.push_back({"backup", saved.summary});
    print_key_values(lines, out, kSummaryIndent);
}

}  // namespace

int run_restore(const ToolContext& context) {
    if (const int usage = check_positionals(context, "restore", 1); usage != kExitSuccess) return usage;
    if (const auto problem = check_backup_options(context.options); !problem.empty()) {
        return report_usage_error(problem, find_command("restore"), context.err);
    }
    const CheckedBackup backup = check_given_backup(context.options.positionals.front());
    if (!backup.whole()) {
        return report_file_problem("cannot restore '" + context.options.positionals.front() + "': " +
                                       joined(backup.problems),
                                   context.err);
    }
    auto camera = choose_camera(backup, context);
    if (!camera.device) return camera.exit_code;
    const uvc::Device& device = *camera.device;
    if (selection_given(context.options) && !context.options.has("force")) {
        if (const auto mismatch = camera_mismatch(backup, device.info()); !mismatch.empty()) {
            return report_file_problem(mismatch, context.err);
        }
    }
    const auto config = effective_flash_config(device);
    if (!config) return report_failure(uvc::Status(uvc::ErrorCode::NotSupported, "the camera declares no flash"), context.err);
    const std::string content = content_of(backup);
    if (const auto problem = check_restorable(content, backup, *config); !problem.ok()) {
        return report_failure("the backup cannot go onto this camera", problem, context.err);
    }

    const InterruptWatch watch;
    const auto current = read_camera_content(device, *config);
    if (!current.ok() && !context.options.has("no-backup")) {
        return report_failure("cannot read what the camera holds to back it up (use --no-backup to go on without a backup)",
                              current.status(), context.err);
    }
    const FlashContent held = current.ok() ? current.value() : FlashContent{};
    const BackupStep saved = save_content_backup(device, *config, held, "restore", context);
    if (saved.exit_code != kExitSuccess) return saved.exit_code;
    if (!saved.file.empty()) context.err << "Saved what the camera holds to " << display_path(saved.file) << ".\n";
    if (watch.requested()) {
        context.err << "Stopped by " << watch.cause() << " before writing; the camera keeps what it held.\n";
        return watch.exit_status();
    }
    if (const auto written = put_back(content, backup, *config, held, context); !written.ok()) {
        report_failure(written, context.err);
        note_backup_after_failure(saved, device.info(), context.err);
        return kExitFailure;
    }
    print_restored(device, backup, content, saved, context.out);
    if (!watch.requested()) return kExitSuccess;
    context.err << "Interrupted by " << watch.cause() << "; the write was finished first.\n";
    return watch.exit_status();
}

}  // namespace velmora::stereo_tool
