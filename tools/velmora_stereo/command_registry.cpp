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
         "serial number, device path and the OpenCV capture index under each back-end.\n"
         "Cameras that report the same serial number are flagged.",
         {{"json", "", "print the list as a JSON array instead of a table"}},
         run_scan},
        {"info", "", "show what one camera declares about itself",
         "Opens one camera and shows its capability report, flash layout, IMU transport\n"
         "and conversion values, and firmware version. A flash or firmware version that\n"
         "cannot be read is shown as not reachable; the exit status is 0 whenever the\n"
         "camera answered its capability probe.",
         with_selection({{"json", "", "print the same as one JSON object"}}),
         run_info},
        {"read-json", "", "print the JSON document stored in the camera's flash",
         "Reads the JSON document from the camera's flash. The stored text is minified;\n"
         "--pretty indents it for reading (the stored text is not changed).",
         with_selection({{"pretty", "", "indent the document for humans"},
                         {"output", "FILE", "write to FILE instead of standard output"}}),
         run_read_json},
        {"write-json", "FILE", "store a JSON document in the camera's flash",
         "Reads FILE ('-' reads standard input; UTF-8, or UTF-16 with its byte-order mark),\n"
         "validates and minifies it before any camera is opened, saves what the camera's\n"
         "flash holds to the backup folder, writes the document, reads it back and\n"
         "compares. A document identical to the stored one is not written again (the flash\n"
         "wears with each erase) unless --force is given. Ctrl-C or SIGTERM during the\n"
         "write lets it finish (erase, write, read-back) before the tool stops. The backup\n"
         "folder is %LOCALAPPDATA%\\Velmora\\backups on Windows and\n"
         "$XDG_DATA_HOME/velmora/backups (~/.local/share/velmora/backups) elsewhere.",
         with_selection({{"backup-dir", "DIR", "keep the backup of what the flash held in DIR"},
                         {"no-backup", "", "write without backing up what the flash holds"},
                         {"force", "", "write even when the camera already holds this document"},
                         {"dry-run", "", "validate, show sizes, the backup and a diff; write nothing"},
                         {"diff", "", "show the diff of the stored and the new document before writing"},
                         {"json", "", "print what was done as one JSON object"}}),
         run_write_json},
        {"imu", "", "read IMU samples, raw and in physical units",
         "Opens the camera's IMU and reads samples, printing the raw counts and the values\n"
         "in degrees Celsius, g and degrees per second, then a summary (on standard error\n"
         "with --csv and --jsonl, so standard output stays data only). A sample is a new\n"
         "value of the IMU's device counter: a read that returns the same counter again is\n"
         "a repeat and is not shown (--all-reads shows every read), and a counter that\n"
         "jumps by more than its usual step means missed samples. A failed read is retried;\n"
         "5 failures in a row end the run (exit status 1, summary and report still\n"
         "written). Without --count or --seconds it reads 10 samples. Ctrl-C or SIGTERM\n"
         "stops after the current line, closes the IMU session and prints the summary\n"
         "(exit status 130 or 143).",
         with_selection({{"count", "N", "read N samples (distinct device counters)"},
                         {"seconds", "S", "read for S seconds (decimals allowed)"},
                         {"rate", "HZ", "read at most HZ times per second (decimals allowed)"},
                         {"csv", "", "print comma-separated values with a header line"},
                         {"jsonl", "", "print one JSON object per line"},
                         {"all-reads", "", "print every read, repeats included"},
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
         "Writes a backup (FILE is its .rec file or its .json sidecar) back to the camera\n"
         "its sidecar names, found by serial number, then reads it back and compares. A raw\n"
         "backup (damaged record, unknown content) goes back byte for byte. What the\n"
         "camera holds is backed up first. Putting a backup on another camera needs\n"
         "--index, --serial or --path and --force. Ctrl-C or SIGTERM during the write lets\n"
         "it finish first.",
         with_selection({{"force", "", "restore onto another camera, or a backup without a sidecar"},
                         {"backup-dir", "DIR", "keep the backup of what the flash held in DIR"},
                         {"no-backup", "", "replace what the flash holds without backing it up"}}),
         run_restore},
        {"backups", "", "list and check the backups",
         "Lists the backups in the backup folder, oldest first; with --index, --serial or\n"
         "--path only those of that camera. Each file is checked against its sidecar (size\n"
         "and checksum); a record file without a sidecar and a sidecar without its record\n"
         "file are listed too, each with what is wrong.",
         with_selection({{"backup-dir", "DIR", "the backup folder to list"},
                         {"json", "", "print the list as JSON"}}),
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
