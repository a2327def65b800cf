// Unplugs the camera just before the 1st, 2nd, ... vendor call of one
// operation until the operation completes first, and records how each run
// ended and what the caller finds once the camera is back.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sdk_client.hpp"
#include "support/virtual_camera.hpp"

namespace velmora::uvc_stereo::reliability {

// What an operation leaves open when it returns: an IMU session keeps one
// vendor Init outstanding.
enum class Session { None, OpenedOnSuccess, Kept };

struct SweptOperation {
    std::string name;
    test_support::VirtualCamera camera;                 // the one camera plugged in
    std::function<void(SdkClient&)> prepare;       // brings the client to the starting state, camera healthy
    std::function<Outcome(SdkClient&)> run;
    Session session = Session::None;
    bool writes_document = false;  // the document is read back after the camera returns
    const char* only_interface = nullptr;  // "C" for an operation the C++ interface lacks
    std::string library_json = "{}";       // how the vendor library itself behaves
};

struct UnplugRun {
    unsigned nth = 0;      // the camera went just before this vendor call of the operation
    std::string call;      // that call's function; empty when the operation completed first
    Outcome outcome;
    int init_depth = 0;    // vendor Init depth right after the operation returned
    bool lock_free = false;
    std::size_t violations = 0;  // vendor contract violations during the run
    // For an operation that writes the document: what a read finds once the
    // camera is back (before anything else touches it), and after the
    // repeated write.
    std::optional<Outcome> read_after_return;
    std::optional<Outcome> read_after_repeat;
    // The same operation from the same starting state once the camera is back.
    Outcome repeated;
    int init_depth_after_release = 0;  // after the client closed everything
};

struct SweepResult {
    std::string interface_name;
    std::string operation;
    Outcome healthy;                      // the run without an unplug
    std::vector<std::string> healthy_calls;  // its vendor calls, in order
    std::optional<Outcome> healthy_read;  // the document a healthy write leaves
    std::string old_document;             // the document the camera held before
    std::vector<UnplugRun> runs;          // in order of nth; the last one completed first
};

// Sweeps one operation. A safety bound stops an operation that never
// completes; the last run then still reached its unplug.
SweepResult sweep_unplugs(SdkClient& client, const SweptOperation& operation, unsigned max_calls = 200);

}  // namespace velmora::uvc_stereo::reliability
