// What a camera's flash user space holds, classified for its backup: nothing
// (every byte erased), a valid record, a damaged record, or something else.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <velmora/uvc_stereo/records.hpp>
#include <velmora/uvc_stereo/status.hpp>

#include "camera/vendor_session.hpp"

namespace velmora::stereo_tool {

enum class ContentKind { Blank, Record, DamagedRecord, UnknownContent };

// "blank", "record", "damaged record", "unknown content": the sidecar's words.
const char* content_kind_name(ContentKind kind);
// The kind a sidecar names; false for another word.
bool content_kind_from_name(const std::string& name, ContentKind& kind);

struct FlashContent {
    ContentKind kind = ContentKind::Blank;
    // Record: the record's bytes. Damaged record and unknown content: the
    // user space up to its last byte that is not erased (0xFF). Blank: none.
    std::vector<std::uint8_t> bytes;
    std::uint16_t version = 0;    // of a record
    std::string document;         // a record's payload as text
    uvc_stereo::Status validity;  // why a damaged record does not validate
};

// Classifies the bytes of a whole user space (a valid record at its start,
// whatever follows it, is a record).
FlashContent classify_user_space(const std::vector<std::uint8_t>& user_space, const uvc_stereo::FlashConfig& config);

// Reads what the user space holds: the record alone when it is valid, else
// the whole user space, classified.
uvc_stereo::Result<FlashContent> read_flash_content(VendorSession& session, const uvc_stereo::FlashConfig& config);

// Up to count leading bytes as "4B 56 4F 5A ..." for sidecars and messages.
std::string leading_bytes_hex(const std::vector<std::uint8_t>& bytes, std::size_t count);

}  // namespace velmora::stereo_tool
