// Tests of backups that are checked instead of trusted, and of restore
// finding the camera a backup came from.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sonix_virtual/vcam_control.hpp>

#include "test_files.hpp"
#include "tool_runner.hpp"

namespace velmora::stereo_tool {
namespace {

namespace fs = std::filesystem;
using test_support::contains;
using test_support::run;

class BackupChecks : public test_support::DefaultCamerasTest {
protected:

    // A backup of camera index's document, taken by write-json; returns its record file.
    fs::path take_backup(const std::string& index, const std::string& document) {
        const auto result = run({"write-json", "--index", index, "--json", "--backup-dir", folder(), "-"}, document);
        EXPECT_EQ(result.exit_code, kExitSuccess) << result.err;
        return fs::path(nlohmann::json::parse(result.out).at("backup").at("file").get<std::string>());
    }
    std::string folder() const { return folder_.file("backups"); }
    nlohmann::json listed() const {
        const auto result = run({"backups", "--json", "--backup-dir", folder()});
        EXPECT_EQ(result.exit_code, kExitSuccess) << result.err;
        return nlohmann::json::parse(result.out).at("backups");
    }

    test_support::TempFolder folder_;
};

fs::path sidecar_of(fs::path record) { return record.replace_extension(".json"); }

TEST_F(BackupChecks, EachFileIsCheckedAgainstItsSidecar) {
    const fs::path whole = take_backup("0", R"({"a": 1})");
    const fs::path truncated = take_backup("0", R"({"a": 2})");
    const fs::path altered = take_backup("0", R"({"a": 3})");
    const fs::path no_record = take_backup("0", R"({"a": 4})");
    const fs::path no_sidecar = take_backup("0", R"({"a": 5})");
    const std::string bytes = test_support::read_file(truncated);
    test_support::write_file(truncated, bytes.substr(0, bytes.size() - 1));
    std::string flipped = test_support::read_file(altered);
    flipped[20] ^= 0x01;
    test_support::write_file(altered, flipped);
    fs::remove(no_record);
    fs::remove(sidecar_of(no_sidecar));
    test_support::write_file(fs::path(folder()) / "broken.json", "{");

    struct Row {
        fs::path file;  // record file or sidecar as listed
        std::string problem;  // empty: whole
    };
    const std::vector<Row> rows = {
        {whole, ""},
        {truncated, "the record file has " + std::to_string(bytes.size() - 1) + " bytes, the sidecar says " +
                        std::to_string(bytes.size())},
        {altered, "the record file's checksum is "},
        {no_record, "its record file " + no_record.filename().string() + " is missing"},
        {no_sidecar, "no sidecar: nothing says which camera it came from or what it holds"},
        {fs::path(folder()) / "broken.json", "the sidecar cannot be used: the sidecar is not valid JSON"},
    };
    const auto list = listed();
    ASSERT_EQ(list.size(), rows.size()) << list.dump(2);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file.string());
        const auto entry = std::find_if(list.begin(), list.end(), [&](const nlohmann::json& e) {
            return (e.at("record_file").is_string() && e.at("record_file") == row.file.string()) ||
                   (e.at("sidecar").is_string() && e.at("sidecar") == row.file.string());
        });
        ASSERT_NE(entry, list.end());
        EXPECT_EQ(entry->at("whole"), row.problem.empty());
        if (row.problem.empty()) {
            EXPECT_EQ(entry->at("restore_command"), "velmora-stereo restore " + row.file.string());
        } else {
            // The first problem found; a cut or altered record also no longer validates.
            ASSERT_GE(entry->at("problems").size(), 1u);
            EXPECT_EQ(entry->at("problems")[0].get<std::string>().rfind(row.problem, 0), 0u) << entry->dump();
            EXPECT_TRUE(entry->at("restore_command").is_null());
        }
    }
    const auto table = run({"backups", "--backup-dir", folder()});
    EXPECT_TRUE(contains(table.out, "damaged: its record file")) << table.out;
    EXPECT_TRUE(contains(table.out, "5 entries need attention: see the Check column.")) << table.out;

    const auto refused = run({"restore", altered.string()});
    EXPECT_EQ(refused.exit_code, kExitUsage);
    EXPECT_TRUE(contains(refused.err, "error: cannot restore '" + altered.string() + "': the record file's checksum is "))
        << refused.err;
}

TEST_F(BackupChecks, RestoreGoesToTheCameraTheBackupNames) {
    const std::string cam0_before = run({"read-json", "--index", "0"}).out;
    const std::string cam1_before = run({"read-json", "--index", "1"}).out;
    const fs::path of_cam1 = take_backup("1", R"({"replaced": true})");
    ASSERT_EQ(run({"write-json", "--index", "0", "--no-backup", "-"}, R"({"cam0": "changed"})").exit_code, kExitSuccess);

    // No selector: the backup's camera, although it is not the first of the scan.
    const auto restored = run({"restore", of_cam1.string(), "--no-backup"});
    ASSERT_EQ(restored.exit_code, kExitSuccess) << restored.err;
    EXPECT_TRUE(contains(restored.out, "on 0c45:0645 (serial VLM645B00342)")) << restored.out;
    EXPECT_EQ(run({"read-json", "--index", "1"}).out, cam1_before);
    EXPECT_EQ(run({"read-json", "--index", "0"}).out, "{\"cam0\":\"changed\"}\n");
    static_cast<void>(cam0_before);

    // Its camera unplugged: said so, with the cameras that are attached.
    ASSERT_EQ(vcam_detach_device("cam1"), 0);
    const auto missing = run({"restore", of_cam1.string(), "--no-backup"});
    EXPECT_EQ(missing.exit_code, kExitFailure);
    EXPECT_TRUE(contains(missing.err, "error: the backup's camera (0c45:0645 serial VLM645B00342) is not attached; "
                                      "attached: 0: 0c45:0643 serial VLM643A00017 at "))
        << missing.err;
    EXPECT_TRUE(contains(missing.err, "(restore onto another camera with --index, --serial or --path and --force)"))
        << missing.err;
}

TEST_F(BackupChecks, AFailedWriteOffersTheRestoreCommandOnlyForWhatCanBeRestored) {
    // A camera holding something that is not a record: its backup is raw.
    ASSERT_EQ(vcam_load_scenario_json(R"({"devices": [{"id": "d", "vid": "0x0C45", "pid": "0x0645",
        "serial_number": "D1", "capability": "zeros",
        "flash": {"blocks": [{"address": "0x51000", "hex": "DE AD BE EF"}]}}]})"),
              0);
    ASSERT_EQ(vcam_detach_at_call("d", "SonixCam_WriteToSF", 1), 0);
    const auto cut = run({"write-json", "--backup-dir", folder(), "-"}, R"({"x": 1})");
    EXPECT_EQ(cut.exit_code, kExitFailure);
    EXPECT_TRUE(contains(cut.err, "note: what the camera held before is saved in ")) << cut.err;
    // Raw content is restorable too: the note gives the command.
    EXPECT_TRUE(contains(cut.err, "note: to put it back, run: velmora-stereo restore ")) << cut.err;
}

}  // namespace
}  // namespace velmora::stereo_tool
