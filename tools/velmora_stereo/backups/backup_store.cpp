// The backup folder: where replaced records are kept, their file names and
// their JSON sidecars.
#include "backups/backup_store.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>
#include <velmora/uvc_stereo/flash_record.hpp>

#include "backups/flash_content.hpp"

#include "camera/device_selection.hpp"
#include "output/file_io.hpp"

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX  // keep min and max for std::min
#endif
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#endif

namespace velmora::stereo_tool {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

constexpr int kSidecarFormat = 2;
constexpr std::uint32_t kFnvOffset = 2166136261u;
constexpr std::uint32_t kFnvPrime = 16777619u;
constexpr std::size_t kTextSize = 32;
constexpr int kMaxStemAttempts = 1000;

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equal_ignoring_case(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lower(x) == lower(y);
           });
}

// Characters other than letters, digits, '.', '_' and '-' become '_', so a
// serial number is a file name on every system.
std::string file_name_safe(const std::string& text) {
    std::string safe = text;
    for (char& c : safe) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '_' || c == '-';
        if (!plain) c = '_';
    }
    return safe;
}

// FNV-1a of the lower-case path: a short, stable name for a camera without a serial number.
std::string path_digest(const std::string& path) {
    std::uint32_t hash = kFnvOffset;
    for (const char c : path) hash = (hash ^ static_cast<unsigned char>(lower(c))) * kFnvPrime;
    char text[kTextSize];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(hash));
    return text;
}

std::string folder_error(const std::string& why) {
    return "cannot find the backup folder: " + why + "; give --backup-dir DIR, or --no-backup to write without one";
}

// The value of key, or a readable reason why it is missing or of the wrong kind.
template <typename T>
bool read_field(const Json& object, const char* key, T& out, std::string& error) {
    const auto found = object.find(key);
    if (found == object.end()) {
        error = std::string("the sidecar has no \"") + key + "\"";
        return false;
    }
    try {
        out = found->template get<T>();
        return true;
    } catch (const nlohmann::json::exception&) {
        error = std::string("the sidecar's \"") + key + "\" has the wrong kind of value";
        return false;
    }
}

}  // namespace

FolderChoice xdg_backup_folder(const std::function<const char*(const char*)>& environment) {
    const char* data_home = environment("XDG_DATA_HOME");
    // Only an absolute XDG_DATA_HOME counts; a relative one is to be ignored.
    if (data_home != nullptr && data_home[0] == '/') return {fs::path(data_home) / "velmora" / "backups", {}};
    const char* home = environment("HOME");
    if (home == nullptr || home[0] == '\0') return {{}, folder_error("neither XDG_DATA_HOME nor HOME is set")};
    return {fs::path(home) / ".local" / "share" / "velmora" / "backups", {}};
}

FolderChoice default_backup_folder() {
#if defined(_WIN32)
    PWSTR local_app_data = nullptr;
    const HRESULT result = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local_app_data);
    FolderChoice choice;
    if (SUCCEEDED(result) && local_app_data != nullptr) {
        choice.folder = fs::path(local_app_data) / "Velmora" / "backups";
    } else {
        choice.error = folder_error("Windows did not name the local application-data folder");
    }
    CoTaskMemFree(local_app_data);
    return choice;
#else
    return xdg_backup_folder([](const char* name) { return std::getenv(name); });
#endif
}

BackupIdentity identity_of(const uvc_stereo::DeviceInfo& device) {
    return {device.vid, device.pid, device.serial_number, device.name, device.device_path};
}

bool same_camera(const BackupIdentity& a, const BackupIdentity& b) {
    if (a.vid != b.vid || a.pid != b.pid) return false;
    if (!a.serial_number.empty() && !b.serial_number.empty()) return equal_ignoring_case(a.serial_number, b.serial_number);
    return a.serial_number.empty() == b.serial_number.empty() && equal_ignoring_case(a.device_path, b.device_path);
}

std::string describe_camera(const BackupIdentity& camera) {
    const std::string ids = format_vid_pid(camera.vid, camera.pid);
    if (!camera.serial_number.empty()) return camera.serial_number + " (" + ids + ")";
    return ids + " at " + camera.device_path;
}

std::string backup_stem(const BackupIdentity& camera, SystemTime time) {
    const std::string who = camera.serial_number.empty()
                                ? format_vid_pid(camera.vid, camera.pid).replace(4, 1, "-") + "_" +
                                      path_digest(camera.device_path)
                                : file_name_safe(camera.serial_number);
    return who + "_" + compact_utc_time(time);
}

std::string sidecar_json(const BackupDescription& d) {
    Json json;
    json["velmora_backup"] = kSidecarFormat;
    json["camera"] = {{"vid", d.camera.vid},
                      {"pid", d.camera.pid},
                      {"serial_number", d.camera.serial_number},
                      {"name", d.camera.name},
                      {"device_path", d.camera.device_path}};
    json["time"] = d.time;
    json["reason"] = d.reason;
    json["flash_address"] = d.flash_address;
    json["user_space_size"] = d.user_space_size;
    json["content"] = d.content;
    json["record_file"] = d.record_file;
    json["record_bytes"] = d.record_bytes;
    json["record_crc32"] = d.record_crc32;
    if (d.content == "record") json["record_version"] = d.record_version;
    json["valid"] = d.valid;
    if (!d.valid) json["problem"] = d.problem;
    if (!d.first_bytes.empty()) json["first_bytes"] = d.first_bytes;
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string parse_sidecar(const std::string& text, BackupDescription& d) {
    const Json json = Json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object()) return "the sidecar is not valid JSON";
    std::string error;
    Json camera;
    const bool complete =
        read_field(json, "camera", camera, error) && read_field(camera, "vid", d.camera.vid, error) &&
        read_field(camera, "pid", d.camera.pid, error) &&
        read_field(camera, "serial_number", d.camera.serial_number, error) &&
        read_field(camera, "device_path", d.camera.device_path, error) && read_field(json, "time", d.time, error) &&
        read_field(json, "record_file", d.record_file, error);
    if (!complete) return error;
    // Sidecars of the first format have no "content": they always held a record.
    std::string ignored;
    read_field(json, "content", d.content, ignored);
    ContentKind kind = ContentKind::Record;
    if (!content_kind_from_name(d.content, kind) || kind == ContentKind::Blank) {
        return "the sidecar's \"content\" is not one the tool knows";
    }
    if (kind == ContentKind::Record && !read_field(json, "record_version", d.record_version, error)) return error;
    d.valid = kind == ContentKind::Record;
    if (json.contains("valid") && !read_field(json, "valid", d.valid, error)) return error;
    // Informational fields: absent ones keep their defaults.
    read_field(camera, "name", d.camera.name, ignored);
    read_field(json, "user_space_size", d.user_space_size, ignored);
    read_field(json, "record_crc32", d.record_crc32, ignored);
    read_field(json, "first_bytes", d.first_bytes, ignored);
    read_field(json, "reason", d.reason, ignored);
    read_field(json, "flash_address", d.flash_address, ignored);
    read_field(json, "record_bytes", d.record_bytes, ignored);
    read_field(json, "problem", d.problem, ignored);
    return {};
}

std::string checksum_text(const std::vector<std::uint8_t>& bytes) {
    char text[kTextSize];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(uvc_stereo::crc32_ieee(bytes)));
    return text;
}

fs::path sidecar_path(const fs::path& file) {
    fs::path sidecar = file;
    return sidecar.replace_extension(kSidecarExtension);
}

SavedBackup save_backup(const fs::path& folder, BackupDescription description, const std::vector<std::uint8_t>& record,
                        SystemTime time) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder, error)) {
        return {{}, "cannot create the backup folder '" + display_path(folder) +
                        "'; give --backup-dir DIR, or --no-backup to write without a backup"};
    }
    const std::string stem = backup_stem(description.camera, time);
    for (int attempt = 1; attempt <= kMaxStemAttempts; ++attempt) {
        const std::string name = attempt == 1 ? stem : stem + "-" + std::to_string(attempt);
        const fs::path record_file = folder / (name + kRecordExtension);
        if (fs::exists(record_file, error) || fs::exists(sidecar_path(record_file), error)) continue;
        description.record_file = record_file.filename().u8string();
        description.record_bytes = record.size();
        description.record_crc32 = checksum_text(record);
        if (auto problem = write_text_file(record_file, std::string(record.begin(), record.end())); !problem.empty()) {
            return {{}, problem};
        }
        if (auto problem = write_text_file(sidecar_path(record_file), sidecar_json(description)); !problem.empty()) {
            fs::remove(record_file, error);  // a record without its sidecar would only puzzle later
            return {{}, problem};
        }
        return {record_file, {}};
    }
    return {{}, "too many backups named " + stem + " in '" + display_path(folder) + "'"};
}

}  // namespace velmora::stereo_tool
