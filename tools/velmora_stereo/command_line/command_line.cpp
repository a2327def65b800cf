// Small hand-written command-line parser: options declared per command.
#include "command_line/command_line.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace velmora::stereo_tool {
namespace {

constexpr const char* kHelpOption = "help";

const OptionSpec* find_spec(const std::vector<OptionSpec>& declared_options, const std::string& name) {
    for (const auto& declared_option : declared_options) {
        if (declared_option.name == name) return &declared_option;
    }
    return nullptr;
}

bool is_option(const std::string& arg) { return arg.size() > 2 && arg.compare(0, 2, "--") == 0; }

bool is_short_option(const std::string& arg) { return arg.size() >= 2 && arg[0] == '-' && arg[1] != '-'; }

}  // namespace

std::optional<std::string> ParsedOptions::value(const std::string& name) const {
    const auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
}

ParseOutcome parse_options(const std::vector<std::string>& args, const std::vector<OptionSpec>& declared_options) {
    ParseOutcome outcome;
    bool options_ended = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!options_ended && arg == "--") {
            options_ended = true;
            continue;
        }
        if (options_ended || arg == "-" || (!is_option(arg) && !is_short_option(arg))) {
            outcome.options.positionals.push_back(arg);
            continue;
        }
        if (arg == "-h") {
            outcome.options.values[kHelpOption] = "";
            continue;
        }
        if (is_short_option(arg)) {
            outcome.error = "unknown option '" + arg + "'";
            return outcome;
        }
        std::string name = arg.substr(2);
        std::optional<std::string> inline_value;
        const auto equals = name.find('=');
        if (equals != std::string::npos) {
            inline_value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (name == kHelpOption && !inline_value) {
            outcome.options.values[kHelpOption] = "";
            continue;
        }
        const OptionSpec* declared_option = find_spec(declared_options, name);
        if (declared_option == nullptr) {
            outcome.error = "unknown option '--" + name + "'";
            return outcome;
        }
        if (declared_option->value_name.empty()) {
            if (inline_value) {
                outcome.error = "option '--" + name + "' takes no value";
                return outcome;
            }
            outcome.options.values[name] = "";
            continue;
        }
        if (!inline_value) {
            if (i + 1 >= args.size()) {
                outcome.error = "option '--" + name + "' needs a value (" + declared_option->value_name + ")";
                return outcome;
            }
            inline_value = args[++i];
        }
        outcome.options.values[name] = *inline_value;
    }
    return outcome;
}

std::optional<unsigned long long> parse_unsigned(const std::string& text) {
    if (text.empty()) return std::nullopt;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (errno == ERANGE || end == nullptr || *end != '\0') return std::nullopt;
    return value;
}

std::optional<double> parse_positive_seconds(const std::string& text) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno == ERANGE || end == nullptr || *end != '\0') return std::nullopt;
    if (!std::isfinite(value) || value <= 0.0) return std::nullopt;
    return value;
}

}  // namespace velmora::stereo_tool
