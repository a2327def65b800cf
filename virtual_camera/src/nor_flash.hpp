// A NOR serial flash: sector erase to 0xFF, programming that only clears bits, write protection.
#pragma once

#include <cstdint>

#include "device_model.hpp"

namespace sonix_virtual {

class NorFlash {
public:
    explicit NorFlash(FlashSpec setup);

    // Each returns 0 on success or the vendor error code of the failure.
    std::int32_t read(std::uint32_t address, std::uint8_t* out, std::uint32_t length) const;
    std::int32_t program(std::uint32_t address, const std::uint8_t* data, std::uint32_t length);
    std::int32_t erase_sector(std::uint32_t address, std::uint8_t command);
    std::int32_t unlock_status_register(const std::uint8_t (&args)[6]);
    std::int32_t release_protection(std::uint8_t arg_0, std::uint8_t arg_1);

    // Control side: raw access that ignores protection and NOR rules.
    bool peek(std::uint32_t address, std::uint8_t* out, std::uint32_t length) const;
    bool poke(std::uint32_t address, const std::uint8_t* data, std::uint32_t length);
    void set_protected(bool on);
    bool is_protected() const { return setup_.write_protected; }
    void set_stuck_cell(std::uint32_t address, std::uint8_t value) { setup_.stuck_cells[address] = value; }
    void clear_stuck_cells() { setup_.stuck_cells.clear(); }

private:
    bool in_range(std::uint32_t address, std::uint64_t length) const;

    FlashSpec setup_;
    bool status_register_unlocked_ = false;
};

}  // namespace sonix_virtual
