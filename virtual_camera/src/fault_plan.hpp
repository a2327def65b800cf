// One-shot fault triggers: fail the nth next call of a function, or detach a device before it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device_model.hpp"

namespace sonix_virtual {

class FaultPlan {
public:
    void arm(FaultSpec fault) { armed_.push_back(std::move(fault)); }
    void clear() { armed_.clear(); }

    struct Fired {
        std::optional<std::int32_t> failure;  // the vendor code when the call must fail
        std::vector<std::string> detach;      // devices to detach before the call runs
        bool garble = false;                  // flip a bit of the data a successful call hands back
    };
    // Counts one call of function against every armed trigger; fired triggers disarm.
    Fired on_call(const std::string& function);

private:
    std::vector<FaultSpec> armed_;
};

}  // namespace sonix_virtual
