// Saving what a camera's flash holds before a command overwrites it.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include <velmora/uvc_stereo/device.hpp>
#include <velmora/uvc_stereo/records.hpp>

#include "backups/backup_store.hpp"
#include "backups/flash_content.hpp"
#include "tool_context.hpp"

namespace velmora::stereo_tool {

// --backup-dir, else the platform's folder. Empty error when usable.
FolderChoice chosen_backup_folder(const ParsedOptions& options);

// The usage problem of --backup-dir with --no-backup, or empty.
std::string check_backup_options(const ParsedOptions& options);

// Reads what the camera's user space holds (through a vendor session of its own).
uvc_stereo::Result<FlashContent> read_camera_content(const uvc_stereo::Device& device,
                                                     const uvc_stereo::FlashConfig& config);

// "414-byte record, version 1", "damaged record, 18 bytes", "blank".
std::string describe_content(const FlashContent& content);

struct BackupStep {
    std::string summary;          // the "backup" line of the command's summary
    int exit_code = kExitSuccess; // anything else: stop, nothing was written
    std::filesystem::path file;   // the saved bytes; empty when nothing was saved
};

// Unless --no-backup: saves content (anything but a blank flash) with its
// sidecar. Failing to save stops the command (the failure is reported), so
// nothing is overwritten without its backup.
BackupStep save_content_backup(const uvc_stereo::Device& device, const uvc_stereo::FlashConfig& config,
                               const FlashContent& content, const char* reason, const ToolContext& context);

// The command that puts a backup back: "velmora-stereo restore '<file>'",
// with --path when the camera has no serial number to find it by.
std::string restore_command(const std::filesystem::path& file, const uvc_stereo::DeviceInfo& camera);

// After a failed write: where the previous content is kept and the exact
// command that puts it back (records and raw content alike).
void note_backup_after_failure(const BackupStep& backup, const uvc_stereo::DeviceInfo& camera, std::ostream& err);

}  // namespace velmora::stereo_tool
