// The IMU control's answers: scripted payloads first, then a generator, or the script again.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
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
    using Clock = std::chrono::steady_clock;

    // Which answer a read gets: the next one, or with a sample rate the one
    // due at this moment since the first read.
    std::uint64_t next_position();
    // The answer at a position: the script, then the generator or the script again.
    bool payload_at(std::uint64_t position, std::uint8_t* out, std::size_t length) const;

    ImuSpec setup_;
    std::uint64_t reads_ = 0;
    std::optional<Clock::time_point> first_read_;
};

// One generated 17-byte payload (big-endian fields, 20-bit counter) for sample index n.
std::vector<std::uint8_t> generated_imu_payload(const ImuGenerator& generator, std::uint64_t n);

}  // namespace sonix_virtual
