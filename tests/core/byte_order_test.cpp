// The byte-order helpers against byte layouts written out by hand. The SDK,
// the virtual camera and the tool all use them, so a swapped order would
// agree with itself everywhere else: only fixed bytes catch it.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/byte_order.hpp"

namespace velmora::uvc_stereo::detail {
namespace {

struct Layout {
    const char* name;
    std::uint64_t value;
    std::vector<std::uint8_t> bytes;
    std::function<void(std::uint8_t*, std::uint64_t)> write;
    std::function<std::uint64_t(const std::uint8_t*)> read;  // empty: no reader of that width
};

std::vector<Layout> layouts() {
    return {
        {"le16", 0xA1B2, {0xB2, 0xA1}, [](std::uint8_t* b, std::uint64_t v) { write_le16(b, static_cast<std::uint16_t>(v)); },
         [](const std::uint8_t* b) { return std::uint64_t{read_le16(b)}; }},
        {"le32", 0xA1B2C3D4, {0xD4, 0xC3, 0xB2, 0xA1},
         [](std::uint8_t* b, std::uint64_t v) { write_le32(b, static_cast<std::uint32_t>(v)); },
         [](const std::uint8_t* b) { return std::uint64_t{read_le32(b)}; }},
        {"le64", 0x0102030405060708, {0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01},
         [](std::uint8_t* b, std::uint64_t v) { write_le64(b, v); }, {}},
        {"be16", 0xA1B2, {0xA1, 0xB2}, [](std::uint8_t* b, std::uint64_t v) { write_be16(b, static_cast<std::uint16_t>(v)); },
         [](const std::uint8_t* b) { return std::uint64_t{read_be16(b)}; }},
    };
}

TEST(ByteOrderTest, WritesAndReadsTheDocumentedLayout) {
    for (const Layout& layout : layouts()) {
        SCOPED_TRACE(layout.name);
        // One guard byte on each side: a helper must touch its own bytes only.
        std::vector<std::uint8_t> buffer(layout.bytes.size() + 2, 0x5A);
        layout.write(buffer.data() + 1, layout.value);
        EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin() + 1, buffer.end() - 1), layout.bytes);
        EXPECT_EQ(buffer.front(), 0x5A);
        EXPECT_EQ(buffer.back(), 0x5A);
        if (layout.read) {
            EXPECT_EQ(layout.read(layout.bytes.data()), layout.value);
        }
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo::detail
