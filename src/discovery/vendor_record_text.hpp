// Reading the UTF-16 texts out of a vendor device record.
#pragma once

#include <cstddef>
#include <string>

#include "sonix_camera.h"

namespace velmora::uvc_stereo::detail {

// UTF-8 of a record's text field of capacity code units. The text ends at its
// first zero unit or at the end of the field, whichever comes first, so a
// record whose field is not terminated is never read past its end.
std::string record_text_to_utf8(const SonixLib::scWideChar* field, std::size_t capacity);

template <std::size_t N>
std::string record_text_to_utf8(const SonixLib::scWideChar (&field)[N]) {
    return record_text_to_utf8(field, N);
}

}  // namespace velmora::uvc_stereo::detail
