// Small hand-written command-line parser: options declared per command.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velmora::stereo_tool {

// One option a command accepts. A flag takes no value; the others take one,
// given as "--name value" or "--name=value".
struct OptionSpec {
    std::string name;         // without the leading dashes
    std::string value_name;   // empty for a flag
    std::string help;
};

struct ParsedOptions {
    std::map<std::string, std::string> values;  // flags map to ""
    std::vector<std::string> positionals;

    bool has(const std::string& name) const { return values.count(name) != 0; }
    std::optional<std::string> value(const std::string& name) const;
};

struct ParseOutcome {
    ParsedOptions options;
    std::string error;  // empty on success

    bool ok() const { return error.empty(); }
};

// Parses args against declared_options. "-" alone is a positional (standard input);
// "--" ends the options. --help is always accepted.
ParseOutcome parse_options(const std::vector<std::string>& args, const std::vector<OptionSpec>& declared_options);

// Whole-number parsing that refuses signs, blanks and trailing characters.
std::optional<unsigned long long> parse_unsigned(const std::string& text);
// A positive decimal number of seconds ("2", "0.5").
std::optional<double> parse_positive_seconds(const std::string& text);

}  // namespace velmora::stereo_tool
