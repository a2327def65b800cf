// The restore and backups commands: put a saved record back on its camera, and
// list what the backup folder holds.
#include <ostream>
#include <sstream>

#include <velmora/uvc_stereo/flash_record.hpp>
#include <velmora/uvc_stereo/flash_transport.hpp>

#include "backups/backup_store.hpp"
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

namespace fs = std::filesystem;
namespace uvc = velmora::uvc_stereo;

constexpr std::size_t kSummaryIndent = 2;
constexpr const char* kForceHint = "add --force to restore it anyway";

// A backup as given on the command line: its record and, when found, its sidecar.
struct BackupFiles {
    fs::path record_file;
    std::vector<std::uint8_t> record;
    std::optional<BackupDescription> description;
    std::string error;  // a file problem
};

std::optional<BackupDescription> read_description(const fs::path& sidecar, std::string& error) {
    std::istringstream no_input;
    std::error_code missing;
    if (!fs::exists(sidecar, missing)) return std::nullopt;
    const FileText text = read_text_file(sidecar, no_input);
    BackupDescription description;
    error = text.ok() ? parse_sidecar(text.text, description) : text.error;
    if (!error.empty()) {
        error = "cannot use the sidecar '" + display_path(sidecar) + "': " + error;
        return std::nullopt;
    }
    return description;
}

// The record file, or the sidecar naming it.
BackupFiles load_backup(const fs::path& given) {
    BackupFiles files;
    files.record_file = given;
    files.description = read_description(sidecar_path(given), files.error);
    if (!files.error.empty()) return files;
    if (given.extension() == ".json") {
        if (!files.description) {
            files.error = "cannot read '" + display_path(given) + "': no such file";
            return files;
        }
        files.record_file = given.parent_path() / fs::u8path(files.description->record_file);
    }
    std::istringstream no_input;
    const FileText bytes = read_text_file(files.record_file, no_input);
    files.error = bytes.error;
    files.record.assign(bytes.text.begin(), bytes.text.end());
    return files;
}

// Empty when the backup may go onto this camera; otherwise why not.
std::string camera_mismatch(const BackupFiles& files, const uvc::DeviceInfo& target) {
    if (!files.description) {
        return "no sidecar '" + display_path(sidecar_path(files.record_file)) +
               "' says which camera the backup came from; " + kForceHint;
    }
    const BackupIdentity target_identity = identity_of(target);
    if (same_camera(files.description->camera, target_identity)) return {};
    return "the backup was taken from camera " + describe_camera(files.description->camera) +
           ", not from the selected camera " + describe_camera(target_identity) + "; " + kForceHint;
}

// Reads the record back and compares it byte for byte with the backup.
uvc::Status verify_restored(const uvc::FlashConfig& config, const uvc::FlashBlob& restored) {
    const auto stored = uvc::read_blob_from_device(config);
    if (!stored.ok()) return stored.status();
    if (stored.value().raw != restored.raw) {
        return uvc::Status(uvc::ErrorCode::WriteFailed, "the record read back differs from the backup");
    }
    return {};
}

void print_restored(const uvc::Device& device, const BackupFiles& files, const uvc::FlashBlob& blob,
                    const BackupStep& backup, std::ostream& out) {
    const auto& info = device.info();
    out << "Restored " << display_path(files.record_file) << " on " << format_vid_pid(info.vid, info.pid)
        << (info.serial_number.empty() ? "" : " (serial " + info.serial_number + ")") << ".\n";
    std::vector<KeyValue> lines{{"record", std::to_string(blob.raw.size()) + " bytes, version " +
                                               std::to_string(blob.version)}};
    if (files.description) {
        lines.push_back({"taken", files.description->time + " from " + describe_camera(files.description->camera)});
    }
    lines.push_back({"verified", "yes (read back and compared)"});
    lines.push_back({"backup", backup.summary});
    print_key_values(lines, out, kSummaryIndent);
}

}  // namespace

int run_restore(const ToolContext& context) {
    if (const int usage = check_positionals(context, "restore", 1); usage != kExitSuccess) return usage;
    if (const auto problem = check_backup_options(context.options); !problem.empty()) {
        return report_usage_error(problem, find_command("restore"), context.err);
    }
    const BackupFiles files = load_backup(context.options.positionals.front());
    if (!files.error.empty()) return report_file_problem(files.error, context.err);

    auto camera = open_selected_camera(context, "restore", 1, kRequireFlash);
    if (!camera.device) return camera.exit_code;
    const uvc::Device& device = *camera.device;
    if (!context.options.has("force")) {
        if (const auto mismatch = camera_mismatch(files, device.info()); !mismatch.empty()) {
            return report_file_problem(mismatch, context.err);
        }
    }
    const auto config = effective_flash_config(device);
    if (!config) return report_failure(uvc::Status(uvc::ErrorCode::NotSupported, "the camera declares no flash"), context.err);
    const auto blob = uvc::parse_and_validate_raw_blob(files.record, *config);
    if (!blob.ok()) {
        return report_failure("the backup does not hold a record this camera accepts", blob.status(), context.err);
    }
    const BackupStep backup = back_up_stored_record(device, *config, "restore", context);
    if (backup.exit_code != kExitSuccess) return backup.exit_code;
    uvc::Status written = uvc::write_blob_to_device(*config, blob.value());
    if (written.ok()) written = verify_restored(*config, blob.value());
    if (!written.ok()) {
        report_failure(written, context.err);
        note_backup_after_failure(backup, context.err);
        return kExitFailure;
    }
    print_restored(device, files, blob.value(), backup, context.out);
    return kExitSuccess;
}

int run_backups(const ToolContext& context) {
    if (const int usage = check_positionals(context, "backups", 0); usage != kExitSuccess) return usage;
    if (const auto problem = check_selection_options(context.options); !problem.empty()) {
        return report_usage_error(problem, find_command("backups"), context.err);
    }
    const FolderChoice folder = chosen_backup_folder(context.options);
    if (!folder.error.empty()) return report_file_problem(folder.error, context.err);
    std::optional<BackupIdentity> wanted;
    if (context.options.has("index") || context.options.has("serial") || context.options.has("path")) {
        const auto selected = select_device(context.options);
        if (!selected.ok()) return report_failure(selected.status(), context.err);
        wanted = identity_of(selected.value());
    }
    std::vector<std::string> problems;
    const auto listed = list_backups(folder.folder, problems);
    for (const auto& problem : problems) context.err << "warning: skipped " << problem << '\n';
    TextTable table({{"Time"}, {"Camera"}, {"Version", Align::Right}, {"Bytes", Align::Right}, {"Valid"},
                     {"Replaced by"}, {"Record file"}});
    std::size_t shown = 0;
    for (const auto& backup : listed) {
        const auto& d = backup.description;
        if (wanted && !same_camera(*wanted, d.camera)) continue;
        table.add_row({d.time, describe_camera(d.camera), std::to_string(d.record_version),
                       std::to_string(d.record_bytes), d.valid ? "yes" : "no: " + d.problem, d.reason, d.record_file});
        ++shown;
    }
    const std::string of_camera = wanted ? " of " + describe_camera(*wanted) : "";
    if (shown == 0) {
        context.out << "No backups" << of_camera << " in " << display_path(folder.folder) << ".\n";
        return kExitSuccess;
    }
    context.out << "Backups" << of_camera << " in " << display_path(folder.folder) << ":\n\n";
    table.print(context.out);
    return kExitSuccess;
}

}  // namespace velmora::stereo_tool
