// The calls that broke the vendor library's contract, kept for tests to read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "sonix_virtual/vcam_control.h"

namespace sonix_virtual {

class ContractViolations {
public:
    // Oldest entries are dropped beyond this many; the count stays exact.
    static constexpr std::size_t kMaxEntries = 1000;

    void record(const std::string& function, const std::string& reason);
    void clear();
    std::size_t count() const { return count_; }
    // index counts among the kept entries, oldest first.
    bool at(std::size_t index, vcam_violation& out) const;

private:
    std::deque<vcam_violation> entries_;
    std::size_t count_ = 0;
};

}  // namespace sonix_virtual
