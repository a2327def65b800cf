// Runs the tool in the test's own process and captures what it prints; the
// fixture of the tests that run it against the built-in cameras.
#pragma once

#include <gtest/gtest.h>
#include <sonix_virtual/vcam_control.h>

#include <sstream>
#include <string>
#include <vector>

#include "tool.hpp"
#include "tool_context.hpp"

namespace velmora::stereo_tool::test_support {

struct ToolRun {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// terminal: run as if standard error were a terminal (progress lines appear).
inline ToolRun run(const std::vector<std::string>& args, const std::string& input = {}, bool terminal = false) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    ToolRun result;
    result.exit_code = run_tool(args, in, out, err, terminal);
    result.out = out.str();
    result.err = err.str();
    return result;
}

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Each test starts and ends with the virtual camera's default scenario.
class DefaultCamerasTest : public ::testing::Test {
protected:
    void SetUp() override { vcam_load_default_scenario(); }
    void TearDown() override { vcam_load_default_scenario(); }
};

}  // namespace velmora::stereo_tool::test_support
