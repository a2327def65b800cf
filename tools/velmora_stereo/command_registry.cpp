// The table of commands with their help texts and options.
#include "commands.hpp"

namespace velmora::stereo_tool {

std::vector<OptionSpec> device_selection_options() {
    return {
        {"index", "N", "the camera at position N of the scan list (0 is the first)"},
        {"serial", "S", "the camera with serial number S (letter case ignored)"},
        {"path", "P", "the camera with device path P (letter case ignored)"},
    };
}

namespace {

std::vector<OptionSpec> with_selection(std::vector<OptionSpec> options) {
    auto selection = device_selection_options();
    selection.insert(selection.end(), options.begin(), options.end());
    return selection;
}

std::vector<CommandSpec> build_commands() {
    return {
        {"scan", "", "list the attached cameras",
         "Lists the attached cameras of the supported models: vendor and product id, name,\n"
         "serial number, device path and the OpenCV capture index under each back-end.",
         {{"json", "", "print the list as a JSON array instead of a table"}},
         run_scan},
        {"info", "", "show what one camera declares about itself",
         "Opens one camera and shows its capability report, flash layout, IMU transport\n"
         "and conversion values, and firmware version.",
         device_selection_options(),
         run_info},
        {"read-json", "", "print the JSON document stored in the camera's flash",
         "Reads the JSON document from the camera's flash. The stored text is minified;\n"
         "--pretty indents it for reading (the stored text is not changed).",
         with_selection({{"pretty", "", "indent the document for humans"},
                         {"output", "FILE", "write to FILE instead of standard output"}}),
         run_read_json},
        {"write-json", "FILE", "store a JSON document in the camera's flash",
         "Validates and minifies the JSON text in FILE ('-' reads standard input), writes\n"
         "it to the camera's flash, reads it back and compares.",
         device_selection_options(),
         run_write_json},
        {"imu", "", "read IMU samples, raw and in physical units",
         "Opens the camera's IMU and reads samples, printing the raw counts and the values\n"
         "in degrees Celsius, g and degrees per second, then the achieved sample rate\n"
         "(on standard error with --csv and --jsonl, so standard output stays data only).\n"
         "Without --count or --seconds it reads 10 samples.",
         with_selection({{"count", "N", "read N samples"},
                         {"seconds", "S", "read for S seconds (decimals allowed)"},
                         {"csv", "", "print comma-separated values with a header line"},
                         {"jsonl", "", "print one JSON object per line"}}),
         run_imu},
    };
}

}  // namespace

const std::vector<CommandSpec>& all_commands() {
    static const std::vector<CommandSpec> commands = build_commands();
    return commands;
}

const CommandSpec* find_command(const std::string& name) {
    for (const auto& command : all_commands()) {
        if (command.name == name) return &command;
    }
    return nullptr;
}

}  // namespace velmora::stereo_tool
