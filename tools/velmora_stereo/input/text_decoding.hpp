// Turning the bytes of a document file into UTF-8 text: byte-order marks,
// UTF-16 files, and bytes that are not UTF-8.
#pragma once

#include <cstddef>
#include <string>

namespace velmora::stereo_tool {

struct DecodedText {
    std::string text;   // UTF-8, without a byte-order mark
    std::string note;   // what was done to the bytes ("converted from UTF-16 ..."), or empty
    std::string error;  // why the bytes are not usable text, or empty
    // For an error: its byte offset in the file and, when error_has_position,
    // its offset in text (which then holds what was decoded before it), for
    // the line and column.
    std::size_t error_file_offset = 0;
    std::size_t error_text_offset = 0;
    bool error_has_position = false;

    bool ok() const { return error.empty(); }
};

// A UTF-8 byte-order mark is dropped; a UTF-16 mark (FF FE little-endian,
// FE FF big-endian) converts the rest to UTF-8; anything else must be valid
// UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
DecodedText decode_text_file(const std::string& bytes);

}  // namespace velmora::stereo_tool
