// The unplug sweep's results as a Markdown matrix: operation × vendor call
// index → outcome, with a legend of the outcomes.
#pragma once

#include <string>
#include <vector>

#include "unplug_sweep.hpp"

namespace velmora::uvc_stereo::reliability {

// The enumerator's name, "DeviceUnavailable".
std::string error_code_name(ErrorCode code);

// An operation swept on both interfaces with the same calls and outcomes gets
// one row; otherwise each interface gets its own.
std::string render_unplug_matrix(const std::vector<SweepResult>& results);

}  // namespace velmora::uvc_stereo::reliability
