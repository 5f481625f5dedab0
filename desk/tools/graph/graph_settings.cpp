#include "tools/graph/graph_settings.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/simple_ini.h"
#include "tools/graph/graph_messages.h"

namespace zeq::desk {
namespace {

constexpr const char* kSection = "GRAPHDLG";
constexpr const char* kYKeys[3] = {"YAxisParam1", "YAxisParam2", "YAxisParam3"};

template <class T>
bool parseNumber(std::string_view text, T& out) {
    T v{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    out = v;
    return true;
}

template <class T>
T numberOr(const CSimpleIniA& ini, const char* key, T fallback) {
    const char* text = ini.GetValue(kSection, key, nullptr);
    T v = fallback;
    if (!text || !parseNumber(std::string_view(text), v)) return fallback;
    return v;
}

std::string nameOr(const CSimpleIniA& ini, const char* key, const std::string& fallback) {
    const char* text = ini.GetValue(kSection, key, nullptr);
    return text ? std::string(text) : fallback;
}

}  // namespace

GraphSettings loadGraphSettings(const std::string& iniPath) {
    GraphSettings s;
    CSimpleIniA ini;
    ini.SetUnicode(true);
    if (ini.LoadFile(iniPath.c_str()) < 0) return s;
    s.inputX = numberOr(ini, "InputX", s.inputX);
    s.xName = nameOr(ini, "XAxisParam", s.xName);
    for (int i = 0; i < 3; ++i) s.yNames[i] = nameOr(ini, kYKeys[i], s.yNames[i]);
    s.low = numberOr(ini, "XAxisMax", s.low);
    s.high = numberOr(ini, "YAxisMax", s.high);
    s.depth = numberOr(ini, "Depth", s.depth);
    return s;
}

bool saveGraphSettings(const std::string& iniPath, const GraphSettings& s) {
    if (iniPath.empty()) return false;
    CSimpleIniA ini;
    ini.SetUnicode(true);
    ini.LoadFile(iniPath.c_str());
    ini.Delete(kSection, nullptr);
    ini.SetLongValue(kSection, "InputX", s.inputX);
    ini.SetValue(kSection, "XAxisParam", s.xName.c_str());
    for (int i = 0; i < 3; ++i) ini.SetValue(kSection, kYKeys[i], s.yNames[i].c_str());
    ini.SetLongValue(kSection, "XAxisMax", s.low);
    ini.SetLongValue(kSection, "YAxisMax", s.high);
    ini.SetLongValue(kSection, "Depth", s.depth);
    std::error_code ec;
    const auto parent = std::filesystem::path(iniPath).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    return ini.SaveFile(iniPath.c_str(), false) >= 0;
}

ZoomSlider zoomSlider(ZoomAxis axis) {
    return axis == ZoomAxis::X ? ZoomSlider{1, 39, 29} : ZoomSlider{1, 59, 49};
}

double zoomFactor(ZoomAxis axis, int p) {
    const int k = axis == ZoomAxis::X ? 2 : 4;
    const int limit = axis == ZoomAxis::X ? 29 : 49;
    if (p > limit) return p - limit;
    const int d = p / 10;
    const int r = p % 10;
    const double m = d < k ? std::pow(10.0, k - d) : 1.0;
    return 1.0 / ((11 - r) * m);
}

std::string zoomLabel(double factor) {
    char text[64];
    std::snprintf(text, sizeof text, graph_text::kZoomFormat, factor * 100.0);
    return text;
}

bool writeGraphCsv(const std::string& path, const std::vector<GraphSample>& samples) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << "sample,x,y1,y2,y3\n";
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const GraphSample& s = samples[i];
        out << i << ',' << s.x;
        for (int k = 0; k < 3; ++k) {
            out << ',';
            if (s.read[k]) out << s.y[k];
        }
        out << '\n';
    }
    out.flush();
    return static_cast<bool>(out);
}

bool readGraphCsv(const std::string& path, std::vector<GraphSample>& samples, std::string& error) {
    constexpr std::size_t kMaxLine = 256;
    constexpr std::size_t kMaxSamples = 10'000'000;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<GraphSample> out;
    std::string line;
    int lineNo = 0;
    auto bad = [&](const char* why) {
        error = path + ":" + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kMaxLine) return bad("line too long");
        if (lineNo == 1) {
            if (line != "sample,x,y1,y2,y3") return bad("not a graph capture (header)");
            continue;
        }
        if (line.empty()) continue;
        std::vector<std::string_view> cells;
        std::string_view rest(line);
        for (;;) {
            const auto comma = rest.find(',');
            cells.push_back(rest.substr(0, comma));
            if (comma == std::string_view::npos) break;
            rest = rest.substr(comma + 1);
        }
        if (cells.size() != 5) return bad("expected 5 cells");
        std::size_t index = 0;
        if (!parseNumber(cells[0], index) || index != out.size()) return bad("sample out of order");
        GraphSample s;
        if (!parseNumber(cells[1], s.x)) return bad("x is not a whole number");
        for (int k = 0; k < 3; ++k) {
            if (cells[2 + k].empty()) continue;
            if (!parseNumber(cells[2 + k], s.y[k])) return bad("y is not a whole number");
            s.read[k] = true;
        }
        if (out.size() >= kMaxSamples) return bad("too many samples");
        out.push_back(s);
    }
    if (lineNo == 0) return bad("empty file");
    samples = std::move(out);
    return true;
}

}  // namespace zeq::desk
