// Small hand-written command-line parser: options declared per command.
//
// Debian's CLI11 (libcli11-dev 2.1) was weighed against it and not taken: its
// errors are its own texts ("The following argument was not expected: --x",
// "--count: 1 required INT missing") with its own exit codes, and its help has
// its own layout. Keeping this tool's messages, usage hints and exit status 2
// would mean catching each CLI11 error type and rebuilding the text from it,
// plus a custom help formatter, which is more code than this parser.
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
