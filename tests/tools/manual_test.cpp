// The manual page and the bash completion name every command and option the
// tool has, and the manual gives the same exit statuses as --help.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>

#include "command_line/exit_status.hpp"
#include "commands.hpp"

namespace velmora::stereo_tool {
namespace {

std::string source_file(const std::string& name) {
    std::ifstream file(std::string(VELMORA_TOOL_SOURCE_DIR) + "/shell/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// "--dry-run" as roff writes it: "\-\-dry\-run".
std::string roff(const std::string& text) { return std::regex_replace(text, std::regex("-"), "\\-"); }

TEST(Manual, NamesEveryCommandOptionAndExitStatus) {
    const std::string manual = source_file("velmora-stereo.1");
    ASSERT_FALSE(manual.empty());
    for (const auto& command : all_commands()) {
        SCOPED_TRACE(command.name);
        const bool titled = manual.find("\n.B " + roff(command.name) + "\n") != std::string::npos ||
                            manual.find("\n.BI " + roff(command.name) + " ") != std::string::npos;
        EXPECT_TRUE(titled);
        for (const auto& option : command.options) {
            EXPECT_NE(manual.find("\\fB" + roff("--" + option.name) + "\\fR"), std::string::npos) << option.name;
        }
    }
    for (const auto& row : exit_status_table()) {
        EXPECT_NE(manual.find(".B " + std::to_string(row.status) + "\n" + row.meaning + "\n"), std::string::npos)
            << row.status;
    }
}

TEST(BashCompletion, OffersEveryOptionOfEachCommand) {
    const std::string script = source_file("velmora-stereo.bash");
    ASSERT_FALSE(script.empty());
    for (const auto& command : all_commands()) {
        SCOPED_TRACE(command.name);
        std::smatch line;
        ASSERT_TRUE(std::regex_search(script, line, std::regex("\n +" + command.name + "\\) options=\"([^\"]*)\"")));
        std::string offered = line[1];
        offered = std::regex_replace(offered, std::regex("\\$selection"), "--index --serial --path");
        for (const auto& option : command.options) {
            EXPECT_NE((" " + offered + " ").find(" --" + option.name + " "), std::string::npos) << option.name;
        }
    }
}

}  // namespace
}  // namespace velmora::stereo_tool
