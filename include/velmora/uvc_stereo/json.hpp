/// @file
/// The JSON minifier and validator for the document kept in flash.
#pragma once

#include <string>
#include <string_view>

#include "velmora/uvc_stereo/export.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo {

/// The text without whitespace outside strings, when it is one valid JSON
/// value; otherwise ErrorCode::InvalidJson with the byte offset where parsing
/// stopped.
VELMORA_UVC_STEREO_API Result<std::string> minify_and_validate_json(std::string_view text);

}  // namespace velmora::uvc_stereo
