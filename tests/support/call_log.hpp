// The virtual camera's log of vendor calls, read back for assertions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sonix_virtual/vcam_control.h"

namespace velmora::uvc_stereo::test_support {

// Every call logged since the log was last cleared, in order.
std::vector<vcam_call> logged_calls();
// Their function names, in order.
std::vector<std::string> logged_functions();
// The logged calls of one function, in order.
std::vector<vcam_call> logged_calls_of(const std::string& function);
// The scalar arguments of every logged call of function, in order.
std::vector<std::vector<std::uint64_t>> arguments_of(const std::string& function);

void clear_calls();
std::size_t total_calls();
std::size_t calls_of(const char* function);

}  // namespace velmora::uvc_stereo::test_support
