// The whole tool as a function, so tests can run it in their own process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora::stereo_tool {

// args excludes the program name. Returns the exit status.
int run_tool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace velmora::stereo_tool
