// The shipped JSON minifier against the reference kept beside this test: the
// same text, or the same failure (code, message, offset), on inputs chosen to
// put every special byte at every position of a vector block, on the fuzz
// seed corpus, and on deterministic mutations of that corpus. Every input
// also goes through the structural pass with its portable kernel, so that
// the pass and its hand-over to the exact parser are checked on any CPU.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "json_reference_check.hpp"
#include "reference_json_minifier.hpp"

namespace velmora::uvc_stereo {
namespace {

// Beyond the widest block the scanners read at once, so that every position
// inside a block and the scalar tail after the last whole block are reached.
constexpr std::size_t kBlockSpan = 72;
// Longer than the padded copy of an input's last bytes, so that a run placed
// after this much leading text is read from the input itself.
constexpr std::size_t kPastTheTail = 200;

std::string repeat(char c, std::size_t count) { return std::string(count, c); }

TEST(MinifyJsonDifferentialTest, TrickyInputsMatchTheReference) {
    const std::string inputs[] = {
        "",
        " ",
        repeat(' ', 15),
        repeat(' ', 16),
        repeat(' ', 17),
        repeat(' ', 64) + "1" + repeat(' ', 64),
        "\t\r\n 1 \n\r\t",
        "1\x0B",
        "[1,\x0C 2]",
        "\"" + repeat('a', 15) + "\"",
        "\"" + repeat('a', 16) + "\"",
        "\"" + repeat('a', 16),
        "\"" + repeat('a', 14) + "\\",
        "\"" + repeat('a', 14) + "\\u00",
        "\"" + repeat('a', 13) + "\\ud83d\\ude00\"",
        "\"" + repeat('a', 13) + "\\ud83d\\",
        "\"" + repeat('a', 13) + "\\ud83d\\x",
        "\"" + repeat('a', 13) + "\\ud83d\\ude0",
        "\"" + repeat('a', 13) + "\\uDBFF\\uDFFF\"",
        "\"" + repeat('a', 13) + "\\uDC00\"",
        "\"\\u" + repeat('f', 4) + "\"",
        "\"\\uD7FF\\uE000\"",
        "\"\\ud800\\udbff\"",
        "\"\\ud800\\ud800\\udc00\"",
        std::string("\"\x00\"", 3),
        "\"\x1F\"",
        "\"\x20\x7F\x80\xFF\"",
        repeat('1', 40),
        "-" + repeat('0', 3),
        "-" + repeat('9', 33) + "." + repeat('0', 17) + "e-" + repeat('5', 20),
        "1.5E",
        "1.5e-",
        "1.5e+x",
        "-.5",
        "-",
        "--1",
        "0x10",
        "1.e5",
        "[1.5,-0,2e3]",
        "t",
        "tru",
        "true",
        "truex",
        "fals",
        "falsE",
        "false ",
        "nulL",
        "[true,false,null,truee]",
        "{\"a\":tru}",
        "{\"a\"",
        "{\"a\" ",
        "{\"a\":",
        "{\"a\": ",
        "{\"a\":1",
        "{\"a\":1 ",
        "{\"a\":1,",
        "{\"a\":1, ",
        "{\"a\":1,\"b\"}",
        "{,}",
        "{\"a\":1]",
        "[1}",
        "[[1,2],[3,[4,[5]]]]",
        "[ [ ] , { } , \"\" ]",
        "{ \"k\" : { \"k\" : [ { } ] } }",
        "[" + repeat(' ', 20) + "]",
        "{" + repeat('\n', 20) + "}",
        repeat('[', 512) + repeat(']', 512),
        repeat('[', 512) + repeat(']', 511),
        repeat('[', 513),
        repeat('[', 511) + "{\"a\":{}}" + repeat(']', 511),
        repeat('[', 511) + "{\"a\":[]}" + repeat(']', 511),
        "[" + repeat(' ', 40) + "1" + repeat(' ', 40) + "," + repeat(' ', 40) + "2" + repeat(' ', 40) + "]",
    };
    for (const std::string& input : inputs) matches_reference(input);
}

// Where the structural pass hands over to the exact parser: every path and
// the reference give exactly these results.
TEST(MinifyJsonDifferentialTest, HandOverInputsGiveTheirExactResults) {
    constexpr std::size_t kBatchEnd = 1024;  // the structural pass classifies 16 blocks of 64 bytes at once
    struct Row {
        std::string name;
        std::string input;
        std::string expected;  // the minified text, or the failure's message
        bool valid;
    };
    const auto at = [](std::size_t offset) { return "invalid JSON value at offset " + std::to_string(offset); };
    std::vector<Row> rows = {
        {"a control byte for the colon", std::string("{\"a\"\x1A") + "1}", at(4), false},
        {"a form feed for the closer", std::string("{\"a\":1\x0C") + "}", at(6), false},
        {"a backslash at the end", "\"abc\\", at(5), false},
    };
    // A surrogate pair whose twelve bytes straddle bytes 1023/1024 of the
    // input at every split, written whole and with a wrong second half.
    const std::string pair = "\\ud83d\\ude00";
    for (std::size_t before = 0; before <= pair.size(); ++before) {
        const std::string lead = "[\"" + repeat('p', kBatchEnd - 2 - before);
        rows.push_back({"pair split after " + std::to_string(before) + " bytes", lead + pair + "\"]",
                        lead + pair + "\"]", true});
        const std::string broken = lead + "\\ud83d\\u0041\"]";
        rows.push_back({"wrong pair split after " + std::to_string(before) + " bytes", broken,
                        at(lead.size() + pair.size()), false});
    }
    // 65 backslashes escape the quote after them; 64 do not. The run crosses
    // a 64-byte block at every place.
    for (std::size_t shift = 0; shift < 66; ++shift) {
        const std::string lead = repeat(' ', 64 + shift) + "[\"";
        const std::string odd = lead + repeat('\\', 65) + "\"]";
        rows.push_back({"65 backslashes, shift " + std::to_string(shift), odd, at(odd.size()), false});
        const std::string even = lead + repeat('\\', 64) + "\"]";
        rows.push_back({"64 backslashes, shift " + std::to_string(shift), even, even.substr(64 + shift), true});
        const std::string escaped_letter = lead + repeat('\\', 65) + "n\"]";
        rows.push_back({"65 backslashes and a letter, shift " + std::to_string(shift), escaped_letter,
                        escaped_letter.substr(64 + shift), true});
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (!matches_reference(row.input)) return;
        const Result<std::string> result = reference::minify_and_validate_json(row.input);
        EXPECT_EQ(result.ok(), row.valid);
        EXPECT_EQ(result.ok() ? result.value() : result.status().message(), row.expected);
    }
}

// Each byte that ends a vector run (quote, backslash, control bytes, the
// first non-whitespace byte, the first non-digit) is put at every position
// of a run, with the input ending at every distance after it.
// The input's own bytes and the padded copy of its end take different paths:
// every run is tried near the start of a long document, and at its end.
TEST(MinifyJsonDifferentialTest, RunEndsAtEveryBlockPositionMatchTheReference) {
    const std::string specials[] = {"\"", "\\", "\\n", "\\u0041", std::string(1, '\0'), "\x1F", "\x20", "\x7F",
                                    "\x80", "\xFF", "\t", "\n", "\r", "x", "0", ".", "e", ",", "]"};
    const struct {
        const char* name;
        std::string prefix;
        char filler;
        std::string suffix;
    } runs[] = {
        {"string body", "[\"", 'a', "\"]"},
        {"whitespace before a value", "[", ' ', "1]"},
        {"whitespace after a value", "[1", ' ', "]"},
        {"tabs and newlines", "{\"k\":", '\n', "2}"},
        {"integer digits", "[1", '7', "]"},
        {"fraction digits", "[1.", '3', "]"},
        {"exponent digits", "[1e", '5', "]"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        for (const std::string& special : specials) {
            for (std::size_t before = 0; before <= kBlockSpan; ++before) {
                const std::string value = run.prefix + repeat(run.filler, before) + special +
                                          repeat(run.filler, kBlockSpan - before) + run.suffix;
                if (!matches_reference(value)) return;
                // The end of the input at every distance after the special byte.
                const std::size_t special_end = run.prefix.size() + before + special.size();
                for (std::size_t cut = special_end - special.size(); cut <= special_end + 20; ++cut) {
                    if (!matches_reference(std::string_view(value).substr(0, cut))) return;
                }
                // The same value early in a long document: one leading member
                // shifts it through the block positions too.
                const std::string long_document = "[\"" + repeat('x', before) + "\"," + value + "," +
                                                  repeat(' ', kPastTheTail) + "0]";
                if (!matches_reference(long_document)) return;
            }
        }
    }
}

std::vector<std::string> seed_corpus() {
    std::vector<std::string> seeds;
    for (const auto& entry : std::filesystem::directory_iterator(VELMORA_JSON_SEED_CORPUS)) {
        std::ifstream file(entry.path(), std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    return seeds;
}

// One random edit of the kind that breaks a parser at a boundary: a byte
// replaced, removed or inserted, or a slice duplicated.
std::string mutate(const std::string& seed, std::mt19937& random) {
    static const char kInteresting[] = "{}[]:,\"\\ \t\n\r0123456789.eE+-tfnu\x01\x1F\x7F\x80\xFF";
    std::string out = seed;
    const std::size_t position = out.empty() ? 0 : random() % out.size();
    const char byte = kInteresting[random() % (sizeof(kInteresting) - 1)];
    switch (random() % 4) {
        case 0:
            if (!out.empty()) out[position] = byte;
            break;
        case 1:
            if (!out.empty()) out.erase(position, 1);
            break;
        case 2: out.insert(position, 1, byte); break;
        default: {
            const std::size_t length = 1 + random() % 24;
            out.insert(random() % (out.size() + 1), out.substr(position, length));
            break;
        }
    }
    return out;
}

// Documents long enough that most of them is read from the input itself,
// with tokens of every kind straddling block boundaries as the leading
// padding shifts them.
TEST(MinifyJsonDifferentialTest, LongDocumentsMatchTheReference) {
    const std::string member = "{\"key\": [ -0.725937, 0.085000, 1280, -1.2e-4, 3.5E+5, true, false, null ],\r\n"
                               "\t\"text\": \"a \\\"quoted\\\" \\u00b5m \\ud83d\\ude00 string with spaces\",\n"
                               "  \"empty\": {}, \"nested\": [[[]], {\"a\": [0]}], \"long\": \"" +
                               repeat('s', 90) + "\"}";
    std::mt19937 random(99);
    for (std::size_t padding = 0; padding < 2 * 64; ++padding) {
        std::string document = repeat(' ', padding) + "[";
        for (int i = 0; i < 6; ++i) document += (i ? ",\n    " : "") + member;
        document += "]\n";
        if (!matches_reference(document)) return;
        // A few single-byte breakages at random places.
        for (int i = 0; i < 8; ++i) {
            std::string broken = document;
            broken[random() % broken.size()] = "\"\\]},: 0e.\x01"[random() % 12];
            if (!matches_reference(broken)) return;
        }
    }
}

TEST(MinifyJsonDifferentialTest, SeedCorpusAndItsMutationsMatchTheReference) {
    const std::vector<std::string> seeds = seed_corpus();
    ASSERT_GE(seeds.size(), 10u) << "seed corpus not found at " << VELMORA_JSON_SEED_CORPUS;

    constexpr int kMutationsPerSeed = 400;
    std::mt19937 random(20240611);  // fixed: the same inputs on every run and platform
    for (const std::string& seed : seeds) {
        for (std::size_t cut = 0; cut <= seed.size(); ++cut) {
            if (!matches_reference(std::string_view(seed).substr(0, cut))) return;
        }
        std::string mutant = seed;
        for (int i = 0; i < kMutationsPerSeed; ++i) {
            // Edits pile up for a few rounds, then start again from the seed.
            mutant = mutate(i % 8 == 0 ? seed : mutant, random);
            if (!matches_reference(mutant)) return;
        }
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo
