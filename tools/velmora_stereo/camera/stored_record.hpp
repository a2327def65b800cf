// The flash record a camera holds, read as stored: valid or not, header and payload.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <velmora/uvc_stereo/device.hpp>
#include <velmora/uvc_stereo/records.hpp>
#include <velmora/uvc_stereo/status.hpp>

#include "camera/vendor_session.hpp"

namespace velmora::stereo_tool {

struct StoredRecord {
    // False when the user space does not start with the record magic (blank
    // flash, or something that is not a record).
    bool has_magic = false;
    // With the magic: the header and the payload its lengths announce, cut to
    // the user space when they announce more. Without: the header's bytes.
    std::vector<std::uint8_t> bytes;
    std::uint16_t version = 0;     // the header's version field
    uvc_stereo::Status validity;   // why the record does not validate; Ok when it does

    // Every byte of the header is erased flash (0xFF).
    bool blank() const;
};

// The FlashConfig the SDK works with for this open camera: its selection and
// the user space of its capability report (or the legacy layout). Empty when
// the report declares no flash.
std::optional<uvc_stereo::FlashConfig> effective_flash_config(const uvc_stereo::Device& device);

// Reads the record at the start of the user space, as stored.
uvc_stereo::Result<StoredRecord> read_stored_record(VendorSession& session, const uvc_stereo::FlashConfig& config);

// The record's five header fields, decoded little-endian; false for fewer than 16 bytes.
struct RecordHeader {
    std::uint32_t magic = 0;
    std::uint16_t version = 0;
    std::uint16_t header_size = 0;
    std::uint32_t payload_length = 0;
};
bool decode_record_header(const std::vector<std::uint8_t>& bytes, RecordHeader& header);

}  // namespace velmora::stereo_tool
