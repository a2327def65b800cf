// The tool's exit statuses with their meanings, as --help and the manual list them.
#pragma once

#include <vector>

namespace velmora::stereo_tool {

struct ExitStatusMeaning {
    int status;
    const char* meaning;
};

// Every status the tool returns, in ascending order.
const std::vector<ExitStatusMeaning>& exit_status_table();

}  // namespace velmora::stereo_tool
