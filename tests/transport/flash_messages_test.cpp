// Texts and byte constants of the flash and extension-unit transport that
// need no device.
#include <gtest/gtest.h>

#include <string>

#include "transport/flash_session.hpp"
#include "vendor/extension_unit.hpp"

namespace velmora::uvc_stereo::detail {
namespace {

TEST(FlashMessagesTest, RangeMessageIsCutAt223Characters) {
    const std::string long_text(300, 'a');
    const std::string message = format_flash_range_message(long_text, 0x51000, 16);
    EXPECT_EQ(message, std::string(223, 'a'));
}

TEST(FlashMessagesTest, SpansMustNotWrapPastTheLastFlashAddress) {
    struct Row {
        std::uint32_t address;
        std::uint64_t length;
        bool ok;
    };
    const Row rows[] = {
        {0xFFFFFFFF, 1, true},          // the very last byte
        {0xFFFFF000, 0x1000, true},     // ends exactly at the top
        {0xFFFFF000, 0x1001, false},    // one byte would land at address 0
        {0xFFFFFFFF, 0, true},          // nothing transferred
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.address << "+" << row.length);
        const Status status = check_flash_address_span(row.address, row.length, "Flash write");
        EXPECT_EQ(status.ok(), row.ok);
        if (!row.ok) {
            EXPECT_EQ(status.code(), ErrorCode::InvalidArgument);
            EXPECT_EQ(status.message().rfind("Flash write range exceeds 32-bit Flash address space", 0), 0u);
        }
    }
}

TEST(VendorXuTest, GuidIsInWindowsByteOrder) {
    // {DDDF7394-973E-4727-BED9-04ED6426DC67}: Data1..Data3 little-endian.
    const GuidBytes expected = {0x94, 0x73, 0xDF, 0xDD, 0x3E, 0x97, 0x27, 0x47,
                                0xBE, 0xD9, 0x04, 0xED, 0x64, 0x26, 0xDC, 0x67};
    EXPECT_EQ(kVendorXuGuid, expected);
}

}  // namespace
}  // namespace velmora::uvc_stereo::detail
