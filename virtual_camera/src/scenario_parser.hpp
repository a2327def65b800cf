// Reads and validates a whole scenario (devices, back-end lists, faults, latencies).
#pragma once

#include <string>

#include "device_model.hpp"

namespace sonix_virtual {

// False with a path-qualified reason ("devices[1].vid: ...") when the text is no valid scenario.
bool parse_scenario(const std::string& text, Scenario& out, std::string& error);

// The built-in scenario: two whitelisted cameras, one with a capability report, one legacy.
const char* default_scenario_text();

}  // namespace sonix_virtual
