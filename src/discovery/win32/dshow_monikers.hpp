// Turning DirectShow's video-input monikers into OpenCV candidates.
#pragma once

#include <windows.h>

#include <objidl.h>

#include "discovery/backend_candidates.hpp"

namespace velmora::uvc_stereo::detail {

// The candidates of every moniker the enumerator yields, indexed as OpenCV
// counts them: a moniker whose property bag does not bind takes no index.
CandidateList read_dshow_monikers(IEnumMoniker* enumerator);

}  // namespace velmora::uvc_stereo::detail
