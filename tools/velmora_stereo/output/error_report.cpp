// Reporting failures on standard error: the SDK's message, code name and number.
#include "output/error_report.hpp"

#include <array>
#include <ostream>

#include "commands.hpp"
#include "command_line/help_text.hpp"
#include "output/plain_words.hpp"

namespace velmora::stereo_tool {
namespace {

// Indexed by the numeric value of ErrorCode, which is fixed.
constexpr std::array<std::string_view, 15> kErrorCodeNames = {
    "Ok",          "InvalidArgument",    "BackendError",  "DeviceUnavailable", "ReadFailed",
    "WriteFailed", "EraseFailed",        "BadMagic",      "UnsupportedVersion", "InvalidHeader",
    "InvalidLength", "CrcMismatch",      "InvalidJson",   "InternalError",     "NotSupported",
};

}  // namespace

std::string_view error_code_name(uvc_stereo::ErrorCode code) {
    const auto value = static_cast<std::int32_t>(code);
    if (value < 0 || static_cast<std::size_t>(value) >= kErrorCodeNames.size()) return "Unknown";
    return kErrorCodeNames[static_cast<std::size_t>(value)];
}

int report_failure(const uvc_stereo::Status& status, std::ostream& err) { return report_failure({}, status, err); }

int report_failure(const std::string& context, const uvc_stereo::Status& status, std::ostream& err) {
    const std::string words = context.empty() ? plain_words(status) : context;
    err << "error: " << (words.empty() ? "" : words + ": ") << status.message() << " (" << error_code_name(status.code()) << ", "
        << static_cast<std::int32_t>(status.code()) << ")\n";
    return kExitFailure;
}

int report_file_problem(const std::string& message, std::ostream& err) {
    err << "error: " << message << '\n';
    return kExitUsage;
}

int report_usage_error(const std::string& message, const CommandSpec* command, std::ostream& err) {
    err << "error: " << message << '\n';
    print_usage_hint(command, err);
    return kExitUsage;
}

}  // namespace velmora::stereo_tool
