// Reading and writing the flash JSON document: record, validation, pauses.
#include "device/flash_json.hpp"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "device/pause.hpp"
#include "velmora/uvc_stereo/flash_record.hpp"
#include "velmora/uvc_stereo/flash_transport.hpp"
#include "velmora/uvc_stereo/json.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

// Records written by this SDK always carry header version 0.
constexpr std::uint16_t kWrittenRecordVersion = 0;

}  // namespace

Result<ReadJsonResult> read_flash_json(const FlashConfig& config) {
    Result<FlashBlob> blob = read_blob_from_device(config);
    if (!blob.ok()) return Result<ReadJsonResult>(blob.status());
    const std::vector<std::uint8_t>& payload = blob.value().payload;
    const std::string text(payload.begin(), payload.end());
    Result<std::string> minified = minify_and_validate_json(text);
    if (!minified.ok()) return Result<ReadJsonResult>(minified.status());

    // The flash session has ended and the vendor lock is free again.
    pause_on_calling_thread(kFlashJsonPause);
    ReadJsonResult result;
    result.version = blob.value().version;
    result.json = std::move(minified.value());
    return Result<ReadJsonResult>(std::move(result));
}

Status write_flash_json(const FlashConfig& config, std::string_view json) {
    Result<std::string> minified = minify_and_validate_json(json);
    if (!minified.ok()) return minified.status();
    const std::string& text = minified.value();
    const std::vector<std::uint8_t> payload(text.begin(), text.end());
    Result<FlashBlob> blob = build_blob(kWrittenRecordVersion, payload, config);
    if (!blob.ok()) return blob.status();

    Status written = write_blob_to_device(config, blob.value());
    if (written.ok()) pause_on_calling_thread(kFlashJsonPause);
    return written;
}

}  // namespace velmora::uvc_stereo::detail
