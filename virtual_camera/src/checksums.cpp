// Bitwise CRC-32 and CRC-32C: the camera firmware computes them without tables.
#include "checksums.hpp"

namespace sonix_virtual {
namespace {

constexpr std::uint32_t kIeeePolynomial = 0xEDB88320u;
constexpr std::uint32_t kCastagnoliPolynomial = 0x82F63B78u;
constexpr std::uint32_t kInitialValue = 0xFFFFFFFFu;
constexpr int kBitsPerByte = 8;

std::uint32_t reflected_crc(const std::uint8_t* data, std::size_t length, std::uint32_t polynomial) {
    if (length == 0) return 0;
    std::uint32_t crc = kInitialValue;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < kBitsPerByte; ++bit) {
            const bool low_bit = (crc & 1u) != 0;
            crc >>= 1;
            if (low_bit) crc ^= polynomial;
        }
    }
    return ~crc;
}

}  // namespace

std::uint32_t crc32_ieee(const std::uint8_t* data, std::size_t length) {
    return reflected_crc(data, length, kIeeePolynomial);
}

std::uint32_t crc32c(const std::uint8_t* data, std::size_t length) {
    return reflected_crc(data, length, kCastagnoliPolynomial);
}

}  // namespace sonix_virtual
