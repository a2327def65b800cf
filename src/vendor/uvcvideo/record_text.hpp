// The texts of the vendor device record (UTF-16) and of descriptor answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sonix_camera.h"

namespace sonix_uvcvideo {

// Writes the camera's name and device path into a zeroed record, each
// UTF-16 and zero-terminated, cut to the room the record has.
void fill_record(SonixLib::scDevice_t& record, const std::string& name, const std::string& device_path);

// The record's device path as UTF-8 (up to its terminator or the field's end).
std::string record_device_path(const SonixLib::scDevice_t& record);

// Copies a descriptor text into the caller's buffer the way the vendor
// library does: at most min(length, 64) bytes, never ending inside a UTF-8
// sequence, with a terminating zero when there is room left.
void copy_descriptor_text(const std::string& text, std::uint8_t* buffer, std::size_t length);

}  // namespace sonix_uvcvideo
