// Saving what a camera's flash holds before a command overwrites it.
#include "backups/flash_backup.hpp"

#include <ostream>

#include "camera/vendor_session.hpp"
#include "command_line/help_text.hpp"
#include "command_line/shell_quote.hpp"
#include "output/error_report.hpp"
#include "output/file_io.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr const char* kNoBackupHint = "use --no-backup to go on without a backup";
constexpr std::size_t kLeadingBytes = 16;

BackupStep nothing_saved(std::string summary) { return {std::move(summary), kExitSuccess, {}}; }
BackupStep stopped(int exit_code) { return {{}, exit_code, {}}; }

BackupDescription describe_for_sidecar(const uvc::Device& device, const uvc::FlashConfig& config,
                                       const FlashContent& content, const char* reason, const std::string& time) {
    BackupDescription d;
    d.camera = identity_of(device.info());
    d.time = time;
    d.reason = reason;
    d.flash_address = config.flash_user_space_address;
    d.user_space_size = config.flash_user_space_size;
    d.content = content_kind_name(content.kind);
    d.record_version = content.version;
    d.valid = content.kind == ContentKind::Record;
    if (!d.valid) {
        d.problem = content.validity.message();
        d.first_bytes = leading_bytes_hex(content.bytes, kLeadingBytes);
    }
    return d;
}

}  // namespace

std::string check_backup_options(const ParsedOptions& options) {
    if (options.has("backup-dir") && options.has("no-backup")) return "give either --backup-dir or --no-backup, not both";
    if (options.has("backup-dir") && options.value("backup-dir")->empty()) return "--backup-dir needs a folder";
    return {};
}

FolderChoice chosen_backup_folder(const ParsedOptions& options) {
    if (const auto folder = options.value("backup-dir")) return {std::filesystem::path(*folder), {}};
    return default_backup_folder();
}

uvc::Result<FlashContent> read_camera_content(const uvc::Device& device, const uvc::FlashConfig& config) {
    VendorSession session;
    if (const auto attached = session.attach(device.info()); !attached.ok()) return attached;
    return read_flash_content(session, config);
}

std::string describe_content(const FlashContent& content) {
    switch (content.kind) {
        case ContentKind::Blank: return "blank";
        case ContentKind::Record:
            return std::to_string(content.bytes.size()) + "-byte record, version " + std::to_string(content.version);
        case ContentKind::DamagedRecord:
        case ContentKind::UnknownContent:
            return std::string(content_kind_name(content.kind)) + ", " + std::to_string(content.bytes.size()) +
                   " bytes of the user space kept raw";
    }
    return {};
}

BackupStep save_content_backup(const uvc::Device& device, const uvc::FlashConfig& config, const FlashContent& content,
                               const char* reason, const ToolContext& context) {
    if (context.options.has("no-backup")) return nothing_saved("none (--no-backup)");
    if (content.kind == ContentKind::Blank) {
        return nothing_saved("none (the flash is blank: every byte of the user space is erased)");
    }
    const FolderChoice folder = chosen_backup_folder(context.options);
    if (!folder.error.empty()) return stopped(report_file_problem(folder.error, context.err));
    const auto now = std::chrono::system_clock::now();
    const BackupDescription description = describe_for_sidecar(device, config, content, reason, iso_utc_time(now));
    const SavedBackup saved = save_backup(folder.folder, description, content.bytes, now);
    if (!saved.error.empty()) return stopped(report_file_problem(saved.error + " (" + kNoBackupHint + ")", context.err));
    return {display_path(saved.record_file) + " (" + describe_content(content) + ")", kExitSuccess, saved.record_file};
}

std::string restore_command(const std::filesystem::path& file, const uvc::DeviceInfo& camera) {
    std::string command = std::string(kToolName) + " restore " + shell_quote(display_path(file));
    if (camera.serial_number.empty()) command += " --path " + shell_quote(camera.device_path);
    return command;
}

void note_backup_after_failure(const BackupStep& backup, const uvc::DeviceInfo& camera, std::ostream& err) {
    if (backup.file.empty()) return;
    err << "note: what the camera held before is saved in " << display_path(backup.file) << '\n';
    err << "note: to put it back, run: " << restore_command(backup.file, camera) << '\n';
}

}  // namespace velmora::stereo_tool
