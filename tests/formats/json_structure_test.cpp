// The JSON structural pass's view of a text, block by block (escapes,
// strings, tokens, kept bytes), against an oracle that works it out one byte
// at a time: for the portable kernel on every CPU and for the AVX2 kernel
// where the CPU has it, across block and batch boundaries.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "formats/json_classify_avx2.hpp"
#include "formats/json_structure.hpp"

namespace velmora::uvc_stereo::detail::json_structure {
namespace {

constexpr std::size_t kBlock = json_scan::kBlockSize;
// What a kernel may read past a block and write past its output.
constexpr std::size_t kSlack = 64;

struct Structure {
    std::vector<Block> blocks;
    std::string kept_bytes;
};

// One byte at a time: a backslash escapes the next byte unless it is escaped
// itself; a quote that is not escaped opens or closes a string; a string
// holds its opening quote and its bytes, not its closing quote. Escapes to
// check are the escaped bytes but backslashes, which are always valid.
Structure oracle(const std::string& text) {
    Structure expected;
    expected.blocks.assign(text.size() / kBlock, Block{0, 0, 0, 0, 0});
    bool escape_pending = false;
    bool in_string = false;
    bool after_scalar = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool escaped = escape_pending;
        escape_pending = !escaped && byte == '\\';
        const bool quote = byte == '"' && !escaped;
        if (quote) in_string = !in_string;
        const bool whitespace = byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
        const unsigned char with_bit5 = byte | 0x20;
        const bool structural = with_bit5 == ',' || with_bit5 == ':' || with_bit5 == '{' || with_bit5 == '}';
        const bool scalar = !whitespace && !structural && !quote && !in_string;

        Block& block = expected.blocks[i / kBlock];
        const std::uint64_t bit = std::uint64_t{1} << (i % kBlock);
        if ((structural && !in_string) || (quote && in_string) || (scalar && !after_scalar)) block.tokens |= bit;
        if (!whitespace || in_string) {
            block.kept |= bit;
            expected.kept_bytes += text[i];
        }
        if (quote && in_string) block.opening_quotes |= bit;
        if (escaped && byte != '\\' && in_string) block.escapes |= bit;
        if (byte < 0x20 && in_string) block.controls |= bit;
        after_scalar = scalar;
    }
    return expected;
}

// The kernel's view, `batch` blocks at a time (the carry goes from call to
// call as between the structural pass's batches).
Structure classify(ClassifyBlocks kernel, const std::string& text, unsigned batch) {
    std::string padded = text + std::string(kSlack, ' ');
    Structure actual;
    actual.blocks.resize(text.size() / kBlock);
    std::vector<char> output(text.size() + kSlack);
    std::vector<char*> outputs(actual.blocks.size());
    Carry carry;
    char* out = output.data();
    for (unsigned first = 0; first < actual.blocks.size(); first += batch) {
        const unsigned count = std::min<unsigned>(batch, static_cast<unsigned>(actual.blocks.size()) - first);
        out = kernel(padded.data() + kBlock * first, count, carry, &actual.blocks[first], &outputs[first], out);
    }
    actual.kept_bytes.assign(output.data(), out);
    return actual;
}

// Returns whether they agree, so that loops over many texts stop at the
// first difference.
bool same_structure(const Structure& expected, const Structure& actual) {
    for (std::size_t i = 0; i < expected.blocks.size(); ++i) {
        SCOPED_TRACE("block " + std::to_string(i));
        const Block& e = expected.blocks[i];
        const Block& a = actual.blocks[i];
        EXPECT_EQ(a.tokens, e.tokens);
        EXPECT_EQ(a.kept, e.kept);
        EXPECT_EQ(a.opening_quotes, e.opening_quotes);
        EXPECT_EQ(a.escapes, e.escapes);
        EXPECT_EQ(a.controls, e.controls);
    }
    EXPECT_EQ(actual.kept_bytes, expected.kept_bytes);
    return !::testing::Test::HasFailure();
}

struct Kernel {
    const char* name;
    ClassifyBlocks classify;
};

std::vector<Kernel> kernels() {
    std::vector<Kernel> available{{"portable", classify_blocks_portably}};
    if (cpu_runs_avx2_kernel()) available.push_back({"AVX2", classify_blocks_avx2});
    return available;
}

// Callers vary `batch` from text to text: 1 carries everything from call to
// call, 16 within one call as the structural pass does.
bool kernels_match_the_oracle(const std::string& text, unsigned batch) {
    const Structure expected = oracle(text);
    for (const Kernel& kernel : kernels()) {
        SCOPED_TRACE(std::string(kernel.name) + " kernel, " + std::to_string(batch) + " blocks a call");
        if (!same_structure(expected, classify(kernel.classify, text, batch))) return false;
    }
    return true;
}

constexpr unsigned kBatchSizes[] = {1, 2, 16};

// Every byte value at every position of three blocks, amid letters (one
// scalar), spaces, and the inside of a string.
TEST(JsonStructureTest, EveryByteAtEveryPositionMatchesTheOracle) {
    const std::string contexts[] = {
        std::string(3 * kBlock, 'a'),
        std::string(3 * kBlock, ' '),
        "\"" + std::string(3 * kBlock - 1, 'a'),
    };
    for (const std::string& context : contexts) {
        for (std::size_t position = 0; position < context.size(); ++position) {
            for (int value = 0; value < 256; ++value) {
                std::string text = context;
                text[position] = static_cast<char>(value);
                SCOPED_TRACE("byte " + std::to_string(value) + " at " + std::to_string(position) + " in \"" +
                             context.substr(0, 2) + "...\"");
                if (!kernels_match_the_oracle(text, kBatchSizes[value % 3])) return;
            }
        }
    }
}

// Runs of backslashes ending at every position around a block boundary,
// before a quote and before a letter, in a string and outside: the escape
// carries from block to block.
TEST(JsonStructureTest, BackslashRunsAcrossBlocksMatchTheOracle) {
    for (const char* opening : {"\"", "[\"a\",\"", "["}) {
        for (std::size_t run = 1; run <= 6; ++run) {
            for (std::size_t end = kBlock - 8; end <= kBlock + 8; ++end) {
                for (const char after : {'"', 'n', 'u', '\\'}) {
                    std::string text = opening + std::string(3 * kBlock, 'x');
                    text.replace(end - run, run, std::string(run, '\\'));
                    text[end] = after;
                    text.resize(3 * kBlock);
                    SCOPED_TRACE("run of " + std::to_string(run) + " ending before " + std::to_string(end));
                    if (!kernels_match_the_oracle(text, kBatchSizes[end % 3])) return;
                }
            }
        }
    }
}

// Random texts of several batches, mostly of the bytes the masks single out.
TEST(JsonStructureTest, RandomTextsMatchTheOracle) {
    static const char kAlphabet[] = "  \t\n\r\"\"\"\\\\,:[]{}0123456789.-+eEtrufalsn\x01\x1F\x7F\x80\xFF";
    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
        const std::size_t blocks = 1 + random() % 40;
        std::string text(blocks * kBlock, ' ');
        // Long stretches of one byte now and then: strings and whitespace
        // that run over whole blocks.
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (random() % 64 == 0) {
                const char byte = kAlphabet[random() % (sizeof(kAlphabet) - 1)];
                const std::size_t length = random() % 200;
                for (std::size_t j = 0; j < length && i < text.size(); ++j, ++i) text[i] = byte;
                if (i == text.size()) break;
            }
            text[i] = kAlphabet[random() % (sizeof(kAlphabet) - 1)];
        }
        SCOPED_TRACE("round " + std::to_string(round));
        if (!kernels_match_the_oracle(text, kBatchSizes[round % 3])) return;
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo::detail::json_structure
