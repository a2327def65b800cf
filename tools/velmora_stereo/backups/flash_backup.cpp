// Saving a camera's stored record before a command overwrites it.
#include "backups/flash_backup.hpp"

#include <ostream>

#include "camera/camera_summary.hpp"
#include "output/error_report.hpp"
#include "output/file_io.hpp"
#include "camera/stored_record.hpp"
#include "camera/vendor_session.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr const char* kNoBackupHint = "use --no-backup to go on without a backup";

uvc::Result<StoredRecord> read_record_as_stored(const uvc::Device& device, const uvc::FlashConfig& config) {
    VendorSession session;
    if (const auto attached = session.attach(device.info()); !attached.ok()) return attached;
    return read_stored_record(session, config);
}

std::string saved_summary(const std::filesystem::path& file, const StoredRecord& record) {
    return display_path(file) + " (" + std::to_string(record.bytes.size()) + "-byte record, version " +
           std::to_string(record.version) + (record.validity.ok() ? ", valid" : ", not valid: " + record.validity.message()) +
           ")";
}

BackupStep nothing_saved(std::string summary) { return {std::move(summary), kExitSuccess, {}}; }
BackupStep stopped(int exit_code) { return {{}, exit_code, {}}; }

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

BackupStep back_up_stored_record(const uvc::Device& device, const uvc::FlashConfig& config, const char* reason,
                                 const ToolContext& context) {
    if (context.options.has("no-backup")) return nothing_saved("none (--no-backup)");
    const FolderChoice folder = chosen_backup_folder(context.options);
    if (!folder.error.empty()) return stopped(report_file_problem(folder.error, context.err));
    const auto stored = read_record_as_stored(device, config);
    if (!stored.ok()) {
        return stopped(report_failure(std::string("cannot read the stored record to back it up (") + kNoBackupHint +
                                          ")",
                                      stored.status(), context.err));
    }
    const StoredRecord& record = stored.value();
    if (!record.has_magic) {
        return nothing_saved("none (no document was stored: " + record.validity.message() + ")");
    }
    const auto now = std::chrono::system_clock::now();
    BackupDescription description{identity_of(device.info()), iso_utc_time(now), reason,
                                  config.flash_user_space_address, {}, record.bytes.size(), record.version,
                                  record.validity.ok(), record.validity.message()};
    const SavedBackup saved = save_backup(folder.folder, description, record.bytes, now);
    if (!saved.error.empty()) return stopped(report_file_problem(saved.error + " (" + kNoBackupHint + ")", context.err));
    return {saved_summary(saved.record_file, record), kExitSuccess, saved.record_file};
}

void note_backup_after_failure(const BackupStep& backup, std::ostream& err) {
    if (backup.file.empty()) return;
    err << "note: the record the camera held before is saved in " << display_path(backup.file)
        << "; 'velmora-stereo restore " << display_path(backup.file) << "' puts it back\n";
}

}  // namespace velmora::stereo_tool
