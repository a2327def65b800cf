// The JSON minifier as it stood before its fast paths, kept as the oracle of
// the differential tests and of the JSON fuzzer: the shipped minifier must
// give the same text, or the same failure, for every input.
#pragma once

#include <string>
#include <string_view>

#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::reference {

Result<std::string> minify_and_validate_json(std::string_view text);

}  // namespace velmora::uvc_stereo::reference
