// Tests of the messages for the common mistakes: files that cannot be read or
// written, byte-order marks, scenario typos, blank flash, documents too large.
#include <gtest/gtest.h>

#include <sonix_virtual/vcam_control.hpp>

#include "test_files.hpp"
#include "tool_runner.hpp"

namespace velmora::stereo_tool {
namespace {

using test_support::contains;
using test_support::run;
using test_support::TempFolder;

class FileMessages : public test_support::DefaultCamerasTest {
protected:
    TempFolder folder_;
};

TEST_F(FileMessages, FilesThatCannotBeUsedArePlainUsageErrors) {
    test_support::write_file(folder_.path() / "bad-scenario.json", "{\n  \"devices\": [,]\n}");
    const std::string folder = folder_.path().string();
    struct Row {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Row> rows = {
        {{"write-json", folder}, "error: cannot read '" + folder + "': it is a folder, not a file\n"},
        {{"write-json", folder_.file("none.json")}, "error: cannot read '" + folder_.file("none.json") + "': no such file\n"},
        {{"read-json", "--output", folder}, "error: cannot write '" + folder + "': it is a folder, not a file\n"},
        {{"read-json", "--output", folder_.file("no/doc.json")},
         "error: cannot write '" + folder_.file("no/doc.json") + "': there is no folder '" + folder_.file("no") + "'\n"},
        {{"--scenario", folder_.file("bad-scenario.json"), "scan"},
         "error: cannot load scenario '" + folder_.file("bad-scenario.json") + "': " + folder_.file("bad-scenario.json") +
             ": scenario is not valid JSON (line 2, column 15)\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        const auto result = run(row.args);
        EXPECT_EQ(result.exit_code, kExitUsage);
        EXPECT_EQ(result.err, row.message);
        EXPECT_EQ(result.out, "");
    }

    // A report that cannot be written is refused before the camera is touched.
    vcam_clear_call_log();
    const auto report = run({"imu", "--report", folder_.file("no/r.html")});
    EXPECT_EQ(report.exit_code, kExitUsage);
    EXPECT_EQ(report.err,
              "error: cannot write '" + folder_.file("no/r.html") + "': there is no folder '" + folder_.file("no") + "'\n");
    EXPECT_EQ(vcam_count_calls("SonixCam_Init"), 0u);
}

TEST_F(FileMessages, AByteOrderMarkIsDroppedAndMentioned) {
    const std::string document = "\xEF\xBB\xBF{\"a\": 1}";
    test_support::write_file(folder_.path() / "bom.json", document);
    for (const std::string& source : {folder_.file("bom.json"), std::string("-")}) {
        SCOPED_TRACE(source);
        const auto result = run({"write-json", "--no-backup", source}, document);
        ASSERT_EQ(result.exit_code, kExitSuccess) << result.err;
        const std::string name = source == "-" ? "<stdin>" : source;
        EXPECT_EQ(result.err, "note: " + name + ": ignored the UTF-8 byte-order mark at the start\n");
        EXPECT_EQ(run({"read-json"}).out, "{\"a\":1}\n");
    }
    // A mark anywhere else is part of the text, and not JSON.
    const auto inside = run({"write-json", "--no-backup", "-"}, "{\"a\": 1}\xEF\xBB\xBF");
    EXPECT_EQ(inside.exit_code, kExitUsage);
    EXPECT_EQ(inside.err, "error: <stdin>:1:9: unexpected byte 0xEF after the end of the document (byte offset 8)\n");
}

TEST_F(FileMessages, BlankFlashAndOversizedDocumentsAreExplained) {
    ASSERT_EQ(vcam_load_scenario_json(R"({"devices": [{"id": "d", "vid": "0x0C45", "pid": "0x0645", "capability": "zeros"}]})"),
              0);
    const auto blank = run({"read-json"});
    EXPECT_EQ(blank.exit_code, kExitFailure);
    EXPECT_EQ(blank.err, "error: no JSON document is stored on this camera: flash magic mismatch (BadMagic, 7)\n");

    // The legacy user space holds 4096 bytes: 16 of header and 4080 of document.
    const std::string fits = "\"" + std::string(4078, 'x') + "\"";
    const std::string too_large = "\"" + std::string(4079, 'x') + "\"";
    const auto refused = run({"write-json", "--no-backup", "-"}, too_large);
    EXPECT_EQ(refused.exit_code, kExitFailure);
    EXPECT_EQ(refused.err,
              "error: the minified document has 4081 bytes, but the camera's flash user space holds 4096 bytes "
              "including the 16-byte record header: payload is too large (InvalidLength, 10)\n");
    EXPECT_EQ(vcam_count_calls("SonixCam_SectorEraseSF"), 0u);
    const auto stored = run({"write-json", "--no-backup", "-"}, fits);
    EXPECT_EQ(stored.exit_code, kExitSuccess) << stored.err;
}

}  // namespace
}  // namespace velmora::stereo_tool
