// Tests of the tool's hand-written option parser and number parsing.
#include "command_line/command_line.hpp"

#include <gtest/gtest.h>

namespace velmora::stereo_tool {
namespace {

const std::vector<OptionSpec> kSpecs = {
    {"count", "N", "samples"},
    {"csv", "", "comma-separated"},
    {"output", "FILE", "output file"},
};

TEST(ParseOptions, AcceptsAndRefusesCommandLines) {
    struct Row {
        const char* label;
        std::vector<std::string> args;
        std::string error;  // empty: accepted
        std::map<std::string, std::string> values;
        std::vector<std::string> positionals;
    };
    const std::vector<Row> rows = {
        {"value after a space", {"--count", "5"}, "", {{"count", "5"}}, {}},
        {"value after equals", {"--count=5"}, "", {{"count", "5"}}, {}},
        {"empty value after equals", {"--output="}, "", {{"output", ""}}, {}},
        {"flag", {"--csv"}, "", {{"csv", ""}}, {}},
        {"dash is standard input", {"-", "--csv"}, "", {{"csv", ""}}, {"-"}},
        {"value that looks like an option", {"--output", "--csv"}, "", {{"output", "--csv"}}, {}},
        {"double dash ends options", {"--", "--csv"}, "", {}, {"--csv"}},
        {"help is always known", {"--help"}, "", {{"help", ""}}, {}},
        {"short help", {"-h"}, "", {{"help", ""}}, {}},
        {"positionals keep their order", {"a", "--csv", "b"}, "", {{"csv", ""}}, {"a", "b"}},
        {"unknown long option", {"--bogus"}, "unknown option '--bogus'", {}, {}},
        {"unknown short option", {"-x"}, "unknown option '-x'", {}, {}},
        {"missing value", {"--count"}, "option '--count' needs a value (N)", {}, {}},
        {"flag given a value", {"--csv=1"}, "option '--csv' takes no value", {}, {}},
        {"help given a value", {"--help=1"}, "unknown option '--help'", {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const ParseOutcome outcome = parse_options(row.args, kSpecs);
        EXPECT_EQ(outcome.error, row.error);
        if (!row.error.empty()) continue;
        EXPECT_EQ(outcome.options.values, row.values);
        EXPECT_EQ(outcome.options.positionals, row.positionals);
    }
}

TEST(ParseNumbers, WholeNumbersAndSeconds) {
    struct UnsignedRow {
        std::string text;
        std::optional<unsigned long long> expected;
    };
    for (const auto& row : std::vector<UnsignedRow>{{"0", 0ULL},
                                                   {"42", 42ULL},
                                                   {"18446744073709551615", 18446744073709551615ULL},
                                                   {"18446744073709551616", std::nullopt},
                                                   {"", std::nullopt},
                                                   {"-1", std::nullopt},
                                                   {"+1", std::nullopt},
                                                   {" 1", std::nullopt},
                                                   {"1x", std::nullopt},
                                                   {"1.5", std::nullopt}}) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(parse_unsigned(row.text), row.expected);
    }
    struct SecondsRow {
        std::string text;
        std::optional<double> expected;
    };
    for (const auto& row : std::vector<SecondsRow>{{"2", 2.0},
                                                  {"0.25", 0.25},
                                                  {"0", std::nullopt},
                                                  {"-1", std::nullopt},
                                                  {"inf", std::nullopt},
                                                  {"nan", std::nullopt},
                                                  {"1s", std::nullopt},
                                                  {"", std::nullopt}}) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(parse_positive_seconds(row.text), row.expected);
    }
}

}  // namespace
}  // namespace velmora::stereo_tool
