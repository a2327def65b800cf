// The whole tool as a function, so tests can run it in their own process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora::stereo_tool {

// args excludes the program name. Returns the exit status. err_is_terminal
// says that err reaches a person's terminal, where progress may be shown.
int run_tool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err,
             bool err_is_terminal = false);

}  // namespace velmora::stereo_tool
