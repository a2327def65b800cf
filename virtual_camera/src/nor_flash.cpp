// NOR flash rules of the virtual camera's serial flash.
#include "nor_flash.hpp"

#include <algorithm>
#include <utility>

#include "sonix_camera.h"

namespace sonix_virtual {
namespace {

constexpr std::uint8_t kErasedByte = 0xFF;
constexpr std::uint8_t kSectorEraseCommand = 0x20;
// The only status-register argument set that clears the block-protect bits.
constexpr std::uint8_t kStatusRegisterUnlock[6] = {2, 5, 1, 6, 2, 3};
constexpr std::uint8_t kReleaseProtection = 1;

}  // namespace

NorFlash::NorFlash(FlashSpec setup) : setup_(std::move(setup)) {
    setup_.contents.resize(setup_.size, kErasedByte);
}

bool NorFlash::in_range(std::uint32_t address, std::uint64_t length) const {
    return static_cast<std::uint64_t>(address) + length <= setup_.size;
}

std::int32_t NorFlash::read(std::uint32_t address, std::uint8_t* out, std::uint32_t length) const {
    if (length == 0) return 0;
    if (out == nullptr || !in_range(address, length)) return SonixLib::ecGetKsControlFail;
    for (std::uint32_t i = 0; i < length; ++i) {
        const std::uint32_t cell = address + i;
        const auto stuck = setup_.stuck_cells.find(cell);
        out[i] = stuck != setup_.stuck_cells.end() ? stuck->second : setup_.contents[cell];
    }
    return 0;
}

std::int32_t NorFlash::program(std::uint32_t address, const std::uint8_t* data, std::uint32_t length) {
    if (length == 0) return 0;
    if (data == nullptr || !in_range(address, length) || setup_.write_protected) {
        return SonixLib::ecWriteFlashFail;
    }
    // Programming can only pull bits from 1 to 0; only an erase sets them again.
    for (std::uint32_t i = 0; i < length; ++i) setup_.contents[address + i] &= data[i];
    return 0;
}

std::int32_t NorFlash::erase_sector(std::uint32_t address, std::uint8_t command) {
    if (command != kSectorEraseCommand || setup_.write_protected) return SonixLib::ecSectorEraseFail;
    const std::uint32_t start = address - (address % kSectorSize);
    if (!in_range(start, kSectorSize)) return SonixLib::ecSectorEraseFail;
    std::fill_n(setup_.contents.begin() + start, kSectorSize, kErasedByte);
    return 0;
}

std::int32_t NorFlash::unlock_status_register(const std::uint8_t (&args)[6]) {
    if (!std::equal(std::begin(args), std::end(args), std::begin(kStatusRegisterUnlock))) {
        return SonixLib::ecDisableWriteProtectFail;
    }
    status_register_unlocked_ = true;
    return 0;
}

std::int32_t NorFlash::release_protection(std::uint8_t arg_0, std::uint8_t arg_1) {
    if (arg_0 != kReleaseProtection || arg_1 != kReleaseProtection) return SonixLib::ecDisableWriteProtectFail;
    // The protect bits live in the status register: it must have been unlocked first.
    if (setup_.write_protected && !status_register_unlocked_) return SonixLib::ecDisableWriteProtectFail;
    setup_.write_protected = false;
    return 0;
}

bool NorFlash::peek(std::uint32_t address, std::uint8_t* out, std::uint32_t length) const {
    if (!in_range(address, length) || (out == nullptr && length != 0)) return false;
    std::copy_n(setup_.contents.begin() + address, length, out);
    return true;
}

bool NorFlash::poke(std::uint32_t address, const std::uint8_t* data, std::uint32_t length) {
    if (!in_range(address, length) || (data == nullptr && length != 0)) return false;
    std::copy_n(data, length, setup_.contents.begin() + address);
    return true;
}

void NorFlash::set_protected(bool on) {
    setup_.write_protected = on;
    if (on) status_register_unlocked_ = false;  // re-arming locks the status register again
}

}  // namespace sonix_virtual
