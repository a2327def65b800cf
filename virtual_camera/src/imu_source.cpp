// IMU payloads: the scripted list and the synthetic motion generator.
#include "imu_source.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/byte_order.hpp"

namespace sonix_virtual {

using velmora::uvc_stereo::detail::write_be16;

namespace {

constexpr std::size_t kPayloadSize = 17;
constexpr std::uint8_t kInitFailureSentinel = 0xF1;
constexpr std::uint8_t kReadFailureSentinel = 0xF2;
constexpr std::uint32_t kCounterMask = 0xFFFFF;  // the device timestamp has 20 bits
constexpr std::uint32_t kCounterHighShift = 16;
constexpr std::uint32_t kLow16Mask = 0xFFFF;
constexpr std::uint32_t kNibbleMask = 0x0F;
constexpr double kTwoPi = 6.283185307179586;
constexpr std::int32_t kInt16Min = -32768;
constexpr std::int32_t kInt16Max = 32767;
constexpr std::size_t kTemperatureOffset = 0;
constexpr std::size_t kAccelOffset = 2;
constexpr std::size_t kGyroOffset = 8;
constexpr std::size_t kCounterOffset = 14;
constexpr std::size_t kAxes = 3;

std::uint16_t to_raw16(std::int32_t value) {
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(value, kInt16Min, kInt16Max)));
}

// Rises linearly from -amplitude to +amplitude over one period.
std::int32_t ramp_value(std::int64_t step, std::uint32_t period, std::int32_t amplitude) {
    if (period < 2) return 0;
    return static_cast<std::int32_t>(step * 2 * amplitude / static_cast<std::int64_t>(period - 1) - amplitude);
}

// Axis values for sample n: X and Y swing in quadrature, Z carries gravity.
void motion(const ImuGenerator& g, std::uint64_t n, std::int32_t (&accel)[kAxes], std::int32_t (&gyro)[kAxes]) {
    const std::uint32_t period = std::max<std::uint32_t>(g.period_samples, 1);
    if (g.kind == ImuGenerator::Kind::ramp) {
        const auto step = static_cast<std::int64_t>(n % period);
        accel[0] = ramp_value(step, period, g.accel_amplitude);
        accel[1] = -accel[0];
        accel[2] = g.gravity;
        gyro[0] = ramp_value(step, period, g.gyro_amplitude);
        gyro[1] = -gyro[0];
        gyro[2] = 0;
        return;
    }
    const double phase = kTwoPi * static_cast<double>(n % period) / static_cast<double>(period);
    accel[0] = static_cast<std::int32_t>(std::lround(g.accel_amplitude * std::sin(phase)));
    accel[1] = static_cast<std::int32_t>(std::lround(g.accel_amplitude * std::cos(phase)));
    accel[2] = g.gravity;
    gyro[0] = static_cast<std::int32_t>(std::lround(g.gyro_amplitude * std::cos(phase)));
    gyro[1] = static_cast<std::int32_t>(std::lround(-g.gyro_amplitude * std::sin(phase)));
    gyro[2] = 0;
}

}  // namespace

std::vector<std::uint8_t> generated_imu_payload(const ImuGenerator& g, std::uint64_t n) {
    std::vector<std::uint8_t> payload(kPayloadSize, 0);
    if (n < g.init_failures) {
        payload[0] = kInitFailureSentinel;
        return payload;
    }
    if (g.read_failure_every != 0 && (n + 1) % g.read_failure_every == 0) {
        payload[0] = kReadFailureSentinel;
        return payload;
    }
    std::int32_t accel[kAxes];
    std::int32_t gyro[kAxes];
    motion(g, n, accel, gyro);
    write_be16(&payload[kTemperatureOffset], static_cast<std::uint16_t>(g.temperature));
    for (std::size_t axis = 0; axis < kAxes; ++axis) {
        write_be16(&payload[kAccelOffset + 2 * axis], to_raw16(accel[axis]));
        write_be16(&payload[kGyroOffset + 2 * axis], to_raw16(gyro[axis]));
    }
    const auto counter = static_cast<std::uint32_t>((g.counter_start + n * g.counter_step) & kCounterMask);
    write_be16(&payload[kCounterOffset], static_cast<std::uint16_t>(counter & kLow16Mask));
    payload[kCounterOffset + 2] = static_cast<std::uint8_t>((counter >> kCounterHighShift) & kNibbleMask);
    return payload;
}

ImuSource::ImuSource(ImuSpec setup) : setup_(std::move(setup)) {}

bool ImuSource::next(std::uint8_t* out, std::size_t length) {
    std::fill_n(out, length, 0);
    return payload_at(next_position(), out, length);
}

std::uint64_t ImuSource::next_position() {
    if (setup_.sample_rate_hz <= 0.0) return reads_++;
    const Clock::time_point now = Clock::now();
    if (!first_read_) first_read_ = now;
    const std::chrono::duration<double> elapsed = now - *first_read_;
    return static_cast<std::uint64_t>(elapsed.count() * setup_.sample_rate_hz);
}

bool ImuSource::payload_at(std::uint64_t position, std::uint8_t* out, std::size_t length) const {
    const std::uint64_t scripted = setup_.samples.size();
    const std::vector<std::uint8_t>* sample = nullptr;
    if (position < scripted) {
        sample = &setup_.samples[static_cast<std::size_t>(position)];
    } else if (setup_.generator) {
        const std::vector<std::uint8_t> payload = generated_imu_payload(*setup_.generator, position - scripted);
        std::copy_n(payload.begin(), std::min(payload.size(), length), out);
        return true;
    } else if (setup_.repeat && scripted != 0) {
        sample = &setup_.samples[static_cast<std::size_t>(position % scripted)];
    } else {
        return false;
    }
    std::copy_n(sample->begin(), std::min(sample->size(), length), out);
    return true;
}

}  // namespace sonix_virtual
