// JSON minifier and validator: minified output, failure offsets, the nesting
// bound, and the escapes that must be copied rather than decoded.
#include <gtest/gtest.h>

#include <string>

#include "velmora/uvc_stereo/json.hpp"

namespace velmora::uvc_stereo {
namespace {

std::string repeat(const std::string& piece, std::size_t count) {
    std::string out;
    out.reserve(piece.size() * count);
    for (std::size_t i = 0; i < count; ++i) out += piece;
    return out;
}

std::string invalid_at(std::size_t offset) { return "invalid JSON value at offset " + std::to_string(offset); }
std::string trailing_at(std::size_t offset) {
    return "unexpected trailing characters at offset " + std::to_string(offset);
}

TEST(MinifyJsonTest, ValidDocumentsAreMinified) {
    const struct {
        const char* name;
        std::string input;
        std::string output;
    } rows[] = {
        {"mixed array in object", " { \"a\" : [ 1 , 2.5e-3 , true , null ] } ", "{\"a\":[1,2.5e-3,true,null]}"},
        {"space inside a string kept", "  \"x y\"  ", "\"x y\""},
        {"all four whitespace bytes", "\t\r\n [\n\t1\r, false ]\r\n", "[1,false]"},
        {"empty containers", "{ \"o\" : { } , \"a\" : [ ] }", "{\"o\":{},\"a\":[]}"},
        {"negative zero", "-0", "-0"},
        {"fraction", "0.5", "0.5"},
        {"exponent forms", "[1E5,1e+5,-1.25E-10,0e0]", "[1E5,1e+5,-1.25E-10,0e0]"},
        {"bare scalar", " 42 ", "42"},
        {"literals", "[true,false,null]", "[true,false,null]"},
        {"simple escapes copied as written", R"("\"\\\/\b\f\n\r\t")", R"("\"\\\/\b\f\n\r\t")"},
        {"unicode escapes keep their case", R"("\u00e9\u00C9")", R"("\u00e9\u00C9")"},
        {"surrogate pair", R"("\ud83d\ude00")", R"("\ud83d\ude00")"},
        {"UTF-8 bytes copied", "\"\xC3\xA9\"", "\"\xC3\xA9\""},
        {"DEL and high bytes copied", "\"\x7F\xFF\"", "\"\x7F\xFF\""},
        {"whitespace inside strings kept", "{ \"a b\" : \" c \\n \" }", "{\"a b\":\" c \\n \"}"},
        {"duplicate keys kept", "{\"a\":1,\"a\":2}", "{\"a\":1,\"a\":2}"},
        {"nested objects", "{\"a\":{\"b\":{\"c\":[[],[{}]]}}}", "{\"a\":{\"b\":{\"c\":[[],[{}]]}}}"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Result<std::string> result = minify_and_validate_json(row.input);
        ASSERT_TRUE(result.ok()) << result.status().message();
        EXPECT_EQ(result.value(), row.output);
    }
}

TEST(MinifyJsonTest, InvalidDocumentsReportWhereParsingStopped) {
    const struct {
        const char* name;
        std::string input;
        std::string message;
    } rows[] = {
        {"empty", "", "json text is empty"},
        {"only whitespace", "   ", invalid_at(3)},
        {"closing bracket", "]", invalid_at(0)},
        {"missing colon", "{\"a\" 1}", invalid_at(5)},
        {"unterminated array", "[1,2", invalid_at(4)},
        {"extra closing brace", "{\"a\":1}}", trailing_at(7)},
        {"leading zero", "01", trailing_at(1)},
        {"dot without digits", "1.", invalid_at(2)},
        {"dot before digits", ".5", invalid_at(0)},
        {"exponent without digits", "1e+", invalid_at(3)},
        {"lone minus", "-", invalid_at(1)},
        {"minus before a letter", "-a", invalid_at(1)},
        {"literal with trailing letter", "nullx", trailing_at(4)},
        {"truncated literal", "nul", invalid_at(3)},
        {"misspelled literal", "trUe", invalid_at(2)},
        {"lone low surrogate", R"("\ude00")", invalid_at(7)},
        {"lone high surrogate", R"("\ud83d")", invalid_at(7)},
        {"high surrogate then non-surrogate", R"("\ud83d\u0041")", invalid_at(13)},
        {"high surrogate then another high", R"("\ud83d\ud83d")", invalid_at(13)},
        {"short unicode escape", R"("\u12G4")", invalid_at(5)},
        {"unknown escape", R"("\x")", invalid_at(2)},
        {"tab inside a string", "\"a\tb\"", invalid_at(2)},
        {"newline inside a string", "[\"a\nb\"]", invalid_at(3)},
        {"unterminated string", "\"abc", invalid_at(4)},
        {"backslash at the end", "\"abc\\", invalid_at(5)},
        {"array trailing comma", "[1,]", invalid_at(3)},
        {"object trailing comma", "{\"a\":1,}", invalid_at(7)},
        {"unquoted key", "{a:1}", invalid_at(1)},
        {"missing value", "{\"a\":}", invalid_at(5)},
        {"missing separator", "[1 2]", invalid_at(3)},
        {"unclosed object after whitespace", "{ ", invalid_at(2)},
        {"two values", "1 2", trailing_at(2)},
        {"single quotes", "'a'", invalid_at(0)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Result<std::string> result = minify_and_validate_json(row.input);
        EXPECT_EQ(result.status().code(), ErrorCode::InvalidJson);
        EXPECT_EQ(result.status().message(), row.message);
        EXPECT_FALSE(result.has_value());
    }
}

TEST(MinifyJsonTest, InputIsAByteRangeNotACString) {
    const std::string with_nul("[1]\0[2]", 7);
    const Result<std::string> result = minify_and_validate_json(std::string_view(with_nul.data(), 3));
    ASSERT_TRUE(result.ok()) << result.status().message();
    EXPECT_EQ(result.value(), "[1]");
    EXPECT_EQ(minify_and_validate_json(with_nul).status().message(), trailing_at(3));
}

// Nesting is bounded at 512 open containers; the bracket that would open the
// 513th fails where it stands, however deep the document goes.
TEST(MinifyJsonTest, NestingDepthIsBounded) {
    const struct {
        const char* name;
        std::string input;
        std::string message;  // empty: success
    } rows[] = {
        {"512 arrays", repeat("[", 512) + repeat("]", 512), ""},
        {"513 arrays", repeat("[", 513) + repeat("]", 513), invalid_at(512)},
        {"100000 open brackets", repeat("[", 100000), invalid_at(512)},
        {"100000 open braces", repeat("{\"k\":", 100000), invalid_at(512 * 5)},
        {"mixed after whitespace", " " + repeat("[{\"k\":", 300), invalid_at(1 + 256 * 6)},
        {"100000 closed arrays in sequence", "[" + repeat("[],", 99999) + "[]]", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Result<std::string> result = minify_and_validate_json(row.input);
        if (row.message.empty()) {
            ASSERT_TRUE(result.ok()) << result.status().message();
            EXPECT_EQ(result.value(), row.input);
        } else {
            EXPECT_EQ(result.status().code(), ErrorCode::InvalidJson);
            EXPECT_EQ(result.status().message(), row.message);
        }
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo
