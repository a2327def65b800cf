// Tests of write-json's modes: unchanged documents, --force, --dry-run,
// --diff and --json, against the virtual camera.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sonix_virtual/vcam_control.hpp>

#include "test_files.hpp"
#include "tool_runner.hpp"

namespace velmora::stereo_tool {
namespace {

using test_support::contains;
using test_support::run;

constexpr std::uint32_t kUserSpace = 0x51000;

class WriteJsonModes : public ::testing::Test {
protected:
    void SetUp() override {
        vcam_load_default_scenario();
        ASSERT_EQ(run({"write-json", "--no-backup", "-"}, R"({"baseline_mm": 60.5, "labels": ["l", "r"]})").exit_code,
                  kExitSuccess);
        vcam_clear_call_log();
    }
    void TearDown() override { vcam_load_default_scenario(); }

    std::vector<std::string> with_backups(std::vector<std::string> args) const {
        args.insert(args.begin() + 1, {"--backup-dir", backups_.path().string()});
        return args;
    }
    std::size_t backup_count() const {
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(backups_.path())) {
            count += entry.path().extension() == ".rec";
        }
        return count;
    }

    test_support::TempFolder backups_;
};

TEST_F(WriteJsonModes, AnIdenticalDocumentIsNotWrittenUnlessForced) {
    // The same document, written differently: same minified text.
    const std::string same = "{\n  \"baseline_mm\" : 60.5,\n  \"labels\" : [ \"l\", \"r\" ]\n}\n";
    const auto unchanged = run(with_backups({"write-json", "-"}), same);
    ASSERT_EQ(unchanged.exit_code, kExitSuccess) << unchanged.err;
    EXPECT_EQ(unchanged.out, "unchanged: 0c45:0643 (serial VLM643A00017) already holds this document; nothing was "
                             "written (--force writes it anyway).\n");
    EXPECT_EQ(vcam_count_calls("SonixCam_SectorEraseSF"), 0u);
    EXPECT_EQ(backup_count(), 0u);

    const auto forced = run(with_backups({"write-json", "--force", "-"}), same);
    ASSERT_EQ(forced.exit_code, kExitSuccess) << forced.err;
    EXPECT_TRUE(contains(forced.out, "Stored the JSON document")) << forced.out;
    EXPECT_GT(vcam_count_calls("SonixCam_SectorEraseSF"), 0u);
    EXPECT_EQ(backup_count(), 1u);
}

TEST_F(WriteJsonModes, DryRunShowsSizesBackupAndDiffAndTouchesNothing) {
    const std::vector<std::uint8_t> before = sonix_virtual::flash_bytes("cam0", kUserSpace, 256);
    const auto dry = run(with_backups({"write-json", "--dry-run", "-"}), R"({"baseline_mm": 61.0, "labels": ["l", "r"]})");
    ASSERT_EQ(dry.exit_code, kExitSuccess) << dry.err;
    for (const std::string& part : std::vector<std::string>{"Dry run: nothing is written to 0c45:0643 (serial VLM643A00017).", "  minified: 39 bytes",
          "  record:   55 bytes of the 65536-byte user space at 0x00051000", "  stored:   55-byte record, version 0",
          "  backup:   would save 55-byte record, version 0 into " + backups_.path().string(),
          "--- stored on 0c45:0643 (serial VLM643A00017)\n+++ <stdin>\n@@ -1,5 +1,5 @@\n {\n-  \"baseline_mm\": 60.5,\n"
          "+  \"baseline_mm\": 61.0,\n   \"labels\": [\n"}) {
        EXPECT_TRUE(contains(dry.out, part)) << part << "\n" << dry.out;
    }
    EXPECT_EQ(sonix_virtual::flash_bytes("cam0", kUserSpace, 256), before);
    for (const char* call : {"SonixCam_SectorEraseSF", "SonixCam_WriteToSF", "SonixCam_SetWriteProtectedSF"}) {
        EXPECT_EQ(vcam_count_calls(call), 0u) << call;
    }
    EXPECT_EQ(backup_count(), 0u);
}

TEST_F(WriteJsonModes, DiffComesBeforeTheWriteAndJsonDescribesIt) {
    const auto diffed = run(with_backups({"write-json", "--diff", "-"}), R"({"baseline_mm": 61.0, "labels": ["l", "r"]})");
    ASSERT_EQ(diffed.exit_code, kExitSuccess) << diffed.err;
    const auto diff_at = diffed.out.find("-  \"baseline_mm\": 60.5,\n+  \"baseline_mm\": 61.0,");
    ASSERT_NE(diff_at, std::string::npos) << diffed.out;
    EXPECT_LT(diff_at, diffed.out.find("Stored the JSON document"));

    const auto json = run(with_backups({"write-json", "--json", "-"}), R"({"baseline_mm": 62.0})");
    ASSERT_EQ(json.exit_code, kExitSuccess) << json.err;
    const auto object = nlohmann::json::parse(json.out);
    EXPECT_EQ(object.at("action"), "written");
    EXPECT_EQ(object.at("camera").at("serial_number"), "VLM643A00017");
    EXPECT_EQ(object.at("input_bytes"), 21);
    EXPECT_EQ(object.at("minified_bytes"), 20);
    EXPECT_EQ(object.at("record_bytes"), 36);
    EXPECT_EQ(object.at("verified"), true);
    EXPECT_EQ(object.at("user_space").at("address"), "0x00051000");
    const std::string file = object.at("backup").at("file");
    EXPECT_TRUE(std::filesystem::exists(file)) << file;

    const auto unchanged = run(with_backups({"write-json", "--json", "-"}), R"({"baseline_mm": 62.0})");
    EXPECT_EQ(nlohmann::json::parse(unchanged.out).at("action"), "unchanged");
}

TEST_F(WriteJsonModes, ALongWriteShowsProgressOnATerminalOnly) {
    // Erase and write slowed to well over the second after which progress shows.
    vcam_set_latency_us("SonixCam_SectorEraseSF", 800000);
    vcam_set_latency_us("SonixCam_WriteToSF", 800000);
    for (const bool terminal : {true, false}) {
        SCOPED_TRACE(terminal ? "terminal" : "not a terminal");
        const auto result = run({"write-json", "--no-backup", "--force", "-"}, R"({"slow": true})", terminal);
        ASSERT_EQ(result.exit_code, kExitSuccess) << result.err;
        EXPECT_EQ(contains(result.err, "\r\x1b[Kwriting the flash (erase, write, read back)... 1."), terminal)
            << result.err;
        // The line is erased again, so nothing of it stays before the next output.
        EXPECT_EQ(result.err.size() >= 4 && result.err.substr(result.err.size() - 4) == "\r\x1b[K", terminal);
    }
}

}  // namespace
}  // namespace velmora::stereo_tool
