// Saving a camera's stored record before a command overwrites it.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include <velmora/uvc_stereo/device.hpp>
#include <velmora/uvc_stereo/records.hpp>

#include "backups/backup_store.hpp"
#include "tool_context.hpp"

namespace velmora::stereo_tool {

// --backup-dir, else the platform's folder. Empty error when usable.
FolderChoice chosen_backup_folder(const ParsedOptions& options);

// The usage problem of --backup-dir with --no-backup, or empty.
std::string check_backup_options(const ParsedOptions& options);

struct BackupStep {
    std::string summary;          // the "backup" line of the command's summary
    int exit_code = kExitSuccess; // anything else: stop, nothing was written
    std::filesystem::path file;   // the saved record; empty when nothing was saved
};

// Unless --no-backup: reads the record the camera holds (valid or not) and
// saves it with its sidecar. A flash without a record has nothing to save,
// which the summary says. Failing to save stops the command, so no document
// is overwritten without its backup.
BackupStep back_up_stored_record(const uvc_stereo::Device& device, const uvc_stereo::FlashConfig& config,
                                 const char* reason, const ToolContext& context);

// After a failed write: where the record that was there before is kept.
void note_backup_after_failure(const BackupStep& backup, std::ostream& err);

}  // namespace velmora::stereo_tool
