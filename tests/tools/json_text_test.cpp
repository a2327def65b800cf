// Tests of the tool's JSON quoting and indenting.
#include "output/json_text.hpp"

#include <gtest/gtest.h>

namespace velmora::stereo_tool {
namespace {

TEST(PrettyPrintJson, IndentsWithoutTouchingStrings) {
    struct Row {
        const char* label;
        std::string input;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"scalar", "42", "42"},
        {"empty object and array stay on one line", R"({"a":{},"b":[]})", "{\n  \"a\": {},\n  \"b\": []\n}"},
        {"nested", R"({"a":[1,{"b":true}]})",
         "{\n  \"a\": [\n    1,\n    {\n      \"b\": true\n    }\n  ]\n}"},
        {"structural characters inside strings", R"(["{,:}[]"])", "[\n  \"{,:}[]\"\n]"},
        {"escaped quote and backslash", R"(["a\"b\\"])", "[\n  \"a\\\"b\\\\\"\n]"},
        {"blanks outside strings are dropped", "{ \"a\" :\n [ 1 , 2 ] }", "{\n  \"a\": [\n    1,\n    2\n  ]\n}"},
        {"blanks inside strings stay", R"(["a b"])", "[\n  \"a b\"\n]"},
        {"empty containers with blanks inside", "[ ]", "[]"},
        {"unbalanced input does not wrap the indent", "]]", "\n]\n]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(pretty_print_json(row.input), row.expected);
    }
}

TEST(JsonQuote, EscapesWhatJsonRequires) {
    struct Row {
        std::string input;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"plain", "\"plain\""},
        {"a\"b", "\"a\\\"b\""},
        {"back\\slash", "\"back\\\\slash\""},
        {"tab\there", "\"tab\\there\""},
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
        {"\x1f", "\"\\u001f\""},
        {"caf\xc3\xa9", "\"caf\xc3\xa9\""},
        {"\\\\?\\usb#vid_0c45", "\"\\\\\\\\?\\\\usb#vid_0c45\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(json_quote(row.input), row.expected);
    }
}

}  // namespace
}  // namespace velmora::stereo_tool
