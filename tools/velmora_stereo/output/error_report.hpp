// Reporting failures on standard error: the SDK's message, code name and number.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include <velmora/uvc_stereo/status.hpp>

namespace velmora::stereo_tool {

// "DeviceUnavailable" for ErrorCode::DeviceUnavailable; "Unknown" outside the table.
std::string_view error_code_name(uvc_stereo::ErrorCode code);

// Prints "error: <plain words>: <message> (<CodeName>, <number>)" and returns
// kExitFailure: what happened first, then the SDK's own text and code on the
// same line. Without plain words for the failure, just the SDK's text and code.
int report_failure(const uvc_stereo::Status& status, std::ostream& err);
// The same with what the tool knows put before the SDK's own text instead:
// "error: <context>: <message> (<CodeName>, <number>)".
int report_failure(const std::string& context, const uvc_stereo::Status& status, std::ostream& err);

// Prints "error: <message>" for a file that cannot be read or written and
// returns kExitUsage: like a wrong command line, the user has to change the call.
int report_file_problem(const std::string& message, std::ostream& err);

// Prints "error: <message>" followed by the usage hint of the command (or the
// general one) and returns kExitUsage.
struct CommandSpec;
int report_usage_error(const std::string& message, const CommandSpec* command, std::ostream& err);

}  // namespace velmora::stereo_tool
