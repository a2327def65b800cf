// Tests of backups around the commands that overwrite a camera's document:
// write-json saves what it replaces, restore puts it back, backups lists them.
#include <gtest/gtest.h>

#include <algorithm>

#include <nlohmann/json.hpp>
#include <sonix_virtual/vcam_control.hpp>

#include "test_files.hpp"
#include "tool_runner.hpp"
#include "backups/backup_store.hpp"

namespace velmora::stereo_tool {
namespace {

namespace fs = std::filesystem;
using test_support::contains;
using test_support::run;
using test_support::TempFolder;

constexpr std::uint32_t kUserSpace = 0x51000;
constexpr std::uint32_t kCam0RecordSize = 414;  // the default scenario's calibration record of cam0
const std::string kDocument = R"({"baseline_mm":61.5})";

// The record files in folder, in name order.
std::vector<fs::path> record_files(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code missing;
    for (fs::directory_iterator it(folder, missing), end; !missing && it != end; ++it) {
        if (it->path().extension() == ".rec") files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string text_of(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

nlohmann::json sidecar_of(const fs::path& record_file) {
    fs::path sidecar = record_file;
    return nlohmann::json::parse(test_support::read_file(sidecar.replace_extension(".json")));
}

class BackupCycle : public test_support::DefaultCamerasTest {
protected:

    // write-json of kDocument into the test's backup folder.
    test_support::ToolRun write(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {"write-json", "--backup-dir", backups(), "-"};
        args.insert(args.end(), extra.begin(), extra.end());
        return run(args, kDocument);
    }
    std::string backups() const { return folder_.file("backups"); }

    TempFolder folder_;
};

TEST_F(BackupCycle, WriteJsonSavesTheRecordItReplacesAsStored) {
    const std::string stored = text_of(sonix_virtual::flash_bytes("cam0", kUserSpace, kCam0RecordSize));
    const auto result = write();
    ASSERT_EQ(result.exit_code, kExitSuccess) << result.err;
    EXPECT_EQ(vcam_init_depth(), 0) << "the vendor session was left open";
    const auto files = record_files(backups());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(test_support::read_file(files[0]), stored);
    EXPECT_TRUE(contains(result.out, "backup:   " + files[0].string() + " (414-byte record, version 1)")) << result.out;
    EXPECT_TRUE(contains(result.err, "Saved what the camera holds to " + files[0].string() + ".\n")) << result.err;
    const auto sidecar = sidecar_of(files[0]);
    EXPECT_EQ(sidecar.at("camera").at("serial_number"), "VLM643A00017");
    EXPECT_EQ(sidecar.at("record_version"), 1);
    EXPECT_EQ(sidecar.at("valid"), true);
    EXPECT_EQ(sidecar.at("reason"), "write-json");
    EXPECT_EQ(sidecar.at("content"), "record");
    EXPECT_EQ(sidecar.at("record_crc32"), checksum_text(std::vector<std::uint8_t>(stored.begin(), stored.end())));
}

TEST_F(BackupCycle, WhatTheFlashHoldsDecidesWhatIsSaved) {
    struct Row {
        const char* label;
        std::string flash;  // the camera's "flash" section
        std::string summary;
        std::size_t bytes;    // saved; 0: nothing saved
        std::string content;  // the sidecar's
        std::string problem;
        std::string first_bytes;
    };
    const std::string damaged_18 = "4B 56 4F 5A 00 00 10 00 02 00 00 00 00 00 00 00 7B 7D";
    const std::vector<Row> rows = {
        {"blank flash: nothing to save", R"({})",
         "backup:   none (the flash is blank: every byte of the user space is erased)", 0, "", "", ""},
        {"something that is not a record is kept raw", R"({"blocks": [{"address": "0x51000", "hex": "00 11 22"}]})",
         "(unknown content, 3 bytes of the user space kept raw)", 3, "unknown content", "flash magic mismatch",
         "00 11 22"},
        {"a record with a wrong CRC",
         R"({"blocks": [{"address": "0x51000", "hex": "4B 56 4F 5A 00 00 10 00 02 00 00 00 00 00 00 00 7B 7D"}]})",
         "(damaged record, 18 bytes of the user space kept raw)", 18, "damaged record", "crc32 mismatch",
         "4B 56 4F 5A 00 00 10 00 02 00 00 00 00 00 00 00 ..."},
        {"a length beyond the user space",
         R"({"blocks": [{"address": "0x51000", "hex": "4B 56 4F 5A 00 00 10 00 00 00 01 00 00 00 00 00"}]})",
         "(damaged record, 16 bytes of the user space kept raw)", 16, "damaged record", "total length is invalid",
         "4B 56 4F 5A 00 00 10 00 00 00 01 00 00 00 00 00"},
        {"an overwritten magic whose payload still matches its checksum",
         R"({"blocks": [{"address": "0x51000", "hex": "00 00 00 00 00 00 10 00 02 00 00 00 43 BF A6 A3 7B 7D"}]})",
         "(damaged record, 18 bytes", 18, "damaged record", "flash magic mismatch",
         "00 00 00 00 00 00 10 00 02 00 00 00 43 BF A6 A3 ..."},
        {"everything up to the last byte that is not erased",
         R"({"blocks": [{"address": "0x51000", "hex": ")" + damaged_18 + R"("}, {"address": "0x51800", "hex": "BB"}]})",
         "(damaged record, 2049 bytes", 2049, "damaged record", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const std::string scenario = R"({"devices": [{"id": "d", "vid": "0x0C45", "pid": "0x0645", "serial_number": "D1",
            "capability": "zeros", "flash": )" + row.flash + "}]}";
        ASSERT_EQ(vcam_load_scenario_json(scenario.c_str()), 0) << vcam_last_error();
        const std::vector<std::uint8_t> before = sonix_virtual::flash_bytes("d", kUserSpace, 4096);
        fs::remove_all(backups());
        const auto result = write();
        ASSERT_EQ(result.exit_code, kExitSuccess) << result.err;
        EXPECT_TRUE(contains(result.out, row.summary)) << result.out;
        const auto files = record_files(backups());
        ASSERT_EQ(files.size(), row.bytes == 0 ? 0u : 1u);
        if (row.bytes == 0) continue;
        const std::string saved = test_support::read_file(files[0]);
        ASSERT_EQ(saved.size(), row.bytes);
        EXPECT_EQ(saved, text_of(before).substr(0, row.bytes)) << "the bytes exactly as the flash held them";
        const auto sidecar = sidecar_of(files[0]);
        EXPECT_EQ(sidecar.at("content"), row.content);
        EXPECT_EQ(sidecar.at("valid"), false);
        if (!row.problem.empty()) {
            EXPECT_EQ(sidecar.at("problem"), row.problem);
        }
        if (!row.first_bytes.empty()) {
            EXPECT_EQ(sidecar.at("first_bytes"), row.first_bytes);
        }
    }
}

TEST_F(BackupCycle, RestorePutsTheDocumentBackAndBacksUpWhatItReplaces) {
    const std::string original = run({"read-json"}).out;
    ASSERT_EQ(write().exit_code, kExitSuccess);
    ASSERT_EQ(run({"read-json"}).out, kDocument + "\n");
    const fs::path saved = record_files(backups()).at(0);

    const auto restored = run({"restore", saved.string(), "--backup-dir", backups()});
    ASSERT_EQ(restored.exit_code, kExitSuccess) << restored.err;
    EXPECT_TRUE(contains(restored.out, "verified: yes (read back and compared)")) << restored.out;
    EXPECT_TRUE(contains(restored.out, "restored: 414 bytes, record version 1")) << restored.out;
    EXPECT_EQ(run({"read-json"}).out, original);
    EXPECT_EQ(text_of(sonix_virtual::flash_bytes("cam0", kUserSpace, kCam0RecordSize)), test_support::read_file(saved));

    const auto files = record_files(backups());
    ASSERT_EQ(files.size(), 2u);
    const fs::path of_document = files[0] == saved ? files[1] : files[0];
    EXPECT_EQ(sidecar_of(of_document).at("reason"), "restore");
    EXPECT_EQ(test_support::read_file(of_document).substr(16), kDocument);

    // The sidecar names the record too.
    fs::path sidecar = saved;
    const auto by_sidecar = run({"restore", sidecar.replace_extension(".json").string(), "--no-backup"});
    EXPECT_EQ(by_sidecar.exit_code, kExitSuccess) << by_sidecar.err;
    EXPECT_TRUE(contains(by_sidecar.out, "backup:   none (--no-backup)"));
}

// A camera "d" (legacy layout: a 4096-byte user space) whose flash holds blocks.
std::string camera_holding(const std::string& blocks, bool write_protected = false) {
    return R"({"devices": [{"id": "d", "vid": "0x0C45", "pid": "0x0645", "serial_number": "D1",
        "capability": "zeros", "flash": {"write_protected": )" +
           std::string(write_protected ? "true" : "false") + R"(, "blocks": )" + blocks + "}}]}";
}

const std::string kDamagedWithStray = R"([{"address": "0x51000", "hex": "4B 56 4F 5A 00 00 10 00 02 00 00 00 00 00 00 00 7B 7D"},
    {"address": "0x51800", "hex": "BB"}])";

TEST_F(BackupCycle, RawContentIsRestoredByteForByte) {
    struct Row {
        const char* label;
        std::string scenario;     // empty: the default one, with poke written over cam0's record
        std::vector<std::uint8_t> poke;  // written at the start of the user space before the test
        std::string device;
        std::uint32_t user_space; // compared whole, before and after
        std::string document;     // what write-json puts over the content
        std::string restored;     // the summary's "restored" line
    };
    const std::string long_document = R"({"notes": ")" + std::string(6000, 'n') + R"("})";
    const std::vector<Row> rows = {
        {"a damaged record and a stray byte, behind write protection", camera_holding(kDamagedWithStray, true), {}, "d",
         4096, R"({"a long enough new document": [1, 2, 3]})", "restored: 2049 bytes, damaged record"},
        {"unknown content shorter than the record that replaced it",
         camera_holding(R"([{"address": "0x51000", "hex": "00 11 22"}])"), {}, "d", 4096,
         R"({"replacement": "longer than three bytes"})", "restored: 3 bytes, unknown content"},
        // The new record reaches into the second sector; putting back 414 bytes
        // must leave that sector erased as it was, not holding the record's tail.
        {"raw content under a record that spans two sectors", "", {0x00, 0x11, 0x22, 0x33}, "cam0", 0x10000, long_document,
         "restored: 414 bytes, "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        if (row.scenario.empty()) {
            vcam_load_default_scenario();
        } else {
            ASSERT_EQ(vcam_load_scenario_json(row.scenario.c_str()), 0) << vcam_last_error();
        }
        if (!row.poke.empty()) {
            ASSERT_EQ(vcam_flash_poke(row.device.c_str(), kUserSpace, row.poke.data(),
                                      static_cast<std::uint32_t>(row.poke.size())),
                      0);
        }
        fs::remove_all(backups());
        const std::vector<std::uint8_t> before = sonix_virtual::flash_bytes(row.device, kUserSpace, row.user_space);
        const auto written = run({"write-json", "--backup-dir", backups(), "-"}, row.document);
        ASSERT_EQ(written.exit_code, kExitSuccess) << written.err;
        ASSERT_NE(sonix_virtual::flash_bytes(row.device, kUserSpace, row.user_space), before);
        const auto saved = record_files(backups());
        ASSERT_EQ(saved.size(), 1u);

        // Without a selector: the camera the sidecar names; what it holds now is backed up first.
        const auto restored = run({"restore", saved[0].string(), "--backup-dir", backups()});
        ASSERT_EQ(restored.exit_code, kExitSuccess) << restored.err;
        EXPECT_TRUE(contains(restored.out, row.restored)) << restored.out;
        EXPECT_TRUE(contains(restored.out, "verified: yes (read back and compared)")) << restored.out;
        EXPECT_EQ(sonix_virtual::flash_bytes(row.device, kUserSpace, row.user_space), before)
            << "the user space exactly as it was";
        EXPECT_EQ(vcam_init_depth(), 0) << "the vendor session was left open";
        EXPECT_EQ(record_files(backups()).size(), 2u) << "the replaced document is kept too";
    }
}

TEST_F(BackupCycle, AFailedRawRestoreSaysHowToGetBack) {
    struct Row {
        const char* label;
        void (*fault)();
        std::string error;  // the SDK's text on the error line
        void (*mend)();
    };
    const std::vector<Row> rows = {
        // Beyond the document's record, so the backup of the document is read whole.
        {"a byte that does not stick", [] { ASSERT_EQ(vcam_flash_set_stuck_byte("d", 0x51800, 0x00), 0); },
         "verify_after_write failed: readback mismatch at offset 0x800 (expected=0xBB, actual=0x00)",
         [] { ASSERT_EQ(vcam_flash_clear_stuck_bytes("d"), 0); }},
        {"the camera unplugged between the erase and the write",
         [] { ASSERT_EQ(vcam_detach_at_call("d", "SonixCam_WriteToSF", 1), 0); },
         "the camera was unplugged: SonixCam_WriteToSF failed: vendor_code=ecDeviceDisconnect(7)",
         [] { ASSERT_EQ(vcam_reattach_device("d"), 0); }},
    };
    const std::string document = R"({"kept":"while the restore fails"})";  // as read-json prints it
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        ASSERT_EQ(vcam_load_scenario_json(camera_holding(kDamagedWithStray).c_str()), 0) << vcam_last_error();
        const std::vector<std::uint8_t> damaged = sonix_virtual::flash_bytes("d", kUserSpace, 4096);
        fs::remove_all(backups());
        ASSERT_EQ(run({"write-json", "--backup-dir", backups(), "-"}, document).exit_code, kExitSuccess);
        const fs::path raw = record_files(backups()).at(0);

        row.fault();
        const auto failed = run({"restore", raw.string(), "--backup-dir", backups()});
        row.mend();
        EXPECT_EQ(failed.exit_code, kExitFailure);
        EXPECT_TRUE(contains(failed.err, row.error)) << failed.err;
        const auto files = record_files(backups());
        ASSERT_EQ(files.size(), 2u);
        const fs::path of_document = files[0] == raw ? files[1] : files[0];
        EXPECT_TRUE(contains(failed.err, "note: what the camera held before is saved in " + of_document.string() + "\n"))
            << failed.err;
        EXPECT_TRUE(contains(failed.err, "note: to put it back, run: velmora-stereo restore " + of_document.string() + "\n"))
            << failed.err;

        // The command it gives brings the document back, and the raw backup is still good.
        const auto back = run({"restore", of_document.string(), "--no-backup"});
        ASSERT_EQ(back.exit_code, kExitSuccess) << back.err;
        EXPECT_EQ(run({"read-json"}).out, document + "\n");
        ASSERT_EQ(run({"restore", raw.string(), "--no-backup"}).exit_code, kExitSuccess);
        EXPECT_EQ(sonix_virtual::flash_bytes("d", kUserSpace, 4096), damaged);
    }
}

TEST_F(BackupCycle, AnEmptyRawBackupIsRefusedBeforeTheCameraIsTouched) {
    ASSERT_EQ(vcam_load_scenario_json(camera_holding(kDamagedWithStray).c_str()), 0) << vcam_last_error();
    const std::vector<std::uint8_t> before = sonix_virtual::flash_bytes("d", kUserSpace, 4096);
    test_support::write_file(folder_.path() / "empty.rec", "");
    const auto result = run({"restore", folder_.file("empty.rec"), "--index", "0", "--force", "--no-backup"});
    EXPECT_EQ(result.exit_code, kExitFailure);
    EXPECT_TRUE(contains(result.err, "the backup cannot go onto this camera: the backup holds no bytes")) << result.err;
    EXPECT_EQ(sonix_virtual::flash_bytes("d", kUserSpace, 4096), before);
}

TEST_F(BackupCycle, RestoreRefusesAnotherCamerasBackupUnlessForced) {
    const std::string cam0_original = run({"read-json", "--index", "0"}).out;
    ASSERT_EQ(write().exit_code, kExitSuccess);
    const fs::path saved = record_files(backups()).at(0);
    const std::string cam1_before = run({"read-json", "--index", "1"}).out;

    const auto refused = run({"restore", saved.string(), "--index", "1", "--no-backup"});
    EXPECT_EQ(refused.exit_code, kExitUsage);
    EXPECT_EQ(refused.err,
              "error: the backup was taken from camera VLM643A00017 (0c45:0643), not from the selected camera "
              "VLM645B00342 (0c45:0645); add --force to restore it anyway\n");
    EXPECT_EQ(run({"read-json", "--index", "1"}).out, cam1_before);

    fs::path sidecar = saved;
    fs::remove(sidecar.replace_extension(".json"));
    const auto no_sidecar = run({"restore", saved.string(), "--no-backup"});
    EXPECT_EQ(no_sidecar.exit_code, kExitUsage);
    EXPECT_TRUE(contains(no_sidecar.err, "without its sidecar the backup does not say which camera it came from"))
        << no_sidecar.err;
    const auto unforced = run({"restore", saved.string(), "--index", "0", "--no-backup"});
    EXPECT_EQ(unforced.exit_code, kExitUsage);
    EXPECT_TRUE(contains(unforced.err, "says which camera the backup came from; add --force")) << unforced.err;

    // The legacy camera's user space (4096 bytes) holds cam0's record too.
    const auto forced = run({"restore", saved.string(), "--index", "1", "--force", "--no-backup"});
    ASSERT_EQ(forced.exit_code, kExitSuccess) << forced.err;
    EXPECT_EQ(run({"read-json", "--index", "1"}).out, cam0_original);
}

TEST_F(BackupCycle, AnInterruptedWriteIsRecoveredFromItsBackup) {
    const std::string original = run({"read-json"}).out;
    // The camera goes away between the erase and the write of the new record.
    ASSERT_EQ(vcam_detach_at_call("cam0", "SonixCam_WriteToSF", 1), 0);
    const auto cut = write();
    EXPECT_EQ(cut.exit_code, kExitFailure);
    // Plain words first, then the SDK's own text and code on the same line.
    EXPECT_TRUE(contains(cut.err, "error: the camera was unplugged: SonixCam_WriteToSF failed: "
                                  "vendor_code=ecDeviceDisconnect(7)"))
        << cut.err;
    const fs::path saved_file = record_files(backups()).at(0);
    EXPECT_TRUE(contains(cut.err, "note: what the camera held before is saved in " + saved_file.string() + "\n"))
        << cut.err;
    EXPECT_TRUE(contains(cut.err, "note: to put it back, run: velmora-stereo restore " + saved_file.string() + "\n"))
        << cut.err;
    ASSERT_EQ(vcam_reattach_device("cam0"), 0);

    const auto lost = run({"read-json"});
    EXPECT_EQ(lost.err, "error: no JSON document is stored on this camera: flash magic mismatch (BadMagic, 7)\n");
    const fs::path saved = record_files(backups()).at(0);
    const auto restored = run({"restore", saved.string(), "--backup-dir", backups()});
    ASSERT_EQ(restored.exit_code, kExitSuccess) << restored.err;
    EXPECT_TRUE(contains(restored.out, "backup:   none (the flash is blank")) << restored.out;
    EXPECT_EQ(run({"read-json"}).out, original);
}

TEST_F(BackupCycle, NoDocumentIsOverwrittenWithoutItsBackup) {
    const std::string before = run({"read-json"}).out;
    test_support::write_file(folder_.path() / "a-file", "x");
    const auto result = run({"write-json", "--backup-dir", folder_.file("a-file"), "-"}, kDocument);
    EXPECT_EQ(result.exit_code, kExitUsage);
    EXPECT_TRUE(contains(result.err, "cannot create the backup folder")) << result.err;
    EXPECT_TRUE(contains(result.err, "--no-backup")) << result.err;
    EXPECT_EQ(run({"read-json"}).out, before);

    const auto skipped = run({"write-json", "--no-backup", "-"}, kDocument);
    ASSERT_EQ(skipped.exit_code, kExitSuccess) << skipped.err;
    EXPECT_TRUE(contains(skipped.out, "backup:   none (--no-backup)"));

    const auto both = run({"write-json", "--no-backup", "--backup-dir", backups(), "-"}, kDocument);
    EXPECT_EQ(both.exit_code, kExitUsage);
    EXPECT_TRUE(contains(both.err, "give either --backup-dir or --no-backup, not both"));
}

TEST_F(BackupCycle, RestoreRefusesWhatDoesNotFitTheCamera) {
    // More bytes than the legacy camera's 4096-byte user space.
    test_support::write_file(folder_.path() / "big.rec", std::string(5000, 'x'));
    const auto result = run({"restore", folder_.file("big.rec"), "--index", "1", "--force", "--no-backup"});
    EXPECT_EQ(result.exit_code, kExitFailure);
    EXPECT_EQ(result.err.rfind("error: the backup cannot go onto this camera: the backup holds 5000 bytes, more than "
                               "the camera's 4096-byte user space",
                               0),
              0u)
        << result.err;
    const auto missing = run({"restore", folder_.file("none.rec")});
    EXPECT_EQ(missing.exit_code, kExitUsage);
    EXPECT_TRUE(contains(missing.err, "no such file")) << missing.err;
}

TEST_F(BackupCycle, BackupsListsThemPerCamera) {
    ASSERT_EQ(write().exit_code, kExitSuccess);
    ASSERT_EQ(write({"--index", "1"}).exit_code, kExitSuccess);
    const auto all = run({"backups", "--backup-dir", backups()});
    ASSERT_EQ(all.exit_code, kExitSuccess) << all.err;
    EXPECT_TRUE(contains(all.out, "VLM643A00017 (0c45:0643)")) << all.out;
    EXPECT_TRUE(contains(all.out, "VLM645B00342 (0c45:0645)")) << all.out;
    EXPECT_TRUE(contains(all.out, "record v1")) << all.out;
    const auto one = run({"backups", "--backup-dir", backups(), "--index", "1"});
    EXPECT_TRUE(contains(one.out, "Backups of VLM645B00342 (0c45:0645) in ")) << one.out;
    EXPECT_FALSE(contains(one.out, "VLM643A00017")) << one.out;
    const auto none = run({"backups", "--backup-dir", folder_.file("empty")});
    EXPECT_EQ(none.out, "No backups in " + folder_.file("empty") + ".\n");
}

TEST_F(BackupCycle, TheDefaultFolderIsThePlatformsOwn) {
#if defined(_WIN32)
    const auto result = run({"write-json", "-"}, kDocument);
    ASSERT_EQ(result.exit_code, kExitSuccess) << result.err;
    EXPECT_TRUE(contains(result.out, "\\Velmora\\backups\\VLM643A00017_")) << result.out;
#else
    test_support::set_environment("XDG_DATA_HOME", folder_.path().string().c_str());
    const auto result = run({"write-json", "-"}, kDocument);
    test_support::set_environment("XDG_DATA_HOME", nullptr);
    ASSERT_EQ(result.exit_code, kExitSuccess) << result.err;
    EXPECT_EQ(record_files(folder_.path() / "velmora" / "backups").size(), 1u);
#endif
}

}  // namespace
}  // namespace velmora::stereo_tool
