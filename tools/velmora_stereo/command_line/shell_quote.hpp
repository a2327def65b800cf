// Quoting a word for the shell, so a printed command can be pasted as it is.
#pragma once

#include <string>

namespace velmora::stereo_tool {

// The word as is when the shell leaves it alone; otherwise quoted: single
// quotes for POSIX shells, double quotes for the Windows command prompt and
// PowerShell.
std::string shell_quote(const std::string& word);

}  // namespace velmora::stereo_tool
