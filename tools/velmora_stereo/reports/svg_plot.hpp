// Small SVG charts drawn as text (line charts and histograms with axes, ticks
// and a legend), for pages that must stand alone without scripts or fonts.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velmora::stereo_tool {

struct PlotSeries {
    std::string key;    // written as data-series, so tools can find the series
    std::string label;  // the legend text
    std::string color;  // any SVG colour, "#d62728"
    std::vector<double> x;
    std::vector<double> y;  // as many values as x
};

struct ChartFrame {
    std::string title;
    std::string x_label;
    std::string y_label;
    int width = 960;
    int height = 260;
};

// A series with more points than this is drawn from the lowest and highest
// value of each of max / 2 equal slices of its points, so spikes stay visible.
constexpr std::size_t kMaxDrawnPoints = 4000;

// One <svg> element with the series as <polyline class="series"> elements.
std::string line_chart_svg(const ChartFrame& frame, const std::vector<PlotSeries>& series);

struct HistogramBin {
    double low = 0.0;
    double high = 0.0;
    std::size_t count = 0;
};

// Bins of equal width covering [min, max] of values (one bin when they are all equal).
std::vector<HistogramBin> histogram_bins(const std::vector<double>& values, std::size_t bin_count);
// One <svg> element with a <rect class="bar"> per bin.
std::string histogram_svg(const ChartFrame& frame, const std::vector<HistogramBin>& bins, const std::string& color);

// About count round values (1, 2 or 5 times a power of ten apart) that cover [low, high].
std::vector<double> nice_ticks(double low, double high, std::size_t count);

// The series reduced to at most max_points points (see kMaxDrawnPoints), in order.
PlotSeries decimate_series(const PlotSeries& series, std::size_t max_points);

// text with &, <, > and " replaced by entities, for XML text and attributes.
std::string xml_escape(const std::string& text);

}  // namespace velmora::stereo_tool
