// The graph dialog "画图": the X parameter and up to three Y parameters (catalogue name and
// axis), the X range, the depth, the "画图"/"停止"/"重画" button, the curves drawn with Qt
// Charts, the zoom sliders, the cursor field, and the capture's CSV and PNG files. A thin
// layer over GraphCapture: the capture runs on the core's worker; what it reports is queued to
// the dialog's thread and drawn at most once per frame.
#pragma once

#include <QDialog>
#include <QList>
#include <QPointF>
#include <array>
#include <atomic>
#include <functional>
#include <vector>

#include "tools/common/ui/queued_dialogs.h"
#include "tools/graph/graph_capture.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QTimer;
class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;

namespace zeq::desk {

class GraphChartView;

class GraphDialog : public QDialog, public GraphObserver {
    Q_OBJECT
  public:
    // While samples arrive the plot is drawn at most once per frame, and less often when
    // drawing takes long (a deep capture): the pause after a drawing is three times what it
    // cost, so the window stays responsive whatever the depth.
    static constexpr int kFrameMs = 16;
    static constexpr int kMaxFrameMs = 1000;
    // Points drawn per curve at most (see drawFrom).
    static constexpr int kMaxDrawnPoints = 4000;

    // `targetBoard`: the board the tools act on (-1: none), preselected in the board list.
    // `iniPath`: zeq.ini (section "GRAPHDLG"). `boxes` non-null: messages go there (tests).
    GraphDialog(Boards& boards, std::function<int()> targetBoard, QString iniPath,
                QWidget* parent = nullptr, UserDialogs* boxes = nullptr);
    ~GraphDialog() override;

    GraphCapture& capture() { return m_capture; }
    QPushButton* startButton() const { return m_start; }
    QPushButton* refreshButton() const { return m_refresh; }
    QComboBox* boardList() const { return m_board; }
    QComboBox* xName() const { return m_xName; }
    QComboBox* xAxis() const { return m_xAxis; }
    QComboBox* yName(int k) const { return m_yName[static_cast<size_t>(k)]; }
    QComboBox* yAxis(int k) const { return m_yAxis[static_cast<size_t>(k)]; }
    QCheckBox* yCheck(int k) const { return m_yCheck[static_cast<size_t>(k)]; }
    QLineEdit* lowField() const { return m_low; }
    QLineEdit* highField() const { return m_high; }
    QSpinBox* depthField() const { return m_depth; }
    QSpinBox* cursorField() const { return m_cursor; }
    QLabel* cursorValue() const { return m_cursorValue; }
    QSlider* zoomSlider(ZoomAxis axis) const { return axis == ZoomAxis::X ? m_xZoom : m_yZoom; }
    QLabel* zoomLabel(ZoomAxis axis) const {
        return axis == ZoomAxis::X ? m_xZoomLabel : m_yZoomLabel;
    }
    QLabel* progressLabel() const { return m_progress; }
    QChartView* chartView() const;
    // Points drawn in the curve of Y k (0..2).
    int pointCount(int k) const;
    // The samples shown: the capture's, or those of an opened file.
    const std::vector<GraphSample>& shownSamples() const { return m_samples; }

    // The settings as the fields hold them.
    GraphSettings settings() const;
    bool saveSettings() const;
    // The files (the buttons ask for the name, then call these). False after a message.
    bool exportCsv(const QString& path);
    bool exportPng(const QString& path);
    bool openCsv(const QString& path);

    // GraphObserver, on the capture's worker.
    void captureStarted(std::int32_t low, std::int32_t high) override;
    void sampleTaken(int index) override;
    void captureEnded(bool full) override;
    void axisListsFilled(int board, int axisCount) override;

  public slots:
    void reject() override;  // closing saves the settings and stops a capture

  private:
    void buildControls();
    // The zoom sliders and their labels.
    void buildZoomSliders();
    void buildChart();
    void applySettings(const GraphSettings& s);
    void startOrStop();
    void refresh();
    void boardChanged();
    void flushSamples();
    void resetPlot();
    void drawFrom(std::size_t first);
    void clearCurves();
    void updateAxes();
    void updateCursor();
    void showInLegend(int k, bool shown);
    std::int32_t fieldValue(const QLineEdit* field) const;

    Boards& m_boards;
    std::function<int()> m_targetBoard;
    QString m_iniPath;
    QueuedDialogs m_boxes;
    std::atomic<bool> m_dirty{false};
    std::vector<GraphSample> m_samples;
    std::int64_t m_plotLow = 0;
    std::int64_t m_plotHigh = 5120;
    std::int64_t m_yMin = 0;
    std::int64_t m_yMax = 0;
    bool m_yEmpty = true;
    std::size_t m_stride = 1;
    double m_xFactor = 1.0;  // the zoom as the dialog opens: the whole range, "100.0000%"
    double m_yFactor = 1.0;

    QComboBox* m_board = nullptr;
    QPushButton* m_refresh = nullptr;
    QComboBox* m_xName = nullptr;
    QComboBox* m_xAxis = nullptr;
    QLineEdit* m_low = nullptr;
    QLineEdit* m_high = nullptr;
    std::array<QCheckBox*, 3> m_yCheck{};
    std::array<QComboBox*, 3> m_yName{};
    std::array<QComboBox*, 3> m_yAxis{};
    QSpinBox* m_depth = nullptr;
    QPushButton* m_start = nullptr;
    QLabel* m_progress = nullptr;
    QSpinBox* m_cursor = nullptr;
    QLabel* m_cursorValue = nullptr;
    QSlider* m_xZoom = nullptr;
    QSlider* m_yZoom = nullptr;
    QLabel* m_xZoomLabel = nullptr;
    QLabel* m_yZoomLabel = nullptr;
    QChart* m_chart = nullptr;
    GraphChartView* m_view = nullptr;
    std::array<QLineSeries*, 3> m_series{};
    std::array<QList<QPointF>, 3> m_points;  // what each curve draws
    QValueAxis* m_axisX = nullptr;
    QValueAxis* m_axisY = nullptr;
    QTimer* m_frame = nullptr;

    // Last: goes first, so its worker has ended before the members above.
    GraphCapture m_capture;
};

}  // namespace zeq::desk
