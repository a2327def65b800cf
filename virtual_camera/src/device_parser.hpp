// Reads one scenario device object into a DeviceSpec.
#pragma once

#include <string>

#include "device_model.hpp"
#include "json_fields.hpp"

namespace sonix_virtual {

DeviceSpec parse_device(const Json& value, const std::string& path);

// The error text of a device given as JSON text, or the device; for run-time attach and update.
bool parse_device_text(const std::string& text, DeviceSpec& out, std::string& error);

}  // namespace sonix_virtual
