// Countdown of armed fault triggers.
#include "fault_plan.hpp"

#include "vendor_functions.hpp"

namespace sonix_virtual {

FaultPlan::Fired FaultPlan::on_call(const std::string& function) {
    Fired fired;
    std::vector<FaultSpec> still_armed;
    for (FaultSpec& fault : armed_) {
        const bool counts = fault.function == kAnyFunction || fault.function == function;
        if (!counts || --fault.nth != 0) {
            still_armed.push_back(std::move(fault));
            continue;
        }
        if (!fault.detach_device.empty()) {
            fired.detach.push_back(fault.detach_device);
        } else if (fault.garble) {
            fired.garble = true;
        } else if (!fired.failure) {
            fired.failure = fault.vendor_code;
        }
    }
    armed_ = std::move(still_armed);
    return fired;
}

}  // namespace sonix_virtual
