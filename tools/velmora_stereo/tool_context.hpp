// What every command receives: its parsed options and the process streams.
#pragma once

#include <iosfwd>

#include "command_line/command_line.hpp"

namespace velmora::stereo_tool {

// Exit statuses of the tool, one table for every command (printed by --help).
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;        // the camera or the SDK failed
constexpr int kExitUsage = 2;          // a wrong command line, or a file that cannot be read, written or parsed
constexpr int kExitInterrupted = 130;  // Ctrl-C or Ctrl-Break (128 + SIGINT, as shells report it)
constexpr int kExitTerminated = 143;   // SIGTERM (128 + SIGTERM)

struct ToolContext {
    const ParsedOptions& options;
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    // Standard error is a terminal: long steps may show progress there.
    bool err_is_terminal = false;
};

}  // namespace velmora::stereo_tool
