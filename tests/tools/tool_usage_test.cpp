// Tests of the tool's command line as a user meets it: help, usage errors,
// exit statuses. None of these reaches a camera.
#include <gtest/gtest.h>

#include <cstdlib>

#include "camera/camera_library.hpp"
#include "commands.hpp"
#include "tool_runner.hpp"

namespace velmora::stereo_tool {
namespace {

using test_support::contains;
using test_support::run;

TEST(ToolUsage, WrongCommandLinesExitWithUsage) {
    struct Row {
        std::vector<std::string> args;
        std::string message;
        std::string usage;  // the usage line that must follow
    };
    const std::vector<Row> rows = {
        {{}, "error: no command given", "usage: velmora-stereo [--scenario FILE] COMMAND"},
        {{"frobnicate"}, "error: unknown command 'frobnicate'", "Try 'velmora-stereo --help'"},
        {{"--frobnicate"}, "error: unknown option '--frobnicate'", "Try 'velmora-stereo --help'"},
        {{"help", "frobnicate"}, "error: unknown command 'frobnicate'", "Try 'velmora-stereo --help'"},
        {{"--scenario"}, "error: option '--scenario' needs a value (FILE)", "usage: velmora-stereo"},
        {{"scan", "--bogus"}, "error: unknown option '--bogus'", "usage: velmora-stereo [--scenario FILE] scan"},
        {{"scan", "extra"}, "error: unexpected argument 'extra'", "Try 'velmora-stereo scan --help'"},
        {{"info", "--index", "first"}, "--index needs a whole number", "velmora-stereo info"},
        {{"info", "--index", "0", "--serial", "S"}, "only one of --index, --serial and --path", "velmora-stereo info"},
        {{"info", "--path="}, "--path needs a non-empty value", "velmora-stereo info"},
        {{"read-json", "--output"}, "option '--output' needs a value (FILE)", "velmora-stereo read-json"},
        {{"write-json"}, "error: missing argument FILE", "write-json [options] FILE"},
        {{"write-json", "a.json", "b.json"}, "error: unexpected argument 'b.json'", "velmora-stereo write-json"},
        {{"imu", "--count", "0"}, "--count needs a whole number above 0 (got '0')", "velmora-stereo imu"},
        {{"imu", "--count", "-3"}, "--count needs a whole number above 0 (got '-3')", "velmora-stereo imu"},
        {{"imu", "--seconds", "soon"}, "--seconds needs a number of seconds above 0", "velmora-stereo imu"},
        {{"imu", "--count", "3", "--seconds", "1"}, "either --count or --seconds", "velmora-stereo imu"},
        {{"imu", "--csv", "--jsonl"}, "either --csv or --jsonl", "velmora-stereo imu"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        const auto result = run(row.args);
        EXPECT_EQ(result.exit_code, kExitUsage);
        EXPECT_TRUE(contains(result.err, row.message)) << result.err;
        EXPECT_TRUE(contains(result.err, row.usage)) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

// Sets (or, for null, removes) an environment variable.
void set_variable(const char* name, const char* value) {
#if defined(_WIN32)
    _putenv_s(name, value != nullptr ? value : "");
#else
    value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
#endif
}

TEST(ToolUsage, TheVirtualCameraIsAskedForByOptionOrVariable) {
    const struct {
        std::vector<std::string> args;
        const char* variable;  // the scenario variable's value, null for unset
        bool wanted;
    } rows[] = {
        {{"scan"}, nullptr, false},
        {{"--virtual", "scan"}, nullptr, true},
        {{"scan", "--virtual"}, nullptr, true},
        {{"--scenario", "s.json", "scan"}, nullptr, true},
        {{"scan", "--scenario=s.json"}, nullptr, true},
        {{"write-json", "--", "--virtual"}, nullptr, false},  // a file name after "--"
        {{"scan"}, "s.json", true},
        {{"scan"}, "", false},
    };
    const char* variable = "VELMORA_TEST_SCENARIO_VARIABLE";
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.args) + (row.variable ? row.variable : "(unset)"));
        set_variable(variable, row.variable);
        EXPECT_EQ(wants_virtual_camera(row.args, variable), row.wanted);
    }
    set_variable(variable, nullptr);
    // Here the virtual camera is the library in use: the option is taken out
    // wherever it stands and changes nothing.
    const auto result = run({"scan", "--virtual"});
    EXPECT_EQ(result.exit_code, kExitSuccess) << result.err;
    EXPECT_TRUE(contains(result.out, "2 cameras found.")) << result.out;
}

TEST(ToolUsage, EveryCommandHasHelp) {
    for (const auto& command : all_commands()) {
        SCOPED_TRACE(command.name);
        for (const auto& args : {std::vector<std::string>{command.name, "--help"},
                                 std::vector<std::string>{command.name, "-h"},
                                 std::vector<std::string>{"help", command.name}}) {
            const auto result = run(args);
            EXPECT_EQ(result.exit_code, kExitSuccess);
            EXPECT_TRUE(contains(result.out, "usage: velmora-stereo [--scenario FILE] " + command.name)) << result.out;
            for (const auto& option : command.options) {
                EXPECT_TRUE(contains(result.out, "--" + option.name)) << option.name;
            }
            EXPECT_EQ(result.err, "");
        }
    }
}

TEST(ToolUsage, GeneralHelpListsEveryCommand) {
    for (const auto& args : {std::vector<std::string>{"--help"}, std::vector<std::string>{"help"}}) {
        const auto result = run(args);
        EXPECT_EQ(result.exit_code, kExitSuccess);
        for (const auto& command : all_commands()) {
            EXPECT_TRUE(contains(result.out, "  " + command.name + " ")) << command.name;
        }
        EXPECT_TRUE(contains(result.out, "--scenario FILE"));
    }
    const auto version = run({"--version"});
    EXPECT_EQ(version.exit_code, kExitSuccess);
    EXPECT_TRUE(contains(version.out, "velmora-stereo "));
}

}  // namespace
}  // namespace velmora::stereo_tool
