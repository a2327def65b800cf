// What a camera's flash user space holds, classified for its backup.
#include "backups/flash_content.hpp"

#include <algorithm>

#include <velmora/uvc_stereo/flash_record.hpp>

#include "camera/scenario_writer.hpp"
#include "core/byte_order.hpp"
#include "camera/stored_record.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr std::uint8_t kErased = 0xFF;
constexpr std::size_t kCrcOffset = 12;

struct KindName {
    ContentKind kind;
    const char* name;
};
constexpr KindName kKindNames[] = {{ContentKind::Blank, "blank"},
                                   {ContentKind::Record, "record"},
                                   {ContentKind::DamagedRecord, "damaged record"},
                                   {ContentKind::UnknownContent, "unknown content"}};

std::uint32_t stored_crc(const std::vector<std::uint8_t>& bytes) {
    return uvc::detail::read_le32(bytes.data() + kCrcOffset);
}

// A header whose magic was overwritten still reads as a record when the rest
// agrees: a header size in range, a length inside the user space and a
// payload whose checksum matches.
bool rest_of_header_agrees(const std::vector<std::uint8_t>& bytes, const uvc::FlashConfig& config) {
    RecordHeader header;
    if (!decode_record_header(bytes, header)) return false;
    if (header.header_size < config.min_header_size || header.header_size > config.max_header_size) return false;
    const std::uint64_t total = std::uint64_t{header.header_size} + header.payload_length;
    if (total > bytes.size() || header.payload_length == 0) return false;
    const std::vector<std::uint8_t> payload(bytes.begin() + header.header_size,
                                            bytes.begin() + static_cast<std::ptrdiff_t>(total));
    return uvc::crc32_ieee(payload) == stored_crc(bytes);
}

}  // namespace

const char* content_kind_name(ContentKind kind) {
    for (const auto& entry : kKindNames) {
        if (entry.kind == kind) return entry.name;
    }
    return "unknown content";
}

bool content_kind_from_name(const std::string& name, ContentKind& kind) {
    for (const auto& entry : kKindNames) {
        if (name == entry.name) {
            kind = entry.kind;
            return true;
        }
    }
    return false;
}

FlashContent classify_user_space(const std::vector<std::uint8_t>& user_space, const uvc::FlashConfig& config) {
    FlashContent content;
    const auto record = uvc::parse_and_validate_raw_blob(user_space, config);
    if (record.ok()) {
        content.kind = ContentKind::Record;
        content.bytes = record.value().raw;
        content.version = record.value().version;
        content.document.assign(record.value().payload.begin(), record.value().payload.end());
        return content;
    }
    content.validity = record.status();
    const auto last = std::find_if(user_space.rbegin(), user_space.rend(), [](std::uint8_t b) { return b != kErased; });
    if (last == user_space.rend()) return content;  // blank
    content.bytes.assign(user_space.begin(), last.base());
    RecordHeader header;
    const bool magic = decode_record_header(user_space, header) && header.magic == config.flash_magic;
    content.kind = magic || rest_of_header_agrees(user_space, config) ? ContentKind::DamagedRecord
                                                                      : ContentKind::UnknownContent;
    return content;
}

uvc::Result<FlashContent> read_flash_content(VendorSession& session, const uvc::FlashConfig& config) {
    // The record alone when it is valid: the common case reads a few hundred
    // bytes instead of the whole user space.
    const auto stored = read_stored_record(session, config);
    if (!stored.ok()) return stored.status();
    if (stored.value().has_magic && stored.value().validity.ok()) {
        return classify_user_space(stored.value().bytes, config);
    }
    auto whole = session.read_flash(config.flash_user_space_address, config.flash_user_space_size);
    if (!whole.ok()) return whole.status();
    return classify_user_space(whole.value(), config);
}

std::string leading_bytes_hex(const std::vector<std::uint8_t>& bytes, std::size_t count) {
    const std::vector<std::uint8_t> leading(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(count, bytes.size())));
    return hex_bytes(leading) + (bytes.size() > count ? " ..." : "");
}

}  // namespace velmora::stereo_tool
