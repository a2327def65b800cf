// Tests of how a document file becomes text the camera will store: encodings,
// byte-order marks, and where a JSON mistake is, in lines and columns.
#include <gtest/gtest.h>

#include <sstream>

#include "input/document_file.hpp"
#include "input/json_diagnosis.hpp"
#include "input/text_decoding.hpp"
#include "input/text_position.hpp"

namespace velmora::stereo_tool {
namespace {

DocumentFile load_text(const std::string& bytes) {
    std::istringstream in(bytes);
    return load_document("-", in);
}

TEST(DocumentFile, RefusesWhatIsNotJsonWithLineColumnAndOffset) {
    struct Row {
        std::string bytes;
        std::string error;  // empty: accepted
    };
    const std::vector<Row> rows = {
        {"{\n  \"a\": 1,\n  \"b\" 2\n}", "<stdin>:3:7: expected ':' after the key, found '2' (byte offset 18)"},
        {"{\"a\": 1\n \"b\": 2}", "<stdin>:2:2: expected ',' or '}', found '\"' (byte offset 9)"},
        {"[1, 2,]", "<stdin>:1:7: a trailing comma before ']' (byte offset 6)"},
        {"[1, 2", "<stdin>:1:6: the text ends early; expected ',' or ']' (byte offset 5)"},
        {"{\"a\": \"x", "<stdin>:1:7: the string that starts here is never closed (byte offset 6)"},
        {"{\"a\": tru}", "<stdin>:1:7: unknown word; expected 'true' (byte offset 6)"},
        {"{\"a\": 'x'}", "<stdin>:1:7: strings need double quotes, not single ones (byte offset 6)"},
        {"\"\\q\"", "<stdin>:1:2: unknown escape '\\q' (byte offset 1)"},
        {"\"a\tb\"", "<stdin>:1:3: control character byte 0x09 in a string; write it as an escape such as \\n or \\t "
                     "(byte offset 2)"},
        {"\"\\ud83d\"", "<stdin>:1:2: a high surrogate escape must be followed by a low one (\\uDC00 to \\uDFFF) "
                        "(byte offset 1)"},
        {"1.", "<stdin>:1:3: the text ends early; expected a digit after the decimal point (byte offset 2)"},
        {"   ", "<stdin>:1:4: the text ends early; expected a value (byte offset 3)"},
        {"", "<stdin>:1:1: the file is empty; expected a JSON value (byte offset 0)"},
        // Columns count characters, offsets count bytes; CR LF ends one line.
        {"{\"é\": 1,\r\n \"ü\" 1}", "<stdin>:2:6: expected ':' after the key, found '1' (byte offset 17)"},
        {"\xEF\xBB\xBF{,}", "<stdin>:1:2: expected a key in double quotes, found ',' (byte offset 4)"},
        {"{\"a\": [1, {\"b\": null}], \"c\": \"\\ud83d\\ude00\"}", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes);
        const DocumentFile document = load_text(row.bytes);
        EXPECT_EQ(document.error, row.error);
    }
}

TEST(DocumentFile, DecodesUtf16AndRefusesBadUtf8) {
    struct Row {
        const char* label;
        std::string bytes;
        std::string minified;  // empty: refused with error
        std::string error;
        std::string note;
    };
    const std::vector<Row> rows = {
        {"UTF-16 little-endian", std::string("\xFF\xFE{\0\"\0\xE9\0\"\0:\0 \0""1\0}\0", 18), "{\"\xC3\xA9\":1}", "",
         "note: <stdin>: converted from UTF-16 (little-endian) to UTF-8"},
        {"UTF-16 big-endian with a surrogate pair", std::string("\xFE\xFF\0\"\xD8\x3D\xDE\0\0\"", 10),
         "\"\xF0\x9F\x98\x80\"", "", "note: <stdin>: converted from UTF-16 (big-endian) to UTF-8"},
        {"UTF-16 with a lone surrogate", std::string("\xFF\xFE\"\0\x3D\xD8\"\0", 8), "",
         "<stdin>:1:2: the file is UTF-16 (little-endian) but holds a lone surrogate (byte offset 4)", ""},
        {"UTF-16 of odd length", std::string("\xFF\xFE\"\0\"", 5), "",
         "<stdin>: the file is UTF-16 (little-endian) but ends in the middle of a character (byte offset 4)", ""},
        {"a Latin-1 byte", "{\"a\":\n \"caf\xE9\"}", "",
         "<stdin>:2:6: not valid UTF-8: byte 0xE9 cannot stand here; save the file as UTF-8 (byte offset 11)", ""},
        {"an overlong form", "\"\xC0\xAF\"", "",
         "<stdin>:1:2: not valid UTF-8: byte 0xC0 cannot stand here; save the file as UTF-8 (byte offset 1)", ""},
        {"an encoded surrogate", "\"\xED\xA0\x80\"", "",
         "<stdin>:1:2: not valid UTF-8: byte 0xED cannot stand here; save the file as UTF-8 (byte offset 1)", ""},
        {"a cut sequence at the end", "\"\xE2\x82", "",
         "<stdin>:1:2: not valid UTF-8: byte 0xE2 cannot stand here; save the file as UTF-8 (byte offset 1)", ""},
        {"four-byte UTF-8 is fine", "\"\xF0\x9F\x98\x80\"", "\"\xF0\x9F\x98\x80\"", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const DocumentFile document = load_text(row.bytes);
        EXPECT_EQ(document.error, row.error);
        EXPECT_EQ(document.minified, row.minified);
        EXPECT_EQ(document.notes.empty() ? "" : document.notes.front(), row.note);
    }
}

TEST(DocumentFile, NestingDeeperThanTheSdkAllowsIsNamed) {
    const std::string deep = std::string(600, '[') + std::string(600, ']');
    const DocumentFile document = load_text(deep);
    EXPECT_EQ(document.error, "<stdin>:1:513: the document nests deeper than 512 levels (byte offset 512)");
}

TEST(TextPosition, CountsLinesAndCharacters) {
    struct Row {
        std::string text;
        std::size_t offset;
        std::size_t line;
        std::size_t column;
    };
    for (const auto& row : std::vector<Row>{{"abc", 0, 1, 1},
                                            {"abc", 2, 1, 3},
                                            {"a\nb", 2, 2, 1},
                                            {"a\r\nb", 3, 2, 1},
                                            {"a\rb", 2, 2, 1},
                                            {"\xC3\xA9x", 2, 1, 2},
                                            {"ab", 99, 1, 3}}) {
        SCOPED_TRACE(row.text);
        const TextPosition position = position_of(row.text, row.offset);
        EXPECT_EQ(position.line, row.line);
        EXPECT_EQ(position.column, row.column);
    }
}

}  // namespace
}  // namespace velmora::stereo_tool
