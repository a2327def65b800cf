// The vendor extension unit that carries the capability report and the IMU
// control: its GUID in the byte order the vendor library expects.
#pragma once

#include <array>
#include <cstdint>

namespace velmora::uvc_stereo::detail {

constexpr std::size_t kGuidSize = 16;
using GuidBytes = std::array<std::uint8_t, kGuidSize>;

// A GUID's 16 bytes in the Windows in-memory order: Data1, Data2 and Data3
// little-endian, then the eight bytes of Data4 as written.
constexpr GuidBytes make_windows_guid_bytes(std::uint32_t data1, std::uint16_t data2, std::uint16_t data3,
                                            const std::array<std::uint8_t, 8>& data4) {
    GuidBytes bytes{};
    bytes[0] = static_cast<std::uint8_t>(data1 & 0xFFu);
    bytes[1] = static_cast<std::uint8_t>((data1 >> 8) & 0xFFu);
    bytes[2] = static_cast<std::uint8_t>((data1 >> 16) & 0xFFu);
    bytes[3] = static_cast<std::uint8_t>((data1 >> 24) & 0xFFu);
    bytes[4] = static_cast<std::uint8_t>(data2 & 0xFFu);
    bytes[5] = static_cast<std::uint8_t>((data2 >> 8) & 0xFFu);
    bytes[6] = static_cast<std::uint8_t>(data3 & 0xFFu);
    bytes[7] = static_cast<std::uint8_t>((data3 >> 8) & 0xFFu);
    for (std::size_t i = 0; i < data4.size(); ++i) bytes[8 + i] = data4[i];
    return bytes;
}

// {DDDF7394-973E-4727-BED9-04ED6426DC67}
constexpr GuidBytes kVendorXuGuid =
    make_windows_guid_bytes(0xDDDF7394u, 0x973Eu, 0x4727u, {0xBE, 0xD9, 0x04, 0xED, 0x64, 0x26, 0xDC, 0x67});

// The capability report control of that unit.
constexpr std::uint8_t kCapabilityXuNodeId = 4;
constexpr std::uint8_t kCapabilityXuSelector = 11;

}  // namespace velmora::uvc_stereo::detail
