#include "tools/teach/point_list.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tools/teach/teach_messages.h"

namespace zeq::desk::teach {

namespace {

constexpr std::size_t kMaxFileSize = 16u << 20;

std::string csvField(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// Splits one CSV line (quotes as written by csvField). False on an unterminated quote.
bool splitCsv(const std::string& line, std::vector<std::string>& out) {
    out.clear();
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            out.push_back(std::move(field));
            field.clear();
        } else if (c != '\r') {
            field += c;
        }
    }
    out.push_back(std::move(field));
    return !quoted;
}

}  // namespace

void PointList::setAxisCount(int count) {
    m_axisCount = std::clamp(count, 0, kMaxAxes);
    for (PointRow& r : m_rows) r.cells.resize(static_cast<std::size_t>(m_axisCount));
}

std::string PointList::rowName(int row) {
    char buf[32];
    std::snprintf(buf, sizeof buf, msg::kRowNameFormat, row + 1);
    return buf;
}

int PointList::appendRow() {
    PointRow r;
    r.cells.resize(static_cast<std::size_t>(m_axisCount));
    m_rows.push_back(std::move(r));
    return rowCount() - 1;
}

void PointList::deleteRow(int i) {
    if (i >= 0 && i < rowCount()) m_rows.erase(m_rows.begin() + i);
}

bool PointList::saveCsv(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << "point";
    for (int a = 0; a < m_axisCount; ++a) out << ",axis" << a;
    out << ",speed,endspeed\n";
    for (int i = 0; i < rowCount(); ++i) {
        out << rowName(i);
        for (const std::string& c : m_rows[static_cast<std::size_t>(i)].cells)
            out << ',' << csvField(c);
        out << ',' << csvField(m_rows[static_cast<std::size_t>(i)].speed) << ','
            << csvField(m_rows[static_cast<std::size_t>(i)].endSpeed) << '\n';
    }
    return static_cast<bool>(out.flush());
}

bool PointList::loadCsv(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        error = msg::kCsvCannotOpen;
        return false;
    }
    const std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<std::uint64_t>(size) > kMaxFileSize) {
        error = msg::kCsvBad;
        return false;
    }
    in.seekg(0);
    std::string line;
    std::vector<std::string> fields;
    if (!std::getline(in, line) || !splitCsv(line, fields) || fields.size() < 3 ||
        fields.size() - 3 > static_cast<std::size_t>(kMaxAxes) || fields[0] != "point") {
        error = msg::kCsvBad;
        return false;
    }
    const std::size_t columns = fields.size();
    PointList loaded(static_cast<int>(columns - 3));
    while (std::getline(in, line)) {
        if (line.empty() || line == "\r") continue;
        if (!splitCsv(line, fields) || fields.size() != columns ||
            static_cast<std::size_t>(loaded.rowCount()) >= kMaxRows ||
            line.find('\0') != std::string::npos) {
            error = msg::kCsvBad;
            return false;
        }
        PointRow& r = loaded.row(loaded.appendRow());
        for (std::size_t a = 0; a + 3 < columns; ++a) r.cells[a] = fields[a + 1];
        r.speed = fields[columns - 2];
        r.endSpeed = fields[columns - 1];
    }
    *this = std::move(loaded);
    return true;
}

CellRead readCell(std::string_view text, double& value) {
    if (text.empty()) return CellRead::Empty;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-')) return CellRead::Bad;
    const std::string s(text);
    char* end = nullptr;
    value = std::strtod(s.c_str(), &end);
    // "--1" or "1.2.3" hold only allowed characters yet are no number.
    if (end == s.c_str() || *end != '\0') return CellRead::Bad;
    return CellRead::Value;
}

}  // namespace zeq::desk::teach
