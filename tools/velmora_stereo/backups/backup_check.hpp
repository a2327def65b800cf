// Checking backups instead of trusting their sidecars: every file against
// the size and checksum its sidecar names, and the files that lack a partner.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "backups/backup_store.hpp"

namespace velmora::stereo_tool {

struct CheckedBackup {
    std::filesystem::path record_file;  // empty when there is none to name
    std::filesystem::path sidecar;      // empty when there is none
    std::optional<BackupDescription> description;
    std::vector<std::uint8_t> bytes;    // the record file's bytes, when it was read
    std::vector<std::string> problems;  // what is wrong; empty for a whole backup

    bool whole() const { return problems.empty(); }
};

// One backup: the sidecar with its record file, both checked.
CheckedBackup check_backup_pair(const std::filesystem::path& sidecar);

// Every backup of folder: sidecars with their record files (oldest first),
// then record files without a sidecar and sidecars that cannot be read.
std::vector<CheckedBackup> check_backup_folder(const std::filesystem::path& folder);

// A record file (or its sidecar) given on the command line; a record without
// a sidecar is not a problem here, only unknown in origin.
CheckedBackup check_given_backup(const std::filesystem::path& given);

}  // namespace velmora::stereo_tool
