// The IMU control's answers: scripted payloads first, then a generator, or the script again.
#pragma once

#include <cstdint>
#include <vector>

#include "device_model.hpp"

namespace sonix_virtual {

class ImuSource {
public:
    explicit ImuSource(ImuSpec setup);

    const ImuSpec& setup() const { return setup_; }
    // Fills length bytes with the next payload; false when the script ran out.
    bool next(std::uint8_t* out, std::size_t length);

private:
    void generate(std::uint8_t* out, std::size_t length);

    ImuSpec setup_;
    std::size_t script_position_ = 0;
    std::uint64_t generated_ = 0;
};

// One generated 17-byte payload (big-endian fields, 20-bit counter) for sample index n.
std::vector<std::uint8_t> generated_imu_payload(const ImuGenerator& generator, std::uint64_t n);

}  // namespace sonix_virtual
