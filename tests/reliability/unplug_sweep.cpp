// The unplug sweep: one run per vendor call of an operation, the camera
// pulled just before that call.
#include "unplug_sweep.hpp"

#include <gtest/gtest.h>

#include "sonix_virtual/vcam_control.h"
#include "support/call_log.hpp"
#include "support/virtual_camera.hpp"
#include "support/virtual_camera_test.hpp"

namespace velmora::uvc_stereo::reliability {

namespace {

// The operation from its starting state, on the world as it is now.
Outcome run_from_start(SdkClient& client, const SweptOperation& operation) {
    operation.prepare(client);
    return operation.run(client);
}

// Runs the operation with the camera going just before its nth vendor call.
UnplugRun run_with_unplug(SdkClient& client, const SweptOperation& operation, unsigned nth) {
    const char* camera = operation.camera.id.c_str();
    UnplugRun run;
    run.nth = nth;
    test_support::load_cameras({operation.camera}, operation.library_json);
    operation.prepare(client);
    vcam_clear_call_log();
    const std::size_t violations_before = vcam_contract_violation_count();
    EXPECT_EQ(vcam_detach_at_call(camera, "*", nth), 0) << vcam_last_error();

    run.outcome = operation.run(client);
    const std::vector<std::string> calls = test_support::logged_functions();
    vcam_clear_faults();  // an unplug the operation never reached must not fire later
    if (calls.size() >= nth) run.call = calls[nth - 1];
    run.init_depth = vcam_init_depth();
    run.lock_free = test_support::vendor_lock_free();
    run.violations = vcam_contract_violation_count() - violations_before;

    EXPECT_EQ(vcam_reattach_device(camera), 0) << vcam_last_error();
    if (operation.writes_document) run.read_after_return = client.read_json();
    client.close();
    run.repeated = run_from_start(client, operation);
    if (operation.writes_document) run.read_after_repeat = client.read_json();
    client.close();
    run.init_depth_after_release = vcam_init_depth();
    return run;
}

}  // namespace

SweepResult sweep_unplugs(SdkClient& client, const SweptOperation& operation, unsigned max_calls) {
    SweepResult result;
    result.interface_name = client.interface_name();
    result.operation = operation.name;
    result.old_document = operation.camera.json_text;

    test_support::load_cameras({operation.camera}, operation.library_json);
    operation.prepare(client);
    vcam_clear_call_log();
    result.healthy = operation.run(client);
    result.healthy_calls = test_support::logged_functions();
    if (operation.writes_document) result.healthy_read = client.read_json();
    client.close();

    for (unsigned nth = 1; nth <= max_calls; ++nth) {
        result.runs.push_back(run_with_unplug(client, operation, nth));
        if (result.runs.back().call.empty()) break;  // completed before the unplug
    }
    return result;
}

}  // namespace velmora::uvc_stereo::reliability
