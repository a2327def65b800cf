// An independent JSON minifier, a plain recursive descent written from the
// grammar alone: the oracle of the differential tests and of the JSON
// fuzzer. The shipped minifier must give the same text, or the same failure
// (code, message, offset), for every input.
#pragma once

#include <string>
#include <string_view>

#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::reference {

Result<std::string> minify_and_validate_json(std::string_view text);

}  // namespace velmora::uvc_stereo::reference
