// Checking backups instead of trusting their sidecars.
#include "backups/backup_check.hpp"

#include <algorithm>
#include <sstream>
#include <system_error>

#include <velmora/uvc_stereo/flash_record.hpp>

#include "output/file_io.hpp"

namespace velmora::stereo_tool {
namespace {

namespace fs = std::filesystem;
namespace uvc = velmora::uvc_stereo;


bool read_bytes(const fs::path& file, std::vector<std::uint8_t>& bytes, std::string& error) {
    std::istringstream no_input;
    const FileText text = read_file_bytes(file, no_input);
    if (!text.ok()) {
        error = text.error;
        return false;
    }
    bytes.assign(text.text.begin(), text.text.end());
    return true;
}

// What the bytes of a backup say against its sidecar.
void check_against(const BackupDescription& d, CheckedBackup& checked) {
    if (checked.bytes.size() != d.record_bytes) {
        checked.problems.push_back("the record file has " + std::to_string(checked.bytes.size()) +
                                   " bytes, the sidecar says " + std::to_string(d.record_bytes));
    }
    if (!d.record_crc32.empty() && checksum_text(checked.bytes) != d.record_crc32) {
        checked.problems.push_back("the record file's checksum is " + checksum_text(checked.bytes) +
                                   ", the sidecar says " + d.record_crc32);
    }
    if (d.content == "record" && d.valid) {
        uvc::FlashConfig config;
        config.flash_user_space_size = static_cast<std::uint32_t>(std::max<std::size_t>(checked.bytes.size(), 1));
        if (const auto parsed = uvc::parse_and_validate_raw_blob(checked.bytes, config); !parsed.ok()) {
            checked.problems.push_back("the record no longer validates: " + parsed.status().message());
        }
    }
}

bool older(const CheckedBackup& a, const CheckedBackup& b) {
    if (a.description && b.description && a.description->time != b.description->time) {
        return a.description->time < b.description->time;
    }
    if (a.description.has_value() != b.description.has_value()) return a.description.has_value();
    return (a.sidecar.empty() ? a.record_file : a.sidecar) < (b.sidecar.empty() ? b.record_file : b.sidecar);
}

}  // namespace

CheckedBackup check_backup_pair(const fs::path& sidecar) {
    CheckedBackup checked;
    checked.sidecar = sidecar;
    std::istringstream no_input;
    const FileText text = read_text_file(sidecar, no_input);
    BackupDescription description;
    const std::string problem = text.ok() ? parse_sidecar(text.text, description) : text.error;
    if (!problem.empty()) {
        checked.problems.push_back("the sidecar cannot be used: " + problem);
        return checked;
    }
    checked.record_file = sidecar.parent_path() / fs::u8path(description.record_file);
    checked.description = description;
    std::error_code error;
    if (!fs::is_regular_file(checked.record_file, error)) {
        checked.problems.push_back("its record file " + description.record_file + " is missing");
        return checked;
    }
    std::string read_error;
    if (!read_bytes(checked.record_file, checked.bytes, read_error)) {
        checked.problems.push_back(read_error);
        return checked;
    }
    check_against(description, checked);
    return checked;
}

std::vector<CheckedBackup> check_backup_folder(const fs::path& folder) {
    std::vector<CheckedBackup> checked;
    std::vector<fs::path> records;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        if (path.extension() == kSidecarExtension) checked.push_back(check_backup_pair(path));
        if (path.extension() == kRecordExtension) records.push_back(path);
    }
    for (const auto& record : records) {
        const bool named = std::any_of(checked.begin(), checked.end(), [&](const CheckedBackup& c) {
            return c.description && c.record_file == record;
        });
        if (named) continue;
        CheckedBackup orphan;
        orphan.record_file = record;
        orphan.problems.push_back("no sidecar: nothing says which camera it came from or what it holds");
        checked.push_back(std::move(orphan));
    }
    std::sort(checked.begin(), checked.end(), older);
    return checked;
}

CheckedBackup check_given_backup(const fs::path& given) {
    std::error_code error;
    const fs::path sidecar = sidecar_path(given);
    if (given.extension() == kSidecarExtension || fs::exists(sidecar, error)) return check_backup_pair(sidecar);
    CheckedBackup checked;
    checked.record_file = given;
    std::string read_error;
    if (!read_bytes(given, checked.bytes, read_error)) checked.problems.push_back(read_error);
    return checked;
}

}  // namespace velmora::stereo_tool
