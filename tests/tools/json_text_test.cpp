// Tests of the tool's JSON quoting and indenting.
#include "output/json_text.hpp"
#include "output/tool_json.hpp"

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

TEST(PrettyPrintJson, KeepsWhatAParseAndDumpWouldChange) {
    // The stored text is shown as stored: numbers as written, every duplicate
    // key, bytes that are not UTF-8 (the SDK does not check them).
    const std::string stored = "{\"a\":1.10,\"a\":1E2,\"big\":123456789012345678901234567890,\"t\":\"\xE9\"}";
    EXPECT_EQ(pretty_print_json(stored),
              "{\n  \"a\": 1.10,\n  \"a\": 1E2,\n  \"big\": 123456789012345678901234567890,\n  \"t\": \"\xE9\"\n}");
}

TEST(ToolJson, EscapesWhatJsonRequiresAndKeepsUtf8) {
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
        {"caf\xc3\xa9", "\"caf\xc3\xa9\""},
        {"\\\\?\\usb#vid_0c45", "\"\\\\\\\\?\\\\usb#vid_0c45\""},
        {"not UTF-8 \xE9", "\"not UTF-8 \xEF\xBF\xBD\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(dump_tool_json(ToolJson(row.input)), row.expected + "\n");
    }
}

}  // namespace
}  // namespace velmora::stereo_tool
