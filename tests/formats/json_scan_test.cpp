// The JSON minifier's byte classification: the word-at-a-time path, and on
// x86-64 the SSE2 path, held against a byte-by-byte oracle on every byte
// value at every position of a block and on random blocks.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "formats/json_scan.hpp"

namespace velmora::uvc_stereo::detail::json_scan {
namespace {

bool is_whitespace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }
bool is_string_stop(unsigned char c) { return c == '"' || c == '\\' || c < 0x20; }
bool is_number_byte(unsigned char c) { return is_digit(c) || c == '.' || c == 'e' || c == 'E'; }

template <typename Predicate>
std::uint64_t oracle_mask(const std::string& bytes, std::size_t count, Predicate predicate) {
    std::uint64_t mask = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (predicate(static_cast<unsigned char>(bytes[i]))) mask |= std::uint64_t{1} << i;
    }
    return mask;
}

const char* oracle_string_stop(const char* p, const char* end) {
    while (p != end && !is_string_stop(static_cast<unsigned char>(*p))) ++p;
    return p;
}

// One implementation's answers on `bytes` (at least a block long) against
// the oracle's.
template <typename NotWhitespace, typename ClassifyNumber, typename StringStops, typename FindStop>
void expect_matches_oracle(const std::string& bytes, NotWhitespace not_whitespace, ClassifyNumber classify_number,
                           StringStops string_stops, FindStop find_string_stop) {
    ASSERT_GE(bytes.size(), kBlockSize);
    EXPECT_EQ(not_whitespace(bytes.data()), ~oracle_mask(bytes, kBlockSize, is_whitespace));

    const NumberMasks number = classify_number(bytes.data());
    EXPECT_EQ(number.digits, oracle_mask(bytes, kSpanSize, is_digit));
    EXPECT_EQ(number.dots, oracle_mask(bytes, kSpanSize, [](unsigned char c) { return c == '.'; }));
    EXPECT_EQ(number.number_bytes, oracle_mask(bytes, kSpanSize, is_number_byte));
    EXPECT_EQ(string_stops(bytes.data()), oracle_mask(bytes, kSpanSize, is_string_stop));

    // Every length, so that each step of the search (64, 16, then single
    // bytes) meets the end of the range.
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
        const char* end = bytes.data() + length;
        ASSERT_EQ(find_string_stop(bytes.data(), end), oracle_string_stop(bytes.data(), end)) << "length " << length;
    }
}

template <typename... Implementation>
void check_every_byte_at_every_position(Implementation... implementation) {
    for (int value = 0; value < 256; ++value) {
        for (std::size_t position = 0; position < kBlockSize; ++position) {
            std::string bytes(kBlockSize + 16, 'a');
            bytes[position] = static_cast<char>(value);
            SCOPED_TRACE("byte " + std::to_string(value) + " at " + std::to_string(position));
            expect_matches_oracle(bytes, implementation...);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

template <typename... Implementation>
void check_random_blocks(Implementation... implementation) {
    // Bytes drawn mostly from the ones the classifiers single out.
    static const char kInteresting[] = " \t\n\r\"\\.eE-+0123456789,]}:[{\x01\x1F\x7F\x80\xFF";
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(kBlockSize + 80, '\0');
        for (char& c : bytes) {
            c = random() % 4 == 0 ? static_cast<char>(random()) : kInteresting[random() % (sizeof(kInteresting) - 1)];
        }
        expect_matches_oracle(bytes, implementation...);
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(JsonScanTest, PortablePathMatchesTheOracle) {
    const auto run = [](auto check) {
        check(portable::not_whitespace, portable::classify_number, portable::string_stops,
              portable::find_string_stop);
    };
    run([](auto... f) { check_every_byte_at_every_position(f...); });
    run([](auto... f) { check_random_blocks(f...); });
}

#ifdef VELMORA_JSON_HAVE_SSE2
TEST(JsonScanTest, Sse2PathMatchesTheOracle) {
    const auto run = [](auto check) {
        // Wrapped in lambdas: the vector functions are always inlined and
        // have no address of their own to pass.
        check([](const char* p) { return sse2::not_whitespace(p); },
              [](const char* p) { return sse2::classify_number(p); },
              [](const char* p) { return sse2::string_stops(p); },
              [](const char* p, const char* end) { return sse2::find_string_stop(p, end); });
    };
    run([](auto... f) { check_every_byte_at_every_position(f...); });
    run([](auto... f) { check_random_blocks(f...); });
}
#endif

}  // namespace
}  // namespace velmora::uvc_stereo::detail::json_scan
