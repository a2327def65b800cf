// Storage of contract violations: fixed-size C records, bounded, with an exact count.
#include "contract_violations.hpp"

#include "text_codec.hpp"

namespace sonix_virtual {

void ContractViolations::record(const std::string& function, const std::string& reason) {
    vcam_violation entry{};
    copy_fixed_text(entry.function, function);
    copy_fixed_text(entry.reason, reason);
    if (entries_.size() == kMaxEntries) entries_.pop_front();
    entries_.push_back(entry);
    ++count_;
}

void ContractViolations::clear() {
    entries_.clear();
    count_ = 0;
}

bool ContractViolations::at(std::size_t index, vcam_violation& out) const {
    if (index >= entries_.size()) return false;
    out = entries_[index];
    return true;
}

}  // namespace sonix_virtual
