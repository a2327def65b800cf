// The check every JSON differential test makes: the shipped minifier and the
// reference give the same text, or the same failure (code, message, offset).
#pragma once

#include <string>
#include <string_view>

namespace velmora::uvc_stereo {

// Compares the reference with the path this CPU takes and with the
// structural pass on its portable kernel, which runs on any CPU. Reports a
// failure (input, both results) for the first path that differs; returns
// whether all agreed, so that loops over many inputs can stop there.
bool matches_reference(std::string_view input);

// Non-printable bytes as \xNN, so that a failing input can be read back.
std::string printable(std::string_view bytes);

}  // namespace velmora::uvc_stereo
