// Renders the unplug sweep's results as Markdown.
#include "unplug_matrix.hpp"

#include <algorithm>
#include <cstddef>
#include <map>
#include <sstream>

namespace velmora::uvc_stereo::reliability {

namespace {

constexpr const char* kVendorPrefix = "SonixCam_";

std::string short_call(const std::string& function) {
    if (function.empty()) return "end";
    return function.rfind(kVendorPrefix, 0) == 0 ? function.substr(std::char_traits<char>::length(kVendorPrefix))
                                                  : function;
}

std::string describe_failure(const Status& status) {
    return "`" + error_code_name(status.code()) + "` \"" + status.message() + "\"";
}

std::string describe(const Outcome& outcome, const Outcome& healthy) {
    if (!outcome.status.ok()) return describe_failure(outcome.status);
    if (outcome.value == healthy.value) return "success";
    if (outcome.value.empty()) return "success, no camera listed";
    if (outcome.value.rfind("- ", 0) == 0) return "success, camera listed without its serial number";
    return "success, returning " + outcome.value.substr(0, outcome.value.find('\n'));
}

std::string describe_document(const Outcome& read, const std::string& old_document, const std::string& new_document) {
    if (!read.status.ok()) return "read: " + describe_failure(read.status);
    if (read.value == old_document) return "read: the old document";
    if (read.value == new_document) return "read: the new document";
    return "read: another text, " + read.value;
}

// Outcome texts get letters in order of first use.
class Legend {
public:
    std::string key_of(const std::string& text) {
        auto found = keys_.find(text);
        if (found != keys_.end()) return found->second;
        std::string key = key_name(order_.size());
        keys_.emplace(text, key);
        order_.push_back(text);
        return key;
    }

    std::string render() const {
        std::string text = "| Key | Outcome |\n|---|---|\n";
        for (std::size_t index = 0; index < order_.size(); ++index) {
            text += "| " + key_name(index) + " | " + order_[index] + " |\n";
        }
        return text;
    }

private:
    static std::string key_name(std::size_t index) {
        std::string name(1, static_cast<char>('A' + index % 26));
        if (index >= 26) name += std::to_string(index / 26);
        return name;
    }

    std::map<std::string, std::string> keys_;
    std::vector<std::string> order_;
};

struct Row {
    std::string label;
    std::vector<std::string> cells;
};

bool same_runs(const SweepResult& left, const SweepResult& right) {
    if (left.runs.size() != right.runs.size() || !(left.healthy == right.healthy)) return false;
    for (std::size_t index = 0; index < left.runs.size(); ++index) {
        const UnplugRun& a = left.runs[index];
        const UnplugRun& b = right.runs[index];
        if (a.call != b.call || !(a.outcome == b.outcome) || a.read_after_return != b.read_after_return) {
            return false;
        }
    }
    return true;
}

void add_rows(const SweepResult& result, const std::string& label, Legend& legend, std::vector<Row>& rows) {
    Row row{label, {}};
    for (const UnplugRun& run : result.runs) {
        row.cells.push_back(short_call(run.call) + " " + legend.key_of(describe(run.outcome, result.healthy)));
    }
    rows.push_back(row);
    if (!result.healthy_read) return;
    const std::string new_document = result.healthy_read->value;
    Row read_row{label + ", then a read once the camera is back", {}};
    for (const UnplugRun& run : result.runs) {
        if (!run.read_after_return) continue;
        read_row.cells.push_back(short_call(run.call) + " " +
                                 legend.key_of(describe_document(*run.read_after_return, result.old_document,
                                                                 new_document)));
    }
    rows.push_back(read_row);
}

std::string render_rows(const std::vector<Row>& rows) {
    std::size_t columns = 0;
    for (const Row& row : rows) columns = std::max(columns, row.cells.size());
    std::ostringstream table;
    table << "| Operation |";
    for (std::size_t column = 1; column <= columns; ++column) table << ' ' << column << " |";
    table << "\n|---|";
    for (std::size_t column = 1; column <= columns; ++column) table << "---|";
    table << '\n';
    for (const Row& row : rows) {
        table << "| " << row.label << " |";
        for (std::size_t column = 0; column < columns; ++column) {
            table << ' ' << (column < row.cells.size() ? row.cells[column] : std::string()) << " |";
        }
        table << '\n';
    }
    return table.str();
}

}  // namespace

std::string error_code_name(ErrorCode code) {
    static const char* const kNames[] = {
        "Ok",        "InvalidArgument", "BackendError",  "DeviceUnavailable", "ReadFailed",
        "WriteFailed", "EraseFailed",   "BadMagic",      "UnsupportedVersion", "InvalidHeader",
        "InvalidLength", "CrcMismatch", "InvalidJson",   "InternalError",     "NotSupported",
    };
    const auto index = static_cast<std::size_t>(code);
    return index < std::size(kNames) ? kNames[index] : "code " + std::to_string(index);
}

std::string render_unplug_matrix(const std::vector<SweepResult>& results) {
    Legend legend;
    std::vector<Row> rows;
    std::vector<bool> done(results.size(), false);
    for (std::size_t index = 0; index < results.size(); ++index) {
        if (done[index]) continue;
        const SweepResult& result = results[index];
        std::vector<std::size_t> twins;
        for (std::size_t other = index + 1; other < results.size(); ++other) {
            if (!done[other] && results[other].operation == result.operation) twins.push_back(other);
        }
        const bool merged = !twins.empty() && std::all_of(twins.begin(), twins.end(), [&](std::size_t other) {
            return same_runs(result, results[other]);
        });
        if (merged) {
            std::string interfaces = result.interface_name;
            for (const std::size_t other : twins) interfaces += ", " + results[other].interface_name;
            add_rows(result, result.operation + " (" + interfaces + ")", legend, rows);
            for (const std::size_t other : twins) done[other] = true;
        } else {
            add_rows(result, result.operation + " (" + result.interface_name + ")", legend, rows);
        }
        done[index] = true;
    }
    std::map<std::string, std::size_t> runs;
    for (const SweepResult& result : results) runs[result.interface_name] += result.runs.size();
    std::string totals = "Runs:";
    for (const auto& [interface_name, count] : runs) totals += " " + std::to_string(count) + " (" + interface_name + ")";
    return render_rows(rows) + "\n" + legend.render() + "\n" + totals + "\n";
}

}  // namespace velmora::uvc_stereo::reliability
