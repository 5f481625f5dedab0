// The graph dialog's settings (section "GRAPHDLG" of zeq.ini), its zoom factors, and the
// capture's CSV file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zeq::desk {

struct GraphSettings {
    int inputX = 0;  // the cursor field, as an offset from the range's low value
    std::string xName = "mcspos";
    std::array<std::string, 3> yNames{"mcspos", "mcspos", "mcspos"};
    std::int32_t low = 0;      // "XAxisMax"
    std::int32_t high = 5120;  // "YAxisMax"
    int depth = 512;
};

// A missing file or key gives the default; a number that does not fit gives the default too.
GraphSettings loadGraphSettings(const std::string& iniPath);
// Rewrites section "GRAPHDLG", keeping the others. False when the file cannot be written.
bool saveGraphSettings(const std::string& iniPath, const GraphSettings& settings);

// The zoom sliders: X positions 1..39 (29 at open), Y positions 1..59 (49 at open).
enum class ZoomAxis { X, Y };
struct ZoomSlider {
    int min, max, start;
};
ZoomSlider zoomSlider(ZoomAxis axis);
// The factor of slider position p: with k = 2 and limit 29 for X, 4 and 49 for Y, d = p / 10,
// r = p % 10, m = 10^(k - d) when d < k else 1: 1 / ((11 - r) * m) up to the limit, p - limit
// above it.
double zoomFactor(ZoomAxis axis, int position);
// The slider's label: the factor * 100 with "%.4f%%".
std::string zoomLabel(double factor);

// One sample slot: X, up to three Y values, and which Y values were read for it. Values are
// 64-bit so that a 48-bit parameter is kept whole.
struct GraphSample {
    std::int64_t x = 0;
    std::array<std::int64_t, 3> y{};
    std::array<bool, 3> read{};
};

// The CSV of a capture: header "sample,x,y1,y2,y3", one row per sample slot taken, a Y cell
// empty when that Y was not read for the sample. False when the file cannot be written.
bool writeGraphCsv(const std::string& path, const std::vector<GraphSample>& samples);
// Reads such a file back. False with a message naming the line when it is not one.
bool readGraphCsv(const std::string& path, std::vector<GraphSample>& samples, std::string& error);

}  // namespace zeq::desk
