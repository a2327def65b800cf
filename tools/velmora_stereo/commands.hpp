// The tool's commands: their names, help texts, options and entry points.
#pragma once

#include <string>
#include <vector>

#include "command_line/command_line.hpp"
#include "tool_context.hpp"

namespace velmora::stereo_tool {

struct CommandSpec {
    std::string name;
    std::string arguments;    // shown after the name in the usage line
    std::string summary;      // one line for the command list
    std::string description;  // the paragraph of the command's --help
    std::vector<OptionSpec> options;
    int (*run)(const ToolContext& context);
};

// Every command in the order the help lists them.
const std::vector<CommandSpec>& all_commands();
const CommandSpec* find_command(const std::string& name);

int run_scan(const ToolContext& context);
int run_info(const ToolContext& context);
int run_read_json(const ToolContext& context);
int run_write_json(const ToolContext& context);
int run_imu(const ToolContext& context);
int run_capture(const ToolContext& context);
int run_restore(const ToolContext& context);
int run_backups(const ToolContext& context);

// The device-selection options shared by the commands that open one camera.
std::vector<OptionSpec> device_selection_options();

}  // namespace velmora::stereo_tool
