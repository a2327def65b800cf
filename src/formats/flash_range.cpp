// Guards that keep every flash transfer and erase inside the configured user
// space. Addresses and lengths are widened to 64 bits, so the user-space end
// may reach 2^32 without wrapping.
#include "velmora/uvc_stereo/flash_range.hpp"

#include <cstdio>
#include <limits>

#include "formats/flash_sectors.hpp"

namespace velmora::uvc_stereo {
namespace {

constexpr std::size_t kRangeMessageBufferSize = 320;
constexpr const char* kDefaultTransferName = "Flash transfer";
constexpr const char* kEraseTransferName = "Flash erase request";

struct UserSpace {
    std::uint64_t start;
    std::uint64_t end;
    bool empty;
};

UserSpace user_space_of(const FlashConfig& config) {
    const std::uint64_t start = config.flash_user_space_address;
    return UserSpace{start, start + config.flash_user_space_size, config.flash_user_space_size == 0};
}

Status outside_user_space(const char* what, std::uint32_t address, std::uint64_t length, const UserSpace& space) {
    char buffer[kRangeMessageBufferSize];
    std::snprintf(buffer, sizeof(buffer),
                  "%s range is outside Flash user space (address=0x%08X, length=%llu, allowed=[0x%08X,0x%llX))",
                  what, static_cast<unsigned>(address), static_cast<unsigned long long>(length),
                  static_cast<unsigned>(space.start), static_cast<unsigned long long>(space.end));
    return Status(ErrorCode::InvalidArgument, buffer);
}

Status erase_crosses_boundary(std::uint32_t address, std::uint64_t length, std::uint64_t erase_start,
                              std::uint64_t erase_end, const UserSpace& space) {
    char buffer[kRangeMessageBufferSize];
    std::snprintf(buffer, sizeof(buffer),
                  "aligned Flash erase range crosses user-space boundary (address=0x%08X, length=%llu, "
                  "erase=[0x%llX,0x%llX), allowed=[0x%08X,0x%llX))",
                  static_cast<unsigned>(address), static_cast<unsigned long long>(length),
                  static_cast<unsigned long long>(erase_start), static_cast<unsigned long long>(erase_end),
                  static_cast<unsigned>(space.start), static_cast<unsigned long long>(space.end));
    return Status(ErrorCode::InvalidArgument, buffer);
}

}  // namespace

Status validate_flash_transfer_range(const FlashConfig& config, std::uint32_t address, std::uint64_t length,
                                     const char* what) {
    if (length > std::numeric_limits<std::uint64_t>::max() - address) {
        return Status(ErrorCode::InvalidArgument, "Flash transfer length overflows address range");
    }
    const UserSpace space = user_space_of(config);
    const std::uint64_t transfer_end = std::uint64_t{address} + length;
    if (!space.empty && address >= space.start && transfer_end <= space.end) return Status();
    return outside_user_space(what != nullptr ? what : kDefaultTransferName, address, length, space);
}

Status validate_flash_erase_range(const FlashConfig& config, std::uint32_t address, std::uint64_t length) {
    Status transfer = validate_flash_transfer_range(config, address, length, kEraseTransferName);
    if (!transfer.ok()) return transfer;
    if (length == 0) return Status();

    // The flash erases whole sectors, so the span actually wiped is the
    // request widened to sector boundaries on both sides. The transfer check
    // above bounds address + length by 2^33, so none of this wraps.
    const std::uint32_t sector = detail::effective_sector_size(config);
    const detail::SectorSpan sectors = detail::sectors_covering(sector, address, length);  // length >= 1 here
    const std::uint64_t erase_start = sectors.first_start;
    const std::uint64_t erase_end = sectors.last_start + sector;

    const UserSpace space = user_space_of(config);
    if (erase_start >= space.start && erase_end <= space.end) return Status();
    return erase_crosses_boundary(address, length, erase_start, erase_end, space);
}

}  // namespace velmora::uvc_stereo
