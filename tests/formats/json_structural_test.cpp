// The JSON minifier's structural pass at its edges, against the reference:
// breakages at block and batch boundaries, strings that span blocks and
// batches after earlier output went to the result, numbers and literals
// across a block boundary, the end of the text at every offset, and a
// hand-over to the exact parser in every state of the grammar. Then the
// pass alone: where it hands over, and what it has written by then.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "formats/json_classify_avx2.hpp"
#include "formats/json_structural.hpp"
#include "json_reference_check.hpp"
#include "reference_json_minifier.hpp"

namespace velmora::uvc_stereo {
namespace {

constexpr std::size_t kBlock = 64;
// The structural pass classifies 16 blocks at once.
constexpr std::size_t kBatch = 16 * kBlock;
// Enough text that its output has gone from the 4 KiB output chunk to the
// result before the spot under test: a hand-over there must take back what
// was written of a string, in the result itself.
constexpr std::size_t kPastAFlush = 6000;

std::string repeat(const std::string& piece, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += piece;
    return out;
}

// The elements of an array, pretty-printed, about `size` bytes: values of
// every kind, escapes among them. Ends with a comma.
std::string elements(std::size_t size) {
    static const std::string kElement =
        "  {\"k\": [ -0.5, 12, 1e-3, true, null, \"s \\\" \\u00e9\" ],\n   \"o\": {\"x\": false}, \"e\": []},\n";
    return repeat(kElement, size / kElement.size() + 1);
}

TEST(JsonStructuralPassTest, BreakagesAtBlockAndBatchBoundariesMatchTheReference) {
    const std::string document = "[\n" + elements(2 * kBatch + kBlock) + "  0\n]\n";
    const std::string breakers[] = {"\"", "\\", "]", "}", ":", ",", "[", "{", "\x01", "\t", "x", "0", "-", ".", "e"};
    for (std::size_t boundary = kBlock; boundary < document.size(); boundary += kBlock) {
        for (std::size_t offset = boundary - 2; offset <= boundary + 1; ++offset) {
            SCOPED_TRACE("offset " + std::to_string(offset));
            if (!matches_reference(document.substr(0, offset) + document.substr(offset + 1))) return;
            for (const std::string& breaker : breakers) {
                if (!matches_reference(document.substr(0, offset) + breaker + document.substr(offset + 1))) return;
                if (!matches_reference(document.substr(0, offset) + breaker + document.substr(offset))) return;
            }
        }
    }
}

// A string with one flaw, of several lengths, starting at several
// positions in a block, the flaw at several distances from its start; once
// closed and followed by the document's end, once running to the end.
TEST(JsonStructuralPassTest, FlawedStringsAcrossBlocksAndBatchesMatchTheReference) {
    const std::string flaws[] = {"\x01", "\t", "\\x", "\\u12G4", "\\udc00", "\\ud800\\u0041", "\\ud800", "\\"};
    for (const std::size_t length : {10, 63, 64, 65, 130, 1100, 2100}) {
        for (const std::size_t shift : {0, 1, 31, 62, 63}) {
            const std::string before = "[\n" + elements(kPastAFlush) + std::string(shift, ' ') + "\"";
            for (const std::string& flaw : flaws) {
                for (const std::size_t distance : {std::size_t{0}, std::size_t{1}, length / 2, length - 2}) {
                    std::string body(length, 's');
                    body.replace(distance, flaw.size(), flaw);
                    SCOPED_TRACE("length " + std::to_string(length) + ", shift " + std::to_string(shift) +
                                 ", flaw " + printable(flaw) + " at " + std::to_string(distance));
                    if (!matches_reference(before + body + "\"\n]")) return;
                    if (!matches_reference(before + body)) return;
                }
            }
            // The same strings without a flaw, escapes at their ends.
            const std::string body = "\\\"" + std::string(length, 'v') + "\\\\\\u00e9";
            if (!matches_reference(before + body + "\"\n]")) return;
            if (!matches_reference(before + body)) return;
        }
    }
}

TEST(JsonStructuralPassTest, ScalarsAcrossABlockBoundaryMatchTheReference) {
    const std::string scalars[] = {"-0.125", "12345678901234567890.5", "0", "-0", "1e5", "-1.5E-3", "01", "1.",
                                   "-",      "true",                   "false", "null", "truex", "nul", "1x", "--1",
                                   "0.1.2",  "1e",                     "2e+", "-01.5"};
    for (std::size_t shift = 0; shift <= kBlock + 8; ++shift) {
        for (const std::string& scalar : scalars) {
            const std::string lead = "[" + std::string(kBlock + shift, ' ');
            SCOPED_TRACE(scalar + " after " + std::to_string(lead.size()) + " bytes");
            if (!matches_reference(lead + scalar + "]")) return;
            if (!matches_reference(lead + scalar + "," + std::string(3 * kBlock, ' ') + "0]")) return;
        }
    }
}

TEST(JsonStructuralPassTest, TheEndOfTheTextAtEveryOffsetMatchesTheReference) {
    const std::string document = "{\"a\": [\n" + elements(2 * kBatch) + "  0\n]}\n";
    for (std::size_t cut = 0; cut <= document.size(); ++cut) {
        if (!matches_reference(std::string_view(document).substr(0, cut))) return;
    }
}

// The first wrong token in each state the structural pass hands over from,
// after enough text that the pass runs, and at the very end of the text.
TEST(JsonStructuralPassTest, HandOversInEveryStateMatchTheReference) {
    const std::string lead = "[\n" + elements(5 * kBlock);
    const std::string wrong[] = {
        "[1, x]",            // a value
        "[x]",               // after '['
        "[ ]x",              // after a container, inside another
        "{x}",               // after '{'
        "{\"a\":1, x}",      // a key
        "{\"a\" x}",         // the colon
        "{\"a\" : }",        // a value after the colon
        "[1 x]",             // after a value in an array
        "{\"a\":1 x}",       // after a value in an object
        "[1,]",              // a trailing comma
        "[1}",               // the other closer
        repeat("[", 513),    // the nesting bound
    };
    for (const std::string& tail : wrong) {
        SCOPED_TRACE(tail.substr(0, 16));
        if (!matches_reference(lead + tail + "]")) return;
        if (!matches_reference(lead + tail)) return;
        if (!matches_reference(std::string(3 * kBlock, ' ') + tail)) return;
    }
    // Trailing bytes after a complete top-level value.
    for (const char* top : {"1 x", "{} {}", "\"s\"\"t\"", "[] 0", "null,", "0 \x01"}) {
        if (!matches_reference(std::string(3 * kBlock, ' ') + top)) return;
        if (!matches_reference(std::string(top) + std::string(3 * kBlock, ' ') + "x")) return;
    }
}

// The text before `end` without whitespace outside strings, one byte at a
// time: what the output must hold when the pass hands over at `end`.
std::string minified_before(std::string_view text, std::size_t end) {
    std::string out;
    bool in_string = false;
    bool escaped = false;
    for (std::size_t i = 0; i < end; ++i) {
        const char c = text[i];
        if (in_string) {
            out += c;
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                in_string = false;
            }
        } else if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            out += c;
            in_string = c == '"';
        }
    }
    return out;
}

struct PassResult {
    detail::JsonResumePoint resume;
    std::string output;  // written up to the hand-over
};

PassResult run_structural_pass(std::string_view text, detail::json_structure::ClassifyBlocks kernel) {
    std::string result;
    result.reserve(text.size());
    char chunk[detail::JsonOutput::kChunkSize + detail::JsonOutput::kChunkSlack];
    char closers[detail::kMaxJsonDepth];
    detail::JsonOutput output(result, chunk);
    char* out = output.start();
    detail::StructuralMinifier pass(text, output, closers, kernel);
    const detail::JsonResumePoint resume = pass.run(out);
    output.finish(out);
    return PassResult{resume, result};
}

// The offset in a reference failure's message.
std::size_t failure_offset(const Result<std::string>& failure) {
    const std::string& message = failure.status().message();
    return std::strtoull(message.c_str() + message.rfind(' ') + 1, nullptr, 10);
}

// The pass hands over no later than the first error, with the text before
// that point minified; a valid text it takes to the end. Checked on the
// inputs of the tests above, a sample of each.
TEST(JsonStructuralPassTest, HandOverComesNoLaterThanTheErrorWithTheTextBeforeItWritten) {
    std::vector<std::string> inputs;
    const std::string document = "[\n" + elements(2 * kBatch) + "  0\n]\n";
    for (std::size_t offset = 1; offset < document.size(); offset += 7) {
        inputs.push_back(document.substr(0, offset));
        for (const char* breaker : {"\"", "\\", "]", ":", "\x01", "x", "0"}) {
            inputs.push_back(document.substr(0, offset) + breaker + document.substr(offset + 1));
        }
    }
    const std::string before = "[\n" + elements(kPastAFlush) + "\"";
    for (const std::size_t length : {10, 65, 1100, 2100}) {
        for (const char* flaw : {"\x01", "\\x", "\\udc00"}) {
            const std::string body = std::string(length / 2, 's') + flaw + std::string(length / 2, 's');
            inputs.push_back(before + body + "\"]");
            inputs.push_back(before + body);
        }
        inputs.push_back(before + std::string(length, 'v') + "\\ud83d\\ude00\"]");
    }
    inputs.push_back(document);

    std::vector<std::pair<const char*, detail::json_structure::ClassifyBlocks>> kernels{
        {"portable", detail::json_structure::classify_blocks_portably}};
    if (detail::cpu_runs_avx2_kernel()) kernels.push_back({"AVX2", detail::classify_blocks_avx2});
    for (const auto& [name, kernel] : kernels) {
        for (const std::string& input : inputs) {
            SCOPED_TRACE(std::string(name) + " kernel on " + printable(input.substr(0, 40)) + "... (" +
                         std::to_string(input.size()) + " bytes)");
            const Result<std::string> expected = reference::minify_and_validate_json(input);
            const PassResult pass = run_structural_pass(input, kernel);
            if (expected.ok()) {
                EXPECT_EQ(pass.resume.position, input.size());
            } else {
                EXPECT_LE(pass.resume.position, failure_offset(expected));
            }
            EXPECT_EQ(pass.output, minified_before(input, pass.resume.position));
            if (::testing::Test::HasFailure()) return;
        }
    }
}

// A wrong string is handed over at its first wrong byte or escape, inside
// the string, however many batches it spans: the exact parser scans only
// what follows. Where the grammar takes no string, at its quote.
TEST(JsonStructuralPassTest, AFlawedStringIsHandedOverAtItsFlawNotAtItsQuote) {
    using detail::JsonState;
    const std::string lead = "[\n" + elements(kPastAFlush);
    struct Flaw {
        const char* name;
        std::string bytes;
        std::size_t resume;  // from the flaw's first byte
    };
    const Flaw flaws[] = {
        {"control byte", "\x01", 0},
        {"wrong escape", "\\x", 0},
        {"lone low surrogate", "\\udc00", 0},
        {"pair with a wrong second half", "\\ud800\\u0041", 0},
    };
    std::vector<std::pair<const char*, detail::json_structure::ClassifyBlocks>> kernels{
        {"portable", detail::json_structure::classify_blocks_portably}};
    if (detail::cpu_runs_avx2_kernel()) kernels.push_back({"AVX2", detail::classify_blocks_avx2});
    for (const auto& [kernel_name, kernel] : kernels) {
        for (const std::size_t length : {10, 63, 1100, 2100, 5000}) {
            for (const Flaw& flaw : flaws) {
                for (const bool key : {false, true}) {
                    const std::string open = lead + (key ? "{\"" : "\"") + std::string(length, 's');
                    const std::string input = open + flaw.bytes + "s\"" + (key ? ":1}" : "") + "]";
                    SCOPED_TRACE(std::string(kernel_name) + ", " + flaw.name + " after " + std::to_string(length) +
                                 (key ? " bytes of a key" : " bytes of a value"));
                    const PassResult pass = run_structural_pass(input, kernel);
                    EXPECT_EQ(pass.resume.state, key ? JsonState::in_key_string : JsonState::in_value_string);
                    EXPECT_EQ(pass.resume.position, open.size() + flaw.resume);
                    EXPECT_EQ(pass.output, minified_before(input, pass.resume.position));
                }
            }
            SCOPED_TRACE(std::string(kernel_name) + ", string never closed, " + std::to_string(length) + " bytes");
            const std::string unclosed = lead + "\"" + std::string(length, 'u');
            const PassResult pass = run_structural_pass(unclosed, kernel);
            EXPECT_EQ(pass.resume.state, JsonState::in_value_string);
            EXPECT_EQ(pass.resume.position, unclosed.size());
            EXPECT_EQ(pass.output, minified_before(unclosed, unclosed.size()));
        }
        SCOPED_TRACE(std::string(kernel_name) + ", a wrong string where a colon must come");
        const std::string misplaced = lead + "{\"a\" \"b\x01\"}]";
        const PassResult pass = run_structural_pass(misplaced, kernel);
        EXPECT_EQ(pass.resume.state, JsonState::colon);
        EXPECT_EQ(pass.resume.position, misplaced.find("\"b"));
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo
