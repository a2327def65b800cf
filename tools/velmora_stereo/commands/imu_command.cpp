// The imu command: read samples for a count or a duration, optionally paced,
// show each distinct sample, count repeats, gaps and failures, and optionally
// draw the run into a report page.
#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include <velmora/uvc_stereo/flash_transport.hpp>

#include "camera/camera_summary.hpp"
#include "camera/device_selection.hpp"
#include "camera/open_camera.hpp"
#include "command_line/interrupt.hpp"
#include "commands.hpp"
#include "output/error_report.hpp"
#include "output/file_io.hpp"
#include "output/imu_format.hpp"
#include "output/utc_time.hpp"
#include "reports/imu_report.hpp"
#include "reports/imu_tally.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;
using Clock = std::chrono::steady_clock;

constexpr unsigned long long kDefaultSampleCount = 10;
// One failed read is retried; this many in a row end the run.
constexpr std::size_t kMaxConsecutiveFailures = 5;
constexpr std::chrono::milliseconds kRetryPause{20};
// A counter that stays put this long (over at least kStallReads reads) has stopped.
constexpr std::chrono::seconds kStallTime{2};
constexpr std::size_t kStallReads = 3;
constexpr const char* kToolVersion = VELMORA_TOOL_VERSION;

// How long to read: a number of samples or a duration, at most rate reads per second.
struct ImuPlan {
    unsigned long long count = kDefaultSampleCount;
    std::optional<double> seconds;
    std::optional<double> rate;
    ImuFormat format = ImuFormat::Table;
    bool all_reads = false;
    std::optional<std::string> report;
};

// Empty when the options make a plan; otherwise the usage error.
std::string make_plan(const ParsedOptions& options, ImuPlan& plan) {
    if (options.has("count") && options.has("seconds")) return "give either --count or --seconds, not both";
    if (options.has("csv") && options.has("jsonl")) return "give either --csv or --jsonl, not both";
    if (const auto count = options.value("count")) {
        const auto parsed = parse_unsigned(*count);
        if (!parsed || *parsed == 0) return "--count needs a whole number above 0 (got '" + *count + "')";
        plan.count = *parsed;
    }
    if (const auto seconds = options.value("seconds")) {
        plan.seconds = parse_positive_seconds(*seconds);
        if (!plan.seconds) return "--seconds needs a number of seconds above 0 (got '" + *seconds + "')";
    }
    if (const auto rate = options.value("rate")) {
        plan.rate = parse_positive_seconds(*rate);
        if (!plan.rate) return "--rate needs a number of samples per second above 0 (got '" + *rate + "')";
    }
    if (const auto report = options.value("report")) {
        if (report->empty() || *report == "-") return "--report needs a file name";
        plan.report = *report;
    }
    if (options.has("csv")) plan.format = ImuFormat::Csv;
    if (options.has("jsonl")) plan.format = ImuFormat::JsonLines;
    plan.all_reads = options.has("all-reads");
    return {};
}

// Decides whether another read is due and waits for its turn: read n starts
// no earlier than n / rate seconds after the first, against a monotonic
// clock, so the pace does not drift with the time each read takes.
class ReadLoop {
public:
    ReadLoop(const ImuPlan& plan, const InterruptWatch& watch) : plan_(plan), watch_(watch), start_(Clock::now()) {}

    bool next(std::size_t samples, std::size_t reads) const {
        if (watch_.requested()) return false;
        if (!plan_.seconds && samples >= plan_.count) return false;
        const auto end = start_ + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(plan_.seconds.value_or(0.0)));
        if (plan_.rate && reads > 0) {
            const auto due = start_ + std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(static_cast<double>(reads) / *plan_.rate));
            if (plan_.seconds && due >= end) return false;
            watch_.sleep_until(due);
            if (watch_.requested()) return false;
        }
        return !plan_.seconds || Clock::now() < end;
    }

private:
    const ImuPlan& plan_;
    const InterruptWatch& watch_;
    Clock::time_point start_;
};

struct ReadOutcome {
    uvc::Status failure;  // why the run ended early; Ok when it did not
    std::string why;      // the tool's words for it
    bool interrupted = false;
};

class SampleReader {
public:
    SampleReader(uvc::Device& device, const ImuPlan& plan, const InterruptWatch& watch, const ToolContext& context,
                 std::optional<ImuReport>& report)
        : device_(device), plan_(plan), watch_(watch), writer_(plan.format, context.out), report_(report) {}

    ReadOutcome run(ImuTally& tally) {
        writer_.begin();
        last_new_ = Clock::now();
        for (const ReadLoop loop(plan_, watch_); loop.next(tally.samples(), tally.reads() + tally.read_failures());) {
            const auto raw = device_.read_imu();
            if (!raw.ok()) {
                if (!retry(raw.status(), tally)) break;
                continue;
            }
            consecutive_failures_ = 0;
            if (!take(raw.value(), tally) || stalled(tally)) break;
        }
        outcome_.interrupted = watch_.requested() && outcome_.failure.ok();
        return outcome_;
    }

private:
    // Counts the failure; false once too many came in a row.
    bool retry(const uvc::Status& failure, ImuTally& tally) {
        tally.add_failure();
        if (++consecutive_failures_ < kMaxConsecutiveFailures) {
            watch_.sleep_until(Clock::now() + kRetryPause);
            return true;
        }
        outcome_.failure = failure;
        outcome_.why = "the IMU read failed " + std::to_string(kMaxConsecutiveFailures) + " times in a row";
        return false;
    }

    bool take(const uvc::ReadImuResult& raw, ImuTally& tally) {
        const bool fresh = tally.add(raw);
        if (!fresh && !plan_.all_reads) return true;
        const auto converted = device_.convert_imu(raw);
        if (!converted.ok()) {
            outcome_.failure = converted.status();
            return false;
        }
        writer_.write(plan_.all_reads ? tally.reads() - 1 : tally.samples() - 1, raw, converted.value());
        if (fresh) {
            if (report_) report_->add(raw);
            last_new_ = Clock::now();
            reads_since_new_ = 0;
        }
        return true;
    }

    bool stalled(const ImuTally&) {
        if (++reads_since_new_ <= kStallReads || Clock::now() - last_new_ < kStallTime) return false;
        outcome_.failure = uvc::Status(uvc::ErrorCode::ReadFailed,
                                       "the IMU answered the same device counter for " +
                                           std::to_string(reads_since_new_) + " reads over " +
                                           std::to_string(kStallTime.count()) + " s");
        outcome_.why = "the IMU's device counter stopped advancing";
        return true;
    }

    uvc::Device& device_;
    const ImuPlan& plan_;
    const InterruptWatch& watch_;
    ImuSampleWriter writer_;
    std::optional<ImuReport>& report_;
    ReadOutcome outcome_;
    std::size_t consecutive_failures_ = 0;
    std::size_t reads_since_new_ = 0;
    Clock::time_point last_new_;
};

std::optional<ImuReport> start_report(const ImuPlan& plan, const uvc::Device& device) {
    if (!plan.report) return std::nullopt;
    const auto conversion = device.imu_conversion_options();
    const auto& capability = device.capability_info();
    const auto firmware = uvc::read_firmware_version(selection_config(device.info()));
    ImuReportContext context;
    context.device = device.info();
    context.conversion = conversion.ok() ? conversion.value() : uvc::ImuConversionOptions{};
    context.requested_rate = plan.rate;
    context.generated = iso_utc_time(std::chrono::system_clock::now());
    context.tool_version = kToolVersion;
    context.firmware_version = firmware.ok() ? firmware.value() : "not reachable: " + firmware.status().message();
    context.imu_model = capability.report && capability.report->imu ? capability.report->imu->model
                                                                    : "not named (camera without capability report)";
    return ImuReport(std::move(context));
}

// Writes the page; returns kExitSuccess or the file problem's status.
int finish_report(const ImuPlan& plan, const ImuReport& report, const ImuTally& tally, const std::string& ending,
                  const ToolContext& context) {
    if (const auto problem = write_text_file(*plan.report, report.html(ending, tally)); !problem.empty()) {
        return report_file_problem(problem, context.err);
    }
    std::ostream& summary = plan.format == ImuFormat::Table ? context.out : context.err;
    summary << "Wrote the report of " << report.size() << " samples to " << *plan.report << ".\n";
    return kExitSuccess;
}

std::string ending_of(const ReadOutcome& outcome, const InterruptWatch& watch) {
    if (!outcome.failure.ok()) {
        return "stopped early: " + (outcome.why.empty() ? "" : outcome.why + ": ") + outcome.failure.message();
    }
    return outcome.interrupted ? std::string("stopped by ") + watch.cause() : "";
}

}  // namespace

int run_imu(const ToolContext& context) {
    ImuPlan plan;
    if (const auto problem = make_plan(context.options, plan); !problem.empty()) {
        return report_usage_error(problem, find_command("imu"), context.err);
    }
    if (plan.report) {
        // Refuse an unwritable report before the camera is opened, not after a long run.
        if (const auto problem = creation_problem(*plan.report); !problem.empty()) {
            return report_file_problem(problem, context.err);
        }
    }
    auto camera = open_selected_camera(context, "imu", 0, kRequireNothing);
    if (!camera.device) return camera.exit_code;
    uvc::Device& device = *camera.device;
    // Watching from before the open: the session must be closed whenever an interrupt comes.
    const InterruptWatch watch;
    std::optional<ImuReport> report = start_report(plan, device);
    if (const auto opened = device.open_imu(); !opened.ok()) return report_failure(opened, context.err);
    ImuTally tally;
    const ReadOutcome outcome = SampleReader(device, plan, watch, context, report).run(tally);
    const uvc::Status closed = device.close_imu();
    // Keep standard output pure data for the machine formats.
    std::ostream& summary = plan.format == ImuFormat::Table ? context.out : context.err;
    summary << format_imu_summary(tally);
    if (plan.rate) summary << " Asked for " << format_number(*plan.rate) << " reads/s.";
    summary << '\n';
    if (outcome.interrupted) context.err << "Interrupted by " << watch.cause() << "; the IMU session was closed.\n";
    if (report) {
        if (const int status = finish_report(plan, *report, tally, ending_of(outcome, watch), context);
            status != kExitSuccess) {
            return status;
        }
    }
    if (!outcome.failure.ok()) {
        return report_failure(outcome.why.empty() ? "" : outcome.why + "; stopped after " +
                                                             std::to_string(tally.samples()) + " samples",
                              outcome.failure, context.err);
    }
    if (!closed.ok()) return report_failure(closed, context.err);
    return outcome.interrupted ? watch.exit_status() : kExitSuccess;
}

}  // namespace velmora::stereo_tool
