// The whole tool as a function: global options, then one command.
#include "tool.hpp"

#include <exception>
#include <ostream>

#include "commands.hpp"
#include "output/error_report.hpp"
#include "command_line/help_text.hpp"
#include "camera/scenario.hpp"

namespace velmora::stereo_tool {
namespace {

constexpr const char* kScenarioOption = "--scenario";
constexpr const char* kToolVersion = VELMORA_TOOL_VERSION;

struct GlobalOptions {
    std::vector<std::string> scenarios;  // in the order given; the last one wins
    std::vector<std::string> rest;
    std::string error;
};

// Takes --scenario out wherever it stands (before "--"), so it may follow the command too.
GlobalOptions split_global_options(const std::vector<std::string>& args) {
    GlobalOptions global;
    const std::string prefix = std::string(kScenarioOption) + "=";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            global.rest.insert(global.rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        if (arg == kScenarioOption) {
            if (i + 1 >= args.size()) {
                global.error = "option '--scenario' needs a value (FILE)";
                return global;
            }
            global.scenarios.push_back(args[++i]);
        } else if (arg.compare(0, prefix.size(), prefix) == 0) {
            global.scenarios.push_back(arg.substr(prefix.size()));
        } else {
            global.rest.push_back(arg);
        }
    }
    return global;
}

struct Streams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool err_is_terminal;
};

int run_command(const CommandSpec& command, const std::vector<std::string>& args, const Streams& streams) {
    std::ostream& out = streams.out;
    std::ostream& err = streams.err;
    const ParseOutcome parsed = parse_options(args, command.options);
    if (!parsed.ok()) return report_usage_error(parsed.error, &command, err);
    if (parsed.options.has("help")) {
        print_command_help(command, out);
        return kExitSuccess;
    }
    return command.run(ToolContext{parsed.options, streams.in, out, err, streams.err_is_terminal});
}

int dispatch(const std::vector<std::string>& args, const Streams& streams) {
    std::ostream& out = streams.out;
    std::ostream& err = streams.err;
    if (args.empty()) return report_usage_error("no command given", nullptr, err);
    const std::string& first = args.front();
    if (first == "--help" || first == "-h") {
        print_general_help(out);
        return kExitSuccess;
    }
    if (first == "help") {
        const CommandSpec* command = args.size() > 1 ? find_command(args[1]) : nullptr;
        if (args.size() > 1 && command == nullptr) {
            return report_usage_error("unknown command '" + args[1] + "'", nullptr, err);
        }
        command != nullptr ? print_command_help(*command, out) : print_general_help(out);
        return kExitSuccess;
    }
    if (first == "--version") {
        out << kToolName << ' ' << kToolVersion << '\n';
        return kExitSuccess;
    }
    const CommandSpec* command = find_command(first);
    if (command == nullptr) {
        const bool looks_like_option = !first.empty() && first[0] == '-';
        return report_usage_error((looks_like_option ? "unknown option '" : "unknown command '") + first + "'",
                                  nullptr, err);
    }
    return run_command(*command, std::vector<std::string>(args.begin() + 1, args.end()), streams);
}

}  // namespace

int run_tool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err,
             bool err_is_terminal) {
    try {
        const GlobalOptions global = split_global_options(args);
        if (!global.error.empty()) return report_usage_error(global.error, nullptr, err);
        for (const auto& scenario : global.scenarios) {
            if (const auto problem = load_scenario(scenario); !problem.empty()) {
                return report_file_problem(problem, err);
            }
        }
        return dispatch(global.rest, Streams{in, out, err, err_is_terminal});
    } catch (const std::exception& exception) {
        err << "error: " << exception.what() << '\n';
    } catch (...) {
        err << "error: unexpected failure\n";
    }
    return kExitFailure;
}

}  // namespace velmora::stereo_tool
