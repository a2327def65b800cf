// Help and usage texts of the tool.
#pragma once

#include <iosfwd>

#include "commands.hpp"

namespace velmora::stereo_tool {

constexpr const char* kToolName = "velmora-stereo";

void print_general_help(std::ostream& out);
void print_command_help(const CommandSpec& command, std::ostream& out);
// One line naming the command's usage, and where to get more help.
void print_usage_hint(const CommandSpec* command, std::ostream& err);

}  // namespace velmora::stereo_tool
