// The backup folder: where the records that write-json and restore replace are
// kept, how the files are named, and the JSON sidecar that describes each one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <velmora/uvc_stereo/records.hpp>

#include "output/utc_time.hpp"

namespace velmora::stereo_tool {

struct FolderChoice {
    std::filesystem::path folder;
    std::string error;  // empty when folder is usable
};

// The platform's folder: %LOCALAPPDATA%\Velmora\backups on Windows (asked of
// the shell), $XDG_DATA_HOME/velmora/backups or ~/.local/share/velmora/backups
// elsewhere.
FolderChoice default_backup_folder();
// The rule used outside Windows, with the environment given as a lookup.
FolderChoice xdg_backup_folder(const std::function<const char*(const char*)>& environment);

// A backup is two files of one name: the saved bytes and the sidecar.
inline constexpr const char* kRecordExtension = ".rec";
inline constexpr const char* kSidecarExtension = ".json";

// The camera a backup was taken from.
struct BackupIdentity {
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    std::string serial_number;
    std::string name;
    std::string device_path;
};
BackupIdentity identity_of(const uvc_stereo::DeviceInfo& device);
// The same serial number and ids; without a serial number on either side, the
// same ids and device path (letter case ignored).
bool same_camera(const BackupIdentity& a, const BackupIdentity& b);
// "VLM643A00017 (0c45:0643)" or "0c45:0643 at <path>", for messages.
std::string describe_camera(const BackupIdentity& camera);

// What the sidecar says about one backup.
struct BackupDescription {
    BackupIdentity camera;
    std::string time;         // "2025-03-11T10:15:00.123Z"
    std::string reason;       // the command that replaced the record
    std::uint32_t flash_address = 0;
    std::uint32_t user_space_size = 0;  // 0 in sidecars older than the field
    // "record", "damaged record" or "unknown content" (content_kind_name).
    std::string content = "record";
    std::string record_file;  // file name of the saved bytes, beside the sidecar
    std::size_t record_bytes = 0;
    std::string record_crc32; // "0x1A2B3C4D", CRC-32 of the file; empty in older sidecars
    std::uint16_t record_version = 0;
    bool valid = false;
    std::string problem;      // why the bytes are no valid record
    std::string first_bytes;  // hex of the leading bytes, for what is not a valid record
};

// "0x1A2B3C4D": the checksum a sidecar keeps of its file.
std::string checksum_text(const std::vector<std::uint8_t>& bytes);

std::string sidecar_json(const BackupDescription& description);
// Empty error on success.
std::string parse_sidecar(const std::string& text, BackupDescription& description);

// "VLM643A00017_20250311T101500.123Z"; without a serial number the ids and a
// digest of the device path: "0c45-0643_1a2b3c4d_20250311T101500.123Z".
std::string backup_stem(const BackupIdentity& camera, SystemTime time);

// Writes <stem>.rec (the raw record) and <stem>.json (the sidecar, whose
// record_file this fills in) into folder, creating it when missing; a stem
// already taken gets "-2", "-3", ... Returns the record file, or error.
struct SavedBackup {
    std::filesystem::path record_file;
    std::string error;
};
SavedBackup save_backup(const std::filesystem::path& folder, BackupDescription description,
                        const std::vector<std::uint8_t>& record, SystemTime time);

// The sidecar beside a record file (or the file itself when it is one).
std::filesystem::path sidecar_path(const std::filesystem::path& file);

}  // namespace velmora::stereo_tool
