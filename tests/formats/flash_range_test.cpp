// Flash user-space guards: transfer and erase ranges, their exact messages and
// the 64-bit arithmetic at the edges.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "velmora/uvc_stereo/flash_range.hpp"

namespace velmora::uvc_stereo {
namespace {

constexpr std::uint64_t kMaxLength = std::numeric_limits<std::uint64_t>::max();

FlashConfig user_space(std::uint32_t address, std::uint32_t size, std::uint32_t sector = 4096) {
    FlashConfig config;
    config.flash_user_space_address = address;
    config.flash_user_space_size = size;
    config.flash_sector_size = sector;
    return config;
}

struct RangeRow {
    const char* name;
    FlashConfig config;
    std::uint32_t address;
    std::uint64_t length;
    std::string message;  // empty: success
};

void expect_status(const Status& status, const std::string& message) {
    if (message.empty()) {
        EXPECT_TRUE(status.ok()) << status.message();
        EXPECT_TRUE(status.message().empty());
    } else {
        EXPECT_EQ(status.code(), ErrorCode::InvalidArgument);
        EXPECT_EQ(status.message(), message);
    }
}

TEST(FlashTransferRangeTest, ReadRanges) {
    const FlashConfig defaults;
    const RangeRow rows[] = {
        {"header preview", defaults, 0x51000, 16, ""},
        {"whole user space", defaults, 0x51000, 0x10000, ""},
        {"one byte past the end", defaults, 0x51000, 0x10001,
         "Flash read range is outside Flash user space (address=0x00051000, length=65537, "
         "allowed=[0x00051000,0x61000))"},
        {"one byte before the start", defaults, 0x50FFF, 1,
         "Flash read range is outside Flash user space (address=0x00050FFF, length=1, "
         "allowed=[0x00051000,0x61000))"},
        {"empty read at the end", defaults, 0x61000, 0, ""},
        {"empty read past the end", defaults, 0x61001, 0,
         "Flash read range is outside Flash user space (address=0x00061001, length=0, "
         "allowed=[0x00051000,0x61000))"},
        {"last byte", defaults, 0x60FFF, 1, ""},
        {"user space of size 0", user_space(0x51000, 0), 0x51000, 0,
         "Flash read range is outside Flash user space (address=0x00051000, length=0, "
         "allowed=[0x00051000,0x51000))"},
        {"largest length at address 1 overflows", defaults, 1, kMaxLength,
         "Flash transfer length overflows address range"},
        {"largest address with the largest fitting length", defaults, 0xFFFFFFFF, kMaxLength - 0xFFFFFFFF,
         "Flash read range is outside Flash user space (address=0xFFFFFFFF, length=18446744069414584320, "
         "allowed=[0x00051000,0x61000))"},
        {"largest length at address 0 fits in 64 bits", defaults, 0, kMaxLength,
         "Flash read range is outside Flash user space (address=0x00000000, length=18446744073709551615, "
         "allowed=[0x00051000,0x61000))"},
        {"user space ending above 4 GiB", user_space(0xFFFFF000, 0x2000), 0xFFFFF000, 0x2000, ""},
        {"past a user space ending above 4 GiB", user_space(0xFFFFF000, 0x2000), 0xFFFFF000, 0x2001,
         "Flash read range is outside Flash user space (address=0xFFFFF000, length=8193, "
         "allowed=[0xFFFFF000,0x100001000))"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        expect_status(validate_flash_transfer_range(row.config, row.address, row.length, "Flash read"), row.message);
    }
}

TEST(FlashTransferRangeTest, OperationNameInTheMessage) {
    const struct {
        const char* what;
        const char* expected_prefix;
    } rows[] = {
        {"Flash write", "Flash write range"},
        {nullptr, "Flash transfer range"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected_prefix);
        const Status status = validate_flash_transfer_range(FlashConfig{}, 0, 1, row.what);
        EXPECT_EQ(status.message(), std::string(row.expected_prefix) +
                                        " is outside Flash user space (address=0x00000000, length=1, "
                                        "allowed=[0x00051000,0x61000))");
    }
}

TEST(FlashTransferRangeTest, LongOperationNameIsCutTo319Characters) {
    const std::string what(400, 'w');
    const Status status = validate_flash_transfer_range(FlashConfig{}, 0, 1, what.c_str());
    EXPECT_EQ(status.code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(status.message(), std::string(319, 'w'));
}

TEST(FlashEraseRangeTest, EraseRanges) {
    const FlashConfig defaults;
    const FlashConfig half_sector_start = user_space(0x51800, 0x1000);
    const RangeRow rows[] = {
        {"one byte at the start", defaults, 0x51000, 1, ""},
        {"last sector", defaults, 0x60FFF, 1, ""},
        {"whole user space", defaults, 0x51000, 0x10000, ""},
        {"unaligned request inside aligned space", defaults, 0x51234, 0x100, ""},
        {"start not sector aligned", half_sector_start, 0x51800, 1,
         "aligned Flash erase range crosses user-space boundary (address=0x00051800, length=1, "
         "erase=[0x51000,0x52000), allowed=[0x00051800,0x52800))"},
        {"sector 0 behaves like 4096", user_space(0x51800, 0x1000, 0), 0x51800, 1,
         "aligned Flash erase range crosses user-space boundary (address=0x00051800, length=1, "
         "erase=[0x51000,0x52000), allowed=[0x00051800,0x52800))"},
        {"sector 0 aligned", user_space(0x51000, 0x10000, 0), 0x51000, 0x1001, ""},
        {"end rounds up past the user space", user_space(0x51000, 0x1800), 0x51000, 0x1001,
         "aligned Flash erase range crosses user-space boundary (address=0x00051000, length=4097, "
         "erase=[0x51000,0x53000), allowed=[0x00051000,0x52800))"},
        {"smaller sectors fit an unaligned space", user_space(0x51800, 0x1000, 256), 0x51800, 0x1000, ""},
        {"empty erase skips the alignment check", half_sector_start, 0x51800, 0, ""},
        {"outside the user space", defaults, 0x61000, 1,
         "Flash erase request range is outside Flash user space (address=0x00061000, length=1, "
         "allowed=[0x00051000,0x61000))"},
        {"user space of size 0", user_space(0x51000, 0), 0x51000, 0,
         "Flash erase request range is outside Flash user space (address=0x00051000, length=0, "
         "allowed=[0x00051000,0x51000))"},
        {"overflow names Flash transfer", defaults, 1, kMaxLength, "Flash transfer length overflows address range"},
        {"sector-aligned span ending above 4 GiB", user_space(0xFFFFF000, 0x1000), 0xFFFFFFFF, 1, ""},
        {"span above 4 GiB crosses the end", user_space(0xFFFFF000, 0x1800, 0x1000), 0xFFFFF000, 0x1800,
         "aligned Flash erase range crosses user-space boundary (address=0xFFFFF000, length=6144, "
         "erase=[0xFFFFF000,0x100001000), allowed=[0xFFFFF000,0x100000800))"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        expect_status(validate_flash_erase_range(row.config, row.address, row.length), row.message);
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo
