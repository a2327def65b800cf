// The flash record a camera holds, read as stored: valid or not, header and payload.
#include "camera/stored_record.hpp"

#include <algorithm>

#include <velmora/uvc_stereo/flash_record.hpp>

#include "camera/camera_summary.hpp"
#include "camera/device_selection.hpp"
#include "core/byte_order.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kVersionOffset = 4;
constexpr std::size_t kHeaderSizeOffset = 6;
constexpr std::size_t kPayloadLengthOffset = 8;
constexpr std::uint8_t kErased = 0xFF;

}  // namespace

bool StoredRecord::blank() const {
    return !has_magic && std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return byte == kErased; });
}

bool decode_record_header(const std::vector<std::uint8_t>& bytes, RecordHeader& header) {
    if (bytes.size() < kHeaderSize) return false;
    header.magic = uvc::detail::read_le32(bytes.data());
    header.version = uvc::detail::read_le16(bytes.data() + kVersionOffset);
    header.header_size = uvc::detail::read_le16(bytes.data() + kHeaderSizeOffset);
    header.payload_length = uvc::detail::read_le32(bytes.data() + kPayloadLengthOffset);
    return true;
}

std::optional<uvc::FlashConfig> effective_flash_config(const uvc::Device& device) {
    const auto layout = effective_flash_layout(device.capability_info());
    if (!layout) return std::nullopt;
    uvc::FlashConfig config = selection_config(device.info());
    config.flash_user_space_address = layout->address;
    config.flash_user_space_size = layout->size;
    return config;
}

uvc::Result<StoredRecord> read_stored_record(VendorSession& session, const uvc::FlashConfig& config) {
    const std::uint32_t address = config.flash_user_space_address;
    const std::uint32_t space = config.flash_user_space_size;
    auto preview = session.read_flash(address, static_cast<std::uint32_t>(std::min<std::size_t>(kHeaderSize, space)));
    if (!preview.ok()) return preview.status();
    StoredRecord record;
    RecordHeader header;
    record.has_magic = decode_record_header(preview.value(), header) && header.magic == config.flash_magic;
    record.version = header.version;
    if (!record.has_magic) {
        record.bytes = std::move(preview.value());
        record.validity = uvc::parse_and_validate_raw_blob(record.bytes, config).status();
        return record;
    }
    // Lengths beyond the user space are kept to the user space, so a damaged
    // header still leaves every byte that could belong to the record.
    const std::uint64_t announced = std::uint64_t{header.header_size} + header.payload_length;
    const auto length = static_cast<std::uint32_t>(std::min<std::uint64_t>(std::max<std::uint64_t>(announced, kHeaderSize), space));
    auto bytes = session.read_flash(address, length);
    if (!bytes.ok()) return bytes.status();
    record.bytes = std::move(bytes.value());
    record.validity = uvc::parse_and_validate_raw_blob(record.bytes, config).status();
    return record;
}

}  // namespace velmora::stereo_tool
