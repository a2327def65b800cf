// Tests of the backup folder's rules: where it is, how files are named, which
// camera a backup belongs to, and the sidecar that says so.
#include "backups/backup_check.hpp"
#include "backups/backup_store.hpp"

#include <gtest/gtest.h>

#include <map>

#include "test_files.hpp"

namespace velmora::stereo_tool {
namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;

// 2025-03-11T10:15:00.123Z
const SystemTime kTime = SystemTime(std::chrono::milliseconds(1741688100123LL));

BackupIdentity camera(const std::string& serial, const std::string& path = "\\\\?\\usb#vid_0c45&pid_0643#1") {
    return {0x0C45, 0x0643, serial, "Velmora Stereo S1", path};
}

TEST(BackupFolder, FollowsTheXdgRulesOutsideWindows) {
    struct Row {
        const char* label;
        std::map<std::string, std::string> environment;
        std::string folder;  // empty: no folder, an error instead
    };
    const std::vector<Row> rows = {
        {"data home wins", {{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/u"}}, "/data/velmora/backups"},
        {"relative data home is ignored", {{"XDG_DATA_HOME", "data"}, {"HOME", "/home/u"}},
         "/home/u/.local/share/velmora/backups"},
        {"empty data home is ignored", {{"XDG_DATA_HOME", ""}, {"HOME", "/home/u"}},
         "/home/u/.local/share/velmora/backups"},
        {"home alone", {{"HOME", "/home/u"}}, "/home/u/.local/share/velmora/backups"},
        {"neither", {}, ""},
        {"empty home", {{"HOME", ""}}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const FolderChoice choice = xdg_backup_folder([&](const char* name) -> const char* {
            const auto found = row.environment.find(name);
            return found == row.environment.end() ? nullptr : found->second.c_str();
        });
        EXPECT_EQ(choice.folder.generic_string(), row.folder);
        EXPECT_EQ(choice.error.empty(), !row.folder.empty()) << choice.error;
        if (row.folder.empty()) {
            EXPECT_NE(choice.error.find("--backup-dir DIR"), std::string::npos);
        }
    }
}

TEST(BackupNames, NameTheCameraAndTheTime) {
    struct Row {
        const char* label;
        BackupIdentity camera;
        std::string stem;
    };
    const std::vector<Row> rows = {
        {"serial number", camera("VLM643A00017"), "VLM643A00017_20250311T101500.123Z"},
        {"characters a file name cannot hold", camera("A/B:C*D? E"), "A_B_C_D__E_20250311T101500.123Z"},
        {"no serial number: ids and path digest", camera("", "\\\\?\\usb#vid_0c45&pid_0643#1"),
         "0c45-0643_01b1113e_20250311T101500.123Z"},
        {"the digest ignores letter case", camera("", "\\\\?\\USB#VID_0C45&PID_0643#1"),
         "0c45-0643_01b1113e_20250311T101500.123Z"},
        {"another path, another digest", camera("", "\\\\?\\usb#vid_0c45&pid_0643#2"),
         "0c45-0643_00b10fab_20250311T101500.123Z"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(backup_stem(row.camera, kTime), row.stem);
    }
}

TEST(BackupIdentityTest, SerialNumberDecidesElseTheDevicePath) {
    struct Row {
        const char* label;
        BackupIdentity a;
        BackupIdentity b;
        bool same;
    };
    BackupIdentity other_ids = camera("S1");
    other_ids.pid = 0x0645;
    const std::vector<Row> rows = {
        {"same serial, other path", camera("S1", "p1"), camera("S1", "p2"), true},
        {"serial letter case", camera("s1"), camera("S1"), true},
        {"other serial, same path", camera("S1", "p1"), camera("S2", "p1"), false},
        {"same serial, other ids", camera("S1"), other_ids, false},
        {"no serials, same path in other case", camera("", "\\\\?\\USB#1"), camera("", "\\\\?\\usb#1"), true},
        {"no serials, other path", camera("", "p1"), camera("", "p2"), false},
        {"serial on one side only", camera("S1", "p1"), camera("", "p1"), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(same_camera(row.a, row.b), row.same);
        EXPECT_EQ(same_camera(row.b, row.a), row.same);
    }
}

BackupDescription description() {
    BackupDescription d;
    d.camera = camera("VLM643A00017");
    d.time = "2025-03-11T10:15:00.123Z";
    d.reason = "write-json";
    d.flash_address = 0x51000;
    d.user_space_size = 0x10000;
    d.content = "damaged record";
    d.record_file = "x.rec";
    d.record_bytes = 414;
    d.record_crc32 = "0x12345678";
    d.valid = false;
    d.problem = "crc32 mismatch";
    d.first_bytes = "4B 56 4F 5A";
    return d;
}

TEST(Sidecar, ReadsBackWhatItWrote) {
    BackupDescription read;
    ASSERT_EQ(parse_sidecar(sidecar_json(description()), read), "");
    const BackupDescription written = description();
    EXPECT_EQ(read.camera.serial_number, written.camera.serial_number);
    EXPECT_EQ(read.camera.device_path, written.camera.device_path);
    EXPECT_EQ(read.camera.vid, written.camera.vid);
    EXPECT_EQ(read.camera.pid, written.camera.pid);
    EXPECT_EQ(read.time, written.time);
    EXPECT_EQ(read.reason, written.reason);
    EXPECT_EQ(read.flash_address, written.flash_address);
    EXPECT_EQ(read.record_file, written.record_file);
    EXPECT_EQ(read.record_bytes, written.record_bytes);
    EXPECT_EQ(read.record_version, written.record_version);
    EXPECT_EQ(read.valid, written.valid);
    EXPECT_EQ(read.problem, written.problem);
    EXPECT_EQ(read.content, written.content);
    EXPECT_EQ(read.record_crc32, written.record_crc32);
    EXPECT_EQ(read.user_space_size, written.user_space_size);
    EXPECT_EQ(read.first_bytes, written.first_bytes);
}

TEST(Sidecar, ReadsTheFirstFormatAsARecord) {
    BackupDescription read;
    ASSERT_EQ(parse_sidecar(R"({"velmora_backup": 1, "camera": {"vid": 1, "pid": 2, "serial_number": "S",
        "device_path": "p"}, "time": "t", "record_file": "r.rec", "record_bytes": 18, "record_version": 3,
        "valid": true})", read), "");
    EXPECT_EQ(read.content, "record");
    EXPECT_EQ(read.record_version, 3);
    EXPECT_TRUE(read.valid);
    EXPECT_EQ(read.record_crc32, "");
}

TEST(Sidecar, RefusesWhatItCannotUse) {
    struct Row {
        std::string text;
        std::string error;
    };
    const std::vector<Row> rows = {
        {"", "the sidecar is not valid JSON"},
        {"[1]", "the sidecar is not valid JSON"},
        {R"({"time": "t"})", "the sidecar has no \"camera\""},
        {R"({"camera": {"vid": "0c45", "pid": 1, "serial_number": "", "device_path": ""}})",
         "the sidecar's \"vid\" has the wrong kind of value"},
        {R"({"camera": {"vid": 1, "pid": 1, "serial_number": "", "device_path": ""}, "time": "t",
             "record_file": "r"})",
         "the sidecar has no \"record_version\""},
        {R"({"camera": {"vid": 1, "pid": 1, "serial_number": "", "device_path": ""}, "time": "t",
             "record_file": "r", "content": "blank"})",
         "the sidecar's \"content\" is not one the tool knows"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        BackupDescription read;
        EXPECT_EQ(parse_sidecar(row.text, read), row.error);
    }
}

BackupDescription described_at(const std::string& time) {
    BackupDescription d = description();
    d.time = time;
    return d;
}

TEST(BackupFiles, SaveNeverOverwritesAndListOldestFirst) {
    TempFolder folder;
    const fs::path backups = folder.path() / "new" / "backups";
    const SavedBackup first = save_backup(backups, described_at("2025-03-11T10:15:00.123Z"), {1, 2, 3}, kTime);
    const SavedBackup second = save_backup(backups, described_at("2025-03-11T10:15:01.000Z"), {9}, kTime);
    const SavedBackup earlier =
        save_backup(backups, described_at("2025-03-11T09:15:00.123Z"), {7}, kTime - std::chrono::hours(1));
    ASSERT_EQ(first.error, "");
    ASSERT_EQ(second.error, "");
    ASSERT_EQ(earlier.error, "");
    EXPECT_EQ(first.record_file.filename(), "VLM643A00017_20250311T101500.123Z.rec");
    EXPECT_EQ(second.record_file.filename(), "VLM643A00017_20250311T101500.123Z-2.rec");
    EXPECT_EQ(earlier.record_file.filename(), "VLM643A00017_20250311T091500.123Z.rec");
    EXPECT_EQ(test_support::read_file(first.record_file), "\x01\x02\x03");
    EXPECT_EQ(test_support::read_file(second.record_file), "\x09");

    test_support::write_file(backups / "broken.json", "{");
    const auto listed = check_backup_folder(backups);
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[0].record_file, earlier.record_file);
    EXPECT_EQ(listed[1].record_file, first.record_file);
    EXPECT_EQ(listed[2].record_file, second.record_file);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(listed[i].whole()) << listed[i].problems.front();
    EXPECT_EQ(listed[3].sidecar, backups / "broken.json");
    ASSERT_EQ(listed[3].problems.size(), 1u);
    EXPECT_EQ(listed[3].problems[0], "the sidecar cannot be used: the sidecar is not valid JSON");
}

TEST(BackupFiles, AFolderThatCannotBeMadeIsReported) {
    TempFolder folder;
    test_support::write_file(folder.path() / "file", "x");
    const SavedBackup saved = save_backup(folder.path() / "file" / "backups", description(), {1}, kTime);
    EXPECT_TRUE(saved.record_file.empty());
    EXPECT_NE(saved.error.find("cannot create the backup folder"), std::string::npos) << saved.error;
}

}  // namespace
}  // namespace velmora::stereo_tool
