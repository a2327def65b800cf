// The tool's exit statuses with their meanings.
#include "command_line/exit_status.hpp"

#include "tool_context.hpp"

namespace velmora::stereo_tool {

const std::vector<ExitStatusMeaning>& exit_status_table() {
    static const std::vector<ExitStatusMeaning> table = {
        {kExitSuccess, "success"},
        {kExitFailure, "the camera or the SDK failed"},
        {kExitUsage, "a wrong command line, or a file that cannot be read, written or parsed"},
        {kExitInterrupted, "stopped by Ctrl-C or Ctrl-Break (a flash write is finished first)"},
        {kExitTerminated, "stopped by SIGTERM (a flash write is finished first)"},
    };
    return table;
}

}  // namespace velmora::stereo_tool
