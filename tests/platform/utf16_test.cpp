// The SDK's one UTF-16 to UTF-8 conversion.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "platform/utf16.hpp"

namespace velmora::uvc_stereo::platform {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

std::vector<WideChar> units(std::initializer_list<std::uint16_t> values) {
    std::vector<WideChar> text;
    for (const std::uint16_t value : values) text.push_back(static_cast<WideChar>(value));
    return text;
}

TEST(Utf16Test, Conversions) {
    struct Row {
        const char* label;
        std::vector<WideChar> text;  // without its terminator
        std::size_t capacity;        // max: zero-terminated
        std::string expected;
    };
    constexpr std::size_t kTerminated = std::numeric_limits<std::size_t>::max();
    const std::string r = kReplacement;
    const Row rows[] = {
        {"ASCII", units({'C', 'a', 'm'}), kTerminated, "Cam"},
        {"two-byte character", units({0x00E4}), kTerminated, "\xC3\xA4"},
        {"three-byte character", units({0x20AC}), kTerminated, "\xE2\x82\xAC"},
        {"last three-byte character", units({0xFFFF}), kTerminated, "\xEF\xBF\xBF"},
        {"four-byte character from a surrogate pair", units({'x', 0xD83D, 0xDCF7}), kTerminated, "x\xF0\x9F\x93\xB7"},
        {"highest code point", units({0xDBFF, 0xDFFF}), kTerminated, "\xF4\x8F\xBF\xBF"},
        {"empty", units({}), kTerminated, ""},
        {"lone high surrogate", units({'a', 0xD83D, 'b'}), kTerminated, "a" + r + "b"},
        {"lone high surrogate at the end", units({'a', 0xD83D}), kTerminated, "a" + r},
        {"lone low surrogate", units({'a', 0xDCF7}), kTerminated, "a" + r},
        {"reversed pair", units({0xDCF7, 0xD83D}), kTerminated, r + r},
        {"two high surrogates, then a low one", units({0xD83D, 0xD83D, 0xDCF7}), kTerminated, r + "\xF0\x9F\x93\xB7"},
        {"cut at the capacity", units({'a', 'b', 'c'}), 2, "ab"},
        {"a zero unit ends the text before the capacity", units({'a', 0, 'c'}), 3, "a"},
        {"a pair split by the capacity", units({'a', 0xD83D, 0xDCF7}), 2, "a" + r},
        {"capacity 0", units({'a'}), 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<WideChar> terminated = row.text;
        terminated.push_back(0);
        EXPECT_EQ(utf16_to_utf8(terminated.data(), row.capacity), row.expected);
        if (row.capacity == kTerminated) {
            EXPECT_EQ(utf16_to_utf8(terminated.data()), row.expected);
        }
    }
    EXPECT_EQ(utf16_to_utf8(nullptr), "");
    EXPECT_EQ(utf16_to_utf8(nullptr, 4), "");
}

}  // namespace
}  // namespace velmora::uvc_stereo::platform
