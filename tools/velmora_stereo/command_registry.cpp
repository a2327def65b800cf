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

std::vector<OptionSpec> backup_options() {
    return {{"backup-dir", "DIR", "keep the backup of the replaced record in DIR"},
            {"no-backup", "", "write without backing up the stored record"}};
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
         "Validates and minifies the JSON text in FILE ('-' reads standard input), saves the\n"
         "record the camera holds to the backup folder, writes the document to the camera's\n"
         "flash, reads it back and compares. The backup folder is %LOCALAPPDATA%\\Velmora\\backups\n"
         "on Windows and $XDG_DATA_HOME/velmora/backups (~/.local/share/velmora/backups)\n"
         "elsewhere. A UTF-8 byte-order mark at the start of FILE is ignored.",
         with_selection(backup_options()),
         run_write_json},
        {"imu", "", "read IMU samples, raw and in physical units",
         "Opens the camera's IMU and reads samples, printing the raw counts and the values\n"
         "in degrees Celsius, g and degrees per second, then the achieved sample rate\n"
         "(on standard error with --csv and --jsonl, so standard output stays data only).\n"
         "Without --count or --seconds it reads 10 samples. Ctrl-C stops after the current\n"
         "line, closes the IMU session and prints the summary (exit status 130).",
         with_selection({{"count", "N", "read N samples"},
                         {"seconds", "S", "read for S seconds (decimals allowed)"},
                         {"rate", "HZ", "read at most HZ samples per second (decimals allowed)"},
                         {"csv", "", "print comma-separated values with a header line"},
                         {"jsonl", "", "print one JSON object per line"},
                         {"report", "FILE", "also write the samples as an HTML page with charts"}}),
         run_imu},
        {"capture", "", "write a virtual-camera scenario that reproduces a camera",
         "Reads everything the SDK and the vendor library learn from one camera (ids, texts,\n"
         "firmware version, capability report, flash, IMU payloads, OpenCV indices) and\n"
         "writes a scenario that makes the virtual camera answer the same. Load it with\n"
         "--scenario FILE or the VCAM_SCENARIO variable. Whatever could not be read is left\n"
         "out and named in the device's \"comment\".",
         with_selection({{"out", "FILE", "write the scenario to FILE ('-' for standard output)"},
                         {"imu-samples", "N", "capture N IMU payloads (default 200, 0 for none)"},
                         {"flash", "WHAT", "'record' (default): the stored record; 'user-space': all of it"}}),
         run_capture},
        {"restore", "FILE", "write a backup back to its camera",
         "Writes the record of a backup (FILE is its .rec file or its .json sidecar) back to\n"
         "the camera, reads it back and compares. The record the camera holds is backed up\n"
         "first. A backup taken from another camera is refused unless --force is given.",
         with_selection({{"force", "", "restore even a backup of another camera, or one without a sidecar"},
                         {"backup-dir", "DIR", "keep the backup of the replaced record in DIR"},
                         {"no-backup", "", "replace the record without backing it up"}}),
         run_restore},
        {"backups", "", "list the backups",
         "Lists the backups in the backup folder, oldest first; with --index, --serial or\n"
         "--path only those of that camera.",
         with_selection({{"backup-dir", "DIR", "the backup folder to list"}}),
         run_backups},
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
