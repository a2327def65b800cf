// Help and usage texts of the tool.
#include "command_line/help_text.hpp"

#include <algorithm>
#include <ostream>
#include <string>

#include "command_line/exit_status.hpp"

namespace velmora::stereo_tool {
namespace {

constexpr std::size_t kHelpColumnGap = 2;
constexpr std::size_t kStatusColumn = 5;

std::string option_label(const OptionSpec& option) {
    std::string label = "--" + option.name;
    if (!option.value_name.empty()) label += " " + option.value_name;
    return label;
}

void print_option_lines(const std::vector<OptionSpec>& options, std::ostream& out) {
    std::size_t width = 0;
    for (const auto& option : options) width = std::max(width, option_label(option).size());
    for (const auto& option : options) {
        const std::string label = option_label(option);
        out << "  " << label << std::string(width - label.size() + kHelpColumnGap, ' ') << option.help << '\n';
    }
}

std::string usage_line(const CommandSpec& command) {
    std::string line = std::string("usage: ") + kToolName + " [--scenario FILE] " + command.name;
    if (!command.options.empty()) line += " [options]";
    if (!command.arguments.empty()) line += " " + command.arguments;
    return line;
}

}  // namespace

void print_general_help(std::ostream& out) {
    out << "usage: " << kToolName << " [--scenario FILE] COMMAND [options]\n\n"
        << "Desk tool for the Velmora UVC stereo cameras: list them, inspect one, read and\n"
        << "write the JSON document in its flash (backing up what it replaces), read and plot\n"
        << "its IMU, capture it into a virtual-camera scenario.\n\n"
        << "Commands:\n";
    std::size_t width = 0;
    for (const auto& command : all_commands()) width = std::max(width, command.name.size());
    for (const auto& command : all_commands()) {
        out << "  " << command.name << std::string(width - command.name.size() + kHelpColumnGap, ' ')
            << command.summary << '\n';
    }
    out << "\nGlobal options:\n"
        << "  --scenario FILE  load this virtual-camera scenario first (builds linked with the\n"
        << "                   virtual camera; by default its two built-in cameras are used)\n"
        << "  --help           show this help; '" << kToolName << " COMMAND --help' for one command\n"
        << "  --version        show the tool's version\n\n"
        << "Exit status:\n";
    for (const auto& row : exit_status_table()) {
        const std::string status = std::to_string(row.status);
        out << "  " << status << std::string(kStatusColumn - status.size(), ' ') << row.meaning << '\n';
    }
}

void print_command_help(const CommandSpec& command, std::ostream& out) {
    out << usage_line(command) << "\n\n" << command.description << "\n";
    if (!command.options.empty()) {
        out << "\nOptions:\n";
        print_option_lines(command.options, out);
    }
    if (command.options.size() >= device_selection_options().size() &&
        command.options.front().name == device_selection_options().front().name) {
        out << (command.name == "restore" ? "\nWithout --index, --serial or --path the camera the backup names is used.\n"
                                          : "\nWithout --index, --serial or --path the first camera of the scan is used.\n");
    }
}

void print_usage_hint(const CommandSpec* command, std::ostream& err) {
    if (command != nullptr) {
        err << usage_line(*command) << '\n'
            << "Try '" << kToolName << " " << command->name << " --help' for more information.\n";
        return;
    }
    err << "usage: " << kToolName << " [--scenario FILE] COMMAND [options]\n"
        << "Try '" << kToolName << " --help' for the list of commands.\n";
}

}  // namespace velmora::stereo_tool
