// The shipped JSON minifier against the reference kept beside this test: the
// same text, or the same failure (code, message, offset), on inputs chosen to
// put every special byte at every position of a vector block, on the fuzz
// seed corpus, and on deterministic mutations of that corpus.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "reference_json_minifier.hpp"
#include "velmora/uvc_stereo/json.hpp"

namespace velmora::uvc_stereo {
namespace {

// Beyond the widest block the scanners read at once, so that every position
// inside a block and the scalar tail after the last whole block are reached.
constexpr std::size_t kBlockSpan = 72;

// Prints non-printable bytes as \xNN so a failing input can be read back.
std::string printable(std::string_view bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

// Returns whether both agreed, so callers looping over thousands of inputs
// can stop at the first divergence instead of flooding the log.
bool matches_reference(std::string_view input) {
    const Result<std::string> expected = reference::minify_and_validate_json(input);
    const Result<std::string> actual = minify_and_validate_json(input);
    const bool same = expected.status().code() == actual.status().code() &&
                      expected.status().message() == actual.status().message() &&
                      expected.has_value() == actual.has_value() &&
                      (!expected.has_value() || expected.value() == actual.value());
    if (!same) {
        ADD_FAILURE() << "input: " << printable(input) << "\nreference: " << expected.status().message() << " "
                      << (expected.has_value() ? printable(expected.value()) : "") << "\nshipped:   "
                      << actual.status().message() << " " << (actual.has_value() ? printable(actual.value()) : "");
    }
    return same;
}

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

// Each byte that ends a vector run (quote, backslash, control bytes, the
// first non-whitespace byte, the first non-digit) is put at every position
// of a run, with the input ending at every distance after it.
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
                const std::string whole = run.prefix + repeat(run.filler, before) + special +
                                          repeat(run.filler, kBlockSpan - before) + run.suffix;
                if (!matches_reference(whole)) return;
                // The end of the input at every distance after the special byte.
                const std::size_t special_end = run.prefix.size() + before + special.size();
                for (std::size_t cut = special_end - special.size(); cut <= special_end + 20; ++cut) {
                    if (!matches_reference(std::string_view(whole).substr(0, cut))) return;
                }
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
