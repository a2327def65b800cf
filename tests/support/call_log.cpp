// Reading the virtual camera's call log.
#include "support/call_log.hpp"

#include <gtest/gtest.h>

namespace velmora::uvc_stereo::test_support {

std::vector<vcam_call> logged_calls() {
    std::vector<vcam_call> calls(vcam_call_count());
    for (std::size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(vcam_call_at(i, &calls[i]), 0);
    return calls;
}

std::vector<std::string> logged_functions() {
    std::vector<std::string> names;
    for (const vcam_call& call : logged_calls()) names.emplace_back(call.function);
    return names;
}

std::vector<vcam_call> logged_calls_of(const std::string& function) {
    std::vector<vcam_call> matching;
    for (const vcam_call& call : logged_calls()) {
        if (function == call.function) matching.push_back(call);
    }
    return matching;
}

std::vector<std::vector<std::uint64_t>> arguments_of(const std::string& function) {
    std::vector<std::vector<std::uint64_t>> arguments;
    for (const vcam_call& call : logged_calls_of(function)) arguments.emplace_back(call.args, call.args + call.arg_count);
    return arguments;
}

void clear_calls() { vcam_clear_call_log(); }

std::size_t total_calls() { return vcam_call_count(); }

std::size_t calls_of(const char* function) { return vcam_count_calls(function); }

}  // namespace velmora::uvc_stereo::test_support
