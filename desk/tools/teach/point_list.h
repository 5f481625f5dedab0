// The teach dialog's point list: rows "point1", "point2" … with one text cell per axis of the
// board, a speed and an end speed. Cells are text as the user typed them; playback reads them
// (cellValue). Saved as CSV: a header line "point,axis0,…,axisN-1,speed,endspeed", then one
// line per row.
//
// Not thread-safe: the dialog edits it on its thread and playback works on a copy.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeq::desk::teach {

struct PointRow {
    std::vector<std::string> cells;  // one per axis; empty: the axis takes no part in the row
    std::string speed = "1.0";
    std::string endSpeed = "1.0";
};

class PointList {
  public:
    static constexpr int kMaxAxes = 8;
    static constexpr std::size_t kMaxRows = 100000;

    explicit PointList(int axisCount = 4) { setAxisCount(axisCount); }

    int axisCount() const { return m_axisCount; }
    // Another board: the axis columns change; the cells of the kept axes stay.
    void setAxisCount(int count);
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    // "point%d" of the row's position (1-based): renumbered after every deletion.
    static std::string rowName(int row);
    const PointRow& row(int i) const { return m_rows.at(static_cast<std::size_t>(i)); }
    PointRow& row(int i) { return m_rows.at(static_cast<std::size_t>(i)); }

    // Appends a row with empty axis cells; returns its index.
    int appendRow();
    void deleteRow(int i);
    void clear() { m_rows.clear(); }

    bool saveCsv(const std::string& path) const;
    // Replaces the list with the file's rows; false (list unchanged) for an unreadable or
    // malformed file, with the message text in `error`.
    bool loadCsv(const std::string& path, std::string& error);

  private:
    int m_axisCount = 0;
    std::vector<PointRow> m_rows;
};

// A position cell as playback reads it: only digits, "." and "-" are allowed; nullopt for any
// other character. An empty cell reads as no value (the axis takes no part in the row).
enum class CellRead { Value, Empty, Bad };
CellRead readCell(std::string_view text, double& value);

}  // namespace zeq::desk::teach
