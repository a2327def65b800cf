// The camera's flash user space as plain bytes: written and read at its start
// by the same protocol the record writer and reader use, whatever the bytes
// hold. The record writer is the record's encoding followed by this write.
//
// Part of the desk tool's internal interface (it links the static core): its
// raw backups of a damaged record are read and restored through these.
#pragma once

#include <cstdint>
#include <vector>

#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::detail {

// Writes bytes at config.flash_user_space_address on the camera config
// selects, in one flash session (process-wide lock, Init, device resolution,
// the serial-flash check): write protection released, every sector the bytes
// touch erased in ascending order, one write, and, when
// config.verify_after_write, one read-back compared byte for byte. The
// failures and their texts are the record writer's: "write payload is empty",
// the "Flash write" range texts, the vendor's text with " (address=0x%08X,
// length=%llu)" for a failed erase (the sector) or write (the bytes), the
// "Flash read" texts of the read-back, and "verify_after_write failed:
// readback mismatch at offset ..." for bytes that did not stick. A failure
// after the erase leaves the rest of the erased sectors blank (0xFF) and the
// bytes not (or not all) written; nothing is retried or rolled back.
Status write_user_space(const FlashConfig& config, const std::vector<std::uint8_t>& bytes);

// The first length bytes of the user space, as stored, in one flash session
// and one vendor read (no read for length 0). A length beyond
// config.flash_user_space_size fails with the "Flash read" range text.
Result<std::vector<std::uint8_t>> read_user_space(const FlashConfig& config, std::uint64_t length);

}  // namespace velmora::uvc_stereo::detail
