// What every command receives: its parsed options and the process streams.
#pragma once

#include <iosfwd>

#include "command_line/command_line.hpp"

namespace velmora::stereo_tool {

// Exit codes of the tool.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;  // the camera or the SDK reported an error
constexpr int kExitUsage = 2;    // the command line was wrong, or a file it names
constexpr int kExitInterrupted = 130;  // stopped by Ctrl-C (128 + SIGINT, as shells report it)

struct ToolContext {
    const ParsedOptions& options;
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

}  // namespace velmora::stereo_tool
