// Flash access and flash records for the virtual cameras.
#include "support/virtual_flash.hpp"

#include <gtest/gtest.h>

#include "sonix_virtual/vcam_control.h"
#include "velmora/uvc_stereo/flash_record.hpp"

namespace velmora::uvc_stereo::test_support {

std::vector<std::uint8_t> peek_flash(const std::string& id, std::uint32_t address, std::uint32_t length) {
    std::vector<std::uint8_t> bytes(length);
    EXPECT_EQ(vcam_flash_peek(id.c_str(), address, bytes.data(), length), 0) << vcam_last_error();
    return bytes;
}

void poke_flash(const std::string& id, std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    EXPECT_EQ(vcam_flash_poke(id.c_str(), address, bytes.data(), static_cast<std::uint32_t>(bytes.size())), 0)
        << vcam_last_error();
}

std::vector<std::uint8_t> flash_record(const std::string& payload, std::uint16_t version) {
    const Result<FlashBlob> blob =
        build_blob(version, std::vector<std::uint8_t>(payload.begin(), payload.end()), FlashConfig{});
    EXPECT_TRUE(blob.ok()) << blob.status().message();
    return blob.ok() ? blob.value().raw : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> encode_record(std::uint32_t magic, std::uint16_t version, std::uint16_t header_size,
                                        std::uint32_t payload_length, std::uint32_t crc,
                                        const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> record;
    const auto put = [&record](std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i) record.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    put(magic, 4);
    put(version, 2);
    put(header_size, 2);
    put(payload_length, 4);
    put(crc, 4);
    if (header_size > record.size()) record.resize(header_size, 0);
    record.insert(record.end(), payload.begin(), payload.end());
    return record;
}

std::vector<std::uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace velmora::uvc_stereo::test_support
